// A transfer under the hourglass, and the outcome of one that gave up.
#include "service/transferrun.h"

#include "service/servicesession.h"

namespace ktv31 {

Outcome TransferGivenUp(ServiceSession &session)
{
    if (session.interrupted() || session.exchange().ResultCode == Result::Aborted)
        return OutcomeKind::Interrupted;
    return OutcomeKind::NotRead;
}

Outcome RunTransfer(ServiceSession &session,
                    const std::function<bool(TransferContext &context)> &transfer)
{
    bool done = false;
    {
        BusyScope busy(session.op());
        TransferContext context = session.transferContext();
        done = transfer(context);
    }
    session.op().StatusTextsDone();
    return done ? Outcome() : TransferGivenUp(session);
}

} // namespace ktv31
