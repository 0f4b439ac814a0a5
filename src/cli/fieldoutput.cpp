// Text and JSON forms of the field list, field values and changes.
#include "cli/fieldoutput.h"

#include "cli/console.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace ktv31::cli {
namespace {

void PrintJson(const QJsonDocument &document)
{
    PrintOut(QString::fromUtf8(document.toJson(QJsonDocument::Indented)).trimmed());
}

QString KindText(const RecordField &field)
{
    if (!field.settable)
        return QStringLiteral("только чтение");
    switch (field.kind) {
    case FieldKind::Code:
        return QStringLiteral("список");
    case FieldKind::Number:
        return QStringLiteral("число");
    case FieldKind::Text:
        return QStringLiteral("текст");
    }
    return {};
}

QString KindKey(const RecordField &field)
{
    switch (field.kind) {
    case FieldKind::Code:
        return QStringLiteral("list");
    case FieldKind::Number:
        return QStringLiteral("number");
    case FieldKind::Text:
        return QStringLiteral("text");
    }
    return {};
}

QJsonObject FieldJson(const RecordField &field)
{
    QJsonObject object{{"name", field.name},         {"kind", KindKey(field)},
                       {"settable", field.settable}, {"table", field.table},
                       {"field", field.tableField},  {"label", field.label()}};
    if (field.kind == FieldKind::Number) {
        object.insert("min", field.low);
        object.insert("max", field.high);
    } else if (field.kind == FieldKind::Text) {
        object.insert("maxLength", field.maxLength);
    } else {
        QJsonArray values;
        for (const FieldItem &item : field.items)
            values.append(item.key);
        object.insert("values", values);
    }
    if (field.condition == FieldCondition::LongLinkTable)
        object.insert("versions", QStringLiteral("кроме 3 и 4"));
    return object;
}

// Calculator N's fields stand for all 254: they differ only in the address.
QString ListedName(const RecordField &field)
{
    if (field.address < 0)
        return field.name;
    return QString(field.name)
        .replace(QStringLiteral(".%1.").arg(field.address), QStringLiteral(".N."));
}

QString FieldLine(const RecordField &field)
{
    QString line = QStringLiteral("%1  %2").arg(ListedName(field), -32).arg(KindText(field));
    if (field.settable)
        line += QStringLiteral(": ") + AllowedText(field);
    line += QStringLiteral(" — ") + field.label();
    if (field.condition == FieldCondition::LongLinkTable)
        line += QStringLiteral(" (версии ПО кроме 3 и 4)");
    if (field.address >= 0)
        line += QStringLiteral(" (N = %1...%2)").arg(FirstShownCalculator).arg(CalculatorCount - 1);
    return line;
}

} // namespace

void PrintFieldList(bool json)
{
    if (json) {
        QJsonArray list;
        for (const RecordField &field : RecordFields())
            if (field.address < 0 || field.settable)
                list.append(FieldJson(field));
        PrintJson(QJsonDocument(list));
        return;
    }
    for (const RecordField &field : RecordFields())
        if (field.address < 0 || field.address == FirstShownCalculator)
            PrintOut(FieldLine(field));
}

QList<const RecordField *> ListedFields(const ConfigRecord &record)
{
    QList<const RecordField *> fields;
    for (const RecordField &field : RecordFields())
        if ((field.address < 0 || field.settable) && FieldPresent(record, field))
            fields.append(&field);
    return fields;
}

void PrintFieldValues(const ConfigRecord &record, const QList<const RecordField *> &fields,
                      bool json)
{
    if (json) {
        QJsonObject values;
        for (const RecordField *field : fields)
            values.insert(field->name, FieldValue(record, *field));
        PrintJson(QJsonDocument(values));
        return;
    }
    for (const RecordField *field : fields)
        PrintOut(QStringLiteral("%1=%2").arg(field->name, FieldValue(record, *field)));
}

void PrintFieldChanges(const QList<FieldChange> &changes)
{
    if (changes.isEmpty())
        PrintError(QStringLiteral("Нет измененных данных"));
    for (const FieldChange &change : changes)
        PrintOut(QStringLiteral("%1: %2 -> %3").arg(change.name, change.before, change.after));
}

} // namespace ktv31::cli
