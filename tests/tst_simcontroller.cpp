// Frame-level tests of the simulated controller through its pseudo-terminal.
#include "config/configfile.h"
#include "config/configimage.h"
#include "config/tablerequest.h"
#include "protocol/framing.h"
#include "shell/hexbytes.h"
#include "sim/controllertables.h"
#include "sim/faultplan.h"
#include "sim/simulator.h"
#include "support/simprogramside.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace ktv31;
using namespace ktv31::sim;
using ktv31::test::SimProgramSide;

namespace {

QByteArray readRequest(int table, int first, int count)
{
    return TableRequest::Read(table, first, count).slice(0, TableRequest::ReadLength);
}

QByteArray writeRequest(int table, int first, int count, const QByteArray &values)
{
    return TableRequest::Write(table, first, count, values)
        .slice(0, TableRequest::WriteLength(int(values.size())));
}

// The field values of a function 29 answer.
QByteArray valuesOf(const QByteArray &answer)
{
    return answer.mid(TableAnswerOffset::Data, answer.size() - TableAnswerOffset::Data - 2);
}

bool isRefusal(const QByteArray &answer, quint8 error)
{
    return answer.size() >= 9 && quint8(answer[FrameOffset::Function]) == 29 &&
           quint8(answer[FrameOffset::ErrorCode]) == error && Crc16(answer) == 0;
}

bool logHasNote(const Simulator &sim, const QString &part)
{
    for (const FrameLogEntry &entry : sim.frameLog())
        if (entry.note.contains(part))
            return true;
    return false;
}

QByteArray pattern(int size, int seed)
{
    QByteArray bytes;
    for (int i = 0; i < size; ++i)
        bytes.append(char((seed + 7 * i) % 22)); // valid speed codes, port 0
    return bytes;
}

} // namespace

class TestSimController : public QObject
{
    Q_OBJECT

private slots:
    void identificationFromOptions();
    void readsLandAsTheImageSays_data();
    void readsLandAsTheImageSays();
    void writesLandAsTheImageSays_data();
    void writesLandAsTheImageSays();
    void refusals_data();
    void refusals();
    void badFramesAreIgnoredAndTheStreamResyncs();
    void answersOnlyAtItsSpeed();
    void table3WriteSwitchesSpeedAfterTheAnswer();
    void destroyedTableIsRebuiltInOrder();
    void faultTriggersCountAnswers();
    void garbageIsReproducible();
    void parseFaultRule_data();
    void parseFaultRule();
    void pacingTakesWireAndThinkTime();
    void closeMidAnswerReplacesTheLine();
    void frameLogGoesToFile();
    void tablesFromConfigurationFile();
    void setOptionsKeepsTheLine();
};

void TestSimController::identificationFromOptions()
{
    SimOptions options;
    options.typeCode = 7;
    options.firmwareVersion = 4;
    options.hardwareVersion = 3;
    options.buildDate = QDateTime(QDate(2023, 11, 5), QTime(17, 8, 9));
    options.upperSpeedMask = 0x00000804; // 1200 and 9600 only
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    QVERIFY(side.isOpen());

    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(0, 0, 17))));
    const QByteArray id = valuesOf(side.readAnswer());
    QCOMPARE(id.size(), 17);
    QCOMPARE(quint8(id[ImageOffset::TypeCode]), 7);
    QCOMPARE(quint8(id[ImageOffset::HardwareVersion]), 3);
    QCOMPARE(quint8(id[ImageOffset::SoftwareVersion]), 4);
    QCOMPARE(id.mid(ImageOffset::BuildYear, 6), QByteArray::fromHex("170b0511 0809"));
    QCOMPARE(quint8(id[ImageOffset::DestroyedTable]), 0);

    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(1, 0, 2))));
    const QByteArray masks = valuesOf(side.readAnswer());
    QCOMPARE(masks, QByteArray::fromHex("04080000 ffff3f00"));
}

