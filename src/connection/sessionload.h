// Bringing the exchange engine to the link settings of a connection that was just made.
#pragma once

namespace ktv31 {

struct ExchangeSession;
class ConnectionSettings;
class SerialPort;

// The port, the speed in the settings and every wait, preamble and attempt count they hold.
void LoadExchangeSession(ExchangeSession &session, const ConnectionSettings &settings,
                         SerialPort *port);

} // namespace ktv31
