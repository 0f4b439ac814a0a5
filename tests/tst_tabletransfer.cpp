// Table transfers against the simulated controller on a pseudo-terminal, with a scripted operator.
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/tabletransfer.h"
#include "link/comportfunctions.h"
#include "protocol/controllercodes.h"
#include "protocol/exchangeengine.h"
#include "service/linkkind.h"
#include "shell/exchangefeed.h"
#include "shell/settings.h"
#include "shell/virtualclock.h"
#include "sim/answerframe.h"
#include "sim/simulator.h"
#include "support/ptypair.h"
#include "support/scriptedoperator.h"
#include "support/scriptedport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ktv31;
using namespace ktv31::sim;
using ktv31::test::ScriptedOperator;

namespace {

// Fast enough that the tests spend no time on the wire.
constexpr int StartSpeed = 115200;

const QString LinksCaption =
    QStringLiteral("\"Скорость обмена с подкл. вычислителем и порт подключения\"");

// The data of a request frame: start, address, length, function, data, CRC.
QByteArray RequestData(const QByteArray &frame)
{
    return frame.mid(FrameOffset::Data, quint8(frame[FrameOffset::Length]) - MinFrameLength);
}

struct Run
{
    int first;
    int count;
};

// The program side of one connection to a simulated controller, with every state the transfers
// share.
struct Rig
{
    QTemporaryDir dir;
    std::unique_ptr<Simulator> sim;
    PortPtr port;
    ExchangeSession session;
    ConfigImage image;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    ScriptedOperator op;
    TransferContext context{session, image, settings, op, 0};
    CountingProgress progress;

    // A controller whose tables 3, 5 and 6 hold something more telling than the defaults.
    bool start(SimOptions options)
    {
        ConfigRecord record;
        NewConfigRecord(record, 5); // the firmware is the simulator's option
        record.setU8(RecordOffset::LinkParameters + 6, 40);
        record.setSlice(RecordOffset::ModemString, 12, QByteArray("ATZ&F0S0=1\r"));
        for (int address = 1; address < CalculatorCount; ++address) {
            const int entry = LinkEntry::OffsetOf(address);
            record.setU8(entry + LinkEntry::Connected, address % 4 != 0 ? 1 : 0);
            record.setU8(entry + LinkEntry::Port, quint8(address % 4));
            record.setU8(entry + LinkEntry::SpeedCode, quint8(address % 22));
        }
        options.configFile = dir.filePath(QStringLiteral("start.cnf"));
        if (WriteConfigFile(options.configFile, record) != ConfigFileError::None)
            return false;
        if (options.speed == 0)
            options.speed = StartSpeed;
        sim = std::make_unique<Simulator>(options);
        if (!sim->start())
            return false;
        port = test::OpenLine(sim->devicePath(), StartSpeed);
        InitExchangeSession(session, 0);
        session.PortHandle = port.get();
        session.Speed = StartSpeed;
        settings.setSpeed(StartSpeed);
        session.Attempts = 1;
        session.FirstByteWaitMs = 300;
        session.NextByteWaitMs = 50;
        return port != nullptr;
    }

    // Reads the controller's configuration and forgets how it was done.
    bool readAll()
    {
        const bool ok = ReadConfiguration(context, progress);
        sim->clearLog();
        op.clearRecords();
        return ok;
    }

    QList<QByteArray> requests() const
    {
        QList<QByteArray> data;
        for (const FrameLogEntry &entry : sim->frameLog())
            if (entry.kind == LogKind::Request)
                data.append(RequestData(entry.bytes));
        return data;
    }
};

FaultRule Fault(FaultKind kind, FaultWhen when = FaultWhen::Once)
{
    FaultRule rule;
    rule.kind = kind;
    rule.when = when;
    return rule;
}

} // namespace

