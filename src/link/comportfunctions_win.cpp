// COM port names and device checks on Windows.
#include "link/comportfunctions.h"

namespace ktv31 {

// The \\.\ form also opens ports above COM9.
QString ComPortDevice(int portNumber, const QString & /*programDir*/)
{
    if (portNumber < 1)
        return {};
    return QStringLiteral("\\\\.\\COM%1").arg(portNumber);
}

QString CanonicalDevicePath(const QString &devicePath)
{
    QString path = devicePath.toUpper();
    if (!path.startsWith(QLatin1String("\\\\.\\")))
        path.prepend(QLatin1String("\\\\.\\"));
    return path;
}

// QSerialPort reports a resource error on Windows only when the device has gone.
bool DeviceHungUp(const QSerialPort & /*device*/)
{
    return true;
}

} // namespace ktv31
