// The clocks: every wait and timer goes the same on the virtual clock as on the machine's.
#include "shell/monoclock.h"
#include "shell/virtualclock.h"
#include "support/clockchoice.h"
#include "support/cputime.h"

#include <QtTest>

#include <memory>

using namespace ktv31;
using ktv31::test::ClockChoice;

namespace {

// The machine's clock within this margin of the expected moment; the virtual one exactly on it.
constexpr qint64 kRealMarginNs = MsToNs(25);

// Timers that note the moment each fired, measured from `start`.
struct Firings
{
    qint64 start = NowNs();
    QList<qint64> at; // nanoseconds after start, in the order they fired
    QList<int> order; // the timers' indices

    void arm(const QList<int> &delaysMs, QObject *context = nullptr)
    {
        for (int i = 0; i < delaysMs.size(); ++i)
            RunAfter(delaysMs[i], context, [this, i] {
                at.append(NowNs() - start);
                order.append(i);
            });
    }
    qint64 elapsed() const { return NowNs() - start; }
};

bool Near(qint64 actualNs, qint64 expectedNs, bool isVirtual)
{
    return isVirtual ? actualNs == expectedNs
                     : actualNs >= expectedNs && actualNs < expectedNs + kRealMarginNs;
}

void AddClockRows(const char *name)
{
    QTest::newRow(qPrintable(QStringLiteral("%1, virtual").arg(name))) << true;
    QTest::newRow(qPrintable(QStringLiteral("%1, machine").arg(name))) << false;
}

} // namespace

class TestMonoClock : public QObject
{
    Q_OBJECT
private slots:
    void waits_data();
    void waits();
    void sleepFiresNothingUntilTheNextWait_data() { oneColumnOfClocks(); }
    void sleepFiresNothingUntilTheNextWait();
    void timerOfADeletedContextNeverFires_data() { oneColumnOfClocks(); }
    void timerOfADeletedContextNeverFires();
    void waitInsideATimerTakesItsTime_data() { oneColumnOfClocks(); }
    void waitInsideATimerTakesItsTime();
    void machineWaitsTakeTheirTimeAndNoCpu_data();
    void machineWaitsTakeTheirTimeAndNoCpu();

private:
    static void oneColumnOfClocks()
    {
        QTest::addColumn<bool>("isVirtual");
        AddClockRows("clock");
    }
};

void TestMonoClock::waits_data()
{
    QTest::addColumn<bool>("isVirtual");
    QTest::addColumn<QList<int>>("timersMs");
    QTest::addColumn<int>("deadlineMs");
    QTest::addColumn<int>("wakeAfterFirings"); // -1: no condition
    QTest::addColumn<bool>("woken");
    QTest::addColumn<int>("endMs");
    QTest::addColumn<QList<int>>("fired");
    struct Row
    {
        const char *name;
        QList<int> timersMs;
        int deadlineMs;
        int wakeAfterFirings;
        bool woken;
        int endMs;
        QList<int> fired;
    };
    const Row rows[] = {
        {"condition already holds", {10}, 50, 0, true, 0, {}},
        {"nothing comes", {}, 50, -1, false, 50, {}},
        {"woken by the second timer", {40, 10, 30}, 60, 2, true, 30, {1, 2}},
        {"equal times in the order set", {20, 20, 20}, 60, 3, true, 20, {0, 1, 2}},
        {"timers beyond the deadline wait", {20, 70}, 50, -1, false, 50, {0}},
    };
    for (const Row &row : rows)
        for (bool isVirtual : {true, false})
            QTest::newRow(qPrintable(
                QStringLiteral("%1, %2").arg(row.name, isVirtual ? "virtual" : "machine")))
                << isVirtual << row.timersMs << row.deadlineMs << row.wakeAfterFirings << row.woken
                << row.endMs << row.fired;
}

