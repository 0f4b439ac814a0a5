// The identification read and the device check.
#include "service/identifyoperations.h"

#include "connection/devicecheck.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "service/transferrun.h"

namespace ktv31 {

Outcome ReadIdentificationBlock(ServiceSession &session)
{
    return RunTransfer(session,
                       [](TransferContext &context) { return ReadIdentification(context); });
}

Outcome IdentifyAndCheck(ServiceSession &session)
{
    session.setDeviceAccepted(false);
    if (const Outcome read = ReadIdentificationBlock(session); !read.ok())
        return read;
    const DeviceVerdict verdict = CheckDevice(session.image());
    if (!verdict.accepted) {
        if (session.interrupted())
            return OutcomeKind::Interrupted;
        session.op().ShowMessageBox(MessageBoxKind::Notice, verdict.line1, verdict.line2);
        return {OutcomeKind::Rejected, verdict.line1, verdict.line2};
    }
    session.setDeviceAccepted(true);
    Outcome accepted;
    accepted.destroyedTable = session.image().u8(ImageOffset::DestroyedTable);
    if (accepted.destroyedTable != 0) {
        accepted.text = ServiceText::DestroyedTable(accepted.destroyedTable);
        session.op().Note(accepted.text);
        session.op().StatusTextsDone();
    }
    return accepted;
}

} // namespace ktv31