class TstTableTransfer : public QObject
{
    Q_OBJECT

private slots:
    void readConfigurationShowsEveryStep();
    void upperSpeedCodeBeyondTheTableBecomes1200();
    void unknownSpeedCodeIsNotFollowed();
    void table3FieldsByFirmware_data();
    void table3FieldsByFirmware();
    void wrongHeaderRetriedOrAbandoned_data();
    void wrongHeaderRetriedOrAbandoned();
    void failedExchangeOffersRetries_data();
    void failedExchangeOffersRetries();
    void cancelledExchangeAsksNothing();
    void shortAnswerIsNotCopied();
    void readTableStateFillsTheBuffer();
    void writeSelectedTablesInFullAndFollowsSpeed();
    void changedOnlyWritesRuns_data();
    void changedOnlyWritesRuns();
    void table3SpeedFollowedOnlyOnDirectLink_data();
    void table3SpeedFollowedOnlyOnDirectLink();
};

void TstTableTransfer::readConfigurationShowsEveryStep()
{
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    rig.context.closingWaitMs = 100;
    QElapsedTimer clock;
    clock.start();
    // The closing pause keeps timers alive: beats well after the last answer prove it.
    qint64 lastAnswerAt = 0;
    ExchangeLineWatch answers([&](const ExchangeLine &line) {
        if (line.kind == LogLineKind::Received)
            lastAnswerAt = clock.elapsed();
    });
    int beatsInPause = 0;
    QTimer heartbeat;
    connect(&heartbeat, &QTimer::timeout, [&] {
        if (lastAnswerAt > 0 && clock.elapsed() - lastAnswerAt >= 30)
            ++beatsInPause;
    });
    heartbeat.start(10);
    QVERIFY(ReadConfiguration(rig.context, rig.progress));
    QVERIFY(clock.elapsed() >= 100); // the closing pause
    QVERIFY2(beatsInPause >= 2, qPrintable(QString::number(beatsInPause)));

    QCOMPARE(rig.image.toBytes(), rig.sim->image().toBytes());
    QCOMPARE(rig.op.statusTexts(Panel::Step),
             QStringList({QStringLiteral("Чтение из таблицы 0 (поля 0-17)"),
                          QStringLiteral("Чтение из таблицы 3 (поля 0-8)"),
                          QStringLiteral("Чтение из таблицы 5 (поле 0)"),
                          QStringLiteral("Чтение из таблицы 6 (поля 0-130)"),
                          QStringLiteral("Чтение из таблицы 6 (поля 130-255)"),
                          QStringLiteral("Чтение из таблицы 1 (поля 0-2)")}));
    QVERIFY(rig.op.currentStatus(Panel::Step).isEmpty());
    QCOMPARE(rig.progress.Maximum(), 6);
    QCOMPARE(rig.progress.Position(), 6);
    QVERIFY(rig.op.messages.isEmpty());
    for (const QByteArray &request : rig.requests())
        QCOMPARE(request.size(), TableRequest::ReadLength);
}

// A scripted line that plays a controller taking whatever it is sent, which the simulator is not:
// it reads table 3 field 0 as `upperSpeedCode`. The line lives in memory, so its timing plays
// out on a virtual clock.
struct PermissiveController
{
    VirtualClock clock;
    ClockScope useClock{clock};

    explicit PermissiveController(quint8 upperSpeedCode)
        : port([upperSpeedCode](int, const QByteArray &written) {
              const QByteArray request = RequestData(written);
              QByteArray data = request.mid(TableRequestOffset::WriteTable, 3);
              if (quint8(request[TableRequestOffset::ReadCount]) != 0) { // a read
                  const int table = quint8(request[TableRequestOffset::ReadTable]);
                  const int count = quint8(request[TableRequestOffset::ReadCount]);
                  const int sizes[8] = {17, 8, 0, 8, 0, 64, count, 8};
                  QByteArray values(sizes[table], '\0');
                  if (table == 0)
                      values[ImageOffset::SoftwareVersion] = 5;
                  if (table == 3)
                      values[0] = char(upperSpeedCode);
                  data = request.left(3) + values;
              }
              return QList<ktv31::test::Chunk>{
                  {0, AnswerFrame(0, TableFunctionCode | AnswerFunctionFlag, data)}};
          })
    {
        InitExchangeSession(session, 0);
        session.PortHandle = &port;
        session.Speed = 9600;
        session.Attempts = 1;
        settings.setSpeed(9600);
    }

    ktv31::test::ScriptedPort port;
    ExchangeSession session;
    ConfigImage image;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    ScriptedOperator op;
    TransferContext context{session, image, settings, op, 0};
    CountingProgress progress;
};

