// Field values of the configuration tables as text: identification, speed masks, link
// parameters, modem string, calculator links and destroyed tables.
#include "config/tabledatatext.h"

#include "config/configimage.h"
#include "config/configtexts.h"
#include "config/stringi.h"
#include "config/tablestate.h"
#include "protocol/suplfunc.h"
#include "shell/cp1251.h"

#include <QStringList>

#include <algorithm>

namespace ktv31 {
namespace {

// The tables whose fields the decoder names.
namespace Table {
constexpr int Identification = 0;
constexpr int SpeedMasks = 1;
constexpr int DestroyedFlags = 7;
} // namespace Table

constexpr int kSpeedMaskSize = 4;
constexpr int kBuildDateFields = 6; // year, month, day, hour, minute, second
constexpr int kProtocolVersionFields = 3;

const char *const kSeparator = "; ";

// The identification block is table 0, field for field: its offsets are the field numbers.
namespace IdentField {
using namespace ImageOffset;
constexpr int BuildMonth = BuildYear + 1;
constexpr int BuildDay = BuildYear + 2;
constexpr int BuildHour = BuildYear + 3;
constexpr int BuildMinute = BuildYear + 4;
constexpr int BuildSecond = BuildYear + 5;
} // namespace IdentField

QString TwoDigitsOrStars(int value, int low, int high)
{
    return value >= low && value <= high ? QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'))
                                         : QStringLiteral("**");
}

// The fields a block holds, by field number, whatever part of the table it covers.
class FieldWindow
{
public:
    FieldWindow(int first, int count, QByteArrayView values)
        : first_(first), fields_(std::min<qsizetype>(count, values.size())), values_(values)
    {
    }
    bool has(int field) const { return field >= first_ && field < first_ + fields_; }
    bool hasAll(int field, int n) const { return has(field) && has(field + n - 1); }
    int at(int field) const { return quint8(values_[field - first_]); }
    int first() const { return first_; }
    int end() const { return first_ + fields_; }

private:
    int first_;
    int fields_;
    QByteArrayView values_;
};

QString SoftwareVersionText(int version)
{
    switch (version) {
    case 3:
    case 5:
        return QStringLiteral("%1 (Чтение и запись)").arg(version);
    case 4:
    case 6:
        return QStringLiteral("%1 (Только чтение)").arg(version);
    default:
        return QString::number(version);
    }
}

QString ByteOrderText(int order)
{
    switch (order) {
    case 0:
        return QStringLiteral("Мл. адрес - ст. байт");
    case 1:
        return QStringLiteral("Мл. адрес - мл. байт");
    default:
        return QStringLiteral("? (%1)").arg(order);
    }
}

QString Labelled(const char *label, const QString &value)
{
    return QString::fromUtf8(label) + QStringLiteral(": ") + value;
}

// Table 0 with the labels of the identification view; the build date and the protocol version
// as one value where the block holds all their fields, field by field where it does not.
QString IdentificationText(const FieldWindow &w)
{
    using namespace IdentField;
    QStringList parts;
    for (int field = w.first(); field < w.end(); ++field) {
        const int v = w.at(field);
        if (field == BuildYear && w.hasAll(BuildYear, kBuildDateFields)) {
            parts << Labelled("Дата создания ПО",
                              QStringLiteral("%1.%2.%3  %4:%5:%6")
                                  .arg(TwoDigitsOrStars(w.at(BuildDay), 1, 31),
                                       TwoDigitsOrStars(w.at(BuildMonth), 1, 12),
                                       TwoDigitsOrStars(w.at(BuildYear), 0, 99),
                                       TwoDigitsOrStars(w.at(BuildHour), 0, 23),
                                       TwoDigitsOrStars(w.at(BuildMinute), 0, 59),
                                       TwoDigitsOrStars(w.at(BuildSecond), 0, 59)));
            field += kBuildDateFields - 1;
            continue;
        }
        if (field == ProtocolVersion && w.hasAll(ProtocolVersion, kProtocolVersionFields)) {
            parts << Labelled(
                "Номер последней версии протокола",
                QStringLiteral("%1.%2.%3").arg(v).arg(w.at(field + 1)).arg(w.at(field + 2)));
            field += kProtocolVersionFields - 1;
            continue;
        }
        switch (field) {
        case DestroyedTable:
            parts << Labelled("Наличие разрушенных таблиц",
                              v == 0 ? QStringLiteral("Разрушенных таблиц нет")
                                     : QStringLiteral("Разрушена таблица %1").arg(v));
            break;
        case TypeCode:
            parts << Labelled("Код типа контроллера", QString::number(v));
            break;
        case HardwareVersion:
            parts << Labelled("Версия аппаратного обеспечения", QString::number(v));
            break;
        case SoftwareVersion:
            parts << Labelled("Версия программного обеспечения", SoftwareVersionText(v));
            break;
        case ByteOrder:
            parts << Labelled("Порядок расположения байтов", ByteOrderText(v));
            break;
        case MultiSpeed:
            parts << Labelled("Возможность работы на разных скоростях обмена",
                              v == 0 ? QStringLiteral("Нет") : QStringLiteral("Есть"));
            break;
        case FixedAddress:
            parts << Labelled("Возможность изменения адреса контроллера",
                              v == 0 ? QStringLiteral("Есть")
                                     : QStringLiteral("Нет. Адрес = %1").arg(v));
            break;
        default:
            parts << QStringLiteral("поле %1: %2").arg(field).arg(v);
            break;
        }
    }
    return parts.join(QLatin1String(kSeparator));
}

QString SpeedMaskText(quint32 mask)
{
    QStringList speeds;
    for (int code = 0; code < SpeedCodeCount; ++code)
        if (mask >> code & 1u)
            speeds << QString::number(CodeToSpeed(code));
    if (speeds.size() == SpeedCodeCount)
        return QStringLiteral("все");
    return speeds.isEmpty() ? QStringLiteral("нет") : speeds.join(QLatin1String(", "));
}

QString SpeedMasksText(int first, int count, QByteArrayView values)
{
    QStringList parts;
    for (int i = 0; i < count && (i + 1) * kSpeedMaskSize <= values.size(); ++i) {
        quint32 mask = 0;
        for (int b = 0; b < kSpeedMaskSize; ++b)
            mask |= quint32(quint8(values[i * kSpeedMaskSize + b])) << (8 * b);
        const int field = first + i;
        const QString label = field == 0 ? QStringLiteral("Скорости обмена с ВУ")
                              : field == 1 ? QStringLiteral("Скорости обмена с вычислителями")
                                           : QStringLiteral("поле %1").arg(field);
        parts << label + QStringLiteral(": ") + SpeedMaskText(mask);
    }
    return parts.join(QLatin1String(kSeparator));
}

// Table 3 with the editor's labels and value texts; its fields are the record's table-3 bytes.
QString LinkParametersText(const FieldWindow &w)
{
    QStringList parts;
    for (int field = w.first(); field < w.end(); ++field) {
        const int offset = LinkFieldOffset::UpperSpeed + field;
        if (field >= LinkParameterCountLong) {
            parts << QStringLiteral("поле %1: %2").arg(field).arg(w.at(field));
            continue;
        }
        parts << PlainLabel(LinkParameterFieldAt(offset)) + QStringLiteral(": ") +
                     LinkParameterValueText(offset, w.at(field));
    }
    return parts.join(QLatin1String(kSeparator));
}

// The string up to its first zero byte, between double quotes, CR and the like escaped.
QString ModemStringText(QByteArrayView values)
{
    const qsizetype end = values.indexOf('\0');
    const QByteArray text = (end < 0 ? values : values.first(end)).toByteArray();
    return QLatin1Char('"') + EscapedLineText(text) + QLatin1Char('"');
}

QString PortText(quint8 port)
{
    if (port >= 1 && port <= LinkByte::MaxPort)
        return QStringLiteral("порт ") + QChar(u'A' + (port - 1));
    return QStringLiteral("неизвестный порт %1").arg(port);
}

QString LinkSpeedText(quint8 code)
{
    const int speed = CodeToSpeed(code);
    return speed ? QString::number(speed) : QStringLiteral("неизвестный код скорости %1").arg(code);
}

// Calculator by calculator in address order; a block of more than a few unconnected ones (a
// whole read of the table) counts them instead of naming each.
QString LinksText(const FieldWindow &w)
{
    constexpr int kNamedUnconnected = 3;
    int unconnected = 0;
    for (int address = w.first(); address < w.end(); ++address)
        unconnected += LinkByte::Port(quint8(w.at(address))) == 0 ? 1 : 0;
    const bool nameUnconnected = unconnected <= kNamedUnconnected;
    QStringList parts;
    for (int address = w.first(); address < w.end(); ++address) {
        const quint8 link = quint8(w.at(address));
        const quint8 port = LinkByte::Port(link);
        if (port != 0)
            parts << QStringLiteral("адрес %1: %2, %3")
                         .arg(address)
                         .arg(PortText(port), LinkSpeedText(LinkByte::SpeedCode(link)));
        else if (nameUnconnected)
            parts << QStringLiteral("адрес %1: не подключен").arg(address);
    }
    if (!nameUnconnected)
        parts << QStringLiteral("не подключено адресов: %1").arg(unconnected);
    return parts.join(QLatin1String(kSeparator));
}

// Field n of table 7 tells whether table n is destroyed.
QString DestroyedFlagsText(const FieldWindow &w)
{
    QStringList destroyed;
    QStringList beyond;
    for (int field = w.first(); field < w.end(); ++field) {
        if (field >= TableStateTableCount)
            beyond << QStringLiteral("поле %1: %2").arg(field).arg(w.at(field));
        else if (w.at(field) != 0)
            destroyed << QString::number(field);
    }
    const QString text = destroyed.isEmpty() ? QStringLiteral("разрушенных таблиц нет")
                                             : QStringLiteral("разрушены таблицы ") +
                                                   destroyed.join(QLatin1String(", "));
    return beyond.isEmpty()
               ? text
               : text + QLatin1String(kSeparator) + beyond.join(QLatin1String(kSeparator));
}

QString HexText(QByteArrayView values)
{
    return QStringLiteral("значения ") +
           QString::fromLatin1(values.toByteArray().toHex(' ').toUpper());
}

} // namespace

int TableFieldSize(int table)
{
    switch (table) {
    case Table::SpeedMasks:
        return kSpeedMaskSize;
    case ConfigTable::ModemString:
        return ModemStringSize;
    default:
        return 1;
    }
}

bool TableLayoutKnown(int table)
{
    switch (table) {
    case Table::Identification:
    case Table::SpeedMasks:
    case ConfigTable::LinkParameters:
    case ConfigTable::ModemString:
    case ConfigTable::Links:
    case Table::DestroyedFlags:
        return true;
    default:
        return false;
    }
}

QString TableValuesText(int table, int first, int count, QByteArrayView values)
{
    if (values.isEmpty() || count <= 0)
        return {};
    const FieldWindow window(first, count, values);
    switch (table) {
    case Table::Identification:
        return IdentificationText(window);
    case Table::SpeedMasks:
        return SpeedMasksText(first, count, values);
    case ConfigTable::LinkParameters:
        return LinkParametersText(window);
    case ConfigTable::ModemString:
        return ModemStringText(values.first(std::min<qsizetype>(values.size(), ModemStringSize)));
    case ConfigTable::Links:
        return LinksText(window);
    case Table::DestroyedFlags:
        return DestroyedFlagsText(window);
    default:
        return HexText(values);
    }
}

QString QuotedCaption(int table)
{
    const QString caption = TableCaption(table);
    return caption.isEmpty() ? QString() : QLatin1Char('"') + caption + QLatin1Char('"');
}

QString TableBlockText(int table, int first, int count)
{
    QString text =
        count == 1
            ? QStringLiteral("таблица %1 (поле %2)").arg(table).arg(first)
            : QStringLiteral("таблица %1 (поля %2-%3)").arg(table).arg(first).arg(first + count);
    const QString caption = QuotedCaption(table);
    if (!caption.isEmpty())
        text += QLatin1Char(' ') + caption;
    return text;
}

} // namespace ktv31
