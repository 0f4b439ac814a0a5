// Decoding a configuration record into labelled fields: identification, table 3, modem, links.
#include "cli/configview.h"

#include "protocol/suplfunc.h"
#include "shell/cp1251.h"

namespace ktv31::cli {

QString CalculatorView::portText() const
{
    switch (port) {
    case 1:
        return QStringLiteral("A");
    case 2:
        return QStringLiteral("B");
    case 3:
        return QStringLiteral("C");
    default:
        return QStringLiteral("?");
    }
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

QString LinkParameterText(int offset, int value)
{
    return LinkParameterValueText(offset, value);
}

QString RawModemString(const ConfigRecord &record)
{
    return fieldText(record.data() + RecordOffset::ModemString, ModemStringSize);
}

QString VisibleText(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else if (c.category() == QChar::Other_Control)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
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
    view.fromDevice = record.u8(RecordOffset::Marker) != 0;
    for (int i = 0; i < IdentificationSize; ++i)
        view.block[size_t(i)] = record.u8(RecordOffset::Identification + i);
    view.identification = DecodeIdentification(view.block.data(), view.fromDevice);

    const quint8 version = record.u8(RecordOffset::SoftwareVersion);
    for (const LinkParameterField &field : LinkParameterFields()) {
        if (field.offset == LinkFieldOffset::RtsControl && !HasRtsField(version))
            continue;
        const int value = record.u8(field.offset);
        view.linkParameters.append({QString::fromLatin1(field.key), PlainLabel(field),
                                    LinkParameterText(field.offset, value), value});
    }

    QString modem = RawModemString(record);
    while (!modem.isEmpty() && modem.front().unicode() <= ' ')
        modem.remove(0, 1);
    while (!modem.isEmpty() && modem.back().unicode() <= ' ')
        modem.chop(1);
    view.modemString = modem;

    for (int address = 0; address < CalculatorCount; ++address) {
        const int at = LinkEntry::OffsetOf(address);
        view.calculators.append({address, record.u8(at + LinkEntry::Connected) != 0,
                                 record.u8(at + LinkEntry::Port),
                                 record.u8(at + LinkEntry::SpeedCode)});
    }
    return view;
}

} // namespace ktv31::cli
