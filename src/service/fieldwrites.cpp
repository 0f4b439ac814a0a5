// TEMPORARY STAND-IN (branch stations): replaced by the lead's fieldwrites.cpp on merge.
#include "service/fieldwrites.h"

#include "service/configoperations.h"

namespace ktv31 {

Outcome WriteFieldChanges(ServiceSession &session, const QList<FieldAssignment> &changes,
                          QList<FieldChange> *changed, bool dryRun)
{
    ConfigRecord asRead;
    if (const Outcome read = ReadConfigurationRecord(session, asRead, false); !read.ok())
        return read;
    ConfigRecord edited = asRead;
    if (const auto refusal = ApplyAssignments(edited, changes))
        return {OutcomeKind::ContentRefused, *refusal};
    if (changed)
        *changed = ChangedFields(asRead, edited);
    if (dryRun)
        return {};
    return WriteChanges(session, asRead, edited);
}

} // namespace ktv31
