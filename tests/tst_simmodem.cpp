// Tests of the simulated Hayes modem in front of the controller, through its pseudo-terminal.
#include "config/tablerequest.h"
#include "protocol/framing.h"
#include "shell/monoclock.h"
#include "sim/simcommandline.h"
#include "sim/simulator.h"
#include "support/simprogramside.h"

#include <QtTest>

using namespace ktv31;
using namespace ktv31::sim;
using ktv31::test::SimProgramSide;

Q_DECLARE_METATYPE(ktv31::sim::DialOutcome)

namespace {

constexpr int kGuardMs = 80;

SimOptions modemOptions(QList<DialOutcome> script = {DialOutcome::Connect})
{
    SimOptions options;
    options.modem.enabled = true;
    options.modem.guardTimeMs = kGuardMs;
    options.modem.dialDelayMs = 30;
    options.modem.dialScript = script;
    return options;
}

QByteArray probe()
{
    return SimProgramSide::TableFrame(
        TableRequest::Read(0, 0, 17).slice(0, TableRequest::ReadLength));
}

// The escape needs the guard time of silence on both sides; that pause is the protocol itself.
void waitGuardTime()
{
    SleepFor(kGuardMs + 40);
}

bool logHasNote(const Simulator &sim, const QString &part)
{
    for (const FrameLogEntry &entry : sim.frameLog())
        if (entry.note.contains(part))
            return true;
    return false;
}

} // namespace

class TestSimModem : public QObject
{
    Q_OBJECT

private slots:
    void echoUntilAte0();
    void resultCodes_data();
    void resultCodes();
    void dialOutcomes_data();
    void dialOutcomes();
    void silentDialReturnsToCommandState();
    void connectPassesFramesUntilEscapeAndHangUp();
    void plusesInsideDataAreNoEscape();
    void scriptAdvancesAndCommandsAreLogged();
    void carrierLostWhenTheFarSideCloses();
    void noModemAtAllNeverAnswers();
    void dialScriptText_data();
    void dialScriptText();
};

void TestSimModem::echoUntilAte0()
{
    Simulator sim(modemOptions());
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("AT\r"));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("AT\r\r\nOK\r\n"));
    QVERIFY(side.write("ATE0\r"));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("ATE0\r\r\nOK\r\n"));
    QVERIFY(side.write("AT\r"));
    sim.settle(); // the log holds the command before anything was read back
    QCOMPARE(sim.modemCommands(), (QList<QByteArray>{"AT\r", "ATE0\r", "AT\r"}));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("\r\nOK\r\n"));
}

void TestSimModem::resultCodes_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("several commands") << QByteArray("ATZ&F S0=0 X4\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("lower case") << QByteArray("ate0v1\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("extended command")
        << QByteArray("AT+CBST=7,0,1;E0\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("noise before AT") << QByteArray("xyAT\r") << QByteArray("\r\nOK\r\n");
    QTest::newRow("echo flag out of range") << QByteArray("ATE5\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("register without value") << QByteArray("ATS0=\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("ampersand alone") << QByteArray("AT&\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("stray character") << QByteArray("AT!\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("dial without digits") << QByteArray("ATD\r") << QByteArray("\r\nERROR\r\n");
    QTest::newRow("numeric codes") << QByteArray("ATV0\r") << QByteArray("0\r");
    QTest::newRow("online without a call")
        << QByteArray("ATO\r") << QByteArray("\r\nNO CARRIER\r\n");
}

void TestSimModem::resultCodes()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, answer);
    Simulator sim(modemOptions());
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\r"));
    side.readUntil("OK\r\n");
    QVERIFY(side.write(command));
    QCOMPARE(side.readUntil(answer.size() > 4 ? answer.mid(2) : answer), answer);
}

void TestSimModem::dialOutcomes_data()
{
    QTest::addColumn<DialOutcome>("outcome");
    QTest::addColumn<QByteArray>("answer");
    QTest::newRow("connect") << DialOutcome::Connect << QByteArray("\r\nCONNECT 9600\r\n");
    QTest::newRow("busy") << DialOutcome::Busy << QByteArray("\r\nBUSY\r\n");
    QTest::newRow("no carrier") << DialOutcome::NoCarrier << QByteArray("\r\nNO CARRIER\r\n");
    QTest::newRow("no dialtone") << DialOutcome::NoDialtone << QByteArray("\r\nNO DIALTONE\r\n");
    QTest::newRow("no answer") << DialOutcome::NoAnswer << QByteArray("\r\nNO ANSWER\r\n");
    QTest::newRow("error") << DialOutcome::Error << QByteArray("\r\nERROR\r\n");
}

void TestSimModem::dialOutcomes()
{
    QFETCH(DialOutcome, outcome);
    QFETCH(QByteArray, answer);
    Simulator sim(modemOptions({outcome}));
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\r"));
    side.readUntil("OK\r\n");
    QVERIFY(side.write("ATD71234567\r"));
    QCOMPARE(side.readUntil(answer.mid(2)), answer);

    // Only a connection reaches the controller.
    QVERIFY(side.write(probe()));
    const QByteArray next = side.readAnswer(outcome == DialOutcome::Connect ? 2000 : 300);
    QCOMPARE(next.startsWith(QByteArray::fromHex("3300")), outcome == DialOutcome::Connect);
}

void TestSimModem::silentDialReturnsToCommandState()
{
    Simulator sim(modemOptions({DialOutcome::Silence}));
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\r"));
    side.readUntil("OK\r\n");
    QVERIFY(side.write("ATD5551234\r"));
    QTRY_VERIFY(logHasNote(sim, QStringLiteral("dial ended without a result")));
    QVERIFY(side.write("AT\r"));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("\r\nOK\r\n"));
}

