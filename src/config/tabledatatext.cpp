// Field values of the configuration tables as text: identification, speed masks, link
// parameters, modem string, calculator links and destroyed tables.
#include "config/tabledatatext.h"

#include "config/configimage.h"
#include "config/identtexts.h"
#include "config/recordfields.h"
#include "config/tablecaptions.h"
#include "protocol/controllercodes.h"
#include "shell/configtables.h"
#include "shell/cp1251.h"
#include "shell/hexbytes.h"

#include <QStringList>

#include <algorithm>

namespace ktv31 {
namespace {

constexpr int kSpeedMaskSize = 4;
constexpr int kBuildDateFields = 6; // year, month, day, hour, minute, second
constexpr int kProtocolVersionFields = 3;

const char *const kSeparator = "; ";

// Appends without a temporary per number: a block of a table can hold hundreds of values.
void AppendNumber(QString &out, int value)
{
    char digits[12];
    int n = 0;
    unsigned v = value < 0 ? unsigned(-qint64(value)) : unsigned(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v);
    if (value < 0)
        out += QLatin1Char('-');
    while (n > 0)
        out += QLatin1Char(digits[--n]);
}

// The parts of one text, joined by a separator as they are added.
class Parts
{
public:
    explicit Parts(const char *separator = kSeparator) : separator_(separator) {}
    // The text, after the separator where something came before.
    QString &next()
    {
        if (!text_.isEmpty())
            text_ += QLatin1String(separator_);
        return text_;
    }
    void add(const QString &part) { next() += part; }
    void add(const QString &label, const QString &value)
    {
        QString &out = next();
        out += label;
        out += QLatin1String(": ");
        out += value;
    }
    void addNumbered(const QString &label, int number, int value)
    {
        QString &out = next();
        out += label;
        AppendNumber(out, number);
        out += QLatin1String(": ");
        AppendNumber(out, value);
    }
    QString take() { return std::move(text_); }

private:
    const char *separator_;
    QString text_;
};

// The identification block is table 0, field for field: its offsets are the field numbers.
namespace IdentField {
using namespace ImageOffset;
constexpr int BuildMonth = BuildYear + 1;
constexpr int BuildDay = BuildYear + 2;
constexpr int BuildHour = BuildYear + 3;
constexpr int BuildMinute = BuildYear + 4;
constexpr int BuildSecond = BuildYear + 5;
} // namespace IdentField

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

// Table 0 with the labels of the identification view; the build date and the protocol version
// as one value where the block holds all their fields, field by field where it does not.
QString IdentificationText(const FieldWindow &w)
{
    using namespace IdentField;
    Parts parts;
    for (int field = w.first(); field < w.end(); ++field) {
        const int v = w.at(field);
        if (field == BuildYear && w.hasAll(BuildYear, kBuildDateFields)) {
            parts.add(IdentText::Label(IdentBuildDate),
                      IdentText::BuildDate(w.at(BuildDay), w.at(BuildMonth), w.at(BuildYear),
                                           w.at(BuildHour), w.at(BuildMinute), w.at(BuildSecond)));
            field += kBuildDateFields - 1;
            continue;
        }
        if (field == ProtocolVersion && w.hasAll(ProtocolVersion, kProtocolVersionFields)) {
            parts.add(IdentText::LabelParts()[IdentProtocol].first(),
                      IdentText::Protocol(v, w.at(field + 1), w.at(field + 2)));
            field += kProtocolVersionFields - 1;
            continue;
        }
        switch (field) {
        case DestroyedTable:
            parts.add(IdentText::Label(IdentDestroyed), IdentText::Destroyed(v));
            break;
        case TypeCode:
            parts.add(IdentText::Label(IdentType), QString::number(v));
            break;
        case HardwareVersion:
            parts.add(IdentText::Label(IdentHardware), QString::number(v));
            break;
        case SoftwareVersion:
            parts.add(IdentText::Label(IdentSoftware), IdentText::Software(v));
            break;
        case ByteOrder: {
            const QString order = IdentText::ByteOrder(v);
            parts.add(IdentText::Label(IdentByteOrder),
                      order.isEmpty() ? QStringLiteral("? (%1)").arg(v) : order);
            break;
        }
        case MultiSpeed:
            parts.add(IdentText::Label(IdentSpeeds), IdentText::Speeds(v));
            break;
        case FixedAddress:
            parts.add(IdentText::Label(IdentAddress), IdentText::Address(v));
            break;
        default:
            parts.addNumbered(QStringLiteral("поле "), field, v);
            break;
        }
    }
    return parts.take();
}

void AppendSpeeds(QString &out, quint32 mask)
{
    constexpr quint32 kAllSpeeds = (1u << SpeedCodeCount) - 1;
    if ((mask & kAllSpeeds) == kAllSpeeds) {
        out += QStringLiteral("все");
        return;
    }
    if ((mask & kAllSpeeds) == 0) {
        out += QStringLiteral("нет");
        return;
    }
    bool firstSpeed = true;
    for (int code = 0; code < SpeedCodeCount; ++code) {
        if (!(mask >> code & 1u))
            continue;
        if (!firstSpeed)
            out += QLatin1String(", ");
        firstSpeed = false;
        AppendNumber(out, CodeToSpeed(code));
    }
}

QString SpeedMasksText(int first, int count, QByteArrayView values)
{
    Parts parts;
    for (int i = 0; i < count && (i + 1) * kSpeedMaskSize <= values.size(); ++i) {
        quint32 mask = 0;
        for (int b = 0; b < kSpeedMaskSize; ++b)
            mask |= quint32(quint8(values[i * kSpeedMaskSize + b])) << (8 * b);
        const int field = first + i;
        QString &out = parts.next();
        if (field == 0) {
            out += QStringLiteral("Скорости обмена с ВУ");
        } else if (field == 1) {
            out += QStringLiteral("Скорости обмена с вычислителями");
        } else {
            out += QStringLiteral("поле ");
            AppendNumber(out, field);
        }
        out += QLatin1String(": ");
        AppendSpeeds(out, mask);
    }
    return parts.take();
}

// Table 3 with the editor's labels and value texts; its fields are the record's table-3 bytes.
QString LinkParametersText(const FieldWindow &w)
{
    Parts parts;
    for (int field = w.first(); field < w.end(); ++field) {
        const RecordField *described = FieldAt(RecordOffset::LinkParameters + field);
        if (field >= LinkParameterCountLong || !described) {
            parts.addNumbered(QStringLiteral("поле "), field, w.at(field));
            continue;
        }
        parts.add(described->label(), ByteValueText(*described, w.at(field)));
    }
    return parts.take();
}

// The string up to its first zero byte, between double quotes, CR and the like escaped.
QString ModemStringText(QByteArrayView values)
{
    const qsizetype end = values.indexOf('\0');
    const QByteArray text = (end < 0 ? values : values.first(end)).toByteArray();
    return QLatin1Char('"') + EscapedLineText(text) + QLatin1Char('"');
}

void AppendLink(QString &out, int address, quint8 link)
{
    const quint8 port = LinkByte::Port(link);
    const quint8 code = LinkByte::SpeedCode(link);
    out += QStringLiteral("адрес ");
    AppendNumber(out, address);
    if (port == 0) {
        out += QStringLiteral(": не подключен");
        return;
    }
    if (port <= LinkByte::MaxPort) {
        out += QStringLiteral(": порт ");
        out += PortLetter(port);
    } else {
        out += QStringLiteral(": неизвестный порт ");
        AppendNumber(out, port);
    }
    out += QLatin1String(", ");
    if (const int speed = CodeToSpeed(code)) {
        AppendNumber(out, speed);
    } else {
        out += QStringLiteral("неизвестный код скорости ");
        AppendNumber(out, code);
    }
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
    Parts parts;
    for (int address = w.first(); address < w.end(); ++address) {
        const quint8 link = quint8(w.at(address));
        if (LinkByte::Port(link) != 0 || nameUnconnected)
            AppendLink(parts.next(), address, link);
    }
    if (!nameUnconnected) {
        QString &out = parts.next();
        out += QStringLiteral("не подключено адресов: ");
        AppendNumber(out, unconnected);
    }
    return parts.take();
}

// Field n of table 7 tells whether table n is destroyed.
QString DestroyedFlagsText(const FieldWindow &w)
{
    Parts destroyed(", ");
    Parts beyond;
    for (int field = w.first(); field < w.end(); ++field) {
        if (field >= ConfigTableCount)
            beyond.addNumbered(QStringLiteral("поле "), field, w.at(field));
        else if (w.at(field) != 0)
            AppendNumber(destroyed.next(), field);
    }
    QString text = destroyed.take();
    text = text.isEmpty() ? QStringLiteral("разрушенных таблиц нет")
                          : QStringLiteral("разрушены таблицы ") + text;
    const QString rest = beyond.take();
    return rest.isEmpty() ? text : text + QLatin1String(kSeparator) + rest;
}

QString ValuesText(QByteArrayView values)
{
    return QStringLiteral("значения ") + HexText(values);
}

} // namespace

int TableFieldSize(int table)
{
    switch (table) {
    case ConfigTable::SpeedAvailability:
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
    case ConfigTable::Identification:
    case ConfigTable::SpeedAvailability:
    case ConfigTable::LinkParameters:
    case ConfigTable::ModemString:
    case ConfigTable::Links:
    case ConfigTable::TableState:
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
    case ConfigTable::Identification:
        return IdentificationText(window);
    case ConfigTable::SpeedAvailability:
        return SpeedMasksText(first, count, values);
    case ConfigTable::LinkParameters:
        return LinkParametersText(window);
    case ConfigTable::ModemString:
        return ModemStringText(values.first(std::min<qsizetype>(values.size(), ModemStringSize)));
    case ConfigTable::Links:
        return LinksText(window);
    case ConfigTable::TableState:
        return DestroyedFlagsText(window);
    default:
        return ValuesText(values);
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
