// One station's visit on its line: the call, the device check, the tables' state, the
// configuration kept (or the change written), and the hang-up.
#pragma once

#include "config/recordfields.h"
#include "stations/stationbook.h"
#include "stations/stationreport.h"

namespace ktv31 {

class ServiceSession;
struct Outcome;

struct VisitPlan
{
    QList<FieldAssignment> changes; // none: a backup
    bool dryRun = false;            // the changes are only compared, never written
};

// Runs on `session`, whose settings are the station's (StationLinkSettings), and leaves the line
// hung up and closed whatever happened. What the visit kept goes into the station's folder
// under the session's program folder.
StationReport VisitStation(ServiceSession &session, const Station &station, const VisitPlan &plan);

// How a failed connection counts for the round: busy and unanswered calls are made again, a
// port that does not open and a modem that does not answer are the line's fault.
VisitEnd EndOfFailedConnect(const Outcome &outcome);

} // namespace ktv31
