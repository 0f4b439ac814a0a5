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

// Windows refuses a COM port that another program holds with "access denied".
PortOpenError ClassifyOpenFailure(const QString & /*devicePath*/,
                                  QSerialPort::SerialPortError error, QString * /*group*/)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortOpenError::NoSuchDevice;
    case QSerialPort::PermissionError:
        return PortOpenError::Busy;
    default:
        return PortOpenError::NotConfigurable;
    }
}

} // namespace ktv31