void TestSimController::readsLandAsTheImageSays_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("imageOffset");
    QTest::addColumn<int>("bytes");
    QTest::newRow("table 0") << 5 << 0 << 0 << 17 << 0 << 17;
    QTest::newRow("table 1") << 5 << 1 << 0 << 2 << ImageOffset::UpperSpeedMask << 8;
    QTest::newRow("table 3, firmware 5") << 5 << 3 << 0 << 8 << ImageOffset::LinkParameters << 8;
    QTest::newRow("table 3, firmware 3") << 3 << 3 << 0 << 7 << ImageOffset::LinkParameters << 7;
    QTest::newRow("table 5") << 5 << 5 << 0 << 1 << ImageOffset::ModemString << 64;
    QTest::newRow("table 6 first part") << 5 << 6 << 0 << 130 << ImageOffset::Links << 130;
    QTest::newRow("table 6 second part") << 5 << 6 << 130 << 125 << ImageOffset::Links + 130 << 125;
}

void TestSimController::readsLandAsTheImageSays()
{
    QFETCH(int, firmware);
    QFETCH(int, table);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, imageOffset);
    QFETCH(int, bytes);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);

    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(table, first, count))));
    const QByteArray answer = side.readAnswer();
    QCOMPARE(Crc16(answer), quint16(0));
    QCOMPARE(quint8(answer[FrameOffset::Function]), quint8(29 | 0x80));
    QCOMPARE(answer.mid(TableAnswerOffset::Table, 3),
             QByteArray() + char(table) + char(first) + char(count));
    QCOMPARE(valuesOf(answer), sim.image().slice(imageOffset, bytes));
}

void TestSimController::writesLandAsTheImageSays_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("first");
    QTest::addColumn<QByteArray>("values");
    QTest::addColumn<int>("imageOffset");
    QTest::newRow("table 3, 8 fields")
        << 5 << 3 << 0 << QByteArray::fromHex("0203050100003201") << ImageOffset::LinkParameters;
    QTest::newRow("table 3, 7 fields")
        << 4 << 3 << 0 << QByteArray::fromHex("02070901010102") << ImageOffset::LinkParameters;
    QTest::newRow("table 5") << 5 << 5 << 0
                             << QByteArray("ATZ\r").leftJustified(ModemStringSize, '\0')
                             << ImageOffset::ModemString;
    QTest::newRow("table 6, 243 fields") << 5 << 6 << 0 << pattern(243, 1) << ImageOffset::Links;
    QTest::newRow("table 6, last 12")
        << 5 << 6 << 243 << pattern(12, 5) << ImageOffset::Links + 243;
    QTest::newRow("table 6, a run")
        << 5 << 6 << 10 << QByteArray::fromHex("2b4b6b") << ImageOffset::Links + 10;
}

void TestSimController::writesLandAsTheImageSays()
{
    QFETCH(int, firmware);
    QFETCH(int, table);
    QFETCH(int, first);
    QFETCH(QByteArray, values);
    QFETCH(int, imageOffset);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    const ConfigImage before = sim.image();
    const int fieldSize = table == 5 ? ModemStringSize : 1;
    const int count = int(values.size()) / fieldSize;

    QVERIFY(side.write(SimProgramSide::TableFrame(writeRequest(table, first, count, values))));
    const QByteArray answer = side.readAnswer();
    QCOMPARE(quint8(answer[FrameOffset::Function]), quint8(29 | 0x80));
    QCOMPARE(answer.mid(TableAnswerOffset::Table, 3),
             QByteArray() + char(table) + char(first) + char(count));

    ConfigImage expected = before;
    expected.setSlice(imageOffset, int(values.size()), values);
    QCOMPARE(sim.image().toBytes(), expected.toBytes());
}