void TstTableTransfer::upperSpeedCodeBeyondTheTableBecomes1200()
{
    PermissiveController controller(30);
    QVERIFY(ReadConfiguration(controller.context, controller.progress));
    QCOMPARE(controller.port.writes().size(), 6);
    QCOMPARE(controller.image.u8(ImageOffset::UpperSpeedCode), 2);
}

void TstTableTransfer::unknownSpeedCodeIsNotFollowed()
{
    // A file can carry any code; a port switched to 0 bit/s would lose the controller.
    PermissiveController controller(11);
    QVERIFY(ReadConfiguration(controller.context, controller.progress));
    const ConfigImage before = controller.image;
    controller.image.setU8(ImageOffset::UpperSpeedCode, 30);
    QVERIFY(WriteChangedConfiguration(controller.context, before));
    QCOMPARE(controller.port.writes().size(), 7);
    QCOMPARE(controller.settings.Speed(), 9600);
    QCOMPARE(controller.session.Speed, 9600);
    QVERIFY(controller.op.statusTexts(Panel::Link).isEmpty());
}

void TstTableTransfer::table3FieldsByFirmware_data()
{
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("fields");
    QTest::newRow("3") << 3 << 7;
    QTest::newRow("4") << 4 << 7;
    QTest::newRow("5") << 5 << 8;
    QTest::newRow("6") << 6 << 8;
    QTest::newRow("0") << 0 << 8;
    QTest::newRow("7") << 7 << 8;
}

void TstTableTransfer::table3FieldsByFirmware()
{
    QFETCH(int, firmware);
    QFETCH(int, fields);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    Rig rig;
    QVERIFY(rig.start(options));
    QVERIFY(ReadConfiguration(rig.context, rig.progress));
    QCOMPARE(rig.op.statusTexts(Panel::Step).at(1),
             QStringLiteral("Чтение из таблицы 3 (поля 0-%1)").arg(fields));
    QCOMPARE(rig.requests().at(1),
             TableRequest::Read(3, 0, fields).slice(0, TableRequest::ReadLength));

    rig.sim->clearLog();
    TableStateBuffer state;
    state.setWriteChosen(3, true);
    QVERIFY(WriteSelectedTables(rig.context, state, rig.progress));
    const QByteArray write = rig.requests().value(0);
    QCOMPARE(write.size(), TableRequest::WriteLength(fields));
    QCOMPARE(write,
             TableRequest::Write(3, 0, fields, rig.image.slice(ImageOffset::LinkParameters, fields))
                 .slice(0, TableRequest::WriteLength(fields)));
}

void TstTableTransfer::wrongHeaderRetriedOrAbandoned_data()
{
    QTest::addColumn<bool>("retry");
    QTest::newRow("Да") << true;
    QTest::newRow("Нет") << false;
}

void TstTableTransfer::wrongHeaderRetriedOrAbandoned()
{
    QFETCH(bool, retry);
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    const QString linksStep = QStringLiteral("Чтение из таблицы 6 (поля 0-130)");
    bool injected = false;
    rig.op.onStatusText = [&](int panel, const QString &text) {
        if (panel == Panel::Step && text == linksStep && !injected) {
            injected = true;
            FaultRule rule = Fault(FaultKind::WrongHeader);
            rule.field = HeaderField::First;
            rig.sim->injectFault(rule);
        }
    };
    rig.op.queueAnswers({retry});

    QCOMPARE(ReadConfiguration(rig.context, rig.progress), retry);
    QCOMPARE(rig.op.messages.size(), 1);
    QCOMPARE(rig.op.messages[0].kind, MessageBoxKind::RetryQuestion);
    QCOMPARE(rig.op.messages[0].line1, QStringLiteral("Не выполнено чтение из таблицы 6."));
    QCOMPARE(rig.op.messages[0].line2, LinksCaption);

    const QStringList steps = rig.op.statusTexts(Panel::Step, true);
    const int mismatch =
        steps.indexOf(QStringLiteral("Несоответствие запрошенных и переданных данных"));
    QVERIFY(mismatch > 0);
    QCOMPARE(steps[mismatch - 1], linksStep);
    QVERIFY(steps[mismatch + 1].isEmpty());

    const QList<QByteArray> requests = rig.requests();
    const QByteArray linksRequest = TableRequest::Read(6, 0, 130).slice(0, 6);
    QCOMPARE(requests.count(linksRequest), retry ? 2 : 1);

    const ConfigImage controller = rig.sim->image();
    if (retry) {
        QCOMPARE(rig.image.toBytes(), controller.toBytes());
        QCOMPARE(steps.mid(mismatch + 2, 1), QStringList{linksStep});
        return;
    }
    QCOMPARE(requests.size(), 4); // tables 0, 3, 5 and the abandoned one
    QCOMPARE(rig.image.slice(0, 17), controller.slice(0, 17));
    QCOMPARE(rig.image.slice(25, 72), controller.slice(25, 72));
    QCOMPARE(rig.image.slice(17, 8), QByteArray(8, '\0'));
    QCOMPARE(rig.image.slice(ImageOffset::Links, CalculatorCount),
             QByteArray(CalculatorCount, '\0'));
}

