// Turning SIGINT and SIGTERM into a call on the event loop, for a clean stop of the tool.
#pragma once

#include <QObject>

#include <functional>

namespace ktv31::sim {

// Calls `onSignal` from the calling thread's event loop when SIGINT or SIGTERM arrives.
// False when the signals cannot be watched on this system.
bool WatchTerminationSignals(QObject *context, std::function<void()> onSignal);

} // namespace ktv31::sim