void TestSimController::refusals_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QList<int>>("destroyed");
    QTest::addColumn<quint8>("function");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("value");
    const QList<int> none;
    QTest::newRow("unknown function") << 5 << none << quint8(7) << QByteArray(7, '\0') << 1 << 0;
    QTest::newRow("short request") << 5 << none << quint8(29) << QByteArray(3, '\0') << 2 << 0;
    QTest::newRow("write data short")
        << 5 << none << quint8(29) << writeRequest(3, 0, 8, QByteArray(7, '\2')) << 2 << 0;
    QTest::newRow("read table 2") << 5 << none << quint8(29) << readRequest(2, 0, 1) << 9 << 0;
    QTest::newRow("read table 8") << 5 << none << quint8(29) << readRequest(8, 0, 1) << 9 << 0;
    QTest::newRow("write table 0")
        << 5 << none << quint8(29) << writeRequest(0, 0, 1, QByteArray(1, '\0')) << 12 << 0;
    QTest::newRow("write table 1")
        << 5 << none << quint8(29) << writeRequest(1, 0, 1, QByteArray(4, '\0')) << 12 << 0;
    QTest::newRow("write table 7")
        << 5 << none << quint8(29) << writeRequest(7, 0, 1, QByteArray(1, '\0')) << 12 << 0;
    QTest::newRow("read beyond table 0")
        << 5 << none << quint8(29) << readRequest(0, 10, 8) << 13 << 0;
    QTest::newRow("read field 7 of a 7-field table 3")
        << 3 << none << quint8(29) << readRequest(3, 7, 1) << 13 << 0;
    QTest::newRow("write beyond table 6")
        << 5 << none << quint8(29) << writeRequest(6, 250, 6, QByteArray(6, '\0')) << 14 << 0;
    QTest::newRow("write 8 fields of a 7-field table 3")
        << 4 << none << quint8(29) << writeRequest(3, 0, 8, QByteArray(8, '\2')) << 14 << 0;
    QTest::newRow("write count 0")
        << 5 << none << quint8(29) << writeRequest(3, 0, 0, {}) << 4 << 0;
    QTest::newRow("answer would not fit a frame")
        << 5 << none << quint8(29) << readRequest(6, 0, 255) << 4 << 0;
    QTest::newRow("speed code beyond the table")
        << 5 << none << quint8(29) << writeRequest(3, 0, 1, QByteArray(1, char(22))) << 4 << 0;
    QTest::newRow("link with port 4")
        << 5 << none << quint8(29) << writeRequest(6, 0, 1, QByteArray(1, char(0x8B))) << 4 << 0;
    QTest::newRow("read of a destroyed table")
        << 5 << QList<int>{6} << quint8(29) << readRequest(6, 0, 130) << 60 << 6;
    QTest::newRow("destroyed table written out of order")
        << 5 << QList<int>{6} << quint8(29) << writeRequest(6, 10, 1, QByteArray(1, '\0')) << 61
        << 6;
}

void TestSimController::refusals()
{
    QFETCH(int, firmware);
    QFETCH(QList<int>, destroyed);
    QFETCH(quint8, function);
    QFETCH(QByteArray, request);
    QFETCH(int, error);
    QFETCH(int, value);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    options.destroyedTables = destroyed;
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    const ConfigImage before = sim.image();

    FrameBuffer tx{};
    tx[0] = RequestStartSymbol;
    tx[3] = function;
    std::copy(request.begin(), request.end(), tx.begin() + FrameOffset::Data);
    SealFrame(tx, int(request.size()) + MinFrameLength);
    QVERIFY(side.write(QByteArray(reinterpret_cast<const char *>(tx.data()), tx[2])));

    const QByteArray answer = side.readAnswer();
    QCOMPARE(Crc16(answer), quint16(0));
    QVERIFY2(quint8(answer[FrameOffset::Function]) != (function | 0x80), answer.toHex().data());
    QCOMPARE(int(quint8(answer[FrameOffset::ErrorCode])), error);
    QCOMPARE(int(quint8(answer[FrameOffset::ErrorValue])), value);
    QCOMPARE(sim.image().toBytes(), before.toBytes()); // a refused write changes nothing
}

void TestSimController::badFramesAreIgnoredAndTheStreamResyncs()
{
    Simulator sim;
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    QByteArray badCrc = SimProgramSide::TableFrame(readRequest(3, 0, 8));
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 1);
    const QByteArray otherAddress = SimProgramSide::TableFrame(readRequest(5, 0, 1), 3);
    const QByteArray good = SimProgramSide::TableFrame(readRequest(0, 0, 17));

    // Preambles and noise, the two frames it must not answer, then one it must.
    QVERIFY(side.write(QByteArray::fromHex("ffff00") + badCrc + otherAddress +
                       QByteArray::fromHex("ffff") + good));
    const QByteArray answer = side.readAnswer();
    QCOMPARE(answer.mid(TableAnswerOffset::Table, 3), QByteArray::fromHex("000011"));
    QVERIFY(logHasNote(sim, QStringLiteral("bad CRC")));
    QVERIFY(logHasNote(sim, QStringLiteral("for address 3")));
    const QList<FrameLogEntry> log = sim.frameLog();
    QCOMPARE(std::count_if(log.begin(), log.end(),
                           [](const FrameLogEntry &e) { return e.kind == LogKind::Answer; }),
             1);
}