void TstTableTransfer::failedExchangeOffersRetries_data()
{
    QTest::addColumn<bool>("write");
    QTest::addColumn<int>("failures");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<bool>("done");
    QTest::newRow("read, Да") << false << 1 << QList<bool>{true} << true;
    QTest::newRow("read, Нет") << false << 1 << QList<bool>{false} << false;
    QTest::newRow("write, Да") << true << 1 << QList<bool>{true} << true;
    QTest::newRow("write, Нет") << true << 1 << QList<bool>{false} << false;
    QTest::newRow("read, four times Да")
        << false << 4 << QList<bool>{true, true, true, true} << true;
}

void TstTableTransfer::failedExchangeOffersRetries()
{
    QFETCH(bool, write);
    QFETCH(int, failures);
    QFETCH(QList<bool>, answers);
    QFETCH(bool, done);
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    QVERIFY(rig.readAll());
    const ConfigImage before = rig.image;
    rig.image.setU8(ImageOffset::ModemString, 'B');
    FaultRule refusal = Fault(FaultKind::Refusal);
    refusal.errorCode = 4;
    for (int i = 0; i < failures; ++i)
        rig.sim->injectFault(refusal);
    for (bool answer : answers)
        rig.op.queueAnswers({answer});

    const bool result =
        write ? WriteChangedConfiguration(rig.context, before) : ReadIdentification(rig.context);
    QCOMPARE(result, done);
    QCOMPARE(rig.requests().size(), done ? failures + 1 : failures);
    QCOMPARE(rig.op.messages.size(), answers.size());
    for (const ScriptedOperator::Message &m : rig.op.messages) {
        QCOMPARE(m.kind, MessageBoxKind::RetryQuestion);
        QCOMPARE(m.line1, write ? QStringLiteral("Не выполнена запись в таблицу 5.")
                                : QStringLiteral("Не выполнено чтение из таблицы 0."));
        QCOMPARE(m.line2, write ? QStringLiteral("\"Командная строка модема\"")
                                : QStringLiteral("\"Общие параметры идентификации\""));
    }
    const QString refused = QStringLiteral("Команда 29.  Неправильные параметры в запросе");
    QCOMPARE(rig.op.statusTexts(Panel::Step).count(refused), failures);
    QVERIFY(rig.op.currentStatus(Panel::Step).isEmpty());
    if (write && done)
        QCOMPARE(rig.sim->image().u8(ImageOffset::ModemString), 'B');
}

void TstTableTransfer::cancelledExchangeAsksNothing()
{
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    rig.sim->injectFault(Fault(FaultKind::Silence, FaultWhen::Always));
    rig.op.onStatusText = [&](int panel, const QString &text) {
        if (panel == Panel::Step && !text.isEmpty())
            RequestAbort(rig.session); // as the closing program would
    };
    rig.op.defaultAnswer = true; // a question would retry for ever

    QVERIFY(!ReadConfiguration(rig.context, rig.progress));
    QCOMPARE(rig.session.ResultCode, Result::Aborted);
    QVERIFY(rig.op.messages.isEmpty());
    QCOMPARE(rig.op.statusTexts(Panel::Step),
             QStringList{QStringLiteral("Чтение из таблицы 0 (поля 0-17)")});
    QVERIFY(rig.op.currentStatus(Panel::Step).isEmpty());
    QCOMPARE(rig.progress.Position(), 0);
}

