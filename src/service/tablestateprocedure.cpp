// The table-state procedure, shared by the start-up check and the main window's command.
#include "service/tablestateprocedure.h"

#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/tabletransfer.h"
#include "config/writecheck.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "service/tablewrites.h"
#include "service/transferrun.h"
#include "shell/operation.h"

namespace ktv31 {
namespace {

// The loaded file reviewed in the editor against the speeds the controller offers; a changed
// file may be saved. False when the person dropped it.
bool ReviewFile(ServiceSession &session, TableStateSeam &seam, ConfigRecord &record)
{
    if (!ReadOfferedSpeeds(session))
        return false;
    bool changed = false;
    if (!seam.ReviewRecord(record, changed))
        return false;
    if (changed)
        SaveConfigFile(session.files(), session.op(), session.image(), record, true);
    return true;
}

} // namespace

Outcome ReadTableStates(ServiceSession &session, TableStateBuffer &state)
{
    return RunTransfer(
        session, [&state](TransferContext &context) { return ReadTableState(context, state); });
}

Outcome RunTableStateProcedure(ServiceSession &session, TableStateSeam &seam)
{
    // No other command may run inside it, nor may the window close under it.
    OperationScope operation;
    TableStateBuffer state;
    if (const Outcome read = ReadTableStates(session, state); !read.ok())
        return read;
    if (seam.ShowTableState(state) == TableStateChoice::None)
        return OutcomeKind::Cancelled;
    ConfigRecord record;
    if (!LoadConfigFile(session.files(), session.op(), record))
        return OutcomeKind::Cancelled;
    if (const auto fault = LinkParametersFault(record)) {
        session.op().ShowMessageBox(MessageBoxKind::Notice, ServiceText::NoTablesWritten(),
                                    fault->text);
        return {OutcomeKind::ContentRefused, ServiceText::NoTablesWritten(), fault->text};
    }
    if (!ReviewFile(session, seam, record))
        return session.interrupted() ? OutcomeKind::Interrupted : OutcomeKind::Cancelled;
    return WriteReviewedTables(session, record, state, [&] { seam.UpdateMenus(); });
}

} // namespace ktv31
