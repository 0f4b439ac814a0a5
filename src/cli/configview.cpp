// Decoding a configuration record into labelled fields: identification, table 3, modem, links.
#include "cli/configview.h"

#include "config/configeditor.h"
#include "config/configtexts.h"
#include "config/recordfields.h"
#include "protocol/controllercodes.h"

namespace ktv31::cli {

QString CalculatorView::portText() const
{
    const QString letter = PortLetter(port);
    return letter.isEmpty() ? QStringLiteral("?") : letter;
}

int CalculatorView::speed() const
{
    return CodeToSpeed(speedCode);
}

QString CalculatorView::text() const
{
    if (!connected)
        return QStringLiteral("Нет");
    return QStringLiteral("Да, %1, %2 бит/с").arg(portText()).arg(speed());
}

QString VisibleText(const QString &text)
{
    return EscapedControls(text);
}

QString IdentificationCaption()
{
    return EditorText::IdentificationCaption();
}
QString LinkParametersCaption()
{
    return EditorText::LinkGroupCaption().trimmed();
}
QString ModemStringCaption()
{
    return EditorText::ModemGroupCaption().trimmed();
}
QString CalculatorsCaption()
{
    return EditorText::CalculatorGroupCaption().trimmed();
}

ConfigView DescribeRecord(const ConfigRecord &record)
{
    ConfigView view;
    view.fromDevice = IdentificationFromDevice(record);
    view.block = IdentificationBlock(record);
    view.identification = DecodeIdentification(view.block.data(), view.fromDevice);

    for (const RecordField *field : TableFields(ConfigTable::LinkParameters)) {
        if (!FieldPresent(record, *field))
            continue;
        view.linkParameters.append({field->name, field->legacyKey, field->label(),
                                    FieldValueText(record, *field), StoredValue(record, *field)});
    }
    view.modemString = EditorModemString(record);
    for (int address = 0; address < CalculatorCount; ++address) {
        const CalculatorLink link = CalculatorLinkAt(record, address);
        view.calculators.append({address, link.connected != 0, link.port, link.speedCode});
    }
    return view;
}

} // namespace ktv31::cli
