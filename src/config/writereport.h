// What a write of tables is known to have put into the controller, table by table, and its text.
#pragma once

#include <QList>
#include <QString>

#include <array>

namespace ktv31 {

// What is known of one table after a write, from the best to the worst news.
enum class TableWriteState
{
    NotSent,    // nothing of it went to the controller, or the controller refused it
    Partly,     // some of its requests went through, the rest did not go
    Written,    // every request acknowledged, nothing read back
    Verified,   // every request acknowledged (or read back as written) and read back as written
    Unverified, // acknowledged, but the read-back could not be read
    Unknown,    // a request went out without an answer, and it could not be read back either
    Differs,    // read back other than written
};

struct TableWriteEntry
{
    int table = 0;
    TableWriteState state = TableWriteState::NotSent;
    int firstNotSent = -1; // the planned fields from here to lastNotSent did not go; -1 none
    int lastNotSent = -1;
    QString difference; // Differs: "адрес 12: записано 69, прочитано 00"
};

// Which tables the write operations have got through so far, request by request.
class TableWrites
{
public:
    // The fields up to `lastField` are to be written into `table`.
    void plan(int table, int lastField);
    // A request of `table` for the fields up to `lastField` went through.
    void requestWritten(int table, int lastField);
    // Went out and was answered, but could not be read back.
    void requestUnverified(int table, int lastField);
    // Went out without an answer and could not be read back: the controller may hold it or not.
    void requestUnknown(int table, int lastField);
    void requestDiffers(int table, int lastField, const QString &difference);
    // Every request of `table` went through.
    void tableWritten(int table, bool verified);

    bool written(int table) const;
    TableWriteEntry entry(int table) const;

private:
    struct Known
    {
        TableWriteState state = TableWriteState::NotSent;
        int lastSent = -1;
        int lastPlanned = -1;
        QString difference;
    };
    Known *known(int table);

    std::array<Known, 8> tables_{};
};

// Each of `planned` as `writes` knows it, in order.
QList<TableWriteEntry> WriteEntries(const QList<int> &planned, const TableWrites &writes);

// "Таблицы записаны и проверены: 3, 5; записаны частично: 6 (поля 130–254 не переданы)".
QString WrittenTablesText(const QList<TableWriteEntry> &entries);
// "записаны и проверены", the words of one group of that text.
QString TableWriteStateText(TableWriteState state);
// "verified", the state's name for scripts.
QString TableWriteStateName(TableWriteState state);

} // namespace ktv31
