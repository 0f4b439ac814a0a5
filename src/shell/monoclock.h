// The time of every deadline, and the waits and timers built on it, on the installed clock.
#pragma once

#include "shell/clock.h"

#include <QObject>
#include <QVarLengthArray>
#include <QtGlobal>

#include <functional>
#include <vector>

namespace ktv31 {

// Nanoseconds of the installed clock (clock.h); only differences are meaningful.
qint64 NowNs();
// Nanoseconds of the machine's monotonic clock whatever clock is installed: for a simulated
// device on its own thread and for measurements.
qint64 MachineNowNs();
constexpr qint64 MsToNs(qint64 ms)
{
    return ms * 1000000;
}

// Waits until the clock passes `deadlineNs` without processing events: sleeps while more
// than about a millisecond remains and only then spins, so short pauses stay exact and
// long ones cost no CPU.
void SleepUntil(qint64 deadlineNs);
void SleepFor(qint64 ms);

// What ends an event-loop wait before its deadline: signals it watches, which count once their
// earlier receivers have run (a window that drops a lost port has done so when the wait ends),
// and a condition, asked before the wait and again after every batch of events, so that a
// handler that runs meanwhile (an abort, a cancel, arriving bytes) ends the wait at once.
class WakeSources
{
public:
    WakeSources() = default;
    ~WakeSources();
    WakeSources(const WakeSources &) = delete;
    WakeSources &operator=(const WakeSources &) = delete;

    template <typename Sender, typename Signal> WakeSources &on(const Sender *sender, Signal signal)
    {
        if (sender)
            connections_.append(QObject::connect(sender, signal, [this] { signalled_ = true; }));
        return *this;
    }
    WakeSources &when(std::function<bool()> condition)
    {
        condition_ = std::move(condition);
        return *this;
    }
    bool due() const { return signalled_ || (condition_ && condition_()); }

private:
    // A wait watches one or two signals; they need no allocation of their own.
    QVarLengthArray<QMetaObject::Connection, 2> connections_;
    std::function<bool()> condition_;
    bool signalled_ = false;
};

// The one event-loop wait: windows stay alive and timers fire until one of `wake` is due or the
// clock passes `deadlineNs`. With `flags` = ExcludeUserInputEvents, mouse and key input stays
// queued.
WakeReason WaitUntil(qint64 deadlineNs, const WakeSources &wake = {},
                     QEventLoop::ProcessEventsFlags flags = QEventLoop::AllEvents);

// Waits `ms` while the event loop keeps running. Returns early with false when `stop` answers
// true.
bool PauseWithEvents(qint64 ms, const std::function<bool()> &stop = {});

// Waits `ms` while timers, painting and other non-input events keep being processed; mouse
// and key input stays queued until the next full pump, so no other command can start meanwhile.
void PauseWithoutInput(qint64 ms);

// Processes the events already pending, when there is an application to process them.
void PumpEvents();

// Calls `action` once, `ms` from now on the installed clock, unless `context` is gone by then.
void RunAfter(qint64 ms, QObject *context, std::function<void()> action);

} // namespace ktv31
