// Reading, changing by name and writing back only what the change touched.
#include "service/fieldwrites.h"

#include "service/configoperations.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "shell/operatorseam.h"

namespace ktv31 {

Outcome WriteFieldChanges(ServiceSession &session, const QList<FieldAssignment> &changes,
                          QList<FieldChange> *changed, bool dryRun)
{
    ConfigRecord asRead;
    if (const Outcome read = ReadConfigurationRecord(session, asRead, false); !read.ok())
        return read;
    ConfigRecord edited = asRead;
    if (const std::optional<QString> refusal = ApplyAssignments(edited, changes)) {
        session.op().ShowMessageBox(MessageBoxKind::Notice, ServiceText::NoTablesWritten(),
                                    *refusal);
        return {OutcomeKind::ContentRefused, ServiceText::NoTablesWritten(), *refusal};
    }
    if (changed)
        *changed = ChangedFields(asRead, edited);
    if (dryRun)
        return {};
    return WriteChanges(session, asRead, edited);
}

} // namespace ktv31
