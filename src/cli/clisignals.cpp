// The platform-independent half of the interrupt watcher.
#include "cli/clisignals.h"

#include "cli/exitstatus.h"

namespace ktv31::cli {

int ExitStatusOf(InterruptKind kind)
{
    switch (kind) {
    case InterruptKind::Terminate:
        return ExitStatus::Terminated;
    case InterruptKind::HangUp:
        return ExitStatus::HungUp;
    case InterruptKind::Interrupt:
        break;
    }
    return ExitStatus::Interrupted;
}

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

} // namespace ktv31::cli
