// Tests of the round's scheduler on the virtual clock: the order of calls and redials, a lost
// line's stations, an interrupted round and its resumption from the journal.
#include "shell/virtualclock.h"
#include "stations/stationjournal.h"
#include "stations/stationround.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;

namespace {

constexpr qint64 kVisitMs = 10000;

// Every visit takes 10 s; a station's calls end as its script says (the last entry repeats), and
// a port named faulty fails its first visit.
class ScriptedLauncher : public VisitLauncher
{
public:
    StationRound *round = nullptr;
    QHash<QString, QList<VisitEnd>> scripts;
    QSet<int> faultyPorts;
    QStringList calls; // "port:station@seconds"
    bool interrupted = false;

    void start(int port, const Station &station) override
    {
        const qint64 s = (CurrentClock().nowNs() - VirtualClock::StartNs) / 1000000000;
        calls << QStringLiteral("%1:%2@%3").arg(port).arg(station.name).arg(s);
        const QList<VisitEnd> script = scripts.value(station.name, {VisitEnd::Finished});
        const int made = made_[station.name]++;
        StationReport r;
        r.end = faultyPorts.contains(port) ? VisitEnd::LineFault
                                           : script[std::min<int>(made, script.size() - 1)];
        r.ok = r.end == VisitEnd::Finished;
        r.outcome = r.ok ? QStringLiteral("Выполнено") : QStringLiteral("нет");
        CurrentClock().runAfter(kVisitMs, nullptr, [this, port, r] {
            round->visitEnded(port, interrupted ? Interrupted(r) : r);
        });
    }
    void interruptAll() override { interrupted = true; }

private:
    static StationReport Interrupted(StationReport r)
    {
        r.ok = false;
        r.end = VisitEnd::Interrupted;
        return r;
    }
    QHash<QString, int> made_;
};

QList<Station> Stations(const QStringList &names, int port = 0)
{
    QList<Station> out;
    for (const QString &n : names)
        out.append(Station{n, QStringLiteral("1"), port, {}, {}, 0});
    return out;
}

void RunToEnd(StationRound &round)
{
    round.start();
    CurrentClock().waitUntil(
        CurrentClock().nowNs() + 3600LL * 1000000000, [&] { return round.finished(); },
        QEventLoop::AllEvents);
}

QStringList Outcomes(const StationRound &round)
{
    QStringList out;
    for (const StationReport &r : round.reports())
        out << QStringLiteral("%1:%2:%3").arg(r.name).arg(r.ok).arg(r.calls);
    return out;
}

} // namespace

class TstStationRound : public QObject
{
    Q_OBJECT

private slots:
    void callsInOrderAndRedialsLast_data();
    void callsInOrderAndRedialsLast();
    void lostLineHandsItsStationsOn();
    void interruptedRoundResumesWithTheRest();
    void refusesStationsNoLineMayServe();
};

void TstStationRound::callsInOrderAndRedialsLast_data()
{
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<int>("redials");
    QTest::addColumn<QStringList>("calls");
    QTest::addColumn<QStringList>("outcomes");
    QTest::newRow("one line, two redials")
        << QList<int>{1} << 2 << QStringList{"1:a@0", "1:b@10", "1:c@20", "1:a@30", "1:a@40"}
        << QStringList{"a:1:3", "b:1:1", "c:1:1"};
    QTest::newRow("one line, one redial")
        << QList<int>{1} << 1 << QStringList{"1:a@0", "1:b@10", "1:c@20", "1:a@30"}
        << QStringList{"a:0:2", "b:1:1", "c:1:1"};
    QTest::newRow("two lines at once")
        << QList<int>{1, 2} << 2 << QStringList{"1:a@0", "2:b@0", "1:c@10", "2:a@10", "1:a@20"}
        << QStringList{"a:1:3", "b:1:1", "c:1:1"};
}

void TstStationRound::callsInOrderAndRedialsLast()
{
    QFETCH(QList<int>, lines);
    QFETCH(int, redials);
    VirtualClock clock;
    ClockScope scope(clock);
    ScriptedLauncher launcher;
    launcher.scripts[QStringLiteral("a")] = {VisitEnd::CallAgain, VisitEnd::CallAgain,
                                             VisitEnd::Finished};
    StationRound round(Stations({"a", "b", "c"}), lines, redials, launcher);
    launcher.round = &round;
    RunToEnd(round);
    QFETCH(QStringList, calls);
    QFETCH(QStringList, outcomes);
    QCOMPARE(launcher.calls, calls);
    QCOMPARE(Outcomes(round), outcomes);
}

void TstStationRound::lostLineHandsItsStationsOn()
{
    VirtualClock clock;
    ClockScope scope(clock);
    ScriptedLauncher launcher;
    launcher.faultyPorts = {2};
    QList<Station> stations = Stations({"a", "b", "c"});
    stations.append(Station{QStringLiteral("only2"), QStringLiteral("2"), 2, {}, {}, 0});
    StationRound round(stations, {1, 2}, 2, launcher);
    launcher.round = &round;
    QSignalSpy lost(&round, &StationRound::lineLost);
    RunToEnd(round);
    QCOMPARE(lost.count(), 1);
    QCOMPARE(launcher.calls, (QStringList{"1:a@0", "2:b@0", "1:c@10", "1:b@20"}));
    // The station bound to the lost line ends with that line's fault, uncalled.
    QCOMPARE(Outcomes(round), (QStringList{"a:1:1", "b:1:1", "c:1:1", "only2:0:0"}));
}

void TstStationRound::interruptedRoundResumesWithTheRest()
{
    VirtualClock clock;
    ClockScope scope(clock);
    QTemporaryDir dir;
    const QString journal = dir.filePath(QStringLiteral("journal.jsonl"));
    ScriptedLauncher launcher;
    StationRound round(Stations({"a", "b", "c", "d"}), {1}, 2, launcher);
    launcher.round = &round;
    connect(&round, &StationRound::stationFinished, this, [&](const StationReport &r) {
        AppendJournal(journal, {QStringLiteral("r1"), QStringLiteral("/book"), {}, r});
    });
    clock.runAfter(kVisitMs * 3 / 2, nullptr, [&] { round.interrupt(); }); // while b's call runs
    RunToEnd(round);
    QCOMPARE(Outcomes(round), (QStringList{"a:1:1", "b:0:1", "c:0:0", "d:0:0"}));
    AppendJournal(journal, {QStringLiteral("r0"), QStringLiteral("/other"), {}, {}});

    const std::optional<ResumePoint> resume = LastRoundOf(journal, QStringLiteral("/book"));
    QVERIFY(resume);
    QCOMPARE(resume->round, QStringLiteral("r1"));
    QCOMPARE(resume->done, QSet<QString>{QStringLiteral("a")});
}

void TstStationRound::refusesStationsNoLineMayServe()
{
    QVERIFY(RoundLinesFault(Stations({"a"}), {}));
    QVERIFY(RoundLinesFault(Stations({"a"}, 3), {1, 2}));
    QVERIFY(!RoundLinesFault(Stations({"a"}, 2), {1, 2}));
    const QList<Station> direct{Station{QStringLiteral("d"), {}, 1, {}, {}, 0}};
    QVERIFY(RoundLinesFault(direct, {1}));
    QVERIFY(!RoundLinesFault(direct, {}));
}

QTEST_GUILESS_MAIN(TstStationRound)
#include "tst_stationround.moc"
