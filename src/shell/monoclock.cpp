// Monotonic time and waits that never spin longer than about a millisecond.
#include "shell/monoclock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

namespace ktv31 {
namespace {
constexpr qint64 kSpinWindowNs = 1000000;
}

qint64 NowNs()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

void SleepUntil(qint64 deadlineNs)
{
    for (;;) {
        const qint64 remaining = deadlineNs - NowNs();
        if (remaining <= 0)
            return;
        if (remaining > kSpinWindowNs)
            std::this_thread::sleep_for(std::chrono::nanoseconds(remaining - kSpinWindowNs / 2));
        else
            std::this_thread::yield();
    }
}

void SleepFor(qint64 ms) { SleepUntil(NowNs() + MsToNs(ms)); }

namespace {

bool Pause(qint64 ms, const std::function<bool()> &stop, QEventLoop::ProcessEventsFlags flags)
{
    const qint64 deadline = NowNs() + MsToNs(ms);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QEventLoop loop;
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    // A zero-interval check would spin; instead the loop is woken by the deadline timer and
    // asks again after every batch of events it processed.
    for (;;) {
        if (stop && stop())
            return false;
        const qint64 remaining = deadline - NowNs();
        if (remaining <= 0)
            return true;
        timer.start(int((remaining + 999999) / 1000000));
        loop.processEvents(QEventLoop::WaitForMoreEvents | flags);
    }
}

} // namespace

bool PauseWithEvents(qint64 ms, const std::function<bool()> &stop)
{
    return Pause(ms, stop, QEventLoop::AllEvents);
}

void PauseWithoutInput(qint64 ms) { Pause(ms, {}, QEventLoop::ExcludeUserInputEvents); }

void PumpEvents()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}

} // namespace ktv31