void TstTableTransfer::shortAnswerIsNotCopied()
{
    // The right header, but 3 of the 8 bytes of the speed masks: the rest would come from
    // whatever the receive buffer held before.
    PermissiveController controller(11);
    controller.port.setScript([](int, const QByteArray &written) {
        const QByteArray header = RequestData(written).left(3);
        return QList<ktv31::test::Chunk>{{0, AnswerFrame(0, TableFunctionCode | AnswerFunctionFlag,
                                                         header + QByteArray(3, 'M'))}};
    });
    controller.image.fill(ImageOffset::UpperSpeedMask, 8, 'x');
    controller.op.queueAnswers({false});
    QVERIFY(!ReadSpeedAvailability(controller.context));
    QCOMPARE(controller.op.messages.size(), 1);
    QCOMPARE(controller.op.messages[0].line1, QStringLiteral("Не выполнено чтение из таблицы 1."));
    QVERIFY(controller.op.statusTexts(Panel::Step, true)
                .contains(QStringLiteral("Несоответствие запрошенных и переданных данных")));
    QCOMPARE(controller.image.slice(ImageOffset::UpperSpeedMask, 8), QByteArray(8, 'x'));
}

void TstTableTransfer::readTableStateFillsTheBuffer()
{
    SimOptions options;
    options.destroyedTables = {2, 6};
    Rig rig;
    QVERIFY(rig.start(options));
    TableStateBuffer state;
    state.fill(0, TableStateBuffer::Size, 0xAA);
    QVERIFY(ReadTableState(rig.context, state));
    QCOMPARE(rig.op.statusTexts(Panel::Step),
             QStringList{QStringLiteral("Чтение из таблицы 7 (поля 0-8)")});
    QCOMPARE(state.toBytes(), QByteArray::fromHex("0000000100010100") +     // writable: 3, 5, 6
                                  QByteArray::fromHex("0000010000000100") + // destroyed: 2, 6
                                  QByteArray(8, '\0'));
}

void TstTableTransfer::writeSelectedTablesInFullAndFollowsSpeed()
{
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    QVERIFY(rig.readAll());
    rig.settings.setLinkType(1); // the rewrite follows the speed whatever the link
    rig.settings.setPortNumber(3);
    rig.image.setU8(ImageOffset::UpperSpeedCode, 15); // 19200 bit/s
    rig.image.setSlice(ImageOffset::ModemString, 64, QByteArray("AT&F\r"));
    for (int address = 0; address < CalculatorCount; ++address)
        rig.image.setLinkByteAt(address, LinkByte::Make(quint8(address % 3 + 1), 11));
    TableStateBuffer state;
    for (int table : {3, 5, 6})
        state.setWriteChosen(table, true);

    QVERIFY(WriteSelectedTables(rig.context, state, rig.progress));
    QCOMPARE(rig.op.statusTexts(Panel::Step),
             QStringList({QStringLiteral("Запись в таблицу 3 (поля 0-8)"),
                          QStringLiteral("Запись в таблицу 5 (поле 0)"),
                          QStringLiteral("Запись в таблицу 6 (поля 0-243)"),
                          QStringLiteral("Запись в таблицу 6 (поля 243-255)")}));
    QCOMPARE(rig.progress.Maximum(), 4);
    QCOMPARE(rig.progress.Position(), 4);
    const QList<QByteArray> requests = rig.requests();
    QCOMPARE(requests.size(), 4);
    QCOMPARE(requests[0].size(), 14);
    QCOMPARE(requests[1].size(), 70);
    QCOMPARE(requests[2].size(), 249);
    QCOMPARE(requests[3].size(), 18);
    QCOMPARE(rig.sim->image().slice(25, 327), rig.image.slice(25, 327));

    QCOMPARE(rig.settings.Speed(), 19200);
    QCOMPARE(rig.session.Speed, 19200);
    QCOMPARE(rig.op.statusTexts(Panel::Link), QStringList{QStringLiteral(" COM3,   19200 бит/с")});
    QVERIFY(ReadIdentification(rig.context)); // the controller now answers at 19200 only
    QCOMPARE(rig.sim->speed(), 19200);
}