void TestSimController::answersOnlyAtItsSpeed()
{
    SimOptions options;
    options.speed = 4800;
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 9600);
    const QByteArray probe = SimProgramSide::TableFrame(readRequest(0, 0, 17));

    QVERIFY(side.write(probe));
    QTRY_VERIFY(logHasNote(sim, QStringLiteral("line at 9600 bit/s, controller at 4800")));
    QVERIFY(side.setSpeed(4800));
    QVERIFY(side.write(probe));
    const QByteArray answer = side.readAnswer();
    QCOMPARE(answer.left(2), QByteArray::fromHex("3300")); // the first probe got nothing
    QCOMPARE(quint8(sim.image().u8(ImageOffset::UpperSpeedCode)), quint8(6)); // 4800 in table 3
}

void TestSimController::table3WriteSwitchesSpeedAfterTheAnswer()
{
    Simulator sim;
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    const QByteArray probe = SimProgramSide::TableFrame(readRequest(0, 0, 17));

    // Speed code 11 = 9600 bit/s; the answer itself still comes at 1200 bit/s.
    QVERIFY(side.write(SimProgramSide::TableFrame(
        writeRequest(3, 0, 8, QByteArray::fromHex("0b03050100003200")))));
    QCOMPARE(quint8(side.readAnswer()[FrameOffset::Function]), quint8(0x9D));
    QCOMPARE(sim.speed(), 9600);

    QVERIFY(side.write(probe));
    QTRY_VERIFY(logHasNote(sim, QStringLiteral("line at 1200 bit/s, controller at 9600")));
    QVERIFY(side.setSpeed(9600));
    QVERIFY(side.write(probe));
    QCOMPARE(side.readAnswer().left(2), QByteArray::fromHex("3300"));
}

void TestSimController::destroyedTableIsRebuiltInOrder()
{
    SimOptions options;
    options.destroyedTables = {5, 6};
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);

    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(0, 0, 17))));
    QCOMPARE(quint8(valuesOf(side.readAnswer())[0]), quint8(5));
    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(7, 0, 8))));
    QCOMPARE(valuesOf(side.readAnswer()), QByteArray::fromHex("0000000000010100"));

    QVERIFY(side.write(SimProgramSide::TableFrame(writeRequest(6, 0, 243, pattern(243, 2)))));
    QVERIFY(!isRefusal(side.readAnswer(), 61));
    QCOMPARE(sim.destroyed()[6], quint8(1)); // not yet whole
    QVERIFY(side.write(SimProgramSide::TableFrame(writeRequest(6, 243, 12, pattern(12, 3)))));
    side.readAnswer();
    QCOMPARE(sim.destroyed()[6], quint8(0));
    QCOMPARE(sim.image().u8(ImageOffset::DestroyedTable), quint8(5));

    QVERIFY(side.write(
        SimProgramSide::TableFrame(writeRequest(5, 0, 1, QByteArray(ModemStringSize, '\0')))));
    side.readAnswer();
    QCOMPARE(sim.image().u8(ImageOffset::DestroyedTable), quint8(0));
    QCOMPARE(sim.destroyed(), DestroyedFlags{});
}

void TestSimController::faultTriggersCountAnswers()
{
    Simulator sim;
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    FaultRule everySecond;
    everySecond.kind = FaultKind::Refusal;
    everySecond.errorCode = 3;
    everySecond.when = FaultWhen::EveryNth;
    everySecond.every = 2;
    FaultRule once;
    once.kind = FaultKind::Refusal;
    once.errorCode = 4;
    sim.injectFault(everySecond);
    sim.injectFault(once);

    // Answer 1: the once rule; 2: every second; 3: clean; 4: every second again.
    QList<int> errors;
    for (int i = 0; i < 5; ++i) {
        QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(3, 0, 8))));
        const QByteArray answer = side.readAnswer();
        errors.append(quint8(answer[FrameOffset::Function]) == 0x9D
                          ? 0
                          : quint8(answer[FrameOffset::ErrorCode]));
    }
    QCOMPARE(errors, (QList<int>{4, 3, 0, 3, 0}));

    sim.clearFaults();
    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(3, 0, 8))));
    QCOMPARE(quint8(side.readAnswer()[FrameOffset::Function]), quint8(0x9D));
}

