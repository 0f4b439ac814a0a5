// Making and ending the link to a controller.
#pragma once

#include "service/outcome.h"
#include "shell/operatorseam.h"

namespace ktv31 {

class ConnectionSettings;
class ServiceSession;

// Opens the port that `link` names and loads the exchange session with its values; a port held
// from before goes first. The person is told why a port did not open.
Outcome OpenLink(ServiceSession &session, const ConnectionSettings &link);
// Makes the link with the session's settings: the port opened (unless OpenLink just has), DTR
// raised and the line settled, and on a telephone link the controller dialled. A failed dial is
// told; its port stays held until Disconnect.
Outcome Connect(ServiceSession &session);
// The session's port opened again after it was lost, with the session's settings and DTR
// raised; false (the person told why) when it does not open.
bool ReopenLostPort(ServiceSession &session);
// Hangs up a call that may be up and lets the port go; the device is no longer accepted.
void Disconnect(ServiceSession &session);
// Finds the controller's exchange speed on the port `link` names, opened for the probes and
// closed again; each speed is shown on `panel` before its probe. The speed found, or 0; the
// person is told which, unless the detection was cut short.
int DetectControllerSpeed(ServiceSession &session, const ConnectionSettings &link,
                          const StatusPanel &panel);

} // namespace ktv31
