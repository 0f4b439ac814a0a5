// Making and ending the link to the controller: the port, DTR, the dial, the hang-up.
#pragma once

#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "shell/operatorseam.h"

#include <QString>

namespace ktv31 {

struct ExchangeSession;
class ConnectionSettings;

constexpr int ControllerAddress = 0;
// The controller's line settles this long after DTR rises, before the first request.
constexpr int AfterDtrSettleMs = 300;

// Opens COM port `settings.PortNumber()` (or `devicePath` when given) as the connection dialog
// does: the settings' speed, 8 data bits, no parity, one stop bit, queues of 1000 bytes, DTR
// control on, RTS left to the engine.
PortOpenResult OpenControllerPort(const ConnectionSettings &settings, const QString &programDir,
                                  const QString &devicePath = {});

// Raises DTR and lets the line settle. Timers and painting go on meanwhile, input waits, so no
// command can start before the link is made.
void RaiseDtrAndSettle(SerialPort *port, int settleMs = AfterDtrSettleMs);

// The number handed to the dialler: country code, city code and number joined by one blank each,
// empty parts included.
QString DialNumberText(const ConnectionSettings &settings);
// Dials with the settings' initialisation string, attempts and connection wait; progress texts go
// to `panel`. A dial result code.
DialResult DialController(SerialPort *port, const ConnectionSettings &settings, DialCancel *cancel,
                          const StatusPanel &panel, const ModemTiming &timing = ModemTiming{});

} // namespace ktv31
