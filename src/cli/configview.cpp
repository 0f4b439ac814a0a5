// Decoding a configuration record into labelled fields: identification, table 3, modem, links.
#include "cli/configview.h"

#include "protocol/suplfunc.h"
#include "shell/cp1251.h"

namespace ktv31::cli {
namespace {

constexpr int kRtsOffset = 45;
constexpr int kSpeedOffset = 38;
constexpr int kAnswerWaitOffset = 44;

QString Choice(int value, const QString &zero, const QString &one)
{
    switch (value) {
    case 0:
        return zero;
    case 1:
        return one;
    default:
        return QStringLiteral("? (%1)").arg(value);
    }
}

} // namespace

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

int CalculatorView::speed() const { return CodeToSpeed(speedCode); }

QString CalculatorView::text() const
{
    if (!connected)
        return QStringLiteral("Нет");
    return QStringLiteral("Да, %1, %2 бит/с").arg(portText()).arg(speed());
}

const QList<LinkParameterField> &LinkParameterFields()
{
    static const QList<LinkParameterField> fields{
        {"upperSpeed", "Скорость обмена с ВУ", kSpeedOffset},
        {"answerPreambles", "Количество преамбул при ответе ВУ", 39},
        {"requestPreambles", "Количество преамбул в запросе к вычислителю", 40},
        {"calculatorAnswerWait", "Длительность ожидания ответа от вычислителя", kAnswerWaitOffset},
        {"calculatorPreambles", "Преамбулы от вычислителя", 42},
        {"priority", "Приоритет", 41},
        {"retryDelay", "Задержка перед повторной попыткой занять порт", 43},
        {"rtsControl", "Необходимость управления сигналом RTS в канале связи с ВУ", kRtsOffset},
    };
    return fields;
}

bool HasRtsField(quint8 softwareVersion) { return softwareVersion != 3 && softwareVersion != 4; }

QString LinkParameterText(int offset, int value)
{
    switch (offset) {
    case kSpeedOffset:
        return CodeToSpeed(value) ? QStringLiteral("%1 бит/с").arg(CodeToSpeed(value))
                                  : QStringLiteral("? (код %1)").arg(value);
    case kAnswerWaitOffset:
        return QStringLiteral("%1 * 20 мс + 1000 мс = %2 мс").arg(value).arg(value * 20 + 1000);
    case 41:
        return Choice(value, QStringLiteral("Высокий"), QStringLiteral("Низкий"));
    case 42:
        return Choice(value, QStringLiteral("Не ожидать"), QStringLiteral("Ожидать"));
    case 43:
        return Choice(value, QStringLiteral("Меньшая"), QStringLiteral("Большая"));
    case kRtsOffset:
        return Choice(value, QStringLiteral("Не требуется"), QStringLiteral("Требуется"));
    default:
        return QString::number(value);
    }
}

QString RawModemString(const ConfigRecord &record)
{
    return fieldText(record.data() + RecordOffset::ModemString, ModemStringSize);
}

QString IdentificationCaption() { return QStringLiteral("Параметры идентификации"); }
QString LinkParametersCaption() { return QStringLiteral("Параметры связи"); }
QString ModemStringCaption() { return QStringLiteral("Строка инициализации модема"); }
QString CalculatorsCaption() { return QStringLiteral("Параметры связи  с отдельным вычислителем"); }

ConfigView DescribeRecord(const ConfigRecord &record)
{
    ConfigView view;
    view.fromDevice = record.u8(RecordOffset::Marker) != 0;
    for (int i = 0; i < IdentificationSize; ++i)
        view.block[size_t(i)] = record.u8(RecordOffset::Identification + i);
    view.identification = DecodeIdentification(view.block.data(), view.fromDevice);

    const quint8 version = record.u8(RecordOffset::SoftwareVersion);
    for (const LinkParameterField &field : LinkParameterFields()) {
        if (field.offset == kRtsOffset && !HasRtsField(version))
            continue;
        const int value = record.u8(field.offset);
        view.linkParameters.append({QString::fromLatin1(field.key),
                                    QString::fromUtf8(field.label),
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
