// The one monotonic clock of every deadline, and the waits built on it.
#pragma once

#include <QtGlobal>

#include <functional>

namespace ktv31 {

// Nanoseconds of a monotonic clock; only differences are meaningful.
qint64 NowNs();
constexpr qint64 MsToNs(qint64 ms) { return ms * 1000000; }

// Waits until the clock passes `deadlineNs` without processing events: sleeps while more
// than about a millisecond remains and only then spins, so short pauses stay exact and
// long ones cost no CPU.
void SleepUntil(qint64 deadlineNs);
void SleepFor(qint64 ms);

// Waits `ms` while the event loop keeps running (windows stay alive, timers fire).
// Returns early with false when `stop` answers true; it is asked again whenever an event has
// been processed.
bool PauseWithEvents(qint64 ms, const std::function<bool()> &stop = {});

// Waits `ms` while timers, painting and other non-input events keep being processed; mouse
// and key input stays queued until the next full pump, so no other command can start meanwhile.
void PauseWithoutInput(qint64 ms);

// Processes the events already pending, when there is an application to process them.
void PumpEvents();

} // namespace ktv31
