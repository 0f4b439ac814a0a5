// The modem dialogue against the simulator's Hayes modem through a pseudo-terminal.
#include "config/tablerequest.h"
#include "link/comportfunctions.h"
#include "link/connectmodem.h"
#include "protocol/exchangeengine.h"
#include "shell/monoclock.h"
#include "sim/simulator.h"
#include "support/ptypair.h"
#include "support/scriptedoperator.h"
#include "support/simmodem.h"

#include <QTimer>
#include <QtTest>

#include <memory>

using namespace ktv31;
using namespace ktv31::sim;
using ktv31::test::ScriptedOperator;
using ktv31::test::SimModemOptions;
using ktv31::test::SimModemTiming;

Q_DECLARE_METATYPE(ktv31::sim::DialOutcome)

namespace {

// The program's side of a telephone link: its own port and exchange session on the simulator.
struct Line
{
    Simulator sim;
    PortPtr port;
    ExchangeSession session;
    ScriptedOperator op;
    DialCancel cancel;
    ModemTiming timing = SimModemTiming();

    explicit Line(const SimOptions &options) : sim(options) {}

    bool open()
    {
        if (!sim.start())
            return false;
        port = test::OpenLine(sim.devicePath(), 1200);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Attempts = 1;
        session.FirstByteWaitMs = 500;
        session.NextByteWaitMs = 50;
        return port != nullptr;
    }
    DialResult dial(const QString &number, const QString &init, int attempts = 1)
    {
        return Dial(port.get(), number, init, &cancel, StatusPanel{&op, 1}, attempts, 1, timing);
    }
    bool readIdentification()
    {
        const TableRequest request = TableRequest::Read(0, 0, 17);
        return Exchange(session, TableFunctionCode, request.data(), TableRequest::ReadLength, 0);
    }
    bool logHasNote(const QString &part) const
    {
        for (const FrameLogEntry &entry : sim.frameLog())
            if (entry.note.contains(part))
                return true;
        return false;
    }
};

} // namespace

class TestModemSim : public QObject
{
    Q_OBJECT

private slots:
    void connectsThroughEchoingModemAndExchanges();
    void initStringWithoutAtSendsNoCommands();
    void dialOutcomes_data();
    void dialOutcomes();
    void cancelDuringDialWaitHangsUpPromptly();
    void hangUpDropsTheCall();
    void noModemAtAll();
};

void TestModemSim::connectsThroughEchoingModemAndExchanges()
{
    // The modem echoes until ATE0, and again after ATZ.
    Line line(SimModemOptions());
    QVERIFY(line.open());
    QCOMPARE(line.dial("7 123 45-67", "ATZ^AT&F^ATS0=0"), DialResult::Ok);
    QCOMPARE(line.sim.modemCommands(),
             (QByteArrayList{"ATE0\r", "ATV1\r", "ATZ\r", "AT&F\r", "ATS0=0\r", "ATD71234567\r"}));
    QVERIFY2(line.readIdentification(), qPrintable(ResultText(line.session)));
}

void TestModemSim::initStringWithoutAtSendsNoCommands()
{
    Line line(SimModemOptions());
    QVERIFY(line.open());
    QCOMPARE(line.dial("45-67", "no commands here"), DialResult::Ok);
    QCOMPARE(line.sim.modemCommands(), (QByteArrayList{"ATE0\r", "ATV1\r", "ATD4567\r"}));
}

void TestModemSim::dialOutcomes_data()
{
    QTest::addColumn<DialOutcome>("outcome");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<DialResult>("code");
    QTest::newRow("NO DIALTONE") << DialOutcome::NoDialtone << 1 << DialResult::NoDialTone;
    QTest::newRow("NO ANSWER") << DialOutcome::NoAnswer << 1 << DialResult::NoAnswer;
    QTest::newRow("NO CARRIER") << DialOutcome::NoCarrier << 1 << DialResult::NoCarrier;
    QTest::newRow("BUSY, three attempts") << DialOutcome::Busy << 3 << DialResult::Busy;
    QTest::newRow("ERROR") << DialOutcome::Error << 1 << DialResult::Error;
    QTest::newRow("silence, two attempts")
        << DialOutcome::Silence << 2 << DialResult::AnswerTimeout;
}

void TestModemSim::dialOutcomes()
{
    QFETCH(DialOutcome, outcome);
    QFETCH(int, attempts);
    QFETCH(DialResult, code);
    Line line(SimModemOptions({outcome}));
    QVERIFY(line.open());
    QCOMPARE(line.dial("123", "ATZ^AT&F", attempts), code);
    const QByteArrayList commands = line.sim.modemCommands();
    QCOMPARE(commands.count("ATZ\r"), attempts);
    QCOMPARE(commands.count("AT&F\r"), attempts);
    QCOMPARE(commands.count("ATD123\r"), attempts);
}

void TestModemSim::cancelDuringDialWaitHangsUpPromptly()
{
    SimOptions options = SimModemOptions();
    options.modem.dialDelayMs = 20000;
    Line line(options);
    line.timing.msPerWaitSecond = 30000;
    QVERIFY(line.open());
    qint64 cancelledAt = 0;
    line.op.onStatusText = [&](int, const QString &text) {
        if (text.contains("Команда ATD") && cancelledAt == 0) {
            cancelledAt = -1;
            QTimer::singleShot(200, &line.cancel, [&] {
                cancelledAt = NowNs();
                line.cancel.cancel();
            });
        }
    };
    QCOMPARE(line.dial("123", ""), DialResult::Cancelled);
    QVERIFY(cancelledAt > 0);
    QVERIFY2(NowNs() - cancelledAt < MsToNs(500), "the cancel was not prompt");
    // The simulator takes the last bytes on its own thread, a moment after Dial returned.
    QTRY_COMPARE(line.sim.modemCommands().last(), QByteArray("ATH\r"));
    QVERIFY(!line.readIdentification()); // nothing is connected behind the modem
}

void TestModemSim::hangUpDropsTheCall()
{
    Line line(SimModemOptions());
    QVERIFY(line.open());
    QCOMPARE(line.dial("123", ""), DialResult::Ok);
    QVERIFY(line.readIdentification());
    line.sim.clearLog();
    HangUp(line.port.get(), line.timing);
    QTRY_COMPARE(line.sim.modemCommands(), (QByteArrayList{"+++", "ath\r"}));
    QVERIFY(line.logHasNote("call dropped"));
    QVERIFY(!line.readIdentification());
}

void TestModemSim::noModemAtAll()
{
    // Two unanswered waits around the guard time, and no dialling. The waits of the real timing
    // are the scripted modem's test (tst_connectmodem), on a virtual clock.
    SimOptions options = SimModemOptions();
    options.modem.absent = true;
    Line line(options);
    QVERIFY(line.open());
    const qint64 start = NowNs();
    QCOMPARE(line.dial("123", "ATZ"), DialResult::NoModem);
    const qint64 elapsedMs = (NowNs() - start) / 1000000;
    const int waitsMs = 2 * line.timing.resetAnswerMs + line.timing.escapeGuardMs;
    QVERIFY2(elapsedMs >= waitsMs && elapsedMs < waitsMs + 1000,
             qPrintable(QString::number(elapsedMs)));
    for (const QString &text : line.op.statusTexts(1))
        QVERIFY2(!text.contains("ATD") && !text.contains("ATZ"), qPrintable(text));
}

QTEST_GUILESS_MAIN(TestModemSim)
#include "tst_modemsim.moc"
