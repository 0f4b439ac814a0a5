// TEMPORARY STAND-IN (branch stations): replaced by the lead's fieldwrites.h when main is merged.
#pragma once

#include "config/recordfields.h"
#include "service/outcome.h"

namespace ktv31 {

class ServiceSession;

Outcome WriteFieldChanges(ServiceSession &session, const QList<FieldAssignment> &changes,
                          QList<FieldChange> *changed, bool dryRun = false);

} // namespace ktv31