void TestMonoClock::waits()
{
    QFETCH(bool, isVirtual);
    QFETCH(QList<int>, timersMs);
    QFETCH(int, deadlineMs);
    QFETCH(int, wakeAfterFirings);
    QFETCH(bool, woken);
    QFETCH(int, endMs);
    QFETCH(QList<int>, fired);
    ClockChoice choice(isVirtual);
    QObject context; // ends the timers that are left when the row is done
    Firings firings;
    firings.arm(timersMs, &context);
    WakeSources wake;
    if (wakeAfterFirings >= 0)
        wake.when([&] { return firings.order.size() >= wakeAfterFirings; });
    const WakeReason reason = WaitUntil(firings.start + MsToNs(deadlineMs), wake);
    QCOMPARE(reason, woken ? WakeReason::Woken : WakeReason::Deadline);
    QVERIFY2(Near(firings.elapsed(), MsToNs(endMs), isVirtual),
             qPrintable(QString::number(firings.elapsed())));
    QCOMPARE(firings.order, fired);
    for (int i = 0; i < fired.size(); ++i)
        QVERIFY(Near(firings.at[i], MsToNs(timersMs[fired[i]]), isVirtual));
}

void TestMonoClock::sleepFiresNothingUntilTheNextWait()
{
    QFETCH(bool, isVirtual);
    ClockChoice choice(isVirtual);
    Firings firings;
    firings.arm({5});
    SleepFor(20);
    QVERIFY(firings.order.isEmpty());
    QVERIFY(Near(firings.elapsed(), MsToNs(20), isVirtual));
    // Late, as a real timer is after a sleep: it fires when events are processed next.
    PumpEvents();
    QCOMPARE(firings.order, QList<int>{0});
    QVERIFY(Near(firings.at[0], MsToNs(20), isVirtual));
}

void TestMonoClock::timerOfADeletedContextNeverFires()
{
    QFETCH(bool, isVirtual);
    ClockChoice choice(isVirtual);
    auto context = std::make_unique<QObject>();
    Firings firings;
    firings.arm({5}, context.get());
    context.reset();
    QVERIFY(PauseWithEvents(20));
    QVERIFY(firings.order.isEmpty());
}

void TestMonoClock::waitInsideATimerTakesItsTime()
{
    // A handler that waits in turn (a window's own pause) holds the outer wait up, on either
    // clock: the outer one finds its deadline passed when the handler returns.
    QFETCH(bool, isVirtual);
    ClockChoice choice(isVirtual);
    QObject context;
    Firings firings;
    RunAfter(10, &context, [] { PauseWithEvents(30); });
    firings.arm({20}, &context);
    QVERIFY(PauseWithEvents(15));
    QVERIFY(Near(firings.elapsed(), MsToNs(40), isVirtual));
    QCOMPARE(firings.order, QList<int>{0}); // fired during the nested wait
    QVERIFY(Near(firings.at[0], MsToNs(20), isVirtual));
}

void TestMonoClock::machineWaitsTakeTheirTimeAndNoCpu_data()
{
    QTest::addColumn<bool>("withEvents");
    QTest::newRow("event-loop wait") << true;
    QTest::newRow("sleep") << false;
}

void TestMonoClock::machineWaitsTakeTheirTimeAndNoCpu()
{
    QFETCH(bool, withEvents);
    ClockChoice choice(false);
    constexpr qint64 kWaitMs = 200;
    const qint64 cpuBefore = test::CpuTimeUs();
    const qint64 start = NowNs();
    if (withEvents)
        QCOMPARE(WaitUntil(start + MsToNs(kWaitMs)), WakeReason::Deadline);
    else
        SleepFor(kWaitMs);
    const qint64 elapsed = NowNs() - start;
    const qint64 cpuUs = test::CpuTimeUs() - cpuBefore;
    QVERIFY2(Near(elapsed, MsToNs(kWaitMs), false), qPrintable(QString::number(elapsed)));
    // Only the last millisecond of a sleep spins; a generous bound for a loaded machine.
    QVERIFY2(cpuUs < 20000, qPrintable(QStringLiteral("%1 us of CPU").arg(cpuUs)));
}

QTEST_GUILESS_MAIN(TestMonoClock)
#include "tst_monoclock.moc"
