// The configuration record's fields, their values as text, and the rules of what they may hold.
#include "config/recordfields.h"

#include "config/configtexts.h"
#include "config/identtexts.h"
#include "protocol/controllercodes.h"
#include "shell/cp1251.h"

#include <QHash>
#include <QRegularExpression>

namespace ktv31 {
namespace {

constexpr quint8 kDelete = 0x7F;
constexpr quint8 kUndefinedCp1251 = 0x98;
constexpr int kBuildFields = 6;
constexpr int kProtocolFields = 3;
constexpr quint8 kLongTableVersion = 5;

QStringList Label(const char *text)
{
    return {QString::fromUtf8(text)};
}

QList<FieldItem> Items(std::initializer_list<std::pair<const char *, const char *>> keysAndTexts)
{
    QList<FieldItem> items;
    for (const auto &[key, text] : keysAndTexts)
        items.append({int(items.size()), QString::fromLatin1(key), QString::fromUtf8(text)});
    return items;
}

QList<FieldItem> SpeedItems()
{
    QList<FieldItem> items;
    for (int code = 0; code < SpeedCodeCount; ++code) {
        const QString speed = QString::number(CodeToSpeed(code));
        items.append({code, speed, speed});
    }
    return items;
}

RecordField Identification(const char *name, int tableField, QStringList label, int size = 1)
{
    RecordField f;
    f.name = QString::fromLatin1(name);
    f.section = EditorText::IdentificationCaption();
    f.labelParts = std::move(label);
    f.table = ConfigTable::Identification;
    f.tableField = tableField;
    f.recordOffset = RecordOffset::Identification + tableField;
    f.imageOffset = tableField;
    f.size = size;
    return f;
}

void AddIdentification(QList<RecordField> &fields)
{
    const auto &labels = IdentText::LabelParts();
    RecordField marker = Identification("ident.marker", 0, Label("Признак блока идентификации"));
    marker.table = -1;
    marker.recordOffset = RecordOffset::Marker;
    marker.imageOffset = -1;
    marker.high = 1;
    fields << marker;
    fields << Identification("ident.destroyed_table", ImageOffset::DestroyedTable,
                             labels[IdentDestroyed]);
    fields << Identification("ident.type", ImageOffset::TypeCode, labels[IdentType]);
    fields << Identification("ident.hardware_version", ImageOffset::HardwareVersion,
                             labels[IdentHardware]);
    fields << Identification("ident.software_version", ImageOffset::SoftwareVersion,
                             labels[IdentSoftware]);
    fields << Identification("ident.build", ImageOffset::BuildYear, labels[IdentBuildDate],
                             kBuildFields);
    fields << Identification("ident.byte_order", ImageOffset::ByteOrder, labels[IdentByteOrder]);
    fields << Identification("ident.multi_speed", ImageOffset::MultiSpeed, labels[IdentSpeeds]);
    fields << Identification("ident.field12", ImageOffset::FixedAddress - 1,
                             Label("Поле 12 таблицы 0"));
    fields << Identification("ident.fixed_address", ImageOffset::FixedAddress,
                             labels[IdentAddress]);
    fields << Identification("ident.protocol_version", ImageOffset::ProtocolVersion,
                             labels[IdentProtocol], kProtocolFields);
}

RecordField LinkParameter(const char *name, const char *legacyKey, int offset, QStringList label,
                          FieldKind kind, QList<FieldItem> items = {})
{
    RecordField f;
    f.legacyKey = QString::fromLatin1(legacyKey);
    f.name = QString::fromLatin1(name);
    f.section = EditorText::LinkGroupCaption().trimmed();
    f.labelParts = std::move(label);
    f.table = ConfigTable::LinkParameters;
    f.tableField = offset - RecordOffset::LinkParameters;
    f.recordOffset = offset;
    f.imageOffset = ImageOffset::LinkParameters + f.tableField;
    f.kind = kind;
    f.items = std::move(items);
    f.high = f.items.isEmpty() ? 255 : f.items.back().value;
    f.settable = true;
    return f;
}

// In the order the configuration editor shows them.
void AddLinkParameters(QList<RecordField> &fields)
{
    using namespace LinkFieldOffset;
    const auto parts = [](const char *a, const char *b) {
        return QStringList{QString::fromUtf8(a), QString::fromUtf8(b)};
    };
    fields << LinkParameter("link.speed", "upperSpeed", UpperSpeed, Label("Скорость обмена с ВУ"),
                            FieldKind::Code, SpeedItems());
    fields << LinkParameter("link.reply_preambles", "answerPreambles", AnswerPreambles,
                            parts("Количество преамбул", "при ответе ВУ (0...255)"),
                            FieldKind::Number);
    fields << LinkParameter("link.request_preambles", "requestPreambles", RequestPreambles,
                            parts("Количество преамбул", "в запросе к вычислителю (0...255)"),
                            FieldKind::Number);
    fields << LinkParameter("link.answer_wait", "calculatorAnswerWait", AnswerWait,
                            parts("Длительность ожидания ответа", "от вычислителя (0...255)"),
                            FieldKind::Number);
    fields << LinkParameter("link.calculator_preambles", "calculatorPreambles", CalculatorPreambles,
                            Label("Преамбулы от вычислителя"), FieldKind::Code,
                            Items({{"no_wait", " Не ожидать"}, {"wait", " Ожидать"}}));
    fields << LinkParameter("link.priority", "priority", Priority, Label("Приоритет"),
                            FieldKind::Code, Items({{"high", " Высокий"}, {"low", " Низкий"}}));
    fields << LinkParameter("link.retry_delay", "retryDelay", RetryDelay,
                            parts("Задержка перед повторной", "попыткой занять порт"),
                            FieldKind::Code, Items({{"short", " Меньшая"}, {"long", " Большая"}}));
    RecordField rts = LinkParameter(
        "link.rts", "rtsControl", RtsControl,
        parts("Необходимость управления", "сигналом RTS в канале связи с ВУ"), FieldKind::Code,
        Items({{"not_required", " Не требуется"}, {"required", " Требуется"}}));
    rts.condition = FieldCondition::LongLinkTable;
    fields << rts;
}

void AddModemString(QList<RecordField> &fields)
{
    RecordField f;
    f.name = QStringLiteral("modem.init");
    f.section = EditorText::ModemGroupCaption().trimmed();
    f.labelParts = QStringList{f.section};
    f.table = ConfigTable::ModemString;
    f.recordOffset = RecordOffset::ModemString;
    f.imageOffset = ImageOffset::ModemString;
    f.size = ModemStringSize;
    f.kind = FieldKind::Text;
    f.maxLength = MaxEditorModemStringLength;
    f.settable = true;
    fields << f;
}

RecordField Calculator(int address, const char *what, int place, QStringList label)
{
    RecordField f;
    f.name = QStringLiteral("calc.%1.%2").arg(address).arg(QLatin1String(what));
    f.section = EditorText::CalculatorGroupCaption().trimmed();
    f.labelParts = std::move(label);
    f.table = ConfigTable::Links;
    f.tableField = address;
    f.recordOffset = LinkEntry::OffsetOf(address) + place;
    f.imageOffset = ImageOffset::Links + address; // port and speed share the link byte
    f.address = address;
    f.settable = address >= FirstShownCalculator;
    return f;
}

void AddCalculators(QList<RecordField> &fields)
{
    for (int address = 0; address < CalculatorCount; ++address) {
        RecordField connected =
            Calculator(address, "connected", LinkEntry::Connected, Label("Подключение"));
        connected.kind = FieldKind::Code;
        connected.items = {{0, QStringLiteral("0"), QStringLiteral("Нет")},
                           {1, QStringLiteral("1"), QStringLiteral("Да")}};
        connected.high = 1;
        RecordField port = Calculator(address, "port", LinkEntry::Port, Label("Порт подключения"));
        port.kind = FieldKind::Code;
        port.items = {{1, QStringLiteral("A"), QStringLiteral("A")},
                      {2, QStringLiteral("B"), QStringLiteral("B")},
                      {3, QStringLiteral("C"), QStringLiteral("C")}};
        port.high = LinkByte::MaxPort;
        port.condition = FieldCondition::CalculatorConnected;
        RecordField speed =
            Calculator(address, "speed", LinkEntry::SpeedCode, Label("Скорость обмена"));
        speed.kind = FieldKind::Code;
        speed.items = SpeedItems();
        speed.high = SpeedCodeCount - 1;
        speed.condition = FieldCondition::CalculatorConnected;
        speed.looseHigh = LinkByte::SpeedCodeMask;
        fields << connected << port << speed;
    }
}

QString Hex(quint8 byte)
{
    return QStringLiteral("0x%1").arg(byte, 2, 16, QLatin1Char('0'));
}

bool Printable(quint8 byte)
{
    return byte >= 0x20 && byte != kDelete && byte != kUndefinedCp1251;
}

// The stored text up to its first zero.
QString RawText(const ConfigRecord &record, const RecordField &field)
{
    return fieldText(record.data() + field.recordOffset, field.size);
}

QString IdentificationValue(const ConfigRecord &record, const RecordField &field)
{
    const int at = field.recordOffset;
    if (field.size == kBuildFields)
        return QStringLiteral("%1-%2-%3 %4:%5:%6")
            .arg(2000 + record.u8(at))
            .arg(record.u8(at + 1), 2, 10, QLatin1Char('0'))
            .arg(record.u8(at + 2), 2, 10, QLatin1Char('0'))
            .arg(record.u8(at + 3), 2, 10, QLatin1Char('0'))
            .arg(record.u8(at + 4), 2, 10, QLatin1Char('0'))
            .arg(record.u8(at + 5), 2, 10, QLatin1Char('0'));
    if (field.size == kProtocolFields)
        return IdentText::Protocol(record.u8(at), record.u8(at + 1), record.u8(at + 2));
    return QString::number(record.u8(at));
}

// As the identification view of the record shows the line.
QString IdentificationText(const ConfigRecord &record, const RecordField &field)
{
    const int v = record.u8(field.recordOffset);
    const int at = field.recordOffset;
    switch (field.tableField) {
    case ImageOffset::SoftwareVersion:
        return record.u8(RecordOffset::Marker) != 0 ? IdentText::Software(v)
                                                    : IdentText::ReducedSoftware(v);
    case ImageOffset::BuildYear:
        return field.table < 0
                   ? QString::number(v)
                   : IdentText::BuildDate(record.u8(at + 2), record.u8(at + 1), v,
                                          record.u8(at + 3), record.u8(at + 4), record.u8(at + 5));
    case ImageOffset::ByteOrder:
        return IdentText::ByteOrder(v);
    case ImageOffset::DestroyedTable:
        return field.table < 0 ? QString::number(v) : IdentText::Destroyed(v);
    case ImageOffset::MultiSpeed:
        return IdentText::Speeds(v);
    case ImageOffset::FixedAddress:
        return IdentText::Address(v);
    default:
        return IdentificationValue(record, field);
    }
}

QString UnknownCode(int value)
{
    return QStringLiteral("?%1").arg(value);
}

std::optional<int> CodeOf(const RecordField &field, const QString &value)
{
    for (const FieldItem &item : field.items)
        if (value.compare(item.key, Qt::CaseInsensitive) == 0 ||
            value.compare(item.text.trimmed(), Qt::CaseInsensitive) == 0)
            return item.value;
    return std::nullopt;
}

QString Refusal(const RecordField &field, const QString &value, const QString &why)
{
    return QStringLiteral("%1=%2: %3").arg(field.name, value, why);
}

std::optional<QString> StoreText(ConfigRecord &record, const RecordField &field,
                                 const QString &value)
{
    if (value.size() > field.maxLength)
        return Refusal(field, value, QStringLiteral("длиннее %1 символов").arg(field.maxLength));
    const QByteArray bytes = toCp1251(value);
    if (fromCp1251(bytes) != value)
        return Refusal(field, value, QStringLiteral("символ вне кодировки Windows-1251"));
    for (int i = 0; i < bytes.size(); ++i)
        if (!Printable(quint8(bytes[i])))
            return Refusal(field, EscapedControls(value),
                           QStringLiteral("управляющий символ %1 на месте %2, допустим только "
                                          "печатаемый текст")
                               .arg(Hex(quint8(bytes[i])))
                               .arg(i + 1));
    record.fill(field.recordOffset, field.size, 0);
    if (!bytes.isEmpty()) {
        record.setSlice(field.recordOffset, int(bytes.size()), bytes);
        record.setU8(field.recordOffset + int(bytes.size()), ModemStringEnd);
    }
    return std::nullopt;
}

// "calc.300.speed": an address the record has no entry for.
QString UnknownNameText(const QString &name)
{
    static const QRegularExpression calculator(QStringLiteral("^calc\\.(\\d+)\\.[a-z]+$"));
    const QRegularExpressionMatch match = calculator.match(name);
    if (match.hasMatch())
        return QStringLiteral("%1: адрес %2 вне допустимого диапазона %3...%4")
            .arg(name, match.captured(1))
            .arg(FirstShownCalculator)
            .arg(CalculatorCount - 1);
    return QStringLiteral("%1: нет такого поля (их список: ktv31-cli fields)").arg(name);
}

} // namespace

QString EscapedControls(const QString &text)
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

QString RecordField::label() const
{
    static const QRegularExpression range(QStringLiteral(" \\(\\d+\\.\\.\\.\\d+\\)$"));
    return labelParts.join(QLatin1Char(' ')).remove(range);
}

const FieldItem *RecordField::item(int value) const
{
    for (const FieldItem &candidate : items)
        if (candidate.value == value)
            return &candidate;
    return nullptr;
}

const QList<RecordField> &RecordFields()
{
    static const QList<RecordField> fields = [] {
        QList<RecordField> list;
        AddIdentification(list);
        AddLinkParameters(list);
        AddModemString(list);
        AddCalculators(list);
        return list;
    }();
    return fields;
}

const RecordField *FindField(const QString &name)
{
    static const QHash<QString, const RecordField *> byName = [] {
        QHash<QString, const RecordField *> map;
        for (const RecordField &field : RecordFields())
            map.insert(field.name, &field);
        return map;
    }();
    return byName.value(name, nullptr);
}

QList<const RecordField *> TableFields(int table)
{
    QList<const RecordField *> fields;
    for (const RecordField &field : RecordFields())
        if (field.table == table)
            fields.append(&field);
    return fields;
}

const RecordField *FieldAt(int recordOffset)
{
    for (const RecordField &field : RecordFields())
        if (field.recordOffset == recordOffset)
            return &field;
    return nullptr;
}

const QList<RecordSpan> &UnnamedSpans()
{
    static const QList<RecordSpan> spans{
        {QStringLiteral("reserved.18"), 18, 20},
        {QStringLiteral("reserved.46"), 46, 17},
        {QStringLiteral("reserved.828"), 828, 255},
        {QStringLiteral("reserved.1147"), 1147, 100},
    };
    return spans;
}

bool FieldPresent(const ConfigRecord &record, const RecordField &field)
{
    return field.condition != FieldCondition::LongLinkTable ||
           HasRtsField(record.u8(RecordOffset::SoftwareVersion));
}

bool FieldConditionHolds(const ConfigRecord &record, const RecordField &field)
{
    switch (field.condition) {
    case FieldCondition::LongLinkTable:
        return FieldPresent(record, field);
    case FieldCondition::CalculatorConnected:
        return record.u8(LinkEntry::OffsetOf(field.address) + LinkEntry::Connected) != 0;
    default:
        return true;
    }
}

int StoredValue(const ConfigRecord &record, const RecordField &field)
{
    return record.u8(field.recordOffset);
}

void StoreValue(ConfigRecord &record, const RecordField &field, int value)
{
    record.setU8(field.recordOffset, quint8(value));
}

QString FieldValue(const ConfigRecord &record, const RecordField &field)
{
    if (field.table == ConfigTable::Identification || field.table < 0)
        return IdentificationValue(record, field);
    if (field.kind == FieldKind::Text) {
        QString text = RawText(record, field);
        const qsizetype end = text.indexOf(QChar(ModemStringEnd));
        return EscapedControls(end < 0 ? text : text.left(end));
    }
    const int value = StoredValue(record, field);
    if (field.kind == FieldKind::Number)
        return QString::number(value);
    if (const FieldItem *item = field.item(value))
        return item->key;
    return value == 0 && field.address >= 0 ? QString() : UnknownCode(value);
}

QString FieldValueText(const ConfigRecord &record, const RecordField &field)
{
    if (field.table == ConfigTable::Identification || field.table < 0)
        return IdentificationText(record, field);
    if (field.kind == FieldKind::Text)
        return QLatin1Char('"') + EscapedControls(RawText(record, field)) + QLatin1Char('"');
    return ByteValueText(field, StoredValue(record, field));
}

QString ByteValueText(const RecordField &field, int value)
{
    if (field.recordOffset == LinkFieldOffset::AnswerWait)
        return QStringLiteral("%1 * 20 мс + 1000 мс = %2 мс").arg(value).arg(value * 20 + 1000);
    if (field.kind == FieldKind::Number)
        return QString::number(value);
    if (field.items.size() == SpeedCodeCount)
        return CodeToSpeed(value) ? QStringLiteral("%1 бит/с").arg(CodeToSpeed(value))
                                  : QStringLiteral("? (код %1)").arg(value);
    if (const FieldItem *item = field.item(value))
        return item->text.trimmed();
    // A calculator's link without a port, as the record keeps it for a disconnected one.
    if (field.address >= 0 && value == 0)
        return QStringLiteral("нет");
    return QStringLiteral("? (%1)").arg(value);
}

QString PortLetter(int port)
{
    static const RecordField &ports = *FindField(QStringLiteral("calc.1.port"));
    const FieldItem *item = ports.item(port);
    return item ? item->key : QString();
}

QString AllowedText(const RecordField &field)
{
    switch (field.kind) {
    case FieldKind::Number:
        return field.high == 1 ? QStringLiteral("0 или 1")
                               : QStringLiteral("%1...%2").arg(field.low).arg(field.high);
    case FieldKind::Text:
        return QStringLiteral("печатаемый текст до %1 символов").arg(field.maxLength);
    case FieldKind::Code:
        break;
    }
    QStringList keys;
    for (const FieldItem &item : field.items)
        keys << item.key;
    return keys.join(QStringLiteral(" | "));
}

std::optional<QString> StoredValueFault(const ConfigRecord &record, const RecordField &field)
{
    if (field.kind == FieldKind::Text) {
        for (int i = 0; i < field.size; ++i) {
            const quint8 byte = record.u8(field.recordOffset + i);
            if (byte == ModemStringEnd || byte == 0)
                return std::nullopt;
            if (!Printable(byte))
                return QStringLiteral("непечатаемый символ %1 на месте %2")
                    .arg(Hex(byte))
                    .arg(i + 1);
        }
        return QStringLiteral("строка не завершена символом CR в %1 байтах").arg(field.size);
    }
    const int value = StoredValue(record, field);
    const bool strict = FieldConditionHolds(record, field);
    const int high = strict ? field.high : field.looseHigh;
    if (value <= high)
        return std::nullopt;
    const QString allowed = field.address >= 0 && high == 1 ? QStringLiteral("0 или 1")
                                                            : QStringLiteral("0...%1").arg(high);
    if (field.address < 0)
        return QStringLiteral("%1 = %2, допустимо %3").arg(field.label()).arg(value).arg(allowed);
    static const QHash<int, QString> words{
        {LinkEntry::Connected, QStringLiteral("признак подключения")},
        {LinkEntry::Port, QStringLiteral("порт")},
        {LinkEntry::SpeedCode, QStringLiteral("код скорости")},
    };
    const int place = field.recordOffset - LinkEntry::OffsetOf(field.address);
    return QStringLiteral("адрес %1: %2 %3, допустимо %4")
        .arg(field.address)
        .arg(words.value(place))
        .arg(value)
        .arg(allowed);
}

std::optional<QString> SetFieldValue(ConfigRecord &record, const RecordField &field,
                                     const QString &value)
{
    if (!field.settable)
        return field.address >= 0 ? UnknownNameText(field.name)
                                  : Refusal(field, value, QStringLiteral("поле только для чтения"));
    if (!FieldPresent(record, field))
        return Refusal(field, value,
                       QStringLiteral("этого поля нет в таблице 3 для версии ПО %1")
                           .arg(record.u8(RecordOffset::SoftwareVersion)));
    switch (field.kind) {
    case FieldKind::Text:
        return StoreText(record, field, value);
    case FieldKind::Number: {
        bool ok = false;
        const int number = value.toInt(&ok);
        if (!ok || number < field.low || number > field.high)
            return Refusal(field, value, QStringLiteral("допустимо %1").arg(AllowedText(field)));
        StoreValue(record, field, number);
        return std::nullopt;
    }
    case FieldKind::Code:
        break;
    }
    const std::optional<int> code = CodeOf(field, value);
    if (!code) {
        const QString why = field.items.size() == SpeedCodeCount
                                ? QStringLiteral("нет в таблице скоростей; допустимо %1")
                                : QStringLiteral("допустимо %1");
        return Refusal(field, value, why.arg(AllowedText(field)));
    }
    StoreValue(record, field, *code);
    return std::nullopt;
}

QList<FieldChange> ChangedFields(const ConfigRecord &before, const ConfigRecord &after)
{
    QList<FieldChange> changes;
    for (const RecordField &field : RecordFields()) {
        if (before.slice(field.recordOffset, field.size) ==
            after.slice(field.recordOffset, field.size))
            continue;
        changes.append({field.name, FieldValue(before, field), FieldValue(after, field)});
    }
    return changes;
}

std::optional<QList<FieldAssignment>> ParseAssignments(const QStringList &arguments, QString *error)
{
    QList<FieldAssignment> assignments;
    for (const QString &argument : arguments) {
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = argument.left(equals);
        const RecordField *field = equals > 0 ? FindField(name) : nullptr;
        QString why;
        if (equals <= 0) {
            why = QStringLiteral("%1: ожидается ИМЯ=ЗНАЧЕНИЕ").arg(argument);
        } else if (!field) {
            why = UnknownNameText(name);
        } else {
            // The value alone, before any record is at hand: on a record whose table 3 is
            // long, so that only what no record could take is refused here.
            ConfigRecord scratch;
            scratch.setU8(RecordOffset::SoftwareVersion, kLongTableVersion);
            why = SetFieldValue(scratch, *field, argument.mid(equals + 1)).value_or(QString());
        }
        if (!why.isEmpty()) {
            if (error)
                *error = why;
            return std::nullopt;
        }
        assignments.append({name, argument.mid(equals + 1)});
    }
    return assignments;
}

std::optional<QString> ApplyAssignments(ConfigRecord &record, const QList<FieldAssignment> &changes)
{
    ConfigRecord changed = record;
    QList<int> touched; // calculators whose link was given
    for (const FieldAssignment &change : changes) {
        const RecordField *field = FindField(change.name);
        if (!field)
            return UnknownNameText(change.name);
        if (const auto refusal = SetFieldValue(changed, *field, change.value))
            return refusal;
        if (field->address >= 0 && !touched.contains(field->address))
            touched.append(field->address);
    }
    // As the link editor asks: a calculator that is polled needs its port and speed.
    for (const int address : touched) {
        const int at = LinkEntry::OffsetOf(address);
        if (changed.u8(at + LinkEntry::Connected) == 0)
            continue;
        const RecordField &port = *FindField(QStringLiteral("calc.%1.port").arg(address));
        const RecordField &speed = *FindField(QStringLiteral("calc.%1.speed").arg(address));
        for (const RecordField *part : {&port, &speed})
            if (!part->item(StoredValue(changed, *part)))
                return QStringLiteral("calc.%1.connected=1: не задано %2 (допустимо %3)")
                    .arg(address)
                    .arg(part->name, AllowedText(*part));
    }
    record = changed;
    return std::nullopt;
}

} // namespace ktv31
