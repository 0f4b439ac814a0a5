// Systems without POSIX signals: the tool stops only when its console closes.
#include <QtGlobal>

#if !defined(Q_OS_UNIX)
#include "sim/simsignals.h"

namespace ktv31::sim {
bool WatchTerminationSignals(QObject *, std::function<void()>)
{
    return false;
}
} // namespace ktv31::sim
#endif