void TestSimModem::connectPassesFramesUntilEscapeAndHangUp()
{
    Simulator sim(modemOptions());
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\rATD123\r"));
    side.readUntil("CONNECT 9600\r\n");
    QVERIFY(side.write(probe()));
    QCOMPARE(side.readAnswer().size(), 26);

    waitGuardTime();
    QVERIFY(side.write("+++"));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("\r\nOK\r\n"));
    // In command state again: a frame is no command, nothing answers it.
    QVERIFY(side.write(probe()));
    QVERIFY(side.write("ATO\r"));
    QCOMPARE(side.readUntil("CONNECT 9600\r\n"), QByteArray("\r\nCONNECT 9600\r\n"));
    QVERIFY(side.write(probe()));
    QCOMPARE(side.readAnswer().size(), 26);

    // The program's hang-up: "+++", then "ath" CR NUL.
    waitGuardTime();
    QVERIFY(side.write("+++"));
    side.readUntil("OK\r\n");
    QVERIFY(side.write(QByteArray("ath\r", 4) + '\0'));
    QCOMPARE(side.readUntil("OK\r\n"), QByteArray("\r\nOK\r\n"));
    QVERIFY(side.write("ATO\r"));
    QCOMPARE(side.readUntil("NO CARRIER\r\n"), QByteArray("\r\nNO CARRIER\r\n"));
    QCOMPARE(sim.modemCommands(),
             (QList<QByteArray>{"ATE0\r", "ATD123\r", "+++", "ATO\r", "+++", "ath\r", "ATO\r"}));
}

void TestSimModem::plusesInsideDataAreNoEscape()
{
    Simulator sim(modemOptions());
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\rATD123\r"));
    side.readUntil("CONNECT 9600\r\n");
    // No guard time before the pluses: they are data for the controller.
    QVERIFY(side.write(probe() + "+++"));
    QCOMPARE(side.readAnswer().size(), 26);
    QCOMPARE(side.readFor(3 * kGuardMs), QByteArray());
    QVERIFY(!sim.modemCommands().contains("+++"));
}

void TestSimModem::scriptAdvancesAndCommandsAreLogged()
{
    Simulator sim(modemOptions({DialOutcome::Busy, DialOutcome::Busy, DialOutcome::Connect}));
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\r"));
    side.readUntil("OK\r\n");
    // ATZ puts the echo back on.
    QList<QByteArray> answers;
    for (int attempt = 0; attempt < 3; ++attempt) {
        QVERIFY(side.write("ATZ\r"));
        side.readUntil("OK\r\n");
        QVERIFY(side.write("ATD71234567\r"));
        answers.append(side.readUntil(attempt < 2 ? "BUSY\r\n" : "CONNECT 9600\r\n"));
    }
    QCOMPARE(answers, (QList<QByteArray>{"ATD71234567\r\r\nBUSY\r\n", "ATD71234567\r\r\nBUSY\r\n",
                                         "ATD71234567\r\r\nCONNECT 9600\r\n"}));
    QCOMPARE(sim.modemCommands().count("ATD71234567\r"), 3);
    QCOMPARE(sim.modemCommands().count("ATZ\r"), 3);
}

void TestSimModem::carrierLostWhenTheFarSideCloses()
{
    Simulator sim(modemOptions());
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\rATD1\r"));
    side.readUntil("CONNECT 9600\r\n");
    FaultRule close;
    QVERIFY(ParseFaultRule(QStringLiteral("close=5"), close));
    sim.injectFault(close);
    QVERIFY(side.write(probe()));
    const QByteArray got = side.readUntil("NO CARRIER\r\n");
    QCOMPARE(got.size(), 5 + 14);
    QVERIFY(got.endsWith("\r\nNO CARRIER\r\n"));
    QVERIFY(!side.hungUp()); // the modem stays; only the call is gone
}

void TestSimModem::noModemAtAllNeverAnswers()
{
    SimOptions options = modemOptions();
    options.modem.absent = true;
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    QVERIFY(side.write("ATE0\r"));
    waitGuardTime();
    QVERIFY(side.write("+++"));
    QVERIFY(side.write(probe()));
    QCOMPARE(side.readFor(300), QByteArray());
}

void TestSimModem::dialScriptText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("count");
    QTest::newRow("all outcomes") << "connect,busy,no-carrier,no-dialtone,no-answer,error,silence"
                                  << true << 7;
    QTest::newRow("spaces and case") << " Busy , CONNECT" << true << 2;
    QTest::newRow("unknown") << "busy,ringing" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
}

void TestSimModem::dialScriptText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, count);
    QList<DialOutcome> script{DialOutcome::Connect};
    QCOMPARE(ParseDialScript(text, script), valid);
    QCOMPARE(int(script.size()), valid ? count : 1);
}

QTEST_GUILESS_MAIN(TestSimModem)
#include "tst_simmodem.moc"
