// The program's own exchange engine and serial port against the simulator on a pseudo-terminal.
#include "config/configimage.h"
#include "config/tablerequest.h"
#include "link/comportfunctions.h"
#include "protocol/exchangeengine.h"
#include "sim/faultplan.h"
#include "sim/simulator.h"
#include "support/ptypair.h"

#include <QElapsedTimer>
#include <QtTest>

#include <memory>

using namespace ktv31;
using namespace ktv31::sim;

namespace {

// A connected program side: the engine's session on a real port to the simulator.
struct Program
{
    PortPtr port;
    ExchangeSession session;

    explicit Program(const Simulator &sim, int speed = 1200)
    {
        port = test::OpenLine(sim.devicePath(), speed);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = speed;
        session.Attempts = 1;
        session.FirstByteWaitMs = 300;
        session.NextByteWaitMs = 50;
    }

    bool transfer(const TableRequest &request, int length)
    {
        return Exchange(session, TableFunctionCode, request.data(), length, 0);
    }
    bool read(int table, int first, int count)
    {
        return transfer(TableRequest::Read(table, first, count), TableRequest::ReadLength);
    }
    bool write(int table, int first, int count, const QByteArray &values)
    {
        return transfer(TableRequest::Write(table, first, count, values),
                        TableRequest::WriteLength(int(values.size())));
    }
    QByteArray answerValues(int bytes) const
    {
        return QByteArray(reinterpret_cast<const char *>(session.RxBuffer.data()) +
                              TableAnswerOffset::Data,
                          bytes);
    }
    QByteArray answerHeader() const
    {
        return QByteArray(
            reinterpret_cast<const char *>(session.RxBuffer.data()) + TableAnswerOffset::Table, 3);
    }
};

QByteArray header(int table, int first, int count)
{
    return QByteArray() + char(table) + char(first) + char(count);
}

} // namespace

class TestSimEngine : public QObject
{
    Q_OBJECT

private slots:
    void readsOfEveryTable_data();
    void readsOfEveryTable();
    void writesOfEveryTable_data();
    void writesOfEveryTable();
    void answersOnlyAtItsSpeed();
    void speedSwitchAfterTable3Write();
    void faultsGiveTheEngineResult_data();
    void faultsGiveTheEngineResult();
    void closeMidAnswerLosesThePort();
    void pacedAnswersAreAccepted();
};

void TestSimEngine::readsOfEveryTable_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("imageOffset"); // -1: table 7, compared with the destroyed flags
    QTest::addColumn<int>("bytes");
    QTest::newRow("table 0") << 5 << 0 << 0 << 17 << 0 << 17;
    QTest::newRow("table 1") << 5 << 1 << 0 << 2 << ImageOffset::UpperSpeedMask << 8;
    QTest::newRow("table 3 of firmware 6") << 6 << 3 << 0 << 8 << ImageOffset::LinkParameters << 8;
    QTest::newRow("table 3 of firmware 4") << 4 << 3 << 0 << 7 << ImageOffset::LinkParameters << 7;
    QTest::newRow("table 5") << 5 << 5 << 0 << 1 << ImageOffset::ModemString << 64;
    QTest::newRow("table 6, 0..129") << 5 << 6 << 0 << 130 << ImageOffset::Links << 130;
    QTest::newRow("table 6, 130..254") << 5 << 6 << 130 << 125 << ImageOffset::Links + 130 << 125;
    QTest::newRow("table 7") << 5 << 7 << 0 << 8 << -1 << 8;
}

