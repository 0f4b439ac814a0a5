// Deciding from the device model whether a tty is a USB serial adapter and how to make it answer
// fast.
#include "link/lowlatency.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace ktv31 {
namespace {

constexpr int kMaxParentLevels = 32;
constexpr int kLowestLatencyMs = 1;

// The name of what a device's link (subsystem, driver) points to.
QString LinkName(const QString &deviceDir, const char *link)
{
    const QFileInfo info(deviceDir + QLatin1Char('/') + QLatin1String(link));
    return info.isSymLink() ? QFileInfo(info.symLinkTarget()).fileName() : QString();
}

bool HasUsbParent(QString dir)
{
    for (int level = 0; level < kMaxParentLevels && !dir.isEmpty(); ++level) {
        if (LinkName(dir, "subsystem") == QLatin1String("usb"))
            return true;
        const QString parent = QFileInfo(dir).path();
        if (parent == dir)
            break;
        dir = parent;
    }
    return false;
}

} // namespace

TtyDeviceInfo ReadTtyDeviceInfo(const QString &ttyNode)
{
    TtyDeviceInfo info;
    const QString deviceDir = QFileInfo(ttyNode + QStringLiteral("/device")).canonicalFilePath();
    if (deviceDir.isEmpty())
        return info;
    info.subsystem = LinkName(deviceDir, "subsystem");
    info.driver = LinkName(deviceDir, "driver");
    info.onUsbBus = HasUsbParent(deviceDir);
    const QString timer = deviceDir + QStringLiteral("/latency_timer");
    if (QFileInfo(timer).isFile())
        info.latencyTimerPath = timer;
    return info;
}

LowLatencyMechanism ChooseLowLatency(const TtyDeviceInfo &info)
{
    const bool usb = info.onUsbBus || info.subsystem == QLatin1String("usb-serial") ||
                     info.subsystem == QLatin1String("usb");
    if (!usb)
        return LowLatencyMechanism::None;
    return info.latencyTimerPath.isEmpty() ? LowLatencyMechanism::SerialFlag
                                           : LowLatencyMechanism::LatencyTimer;
}

bool LowerLatencyTimer(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int current = file.readAll().trimmed().toInt(&ok);
    file.close();
    if (ok && current <= kLowestLatencyMs)
        return true;
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray value = QByteArray::number(kLowestLatencyMs) + '\n';
    return file.write(value) == value.size() && file.flush();
}

} // namespace ktv31
