// The link one session has made: the kind it was made as, its port and the call on it.
#pragma once

#include "link/connectmodem.h"
#include "link/serialport.h"
#include "service/linkkind.h"

namespace ktv31 {

class ConnectionSettings;
struct ExchangeSession;

class SessionLink
{
public:
    bool open() const { return port_ != nullptr; }
    SerialPort *port() const { return port_.get(); }
    // The kind the link was made as; it stays until the link ends, whatever the settings
    // become meanwhile.
    LinkKind kind() const { return kind_; }
    // A call is up: the dial connected and nobody has hung up since.
    bool callUp() const { return callUp_; }
    // Ending the link now sends the hang-up: the modem may hold the line (a call is up, or a
    // dial ran out of time and may connect yet) and the port is there.
    bool endHangsUp() const;

    // The link is made on `port` as the kind `settings` name; a port held before goes first,
    // without a hang-up (the call, if any, stays the link's until it ends).
    void adopt(PortPtr port, const ConnectionSettings &settings, ExchangeSession &exchange);
    // Dials the controller over the link's port with the settings' number, string, attempts
    // and wait, and keeps what the result says of the call.
    DialResult dial(const ConnectionSettings &settings, DialCancel *cancel,
                    const StatusPanel &panel, const ModemTiming &timing);
    // Ends the link: the hang-up when endHangsUp(), then the exchange's port cleared and the
    // port let go (it is deleted once nothing uses it any more). The call is over.
    void end(ExchangeSession &exchange, const ModemTiming &timing);
    // Lets the port go without a hang-up and keeps the call's state, for a port that is opened
    // again after it was lost: the modem behind it may still hold the line.
    void release(ExchangeSession &exchange);

private:
    PortPtr port_;
    LinkKind kind_ = LinkKind::Direct();
    bool callUp_ = false;
    bool mayBeOffHook_ = false;
};

} // namespace ktv31
