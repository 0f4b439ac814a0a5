// What a write of tables got through, and how the person is told.
#include "config/writereport.h"

#include <QStringList>

#include <algorithm>

namespace ktv31 {
namespace {

struct StateWords
{
    TableWriteState state;
    const char16_t *text;
    const char *name;
};

// In the order the groups are told.
constexpr StateWords kStates[] = {
    {TableWriteState::Verified, u"записаны и проверены", "verified"},
    {TableWriteState::Written, u"записаны", "written"},
    {TableWriteState::Unverified, u"записаны, не проверены", "unverified"},
    {TableWriteState::Partly, u"записаны частично", "partly"},
    {TableWriteState::Unknown, u"не подтверждены", "unknown"},
    {TableWriteState::Differs, u"не прошли проверку", "differs"},
    {TableWriteState::NotSent, u"не записаны", "not-written"},
};

QString FieldsNotSent(const TableWriteEntry &entry)
{
    if (entry.firstNotSent < 0)
        return {};
    if (entry.firstNotSent == entry.lastNotSent)
        return QStringLiteral("поле %1 не передано").arg(entry.firstNotSent);
    return QStringLiteral("поля %1–%2 не переданы").arg(entry.firstNotSent).arg(entry.lastNotSent);
}

QString EntryText(const TableWriteEntry &entry)
{
    QStringList details;
    if (entry.state == TableWriteState::Unknown)
        details << QStringLiteral("ответа на запись нет, прочитать не удалось");
    if (!entry.difference.isEmpty())
        details << entry.difference;
    if (const QString notSent = FieldsNotSent(entry); !notSent.isEmpty())
        details << notSent;
    const QString number = QString::number(entry.table);
    return details.isEmpty() ? number : QStringLiteral("%1 (%2)").arg(number, details.join(u"; "));
}

} // namespace

TableWrites::Known *TableWrites::known(int table)
{
    return table >= 0 && table < int(tables_.size()) ? &tables_[size_t(table)] : nullptr;
}

void TableWrites::plan(int table, int lastField)
{
    if (Known *k = known(table))
        *k = Known{TableWriteState::NotSent, -1, lastField, {}};
}

void TableWrites::requestWritten(int table, int lastField)
{
    if (Known *k = known(table)) {
        k->state = TableWriteState::Partly;
        k->lastSent = lastField;
    }
}

void TableWrites::requestUnverified(int table, int lastField)
{
    if (Known *k = known(table)) {
        k->state = TableWriteState::Unverified;
        k->lastSent = lastField;
    }
}

void TableWrites::requestUnknown(int table, int lastField)
{
    if (Known *k = known(table)) {
        k->state = TableWriteState::Unknown;
        k->lastSent = lastField;
    }
}

void TableWrites::requestDiffers(int table, int lastField, const QString &difference)
{
    if (Known *k = known(table)) {
        k->state = TableWriteState::Differs;
        k->lastSent = lastField;
        k->difference = difference;
    }
}

void TableWrites::tableWritten(int table, bool verified)
{
    if (Known *k = known(table)) {
        k->state = verified ? TableWriteState::Verified : TableWriteState::Written;
        k->lastSent = std::max(k->lastSent, k->lastPlanned);
    }
}

bool TableWrites::written(int table) const
{
    if (table < 0 || table >= int(tables_.size()))
        return false;
    const TableWriteState state = tables_[size_t(table)].state;
    return state == TableWriteState::Written || state == TableWriteState::Verified;
}

TableWriteEntry TableWrites::entry(int table) const
{
    TableWriteEntry entry;
    entry.table = table;
    if (table < 0 || table >= int(tables_.size()))
        return entry;
    const Known &k = tables_[size_t(table)];
    entry.state = k.state;
    entry.difference = k.difference;
    // A table of which nothing went needs no list of what did not.
    if (k.lastSent >= 0 && k.lastSent < k.lastPlanned) {
        entry.firstNotSent = k.lastSent + 1;
        entry.lastNotSent = k.lastPlanned;
    }
    return entry;
}

QList<TableWriteEntry> WriteEntries(const QList<int> &planned, const TableWrites &writes)
{
    QList<TableWriteEntry> entries;
    for (const int table : planned)
        entries << writes.entry(table);
    return entries;
}

QString WrittenTablesText(const QList<TableWriteEntry> &entries)
{
    QStringList groups;
    for (const StateWords &words : kStates) {
        QStringList tables;
        for (const TableWriteEntry &entry : entries)
            if (entry.state == words.state)
                tables << EntryText(entry);
        if (!tables.isEmpty())
            groups << QStringLiteral("%1: %2").arg(QString::fromUtf16(words.text),
                                                   tables.join(QStringLiteral(", ")));
    }
    return QStringLiteral("Таблицы ") + groups.join(QStringLiteral("; "));
}

QString TableWriteStateText(TableWriteState state)
{
    for (const StateWords &words : kStates)
        if (words.state == state)
            return QString::fromUtf16(words.text);
    return {};
}

QString TableWriteStateName(TableWriteState state)
{
    for (const StateWords &words : kStates)
        if (words.state == state)
            return QLatin1String(words.name);
    return {};
}

} // namespace ktv31
