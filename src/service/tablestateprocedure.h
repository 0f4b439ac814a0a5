// The table-state procedure: table 7, the view, the file and its review, the chosen tables written.
#pragma once

#include "config/configimage.h"
#include "config/tablestate.h"
#include "config/tablestaterows.h"
#include "service/outcome.h"

namespace ktv31 {

class ServiceSession;

// What the procedure needs of the windows (or of a test).
class TableStateSeam
{
public:
    virtual ~TableStateSeam() = default;
    // The table-state view on `state`; on a write choice it has set the write flags.
    virtual TableStateChoice ShowTableState(TableStateBuffer &state) = 0;
    // The configuration editor in device mode on the loaded file; true when accepted.
    virtual bool ReviewRecord(ConfigRecord &record, bool &changed) = 0;
    // Once the tables are written, before the identification is read again.
    virtual void UpdateMenus() {}
};

// Table 7 into the destroyed flags of `state`, under the hourglass, with the writable flags set
// and no choice made.
Outcome ReadTableStates(ServiceSession &session, TableStateBuffer &state);

// Runs the whole procedure; its messages and status texts go to the session's operator.
Outcome RunTableStateProcedure(ServiceSession &session, TableStateSeam &seam);

} // namespace ktv31