void TstTableTransfer::changedOnlyWritesRuns_data()
{
    QTest::addColumn<QList<int>>("changed");
    QTest::addColumn<QList<int>>("runs"); // first, count, first, count ...
    QList<int> all;
    for (int address = 0; address < CalculatorCount; ++address)
        all.append(address);
    QTest::newRow("four links") << QList<int>{10, 11, 12, 200} << QList<int>{10, 3, 200, 1};
    QTest::newRow("all links") << all << QList<int>{0, 243, 243, 12};
    QTest::newRow("first and last") << QList<int>{0, 254} << QList<int>{0, 1, 254, 1};
    QTest::newRow("nothing") << QList<int>{} << QList<int>{};
}

void TstTableTransfer::changedOnlyWritesRuns()
{
    QFETCH(QList<int>, changed);
    QFETCH(QList<int>, runs);
    Rig rig;
    QVERIFY(rig.start(SimOptions{}));
    QVERIFY(rig.readAll());
    const ConfigImage before = rig.image;
    for (int address : changed) {
        const quint8 old = rig.image.LinkByteAt(address);
        rig.image.setLinkByteAt(address, LinkByte::Make(quint8(LinkByte::Port(old) % 3 + 1), 6));
        QVERIFY(rig.image.LinkByteAt(address) != old);
    }

    QVERIFY(WriteChangedConfiguration(rig.context, before));
    const QList<QByteArray> requests = rig.requests();
    QCOMPARE(requests.size(), runs.size() / 2);
    for (int i = 0; i < requests.size(); ++i) {
        const int first = runs[2 * i];
        const int count = runs[2 * i + 1];
        QCOMPARE(
            requests[i],
            TableRequest::Write(6, first, count, rig.image.slice(ImageOffset::Links + first, count))
                .slice(0, TableRequest::WriteLength(count)));
    }
    QCOMPARE(rig.sim->image().toBytes(), rig.image.toBytes());
    QVERIFY(rig.op.messages.isEmpty());
}

void TstTableTransfer::table3SpeedFollowedOnlyOnDirectLink_data()
{
    QTest::addColumn<int>("linkType");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<int>("requestLength");
    QTest::addColumn<int>("programSpeed");
    QTest::newRow("direct, firmware 5") << 0 << 5 << 14 << 9600;
    QTest::newRow("direct, firmware 4") << 0 << 4 << 13 << 9600;
    QTest::newRow("telephone") << 1 << 5 << 14 << StartSpeed;
}

void TstTableTransfer::table3SpeedFollowedOnlyOnDirectLink()
{
    QFETCH(int, linkType);
    QFETCH(int, firmware);
    QFETCH(int, requestLength);
    QFETCH(int, programSpeed);
    SimOptions options;
    options.firmwareVersion = quint8(firmware);
    Rig rig;
    QVERIFY(rig.start(options));
    QVERIFY(rig.readAll());
    rig.context.speedFollowsTableWrite = LinkKind::OfType(linkType).speedFollowsTableWrite();
    const ConfigImage before = rig.image;
    rig.image.setU8(ImageOffset::UpperSpeedCode, 11); // 9600 bit/s

    QVERIFY(WriteChangedConfiguration(rig.context, before));
    const QList<QByteArray> requests = rig.requests();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].size(), requestLength);
    QCOMPARE(quint8(requests[0][TableRequestOffset::WriteCount]), requestLength - 6);
    QCOMPARE(rig.sim->speed(), 9600);
    QCOMPARE(rig.settings.Speed(), programSpeed);
    QCOMPARE(rig.session.Speed, programSpeed);
    QCOMPARE(rig.op.statusTexts(Panel::Link).size(), programSpeed == 9600 ? 1 : 0);
    QVERIFY(rig.op.messages.isEmpty());
}

QTEST_GUILESS_MAIN(TstTableTransfer)
#include "tst_tabletransfer.moc"
