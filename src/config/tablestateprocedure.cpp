// The table-state procedure, shared by the start-up check and the main window's command.
#include "config/tablestateprocedure.h"

#include "config/conffun.h"
#include "config/configeditor.h"
#include "config/configfile.h"
#include "config/stringi.h"
#include "config/tabletransfer.h"
#include "shell/operation.h"
#include "shell/operatorseam.h"
#include "shell/settings.h"

namespace ktv31 {
namespace {

// The hourglass for one step, whatever way the step ends.
class Busy
{
public:
    explicit Busy(TableStateSeam &seam) : seam_(seam) { seam_.SetBusy(true); }
    ~Busy() { seam_.SetBusy(false); }
    Busy(const Busy &) = delete;
    Busy &operator=(const Busy &) = delete;

private:
    TableStateSeam &seam_;
};

// The loaded file, reviewed in the editor and taken into the image; false when the operator
// dropped it.
bool ReviewFile(TransferContext &context, ConfigFileContext &files, TableStateSeam &seam,
                ConfigRecord &record)
{
    if (!ReadSpeedAvailability(context))
        context.image.fill(ImageOffset::UpperSpeedMask, 8, 0xFF);
    bool changed = false;
    if (!seam.ReviewRecord(record, changed))
        return false;
    if (changed)
        SaveConfigFile(files, context.op, context.image, record, true);
    RecordToImage(record, context.image);
    return true;
}

void WriteChosenTables(TransferContext &context, TableStateSeam &seam,
                       const TableStateBuffer &state)
{
    SelectedWriteOutcome outcome;
    {
        Busy busy(seam);
        context.op.SetStatusText(Panel::Step, QString());
        ProgressSink &progress = seam.BeginWrite();
        outcome = WriteSelectedAndReidentify(context, state, progress, [&] {
            seam.ArmStatusTimer();
            context.op.SetStatusText(Panel::Exchange, QString());
            seam.UpdateMenus();
        });
        seam.ArmStatusTimer();
        context.op.SetStatusText(Panel::Exchange, QString());
        seam.EndWrite();
    }
    if (outcome.identified && outcome.destroyedTable != 0)
        TellDestroyedTable(context.op, outcome.destroyedTable);
}

} // namespace

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

void RunTableStateProcedure(TransferContext &context, ConfigFileContext &files,
                            TableStateSeam &seam)
{
    // No other command may run inside it, nor may the window close under it.
    OperationScope operation;
    TableStateBuffer state;
    bool read = false;
    {
        Busy busy(seam);
        read = ReadTableState(context, state);
    }
    seam.ArmStatusTimer();
    if (!read || seam.ShowTableState(state) == TableStateChoice::None)
        return;
    ConfigRecord record;
    if (!LoadConfigFile(files, context.op, record))
        return;
    if (!ReviewFile(context, files, seam, record))
        return;
    WriteChosenTables(context, seam, state);
}

} // namespace ktv31
