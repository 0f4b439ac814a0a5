// The table-state view's rows and its write choices.
#include "config/tablestaterows.h"

#include "config/tablecaptions.h"

namespace ktv31 {

QList<TableStateRow> TableStateRows(const TableStateBuffer &state, bool telephone)
{
    QList<TableStateRow> rows;
    for (int table = 0; table < ConfigTableCount && rows.size() < TableStateRowCapacity; ++table) {
        if (!state.Writable(table))
            continue;
        TableStateRow row;
        row.table = table;
        row.caption = QString::asprintf(" Табл. %2d.  ", table) + TableCaption(table);
        row.destroyed = state.Destroyed(table);
        row.ticked = row.destroyed && !telephone;
        row.enabled = !telephone;
        rows.append(row);
    }
    return rows;
}

bool ChooseTickedTables(TableStateBuffer &state, const QList<int> &tickedTables)
{
    for (int table = 0; table < ConfigTableCount; ++table)
        if (state.Writable(table))
            state.setWriteChosen(table, tickedTables.contains(table));
    return state.WriteChoiceCount() > 0;
}

void ChooseAllTables(TableStateBuffer &state)
{
    for (int table = 0; table < ConfigTableCount; ++table)
        if (state.Writable(table))
            state.setWriteChosen(table, true);
}

QList<int> ChosenTables(const TableStateBuffer &state)
{
    QList<int> tables;
    for (int table = 0; table < ConfigTableCount; ++table)
        if (state.WriteChosen(table))
            tables.append(table);
    return tables;
}

} // namespace ktv31
