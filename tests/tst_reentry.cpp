// Re-entry from the event loop: aborts in every wait, ports dropped mid-operation, the running
// flag.
#include "config/tabletransfer.h"
#include "link/connectmodem.h"
#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "shell/operation.h"
#include "shell/settings.h"
#include "shell/virtualclock.h"
#include "support/cputime.h"
#include "support/ptypair.h"
#include "support/scriptedoperator.h"
#include "support/scriptedport.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace ktv31;
using ktv31::test::PtyPair;

namespace {

constexpr int kFrameLength = 12; // an identification read without preambles
constexpr qint64 kPromptNs = MsToNs(100);
constexpr qint64 kIdleCpuUs = 50000;

double MsSince(qint64 ns)
{
    return double(NowNs() - ns) / 1e6;
}

// How long the engine waits in each phase: a long RTS pause, a long transmission (300 bit/s and
// 255 preambles: about 9 s on the line), or the answer.
struct Phase
{
    int speed = 9600;
    int preambles = 0;
    int rtsPauseMs = 2;
    int attempts = 1;
    int framesOnLine = 1; // frames the far side must have seen when the exchange ends
};

// The program's side of a silent line whose far side the test reads.
struct SilentLine
{
    PtyPair pty;
    PortPtr port = test::OpenLine(pty.slavePath(), 9600);
    ExchangeSession session;

    explicit SilentLine(const Phase &phase)
    {
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = phase.speed;
        session.PreambleCount = quint8(phase.preambles);
        session.RtsPauseMs = phase.rtsPauseMs;
        session.Attempts = quint8(phase.attempts);
        session.FirstByteWaitMs = 5000;
    }
    bool readIdent()
    {
        const quint8 probe[6] = {0, 0, 17, 0, 0, 0};
        return Exchange(session, 29, probe, 6, 0);
    }
    // Everything the far side got, waiting a little for stragglers.
    QByteArray farSideBytes() { return pty.readMaster(1 << 16, 300); }
};

void AddPhaseColumns()
{
    QTest::addColumn<Phase>("phase");
    QTest::addColumn<int>("afterMs");
}

void AddPhases()
{
    AddPhaseColumns();
    QTest::newRow("RTS pause") << Phase{9600, 0, 1000, 1, 0} << 200;
    QTest::newRow("transmission wait") << Phase{300, 255, 2, 1, 1} << 300;
    QTest::newRow("answer wait, attempt 1 of 3") << Phase{9600, 0, 2, 3, 1} << 300;
}

// A silent far side: the dialogue waits for modem answers that never come.
ModemTiming SlowModem()
{
    ModemTiming timing;
    timing.resetAnswerMs = 3000;
    timing.escapeGuardMs = 1000;
    return timing;
}

} // namespace

Q_DECLARE_METATYPE(Phase)

class TestReentry : public QObject
{
    Q_OBJECT
private slots:
    void abortEndsTheWholeExchangeAtOnce_data() { AddPhases(); }
    void abortEndsTheWholeExchangeAtOnce();
    void abortEndsAWriteThatCannotDrain();
    void portDroppedDuringExchange_data();
    void portDroppedDuringExchange();
    void portDroppedDuringDial_data();
    void portDroppedDuringDial();
    void operationsRaiseTheRunningFlagOnce();
};

void TestReentry::abortEndsTheWholeExchangeAtOnce()
{
    QFETCH(Phase, phase);
    QFETCH(int, afterMs);
    SilentLine line(phase);
    QVERIFY(line.port);
    qint64 abortedAt = 0;
    QTimer::singleShot(afterMs, [&] {
        abortedAt = NowNs();
        RequestAbort(line.session);
    });
    const qint64 cpuBefore = test::CpuTimeUs();
    QVERIFY(!line.readIdent());
    QVERIFY2(abortedAt != 0, "the exchange ended before the abort");
    QVERIFY2(NowNs() - abortedAt < kPromptNs, qPrintable(QString::number(MsSince(abortedAt))));
    QVERIFY2(test::CpuTimeUs() - cpuBefore < kIdleCpuUs,
             qPrintable(QStringLiteral("%1 us of CPU").arg(test::CpuTimeUs() - cpuBefore)));
    QCOMPARE(line.session.ResultCode, Result::Aborted);
    QVERIFY(!line.session.abortPending());
    // No further attempt: exactly the frames sent before the abort, nothing after it.
    const int frameSize = phase.preambles + kFrameLength;
    QCOMPARE(line.farSideBytes().size(), phase.framesOnLine * frameSize);
}

