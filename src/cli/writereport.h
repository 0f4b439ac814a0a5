// What a write-config run put into the controller, table by table, for scripts (--json).
#pragma once

#include "service/outcome.h"

#include <QJsonObject>

namespace ktv31::cli {

// {"written": bool, "text": the summary, "tables": [{"table", "state", "text", "notSent",
// "difference"}]}: "notSent" [first, last] only when fields of the table did not go.
QJsonObject WriteReportJson(const Outcome &outcome);
void PrintWriteReport(const Outcome &outcome);

} // namespace ktv31::cli
