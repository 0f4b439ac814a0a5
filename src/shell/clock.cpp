// The machine's monotonic clock and the installed clock of the process.
#include "shell/clock.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <limits>
#include <thread>

namespace ktv31 {
namespace {

constexpr qint64 kSpinWindowNs = 1000000;

int CeilMs(qint64 ns)
{
    return int((ns + 999999) / 1000000);
}

// Asks `wakeWhen` first and again after every step, until it holds or the deadline has passed;
// `step` waits at most the time that is left.
template <typename Step>
WakeReason WaitLoop(const Clock &clock, qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                    Step step)
{
    for (;;) {
        if (wakeWhen && wakeWhen())
            return WakeReason::Woken;
        const qint64 remaining = deadlineNs - clock.nowNs();
        if (remaining <= 0)
            return WakeReason::Deadline;
        step(remaining);
    }
}

class SteadyClock final : public Clock
{
public:
    qint64 nowNs() const override
    {
        using namespace std::chrono;
        return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
    }

    void sleepUntil(qint64 deadlineNs) override
    {
        for (;;) {
            const qint64 remaining = deadlineNs - nowNs();
            if (remaining <= 0)
                return;
            if (remaining > kSpinWindowNs)
                std::this_thread::sleep_for(
                    std::chrono::nanoseconds(remaining - kSpinWindowNs / 2));
            else
                std::this_thread::yield();
        }
    }

    WakeReason waitUntil(qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                         QEventLoop::ProcessEventsFlags flags) override
    {
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QEventLoop loop;
        // A zero-interval check would spin; instead the loop sleeps until an event or the
        // deadline timer comes and asks again after every batch of events it processed.
        return WaitLoop(*this, deadlineNs, wakeWhen, [&](qint64 remaining) {
            timer.start(CeilMs(remaining));
            loop.processEvents(QEventLoop::WaitForMoreEvents | flags);
        });
    }

    void processPending() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
    }

    void runAfter(qint64 delayMs, QObject *context, std::function<void()> action) override
    {
        const int ms = int(std::clamp<qint64>(delayMs, 0, std::numeric_limits<int>::max()));
        if (context)
            QTimer::singleShot(ms, Qt::PreciseTimer, context, std::move(action));
        else
            QTimer::singleShot(ms, Qt::PreciseTimer, std::move(action));
    }
};

class SleepingClock final : public Clock
{
public:
    qint64 nowNs() const override { return MachineClock().nowNs(); }
    void sleepUntil(qint64 deadlineNs) override { MachineClock().sleepUntil(deadlineNs); }

    WakeReason waitUntil(qint64 deadlineNs, const std::function<bool()> &wakeWhen,
                         QEventLoop::ProcessEventsFlags) override
    {
        return WaitLoop(*this, deadlineNs, wakeWhen, [this](qint64 remaining) {
            sleepUntil(nowNs() + std::min(remaining, kPollNs));
        });
    }

    void processPending() override {}
    void runAfter(qint64, QObject *, std::function<void()>) override {}
    bool runsEvents() const override { return false; }

private:
    static constexpr qint64 kPollNs = 5000000;
};

std::atomic<Clock *> installed{nullptr};

} // namespace

// The clocks are never destroyed: the program's last moments (an exit under the window, which
// runs after static objects made later than its handler are gone) still wait on them.
Clock &MachineClock()
{
    static auto *clock = new SteadyClock;
    return *clock;
}

Clock &ClockWithoutEvents()
{
    static auto *clock = new SleepingClock;
    return *clock;
}

Clock &CurrentClock()
{
    Clock *clock = installed.load(std::memory_order_acquire);
    return clock ? *clock : MachineClock();
}

ClockScope::ClockScope(Clock &clock) : previous_(installed.exchange(&clock)) {}

ClockScope::~ClockScope()
{
    installed.store(previous_);
}

} // namespace ktv31
