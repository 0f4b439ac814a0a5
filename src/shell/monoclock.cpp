// The waits of the core, each on the installed clock.
#include "shell/monoclock.h"

namespace ktv31 {

qint64 NowNs()
{
    return CurrentClock().nowNs();
}

qint64 MachineNowNs()
{
    return MachineClock().nowNs();
}

void SleepUntil(qint64 deadlineNs)
{
    CurrentClock().sleepUntil(deadlineNs);
}

void SleepFor(qint64 ms)
{
    SleepUntil(NowNs() + MsToNs(ms));
}

WakeSources::~WakeSources()
{
    for (const QMetaObject::Connection &connection : connections_)
        QObject::disconnect(connection);
}

WakeReason WaitUntil(qint64 deadlineNs, const WakeSources &wake,
                     QEventLoop::ProcessEventsFlags flags)
{
    return CurrentClock().waitUntil(
        deadlineNs, [&wake] { return wake.due(); }, flags);
}

bool PauseWithEvents(qint64 ms, const std::function<bool()> &stop)
{
    WakeSources wake;
    wake.when(stop);
    return WaitUntil(NowNs() + MsToNs(ms), wake) == WakeReason::Deadline;
}

void PauseWithoutInput(qint64 ms)
{
    WaitUntil(NowNs() + MsToNs(ms), {}, QEventLoop::ExcludeUserInputEvents);
}

void PumpEvents()
{
    CurrentClock().processPending();
}

void RunAfter(qint64 ms, QObject *context, std::function<void()> action)
{
    CurrentClock().runAfter(ms, context, std::move(action));
}

} // namespace ktv31