void TestSimController::garbageIsReproducible()
{
    QList<QByteArray> runs;
    for (int run = 0; run < 2; ++run) {
        SimOptions options;
        options.faultSeed = 77;
        FaultRule garbage;
        ParseFaultRule(QStringLiteral("garbage=9@always"), garbage);
        options.faults = {garbage};
        Simulator sim(options);
        QVERIFY(sim.start());
        SimProgramSide side(sim.devicePath(), 1200);
        QByteArray both;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(3, 0, 8))));
            const QByteArray answer = side.readAnswer();
            QCOMPARE(answer.indexOf(char(AnswerStartSymbol)), 9);
            QCOMPARE(Crc16(answer.mid(9)), quint16(0));
            both += answer.left(9);
        }
        runs.append(both);
    }
    QCOMPARE(runs[0], runs[1]);
    QVERIFY(runs[0].left(9) != runs[0].mid(9)); // the stream goes on, it does not restart
}

void TestSimController::parseFaultRule_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("canonical");
    QTest::newRow("silence") << "silence" << true << "silence@once";
    QTest::newRow("stall every 3") << "stall=2@every=3" << true << "stall=2@every=3";
    QTest::newRow("bad crc always") << "badcrc@always" << true << "badcrc@always";
    QTest::newRow("header count") << "header=count,-1" << true << "header=count,-1@once";
    QTest::newRow("refusal 24") << "refuse=24,5,1" << true << "refuse=24,5,1@once";
    QTest::newRow("refusal 60 names a table") << "refuse=60,6" << true << "refuse=60,0,6@once";
    QTest::newRow("close") << "close=3" << true << "close=3@once";
    QTest::newRow("unknown kind") << "explode" << false << "";
    QTest::newRow("refusal without code") << "refuse" << false << "";
    QTest::newRow("refusal code too big") << "refuse=300" << false << "";
    QTest::newRow("every zero") << "silence@every=0" << false << "";
    QTest::newRow("unknown trigger") << "silence@sometimes" << false << "";
    QTest::newRow("header of a wrong field") << "header=crc" << false << "";
    QTest::newRow("argument to silence") << "silence=1" << false << "";
}

void TestSimController::parseFaultRule()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, canonical);
    FaultRule rule;
    QString error;
    QCOMPARE(ParseFaultRule(text, rule, &error), valid);
    if (valid)
        QCOMPARE(FaultRuleText(rule), canonical);
    else
        QVERIFY(!error.isEmpty());
}

void TestSimController::pacingTakesWireAndThinkTime()
{
    SimOptions options;
    options.speed = 4800;
    options.pacing = true;
    options.thinkTimeMs = 40;
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 4800);
    const QByteArray request = SimProgramSide::TableFrame(readRequest(6, 0, 130));

    QElapsedTimer clock;
    clock.start();
    QVERIFY(side.write(request));
    const QByteArray answer = side.readAnswer(3000);
    const qint64 elapsedMs = clock.elapsed();
    QCOMPARE(answer.size(), 139);
    // 12 request bytes and 139 answer bytes at 10 bits a byte, plus the think time.
    const qint64 expectedMs = (12 + 139) * 10 * 1000 / 4800 + 40;
    QVERIFY2(elapsedMs >= expectedMs * 9 / 10, QByteArray::number(elapsedMs).constData());
    QVERIFY2(elapsedMs < expectedMs + 1500, QByteArray::number(elapsedMs).constData());
}

