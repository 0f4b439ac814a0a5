// Resident memory from the kernel's status file of this process.
#include "residentmemory.h"

#include <QByteArray>
#include <QFile>

namespace ktv31::soak {

qint64 ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1; // no /proc: macOS and the BSDs
    const QByteArray prefix("VmRSS:");
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (!line.startsWith(prefix))
            continue;
        // "VmRSS:     31420 kB"
        bool ok = false;
        const qint64 kb = line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong(&ok);
        return ok ? kb : -1;
    }
    return -1;
}

} // namespace ktv31::soak
