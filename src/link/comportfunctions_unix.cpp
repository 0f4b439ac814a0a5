// COM port names and device checks on Unix: INI/COM<n> links in the program folder, or ttyS<n-1>.
#include "link/comportfunctions.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <poll.h>
#include <unistd.h>

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

// QSerialPort reports both a refused permission and a device held by another program (its
// exclusive mode, a lock file) as PermissionError; whether we may open the device at all tells
// them apart.
PortOpenError ClassifyOpenFailure(const QString &devicePath, QSerialPort::SerialPortError error,
                                  QString *group)
{
    if (error == QSerialPort::DeviceNotFoundError)
        return PortOpenError::NoSuchDevice;
    const QByteArray native = QFile::encodeName(devicePath);
    if (::access(native.constData(), R_OK | W_OK) != 0) {
        if (errno == ENOENT)
            return PortOpenError::NoSuchDevice;
        if (group)
            *group = QFileInfo(devicePath).group();
        return PortOpenError::NoPermission;
    }
    return error == QSerialPort::PermissionError ? PortOpenError::Busy
                                                 : PortOpenError::NotConfigurable;
}

} // namespace ktv31
