// Writing whole tables from a configuration file, as a destroyed table is repaired.
#pragma once

#include "config/configimage.h"
#include "config/tablestate.h"
#include "service/outcome.h"

#include <QList>

#include <functional>

namespace ktv31 {

class ServiceSession;

// The tables `state` chooses written whole from `file`: the content checked first (against the
// speeds the image's table 1 says the controller offers), then written under the wait dialog and
// read back, then the identification read again; a table still reported destroyed is told.
// `afterWrite` runs between the write and the identification (the windows update their menus).
Outcome WriteReviewedTables(ServiceSession &session, const ConfigRecord &file,
                            const TableStateBuffer &state,
                            const std::function<void()> &afterWrite = {});

// The same for `tables` of a file nobody reviewed: the speeds the controller offers are read
// first when table 3 is among them (without an answer every speed counts as offered, as for a
// review).
Outcome WriteTablesFromFile(ServiceSession &session, const ConfigRecord &file,
                            const QList<int> &tables);

// Reads which speeds the controller offers into the image; without an answer every speed counts
// as offered. False only when the program cut the read short.
bool ReadOfferedSpeeds(ServiceSession &session);

} // namespace ktv31