void TestSimController::closeMidAnswerReplacesTheLine()
{
    QTemporaryDir dir;
    Simulator sim;
    QVERIFY(sim.start());
    const QString link = dir.filePath(QStringLiteral("INI/COM1"));
    QVERIFY(sim.placeLink(link));
    const QString firstPath = sim.devicePath();
    FaultRule close;
    QVERIFY(ParseFaultRule(QStringLiteral("close=4"), close));
    sim.injectFault(close);
    {
        SimProgramSide side(firstPath, 1200);
        QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(0, 0, 17))));
        QVERIFY(side.readAnswer().size() <= 4);
        QVERIFY(side.hungUp());
    }
    QTRY_VERIFY(sim.devicePath() != firstPath);
    QCOMPARE(QFileInfo(link).symLinkTarget(), sim.devicePath());

    SimProgramSide again(link, 1200);
    QVERIFY(again.write(SimProgramSide::TableFrame(readRequest(0, 0, 17))));
    QCOMPARE(again.readAnswer().size(), 26);
    sim.stop();
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TestSimController::frameLogGoesToFile()
{
    QTemporaryDir dir;
    SimOptions options;
    options.frameLogPath = dir.filePath(QStringLiteral("frames.log"));
    Simulator sim(options);
    QVERIFY(sim.start());
    SimProgramSide side(sim.devicePath(), 1200);
    QVERIFY(side.write(QByteArray::fromHex("CC000C1D0000110000007D6C")));
    const QByteArray answer = side.readAnswer();
    sim.stop();

    QFile file(options.frameLogPath);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QRegularExpression request(
        QStringLiteral("^ *\\d+\\.\\d{3} request CC 00 0C 1D 00 00 11 00 00 00 7D 6C$"),
        QRegularExpression::MultilineOption);
    QVERIFY2(request.match(text).hasMatch(), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("answer  ") + QString::fromLatin1(HexBytes(answer))));
}

void TestSimController::tablesFromConfigurationFile()
{
    QTemporaryDir dir;
    ConfigRecord record;
    record.setU8(RecordOffset::TypeCode, 8);
    record.setU8(RecordOffset::SoftwareVersion, 5);
    record.setSlice(RecordOffset::LinkParameters, 8, QByteArray::fromHex("0f04060000011401"));
    record.setSlice(RecordOffset::ModemString, 8, QByteArray("ATM0L0\r"));
    const int calculator = 17;
    record.setSlice(LinkEntry::OffsetOf(calculator), LinkEntrySize, QByteArray::fromHex("01020b"));
    const QString path = dir.filePath(QStringLiteral("station.cnf"));
    QCOMPARE(WriteConfigFile(path, record), ConfigFileError::None);

    SimOptions options;
    options.configFile = path;
    Simulator sim(options);
    QVERIFY(sim.start());
    const ConfigImage image = sim.image();
    QCOMPARE(image.slice(ImageOffset::LinkParameters, 8), QByteArray::fromHex("0f04060000011401"));
    QCOMPARE(image.slice(ImageOffset::ModemString, 7), QByteArray("ATM0L0\r"));
    QCOMPARE(image.LinkByteAt(calculator), LinkByte::Make(2, 11));
    QCOMPARE(image.LinkByteAt(1), quint8(0)); // the defaults are gone
    QCOMPARE(sim.speed(), 19200);             // speed code 15 of the file's table 3

    options.configFile = dir.filePath(QStringLiteral("missing.cnf"));
    Simulator broken(options);
    QString error;
    QVERIFY(!broken.start(&error));
    QVERIFY(!error.isEmpty());
}

void TestSimController::setOptionsKeepsTheLine()
{
    Simulator sim;
    QVERIFY(sim.start());
    const QString path = sim.devicePath();
    SimProgramSide side(path, 1200);
    SimOptions options;
    options.firmwareVersion = 3;
    QVERIFY(sim.setOptions(options));
    QCOMPARE(sim.devicePath(), path);
    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(3, 0, 7))));
    QCOMPARE(side.readAnswer().size(), 6 + 3 + 7);
    options.speed = 1000;
    QVERIFY(!sim.setOptions(options));
    // The refused options left the running controller alone, and it still answers.
    QCOMPARE(sim.speed(), 1200);
    QVERIFY(side.write(SimProgramSide::TableFrame(readRequest(3, 0, 7))));
    QCOMPARE(side.readAnswer().size(), 6 + 3 + 7);
}

QTEST_GUILESS_MAIN(TestSimController)
#include "tst_simcontroller.moc"
