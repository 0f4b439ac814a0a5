// The rows of the table-state view and the write choices it makes.
#pragma once

#include "config/tablestate.h"

#include <QList>
#include <QString>

namespace ktv31 {

// One row of the table-state view: a writable table, its state and its box.
struct TableStateRow
{
    int table = 0;
    QString caption;        // " Табл.  3.  Параметры связи"
    bool destroyed = false; // shown as "Да" in red, else "Нет"
    bool ticked = false;
    bool enabled = true; // over a telephone link the boxes are off and disabled
};

constexpr int TableStateRowCapacity = 5;

// The writable tables in table order; over a telephone link nothing may be chosen.
QList<TableStateRow> TableStateRows(const TableStateBuffer &state, bool telephone);
// "Записать избранные таблицы": the write flags from the ticked tables; false when none is
// ticked (nothing chosen).
bool ChooseTickedTables(TableStateBuffer &state, const QList<int> &tickedTables);
// "Записать все таблицы": every writable table, ticks or not.
void ChooseAllTables(TableStateBuffer &state);
// The tables chosen for writing, in table order.
QList<int> ChosenTables(const TableStateBuffer &state);

// What the view returns.
enum class TableStateChoice : int
{
    None = 0,
    Ticked = 1,
    All = 2
};

} // namespace ktv31
