// The table-state procedure, shared by the start-up check and the main window's command.
#include "service/tablestateprocedure.h"

#include "config/conffun.h"
#include "config/configfile.h"
#include "config/tabletransfer.h"
#include "service/identifyoperations.h"
#include "service/servicesession.h"
#include "service/tablewrites.h"
#include "shell/operation.h"

namespace ktv31 {
namespace {

Outcome Cancelled()
{
    return {OutcomeKind::Cancelled, {}, {}};
}

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
    bool read = false;
    {
        BusyScope busy(session.op());
        TransferContext context = session.transferContext();
        read = ReadTableState(context, state);
    }
    session.op().StatusTextsDone();
    return read ? Outcome{} : TransferGivenUp(session);
}

Outcome RunTableStateProcedure(ServiceSession &session, TableStateSeam &seam)
{
    // No other command may run inside it, nor may the window close under it.
    OperationScope operation;
    TableStateBuffer state;
    if (const Outcome read = ReadTableStates(session, state); !read.ok())
        return read;
    if (seam.ShowTableState(state) == TableStateChoice::None)
        return Cancelled();
    ConfigRecord record;
    if (!LoadConfigFile(session.files(), session.op(), record))
        return Cancelled();
    if (!ReviewFile(session, seam, record))
        return session.interrupted() ? Outcome{OutcomeKind::Interrupted, {}, {}} : Cancelled();
    return WriteReviewedTables(session, record, state, [&] { seam.UpdateMenus(); });
}

} // namespace ktv31
