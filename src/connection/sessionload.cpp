#include "connection/sessionload.h"

#include "protocol/exchangeengine.h"
#include "shell/settings.h"

namespace ktv31 {

void LoadExchangeSession(ExchangeSession &session, const ConnectionSettings &settings,
                         SerialPort *port)
{
    session.PortHandle = port;
    session.Speed = settings.Speed();
    session.PreambleCount = settings.PreambleCount();
    session.NextByteWaitMs = settings.NextByteWaitMs();
    session.FirstByteWaitMs = settings.FirstByteWaitS() * 1000;
    session.RtsPauseMs = settings.RtsPauseMs();
    session.Attempts = settings.Attempts();
}

} // namespace ktv31
