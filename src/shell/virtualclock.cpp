// The virtual clock: waits that handle what is pending, then jump to the next timer or deadline.
#include "shell/virtualclock.h"

#include <QCoreApplication>

#include <algorithm>

namespace ktv31 {
namespace {

// What comes from outside the program (the window system, sockets, Qt's own timers) keeps real
// time, so a pass of the event loop for it is due at most this often; a wait that comes sooner
// only delivers the events the program posted itself, which needs no system call.
constexpr qint64 kOutsidePassNs = 1000000;

} // namespace

void VirtualClock::sleepUntil(qint64 deadlineNs) { now_ = std::max(now_, deadlineNs); }

void VirtualClock::handleEvents(QEventLoop::ProcessEventsFlags flags)
{
    if (!QCoreApplication::instance())
        return;
    const qint64 machineNow = MachineClock().nowNs();
    if (machineNow - lastOutsidePassNs_ >= kOutsidePassNs) {
        lastOutsidePassNs_ = machineNow;
        QCoreApplication::processEvents(flags);
    } else {
        QCoreApplication::sendPostedEvents();
    }
}

WakeReason VirtualClock::waitUntil(qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                                   QEventLoop::ProcessEventsFlags flags)
{
    const auto woken = [&] { return wakeWhen && wakeWhen(); };
    for (;;) {
        if (woken())
            return WakeReason::Woken;
        handleEvents(flags);
        if (woken())
            return WakeReason::Woken;
        if (fireOneDue())
            continue;
        if (now_ >= deadlineNs)
            return WakeReason::Deadline;
        const qint64 next = timers_.empty() ? deadlineNs : timers_.begin()->first.first;
        now_ = std::min(next, deadlineNs);
    }
}

void VirtualClock::processPending()
{
    do
        handleEvents(QEventLoop::AllEvents);
    while (fireOneDue());
}

void VirtualClock::runAfter(qint64 delayMs, QObject *context, std::function<void()> action)
{
    Timer timer;
    timer.hasContext = context != nullptr;
    timer.context = context;
    timer.action = std::move(action);
    const qint64 due = now_ + std::max<qint64>(delayMs, 0) * 1000000;
    timers_.emplace(std::make_pair(due, sequence_++), std::move(timer));
}

// The action may wait in turn (and so fire further timers) or set new ones: the timer leaves the
// table before it runs.
bool VirtualClock::fireOneDue()
{
    if (timers_.empty() || timers_.begin()->first.first > now_)
        return false;
    Timer timer = std::move(timers_.begin()->second);
    timers_.erase(timers_.begin());
    if (!timer.hasContext || timer.context)
        timer.action();
    return true;
}

} // namespace ktv31
