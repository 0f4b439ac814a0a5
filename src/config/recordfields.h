// The configuration record described field by field: name, place, kind, allowed values, label.
#pragma once

#include "config/configimage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ktv31 {

enum class FieldKind
{
    Code,   // one of a list of values, each with a word for scripts and a text for people
    Number, // a number within a range
    Text,   // a printable text of limited length, stored with its closing CR
};

struct FieldItem
{
    int value;    // the stored byte
    QString key;  // what scripts give and read: "low", "A", "9600"
    QString text; // what the windows show, leading blanks included: " Низкий"
};

// When a field's own rule applies; where it does not, the byte is kept as it is.
enum class FieldCondition
{
    Always,
    LongLinkTable,       // table 3 has its eighth field only for software versions other than 3, 4
    CalculatorConnected, // port and speed matter only for a calculator that is connected
};

struct RecordField
{
    QString name;           // stable ASCII name: "link.speed", "calc.12.port"
    QString section;        // the caption of the part of the configuration it belongs to
    QStringList labelParts; // the label's lines as the windows show them
    int table = -1;         // controller table; -1 for what no controller holds (the marker)
    int tableField = 0;     // field number in that table (table 6: the calculator's address)
    int recordOffset = 0;
    int size = 1;
    int imageOffset = -1; // -1: not in the image as such
    FieldKind kind = FieldKind::Number;
    int low = 0; // Number
    int high = 255;
    QList<FieldItem> items; // Code
    int maxLength = 0;      // Text
    FieldCondition condition = FieldCondition::Always;
    // What the byte may hold where the condition does not apply (a disconnected calculator's
    // speed must still fit the five bits the controller keeps it in).
    int looseHigh = 255;
    bool settable = false; // may be changed by name and goes to the controller
    int address = -1;      // a calculator's address, -1 for other fields
    QString legacyKey;     // table 3: the key the tool's --json has always used

    // The label on one line without the range it carries: "Количество преамбул при ответе ВУ".
    QString label() const;
    const FieldItem *item(int value) const;
};

// Every named field in the order of the record: identification, link parameters, modem
// string, calculators 1..254.
const QList<RecordField> &RecordFields();
const RecordField *FindField(const QString &name);
// The field that stands at `recordOffset` (its first byte), or none.
const RecordField *FieldAt(int recordOffset);

// Bytes of the record that no named field stands for: the reserved spans and address 0, which
// is never shown or edited. Together with the fields they cover the record exactly.
struct RecordSpan
{
    QString name;
    int offset;
    int size;
};
const QList<RecordSpan> &UnnamedSpans();

// Whether the field exists in this record (the RTS field only for long link tables).
bool FieldPresent(const ConfigRecord &record, const RecordField &field);
// Whether its own rule applies to the value it holds now.
bool FieldConditionHolds(const ConfigRecord &record, const RecordField &field);
// The first byte of a one-byte field.
int StoredValue(const ConfigRecord &record, const RecordField &field);
void StoreValue(ConfigRecord &record, const RecordField &field, int value);

// The fields of one controller table, in the description's order.
QList<const RecordField *> TableFields(int table);

// The value as scripts read and give it: bit/s, port letters, list words, the modem string
// without its CR (control characters as \xHH).
QString FieldValue(const ConfigRecord &record, const RecordField &field);
// The value as the windows mean it: "9600 бит/с", "Низкий", "5 * 20 мс + 1000 мс = 1100 мс".
QString FieldValueText(const ConfigRecord &record, const RecordField &field);
// The same for one stored byte of a field other than the identification and the text.
QString ByteValueText(const RecordField &field, int value);
// The letter of calculator port 1..3 ("A", "B", "C"), empty for any other value.
QString PortLetter(int port);
// "0...255", "high | low", "300 | 600 | ...", "текст до 62 символов".
QString AllowedText(const RecordField &field);

// Why the value the record holds must not go to a controller, as a write check says it
// ("адрес 12: порт 7, допустимо 0...3"), or nothing when it may.
std::optional<QString> StoredValueFault(const ConfigRecord &record, const RecordField &field);

// `value` stored as the field's bytes, or why it is refused (naming the field, the value and
// what is allowed); the record is untouched on a refusal.
std::optional<QString> SetFieldValue(ConfigRecord &record, const RecordField &field,
                                     const QString &value);

struct FieldChange
{
    QString name;
    QString before;
    QString after;
};
// Every named field whose value differs, in the description's order.
QList<FieldChange> ChangedFields(const ConfigRecord &before, const ConfigRecord &after);

struct FieldAssignment
{
    QString name;
    QString value;
};
// "NAME=VALUE" arguments; on a malformed one, nothing, and `error` says which and why.
std::optional<QList<FieldAssignment>> ParseAssignments(const QStringList &arguments,
                                                       QString *error);
// Applied in order, whole or not at all: on a refusal `record` is left as it was and the text
// names the field, the value and what is allowed.
std::optional<QString> ApplyAssignments(ConfigRecord &record,
                                        const QList<FieldAssignment> &changes);

} // namespace ktv31
