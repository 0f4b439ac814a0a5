// The platform-independent half of the interrupt watcher.
#include "shell/interruptwatcher.h"

namespace ktv31 {

InterruptWatcher::InterruptWatcher(QObject *parent) : QObject(parent)
{
    InstallInterruptHandlers(this);
}

InterruptWatcher::~InterruptWatcher()
{
    RemoveInterruptHandlers();
}

void InterruptWatcher::deliver(InterruptKind kind)
{
    if (requests_++ == 0)
        firstKind_ = kind;
    emit interrupted();
}

void DeliverInterrupt(InterruptWatcher *watcher, InterruptKind kind)
{
    watcher->deliver(kind);
}

} // namespace ktv31
