// A clock that moves only when the code waits, for in-memory lines in tests and fuzz targets.
#pragma once

#include "shell/clock.h"

#include <QPointer>

#include <deque>
#include <vector>

namespace ktv31 {

// Time stands still while code runs and jumps when it waits: a wait first handles the events
// that are pending and the timers that are due, checking its condition after each, and only then
// moves the clock on to the next timer or to its own deadline, whichever comes first. Events the
// program posted are handled at every step; those from outside it (window system, sockets) at
// most once a millisecond of machine time, as they come in real time anyway, so that a run of
// short waits costs no system calls. A sleep
// moves the clock without firing anything; what fell due meanwhile fires at the next wait, as a
// real timer would. So an exchange or a dial over a line whose bytes come from this clock's
// timers (runAfter) goes exactly as it would in real time, only at once.
//
// For the thread of the event loop only, and only with lines that live in memory: a real device
// or a simulator's pseudo-terminal keeps real time.
class VirtualClock final : public Clock
{
public:
    static constexpr qint64 StartNs = 1000000000; // never 0, which tests take for "not yet"

    explicit VirtualClock(qint64 startNs = StartNs) : now_(startNs) {}

    qint64 nowNs() const override { return now_; }
    void sleepUntil(qint64 deadlineNs) override;
    WakeReason waitUntil(qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                         QEventLoop::ProcessEventsFlags flags) override;
    void processPending() override;
    void runAfter(qint64 delayMs, QObject *context, std::function<void()> action) override;

private:
    struct Timer
    {
        bool hasContext = false;
        QPointer<QObject> context;
        std::function<void()> action;
    };
    // When a timer fires, and where it waits: the heap moves only these, never the actions.
    struct Due
    {
        qint64 dueNs;
        quint64 sequence;
        size_t slot;
    };
    // Orders the heap so that its front is the earliest timer, of equal ones the first set, as
    // real timers of equal time fire.
    static bool FiresLater(const Due &a, const Due &b)
    {
        return a.dueNs != b.dueNs ? a.dueNs > b.dueNs : a.sequence > b.sequence;
    }

    void handleEvents(QEventLoop::ProcessEventsFlags flags);
    bool fireOneDue();

    qint64 now_;
    qint64 lastOutsidePassNs_ = 0; // on the machine's clock
    quint64 sequence_ = 0;
    // Setting a timer seldom allocates: the timers wait in reused slots of a deque, which keeps
    // them in place while one runs and sets others, and a vector holds the heap of when each is
    // due.
    std::deque<Timer> slots_;
    std::vector<size_t> freeSlots_;
    std::vector<Due> due_;
};

} // namespace ktv31
