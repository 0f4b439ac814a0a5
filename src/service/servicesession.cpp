// The state every operation on one controller shares.
#include "service/servicesession.h"

#include "connection/controllerlink.h"
#include "service/linkoperations.h"
#include "shell/operation.h"
#include "shell/settings.h"

namespace ktv31 {

ServiceSession::ServiceSession(ConnectionSettings &settings, Operator &op,
                               const QString &programDir, QObject *parent)
    : QObject(parent), settings_(settings), op_(op), programDir_(programDir)
{
    files_.programDir = programDir;
    InitExchangeSession(exchange_, ControllerAddress);
    // A cut short meant the operation that ran; the next one starts afresh.
    connect(&OperationState::instance(), &OperationState::runningChanged, this,
            [this](bool running) {
                if (!running && !interrupted_)
                    DropPendingAbort(exchange_);
            });
}

ServiceSession::~ServiceSession()
{
    const QSignalBlocker quiet(this);
    Disconnect(*this);
}

TransferContext ServiceSession::transferContext()
{
    TransferContext context(exchange_, image_, settings_, op_, closingWaitMs);
    context.portName = devicePath;
    context.verifyWrites = verifyWrites;
    context.speedFollowsTableWrite = linkKind().speedFollowsTableWrite();
    if (reopenLostPort)
        context.reopenLostPort = [this] { return ReopenLostPort(*this); };
    return context;
}

void ServiceSession::cutShort()
{
    RequestAbort(exchange_);
    dialCancel_.cancel();
}

void ServiceSession::interrupt()
{
    interrupted_ = true;
    cutShort();
}

void ServiceSession::adoptPort(PortPtr port, const ConnectionSettings &link)
{
    link_.adopt(std::move(port), link, exchange_);
}

DialResult ServiceSession::dial(const StatusPanel &panel)
{
    const bool wasUp = link_.callUp();
    const DialResult code = link_.dial(settings_, &dialCancel_, panel, modemTiming);
    if (link_.callUp() != wasUp)
        emit callChanged(link_.callUp());
    return code;
}

void ServiceSession::endLink()
{
    const bool wasUp = link_.callUp();
    link_.end(exchange_, modemTiming);
    if (wasUp)
        emit callChanged(false);
}

void ServiceSession::releasePort()
{
    link_.release(exchange_);
}

} // namespace ktv31
