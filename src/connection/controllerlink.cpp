// The link set-up sequence shared by the windows and the command-line tool.
#include "connection/controllerlink.h"

#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "shell/settings.h"

namespace ktv31 {

PortOpenResult OpenControllerPort(const ConnectionSettings &settings, const QString &programDir,
                                  const QString &devicePath)
{
    PortOpenSettings line;
    line.speed = settings.Speed();
    return devicePath.isEmpty() ? OpenPort(settings.PortNumber(), line, programDir)
                                : OpenDevice(devicePath, line);
}

void RaiseDtrAndSettle(SerialPort *port, int settleMs)
{
    if (IsGone(port))
        return;
    SerialPort::Use use(port);
    port->setDtr(true);
    PauseWithoutInput(settleMs);
}

QString DialNumberText(const ConnectionSettings &settings)
{
    return QStringLiteral("%1 %2 %3")
        .arg(settings.CountryCode(), settings.CityCode(), settings.PhoneNumber());
}

DialResult DialController(SerialPort *port, const ConnectionSettings &settings, DialCancel *cancel,
                          const StatusPanel &panel, const ModemTiming &timing)
{
    return Dial(port, DialNumberText(settings), settings.ModemCommand(), cancel, panel,
                settings.ConnectAttempts(), settings.ConnectWaitS(), timing);
}

} // namespace ktv31
