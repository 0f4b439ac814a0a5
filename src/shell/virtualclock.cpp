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

void VirtualClock::sleepUntil(qint64 deadlineNs)
{
    now_ = std::max(now_, deadlineNs);
}

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
        const qint64 next = due_.empty() ? deadlineNs : due_.front().dueNs;
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
    size_t slot = slots_.size();
    if (freeSlots_.empty()) {
        slots_.emplace_back();
    } else {
        slot = freeSlots_.back();
        freeSlots_.pop_back();
    }
    Timer &timer = slots_[slot];
    timer.hasContext = context != nullptr;
    timer.context = context;
    timer.action = std::move(action);
    due_.push_back({now_ + std::max<qint64>(delayMs, 0) * 1000000, sequence_++, slot});
    std::push_heap(due_.begin(), due_.end(), FiresLater);
}

// The action may wait in turn (and so fire further timers) or set new ones: the timer leaves the
// heap before it runs, and its slot is given back only after.
bool VirtualClock::fireOneDue()
{
    if (due_.empty() || due_.front().dueNs > now_)
        return false;
    std::pop_heap(due_.begin(), due_.end(), FiresLater);
    const size_t slot = due_.back().slot;
    due_.pop_back();
    Timer &timer = slots_[slot];
    if (!timer.hasContext || timer.context)
        timer.action();
    timer.action = nullptr;
    timer.context.clear();
    freeSlots_.push_back(slot);
    return true;
}

} // namespace ktv31
