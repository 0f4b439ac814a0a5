// The clock seam: the time every deadline is measured in, and the waits and timers that follow it.
#pragma once

#include <QEventLoop>
#include <QtGlobal>

#include <functional>

class QObject;

namespace ktv31 {

enum class WakeReason
{
    Deadline,
    Woken
};

// Nanoseconds of a monotonic clock; only differences are meaningful. The real one follows the
// machine; a virtual one (virtualclock.h) lets in-memory lines play out their timing at once.
class Clock
{
public:
    virtual ~Clock() = default;

    virtual qint64 nowNs() const = 0;
    // Until the clock passes `deadlineNs`, processing nothing.
    virtual void sleepUntil(qint64 deadlineNs) = 0;
    // Processes events (of `flags`) until `wakeWhen` answers true or the clock passes
    // `deadlineNs`. The condition is asked before anything else, so a wait that has nothing to
    // wait for ends at once, and again after every batch of events.
    virtual WakeReason waitUntil(qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                                 QEventLoop::ProcessEventsFlags flags) = 0;
    // Processes what is due now without waiting.
    virtual void processPending() = 0;
    // Calls `action` once, `delayMs` from now, from the event loop, unless `context` (when one is
    // given) has been deleted by then.
    virtual void runAfter(qint64 delayMs, QObject *context, std::function<void()> action) = 0;
    // False for a clock whose waits process no events: what needs the event loop to make
    // progress (a port's output buffer) must then be driven by blocking calls.
    virtual bool runsEvents() const { return true; }
};

// The machine's monotonic clock: short waits sleep and spin only for the last millisecond, so
// they end exactly; event-loop waits cost no CPU.
Clock &MachineClock();

// The machine's clock for the last moments of a program whose event loop can no longer run (the
// display connection broke): its waits sleep and ask their condition every few milliseconds,
// nothing is processed, and actions for later are dropped.
Clock &ClockWithoutEvents();

// The clock of every deadline in the core: the machine's unless one is installed.
Clock &CurrentClock();

// Installs `clock` for the whole process while the scope lives. For the thread of the event loop
// only: a simulator's thread keeps to MachineClock().
class ClockScope
{
public:
    explicit ClockScope(Clock &clock);
    ~ClockScope();
    ClockScope(const ClockScope &) = delete;
    ClockScope &operator=(const ClockScope &) = delete;

private:
    Clock *previous_;
};

} // namespace ktv31
