// Asking a USB serial adapter's driver on Linux for low latency: latency timer or
// ASYNC_LOW_LATENCY.
#include "link/lowlatency.h"

#include <QSerialPort>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace ktv31 {
namespace {

bool SetLowLatencyFlag([[maybe_unused]] int fd)
{
#if defined(__linux__) && defined(TIOCSSERIAL)
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return false;
    if (serial.flags & ASYNC_LOW_LATENCY)
        return true;
    serial.flags |= ASYNC_LOW_LATENCY;
    return ::ioctl(fd, TIOCSSERIAL, &serial) == 0;
#else
    return false;
#endif
}

} // namespace

LowLatencyMechanism RequestLowLatency(QSerialPort &device)
{
    const int fd = int(device.handle());
    struct stat status
    {
    };
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode))
        return LowLatencyMechanism::None;
    const QString node =
        QStringLiteral("/sys/dev/char/%1:%2").arg(major(status.st_rdev)).arg(minor(status.st_rdev));
    const TtyDeviceInfo info = ReadTtyDeviceInfo(node);
    switch (ChooseLowLatency(info)) {
    case LowLatencyMechanism::None:
        return LowLatencyMechanism::None;
    case LowLatencyMechanism::LatencyTimer:
        // Writing the attribute needs more rights than the open device gives; the driver
        // usually honours the flag as well.
        if (LowerLatencyTimer(info.latencyTimerPath))
            return LowLatencyMechanism::LatencyTimer;
        [[fallthrough]];
    case LowLatencyMechanism::SerialFlag:
        return SetLowLatencyFlag(fd) ? LowLatencyMechanism::SerialFlag : LowLatencyMechanism::None;
    }
    return LowLatencyMechanism::None;
}

} // namespace ktv31
