// The session's link: its port, its kind and the call, made and ended in one place.
#include "service/sessionlink.h"

#include "connection/controllerlink.h"
#include "protocol/exchangeengine.h"

namespace ktv31 {

bool SessionLink::endHangsUp() const
{
    return mayBeOffHook_ && port_ && !port_->isGone();
}

void SessionLink::adopt(PortPtr port, const ConnectionSettings &settings, ExchangeSession &exchange)
{
    release(exchange);
    port_ = std::move(port);
    kind_ = LinkKind::Of(settings);
}

DialResult SessionLink::dial(const ConnectionSettings &settings, DialCancel *cancel,
                             const StatusPanel &panel, const ModemTiming &timing)
{
    const DialResult code = DialController(port_.get(), settings, cancel, panel, timing);
    // A dial that ran out of time may still connect later; a cancelled one has been put on
    // hook by the dialler, and the other failures leave the modem on hook.
    callUp_ = code == DialResult::Ok;
    mayBeOffHook_ = callUp_ || code == DialResult::AnswerTimeout;
    return code;
}

void SessionLink::end(ExchangeSession &exchange, const ModemTiming &timing)
{
    if (endHangsUp())
        HangUp(port_.get(), timing);
    callUp_ = false;
    mayBeOffHook_ = false;
    release(exchange);
}

void SessionLink::release(ExchangeSession &exchange)
{
    exchange.PortHandle = nullptr;
    port_.reset();
}

} // namespace ktv31
