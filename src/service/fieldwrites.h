// Named fields of a controller's configuration changed in place, as a script asks for them.
#pragma once

#include "config/recordfields.h"
#include "service/outcome.h"

#include <QList>

namespace ktv31 {

class ServiceSession;

// Reads the configuration, applies `changes`, then the content check, backup, changed-only write
// and read-back as every write; `changed` (when given) gets what differs. With `dryRun` it only
// reads and fills `changed`. A change the fields refuse writes nothing and is told as the
// content check's refusals are.
Outcome WriteFieldChanges(ServiceSession &session, const QList<FieldAssignment> &changes,
                          QList<FieldChange> *changed, bool dryRun = false);

} // namespace ktv31
