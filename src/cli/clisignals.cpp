// The platform-independent half of the interrupt watcher.
#include "cli/clisignals.h"

namespace ktv31::cli {

InterruptWatcher::InterruptWatcher(QObject *parent) : QObject(parent)
{
    InstallInterruptHandlers(this);
}

InterruptWatcher::~InterruptWatcher() { RemoveInterruptHandlers(); }

void InterruptWatcher::deliver()
{
    ++requests_;
    emit interrupted();
}

void DeliverInterrupt(InterruptWatcher *watcher) { watcher->deliver(); }

} // namespace ktv31::cli