void TestSimEngine::readsOfEveryTable()
{
    QFETCH(int, firmware);
    QFETCH(int, table);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, imageOffset);
    QFETCH(int, bytes);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    options.destroyedTables = {2}; // table 7 then has something to say
    Simulator sim(options);
    QVERIFY(sim.start());
    Program program(sim);
    QVERIFY(program.port);

    QVERIFY2(program.read(table, first, count), qPrintable(ResultText(program.session)));
    QCOMPARE(program.answerHeader(), header(table, first, count));
    const DestroyedFlags flags = sim.destroyed();
    const QByteArray expected = imageOffset < 0
                                    ? QByteArray(reinterpret_cast<const char *>(flags.data()), 8)
                                    : sim.image().slice(imageOffset, bytes);
    QCOMPARE(program.answerValues(bytes), expected);
    if (table == 0) {
        QCOMPARE(quint8(expected[ImageOffset::SoftwareVersion]), quint8(firmware));
        QCOMPARE(quint8(expected[ImageOffset::TypeCode]), quint8(8));
        QCOMPARE(quint8(expected[ImageOffset::DestroyedTable]), quint8(2));
    }
}

void TestSimEngine::writesOfEveryTable_data()
{
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("fieldSize");
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<int>("imageOffset");
    QByteArray links;
    for (int i = 0; i < 243; ++i)
        links.append(char(LinkByte::Make(quint8(i % 4), quint8(i % 22))));
    QTest::newRow("table 3") << 3 << 0 << 1 << QByteArray::fromHex("0204060100012801")
                             << ImageOffset::LinkParameters;
    QTest::newRow("table 5") << 5 << 0 << 64
                             << QByteArray("AT&FE0S0=2\r").leftJustified(ModemStringSize, '\0')
                             << ImageOffset::ModemString;
    QTest::newRow("table 6, 0..242") << 6 << 0 << 1 << links << ImageOffset::Links;
    QTest::newRow("table 6, 243..254")
        << 6 << 243 << 1 << links.left(12) << ImageOffset::Links + 243;
    QTest::newRow("table 6, one link")
        << 6 << 200 << 1 << QByteArray(1, char(0x6B)) << ImageOffset::Links + 200;
}

void TestSimEngine::writesOfEveryTable()
{
    QFETCH(int, table);
    QFETCH(int, first);
    QFETCH(int, fieldSize);
    QFETCH(QByteArray, values);
    QFETCH(int, imageOffset);
    // The engine waits out the request's wire time; a faster line keeps the test short.
    SimOptions options;
    options.speed = 19200;
    Simulator sim(options);
    QVERIFY(sim.start());
    Program program(sim, 19200);
    ConfigImage expected = sim.image();
    expected.setSlice(imageOffset, int(values.size()), values);

    QVERIFY2(program.write(table, first, int(values.size()) / fieldSize, values),
             qPrintable(ResultText(program.session)));
    QCOMPARE(sim.image().toBytes(), expected.toBytes());
}

void TestSimEngine::answersOnlyAtItsSpeed()
{
    SimOptions options;
    options.speed = 4800;
    Simulator sim(options);
    QVERIFY(sim.start());
    Program program(sim, 9600);

    QVERIFY(!program.read(0, 0, 17));
    QCOMPARE(program.session.ResultCode, Result::NoAnswer);
    program.session.Speed = 4800;
    QVERIFY2(program.read(0, 0, 17), qPrintable(ResultText(program.session)));
}

void TestSimEngine::speedSwitchAfterTable3Write()
{
    Simulator sim;
    QVERIFY(sim.start());
    Program program(sim);
    QByteArray table3 = sim.image().slice(ImageOffset::LinkParameters, 8);
    table3[0] = 11; // 9600 bit/s

    QVERIFY2(program.write(3, 0, 8, table3), qPrintable(ResultText(program.session)));
    QVERIFY(!program.read(0, 0, 17));
    QCOMPARE(program.session.ResultCode, Result::NoAnswer);
    program.session.Speed = 9600;
    QVERIFY2(program.read(3, 0, 8), qPrintable(ResultText(program.session)));
    QCOMPARE(program.answerValues(8), table3);
}

