// The table-state procedure: table 7, the view, the file and its review, the chosen tables written.
#pragma once

#include "config/configimage.h"
#include "config/tablestate.h"

#include <QList>
#include <QString>

namespace ktv31 {

struct TransferContext;
struct ConfigFileContext;
class ProgressSink;

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

// What the view returns.
enum class TableStateChoice : int
{
    None = 0,
    Ticked = 1,
    All = 2
};

// What the procedure needs of the windows (or of a test).
class TableStateSeam
{
public:
    virtual ~TableStateSeam() = default;
    // The table-state view on `state`; on a write choice it has set the write flags.
    virtual TableStateChoice ShowTableState(TableStateBuffer &state) = 0;
    // The configuration editor in device mode on the loaded file; true when accepted.
    virtual bool ReviewRecord(ConfigRecord &record, bool &changed) = 0;
    // The wait dialog of the write, and its bar.
    virtual ProgressSink &BeginWrite() = 0;
    virtual void EndWrite() = 0;
    virtual void SetBusy(bool busy) = 0; // the hourglass cursor
    virtual void ArmStatusTimer() = 0;   // the main window's TimerMessage
    virtual void UpdateMenus() = 0;
};

// Runs the whole procedure. The status texts and messages go to the context's operator.
void RunTableStateProcedure(TransferContext &context, ConfigFileContext &files,
                            TableStateSeam &seam);

} // namespace ktv31
