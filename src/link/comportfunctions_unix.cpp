// COM port names and device checks on Unix: INI/COM<n> links beside the program, else /dev/ttyS<n-1>.
#include "link/comportfunctions.h"

#include <QFileInfo>

#include <poll.h>

namespace ktv31 {

QString ComPortDevice(int portNumber, const QString &programDir)
{
    if (portNumber < 1)
        return {};
    const QFileInfo link(programDir + QStringLiteral("INI/COM%1").arg(portNumber));
    if (link.isSymLink()) {
        // A link whose target is missing still names the port: opening it fails, rather than
        // silently falling back to a serial port nobody chose.
        const QString target = link.canonicalFilePath();
        return target.isEmpty() ? link.symLinkTarget() : target;
    }
    if (link.exists())
        return link.canonicalFilePath();
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

QString CanonicalDevicePath(const QString &devicePath)
{
    return QFileInfo(devicePath).canonicalFilePath();
}

bool DeviceHungUp(const QSerialPort &device)
{
    pollfd line{device.handle(), POLLIN, 0};
    const int ready = ::poll(&line, 1, 0);
    return ready < 0 || (line.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

} // namespace ktv31