void TestReentry::abortEndsAWriteThatCannotDrain()
{
    // 267 bytes may take up to 13 s to drain; a full line never lets them.
    SilentLine line(Phase{9600, 255, 2, 1, 0});
    QVERIFY(line.pty.fillTowardsMaster() > 0);
    qint64 abortedAt = 0;
    QTimer::singleShot(300, [&] {
        abortedAt = NowNs();
        RequestAbort(line.session);
    });
    QVERIFY(!line.readIdent());
    QVERIFY2(abortedAt != 0, "the exchange ended before the abort");
    QVERIFY2(NowNs() - abortedAt < kPromptNs, qPrintable(QString::number(MsSince(abortedAt))));
    QCOMPARE(line.session.ResultCode, Result::Aborted);
}

void TestReentry::portDroppedDuringExchange_data()
{
    AddPhaseColumns();
    QTest::addColumn<bool>("byLossReceiver");
    QTest::addColumn<Result>("result");
    // A timer drops the port as a window's hang-up or close would; a deviceLost receiver drops
    // it when the far side goes away.
    QTest::newRow("timer, RTS pause")
        << Phase{9600, 0, 1000, 1, 0} << 200 << false << Result::LineLost;
    QTest::newRow("timer, transmission wait")
        << Phase{300, 255, 2, 1, 1} << 300 << false << Result::LineLost;
    QTest::newRow("timer, answer wait")
        << Phase{9600, 0, 2, 1, 1} << 300 << false << Result::LineLost;
    QTest::newRow("lost-line receiver, answer wait")
        << Phase{9600, 0, 2, 1, 1} << 300 << true << Result::LineLost;
}

void TestReentry::portDroppedDuringExchange()
{
    QFETCH(Phase, phase);
    QFETCH(int, afterMs);
    QFETCH(bool, byLossReceiver);
    QFETCH(Result, result);
    SilentLine line(phase);
    QPointer<SerialPort> watched = line.port.get();
    const auto drop = [&] {
        line.session.PortHandle = nullptr;
        line.port.reset();
    };
    if (byLossReceiver) {
        QObject::connect(line.port.get(), &SerialPort::deviceLost, drop);
        QTimer::singleShot(afterMs, [&] { line.pty.closeMaster(); });
    } else {
        QTimer::singleShot(afterMs, drop);
    }
    const qint64 started = NowNs();
    QVERIFY(!line.readIdent());
    QVERIFY2(MsSince(started) < afterMs + 500, qPrintable(QString::number(MsSince(started))));
    QCOMPARE(line.session.ResultCode, result);
    QVERIFY(!line.port);
    QVERIFY2(watched.isNull(), "the dropped port outlived the exchange");
}

void TestReentry::portDroppedDuringDial_data()
{
    QTest::addColumn<bool>("byLossReceiver");
    QTest::newRow("timer") << false;
    QTest::newRow("lost-line receiver") << true;
}

void TestReentry::portDroppedDuringDial()
{
    QFETCH(bool, byLossReceiver);
    PtyPair pty;
    PortPtr port = test::OpenLine(pty.slavePath(), 9600);
    QVERIFY(port);
    QPointer<SerialPort> watched = port.get();
    const auto drop = [&] { port.reset(); };
    if (byLossReceiver) {
        QObject::connect(port.get(), &SerialPort::deviceLost, drop);
        QTimer::singleShot(200, [&] { pty.closeMaster(); });
    } else {
        QTimer::singleShot(200, drop);
    }
    DialCancel cancel;
    const qint64 started = NowNs();
    const DialResult code = Dial(port.get(), QStringLiteral("123"), QStringLiteral("ATZ"), &cancel,
                                 {}, 3, 60, SlowModem());
    QVERIFY2(MsSince(started) < 700, qPrintable(QString::number(MsSince(started))));
    QVERIFY(code == DialResult::NoModem || code == DialResult::AnswerTimeout);
    QVERIFY2(watched.isNull(), "the dropped port outlived the dial");
}

void TestReentry::operationsRaiseTheRunningFlagOnce()
{
    VirtualClock clock;
    ClockScope useClock(clock);
    test::ScriptedPort port;
    ExchangeSession session;
    InitExchangeSession(session, 0);
    session.PortHandle = &port;
    session.FirstByteWaitMs = 50;
    ConfigImage image;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    test::ScriptedOperator op;
    TransferContext context(session, image, settings, op, 0);
    ModemTiming quick;
    quick.hangUpPauseMs = 30;

    const QList<std::function<void()>> operations{
        [&] { ReadIdentification(context); }, // a transfer around an exchange: nested, once
        [&] { HangUp(&port, quick); },
    };
    for (const auto &operation : operations) {
        QSignalSpy changes(&OperationState::instance(), &OperationState::runningChanged);
        bool runningInside = false;
        RunAfter(20, nullptr, [&] { runningInside = OperationRunning(); });
        operation();
        QVERIFY(runningInside);
        QVERIFY(!OperationRunning());
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(0).at(0).toBool(), true);
        QCOMPARE(changes.at(1).at(0).toBool(), false);
    }
}

QTEST_GUILESS_MAIN(TestReentry)
#include "tst_reentry.moc"