void TestSimEngine::faultsGiveTheEngineResult_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("attempts");
    QTest::addColumn<Result>("result");
    QTest::addColumn<bool>("headerAsAsked");
    QTest::newRow("silence") << "silence" << 1 << Result::NoAnswer << false;
    QTest::newRow("silence once, retried") << "silence" << 2 << Result::Ok << true;
    QTest::newRow("silence always, retried") << "silence@always" << 3 << Result::NoAnswer << false;
    QTest::newRow("stall after the address") << "stall=2" << 1 << Result::AnswerIncomplete << false;
    QTest::newRow("stall mid-answer") << "stall=12" << 1 << Result::AnswerIncomplete << false;
    QTest::newRow("stall after the start symbol") << "stall=1" << 1 << Result::NoAnswer << false;
    QTest::newRow("bad crc") << "badcrc" << 1 << Result::BadCrc << false;
    QTest::newRow("refusal") << "refuse=3" << 1 << Result::Refused << false;
    QTest::newRow("valve refusal") << "refuse=24,5,1" << 1 << Result::ValveRefused << false;
    QTest::newRow("destroyed table") << "refuse=60,6" << 1 << Result::Refused << false;
    QTest::newRow("wrong first field") << "header=first,1" << 1 << Result::Ok << false;
    QTest::newRow("wrong count") << "header=count,-3" << 1 << Result::Ok << false;
    QTest::newRow("garbage before the start") << "garbage=7" << 1 << Result::Ok << true;
}

void TestSimEngine::faultsGiveTheEngineResult()
{
    QFETCH(QString, fault);
    QFETCH(int, attempts);
    QFETCH(Result, result);
    QFETCH(bool, headerAsAsked);
    FaultRule rule;
    QVERIFY(ParseFaultRule(fault, rule));
    SimOptions options;
    options.speed = 19200;
    Simulator sim(options);
    QVERIFY(sim.start());
    sim.injectFault(rule);
    Program program(sim, 19200);
    program.session.Attempts = quint8(attempts);

    const bool ok = program.read(6, 0, 130);
    QCOMPARE(program.session.ResultCode, result);
    QCOMPARE(ok, result == Result::Ok);
    if (ok)
        QCOMPARE(program.answerHeader() == header(6, 0, 130), headerAsAsked);

    const QString text = ResultText(program.session);
    if (fault == QLatin1String("refuse=60,6"))
        QVERIFY2(text.endsWith(QLatin1String(" 6")), qPrintable(text));
    if (fault == QLatin1String("refuse=3"))
        QVERIFY2(text.contains(QStringLiteral("Неправильный пароль на запись")), qPrintable(text));
}

void TestSimEngine::closeMidAnswerLosesThePort()
{
    Simulator sim;
    QVERIFY(sim.start());
    FaultRule close;
    QVERIFY(ParseFaultRule(QStringLiteral("close"), close));
    sim.injectFault(close);
    Program program(sim);
    const QString oldPath = sim.devicePath();

    QVERIFY(!program.read(6, 0, 130));
    QVERIFY(program.port->isLost());
    QCOMPARE(program.session.ResultCode, Result::LineLost);
    QVERIFY(!program.read(0, 0, 17));
    QCOMPARE(program.session.ResultCode, Result::LineLost);

    // The simulator goes on on a new line.
    QTRY_VERIFY(sim.devicePath() != oldPath);
    Program again(sim);
    QVERIFY2(again.read(0, 0, 17), qPrintable(ResultText(again.session)));
}

void TestSimEngine::pacedAnswersAreAccepted()
{
    SimOptions options;
    options.speed = 9600;
    options.pacing = true;
    options.thinkTimeMs = 30;
    Simulator sim(options);
    QVERIFY(sim.start());
    Program program(sim, 9600);

    QElapsedTimer clock;
    clock.start();
    QVERIFY2(program.read(6, 0, 130), qPrintable(ResultText(program.session)));
    // 12 request and 139 answer bytes at 9600 bit/s, and the think time.
    QVERIFY(clock.elapsed() >= ((12 + 139) * 10 * 1000 / 9600 + 30) * 9 / 10);
}

QTEST_GUILESS_MAIN(TestSimEngine)
#include "tst_simengine.moc"
