// The program's operations against the simulated controller: a sound controller, a refusal, a
// write the controller forgets, content it must not get and a lost line, for each operation.
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "protocol/controllercodes.h"
#include "service/configoperations.h"
#include "service/identifyoperations.h"
#include "service/linkkind.h"
#include "service/linkoperations.h"
#include "service/tablewrites.h"
#include "support/servicerig.h"

#include <QDir>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <optional>

using namespace ktv31;
using namespace ktv31::sim;
using Request = ktv31::test::SeenRequest;

namespace {

FaultRule Fault(FaultKind kind, FaultWhen when = FaultWhen::Always)
{
    FaultRule rule;
    rule.kind = kind;
    rule.when = when;
    return rule;
}

FaultRule Refusal(quint8 errorCode)
{
    FaultRule rule = Fault(FaultKind::Refusal);
    rule.errorCode = errorCode;
    return rule;
}

std::optional<FaultRule> None()
{
    return std::nullopt;
}

void SetLink(ConfigRecord &record, int address, quint8 connected, quint8 port, quint8 speedCode)
{
    const int at = LinkEntry::OffsetOf(address);
    record.setU8(at + LinkEntry::Connected, connected);
    record.setU8(at + LinkEntry::Port, port);
    record.setU8(at + LinkEntry::SpeedCode, speedCode);
}

// "line1|line2" of every message, in order.
QStringList Messages(const test::ScriptedOperator &op)
{
    QStringList out;
    for (const auto &message : op.messages)
        out << message.line1 + u'|' + message.line2;
    return out;
}

// A write that went through is confirmed by a note and asks nothing; any other outcome is told
// by one message, after the retry question of a transfer that failed.
void CheckTold(const test::ScriptedOperator &op, OutcomeKind outcome, const QString &told)
{
    const QStringList messages = Messages(op);
    if (outcome == OutcomeKind::Done) {
        QVERIFY(messages.isEmpty());
        QCOMPARE(op.notes.value(op.notes.size() - 1), told);
        return;
    }
    QCOMPARE(messages.value(messages.size() - 1), told);
    QCOMPARE(messages.size(), outcome == OutcomeKind::WriteFailed ? 2 : 1);
}

using Edit = std::function<void(ConfigRecord &)>;
using Fault_ = std::optional<FaultRule>;

} // namespace

Q_DECLARE_METATYPE(OutcomeKind)
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Fault_)

class TestService : public QObject
{
    Q_OBJECT
private slots:
    void connectAndDisconnect_data();
    void connectAndDisconnect();
    void identifyAndCheck_data();
    void identifyAndCheck();
    void readAndSaveConfiguration_data();
    void readAndSaveConfiguration();
    void writeChanges_data();
    void writeChanges();
    void tableThreeIsReadBackAtTheNewSpeed();
    void writeTablesFromFile_data();
    void writeTablesFromFile();
    void telephoneLinkRefusesInTheCore_data();
    void telephoneLinkRefusesInTheCore();
};

void TestService::connectAndDisconnect_data()
{
    QTest::addColumn<bool>("telephone");
    QTest::addColumn<QList<DialOutcome>>("dial");
    QTest::addColumn<bool>("portMissing");
    QTest::addColumn<OutcomeKind>("expected");
    QTest::addColumn<QString>("message");
    QTest::newRow("direct link") << false << QList<DialOutcome>{} << false << OutcomeKind::Done
                                 << QString();
    QTest::newRow("telephone link") << true << QList<DialOutcome>{DialOutcome::Connect} << false
                                    << OutcomeKind::Done << QString();
    QTest::newRow("number busy") << true << QList<DialOutcome>{DialOutcome::Busy} << false
                                 << OutcomeKind::DialFailed << "Номер абонента занят|";
    // No call, but the modem may still connect: the end hangs up all the same.
    QTest::newRow("dial timed out")
        << true << QList<DialOutcome>{DialOutcome::Silence} << false << OutcomeKind::DialFailed
        << "Истекло время ожидания ответа от модема|";
    QTest::newRow("no such port") << false << QList<DialOutcome>{} << true
                                  << OutcomeKind::PortUnavailable
                                  << "Коммуникационный порт /nonexistent/tty0 недоступен";
}

void TestService::connectAndDisconnect()
{
    QFETCH(bool, telephone);
    QFETCH(QList<DialOutcome>, dial);
    QFETCH(bool, portMissing);
    QFETCH(OutcomeKind, expected);
    QFETCH(QString, message);
    test::ServiceRig rig;
    SimOptions options;
    options.modem.enabled = telephone;
    if (telephone)
        options.modem.dialScript = dial;
    QVERIFY(rig.start(options));
    if (portMissing)
        rig.service->devicePath = QStringLiteral("/nonexistent/tty0");
    rig.service->settings().setConnectWaitS(1);
    QSignalSpy calls(rig.service.get(), &ServiceSession::callChanged);

    const Outcome outcome = Connect(*rig.service);
    QCOMPARE(outcome.kind, expected);
    // A failed dial carries the modem's result, which a round acts on (call again, line fault).
    QCOMPARE(outcome.dial.has_value(), expected == OutcomeKind::DialFailed);
    QVERIFY(Messages(rig.op).join(u'~').startsWith(message));
    QCOMPARE(rig.op.messages.isEmpty(), message.isEmpty());
    // A failed dial keeps its port; an unavailable one leaves none.
    QCOMPARE(rig.service->linkOpen(), !portMissing);
    const bool callUp = telephone && expected == OutcomeKind::Done;
    QCOMPARE(rig.service->callUp(), callUp);
    QCOMPARE(calls.size(), callUp ? 1 : 0);
    const bool mayBeOffHook = callUp || dial == QList<DialOutcome>{DialOutcome::Silence};
    QCOMPARE(rig.service->endHangsUp(), mayBeOffHook);
    // The link keeps the kind it was made as while the settings change under it.
    const quint8 madeAs = rig.service->settings().LinkType();
    rig.service->settings().setLinkType(telephone ? DirectLink : TelephoneLink);
    QCOMPARE(rig.service->linkKind().telephone(), portMissing ? !telephone : telephone);
    rig.service->settings().setLinkType(madeAs);

    rig.sim->clearLog();
    Disconnect(*rig.service);
    QVERIFY(!rig.service->linkOpen());
    QVERIFY(!rig.service->exchange().PortHandle);
    QVERIFY(!rig.service->callUp());
    rig.sim->settle();
    const QByteArrayList hangUp{"+++", "ath\r"};
    QCOMPARE(rig.sim->modemCommands(), mayBeOffHook ? hangUp : QByteArrayList());
}

void TestService::identifyAndCheck_data()
{
    QTest::addColumn<quint8>("typeCode");
    QTest::addColumn<QList<int>>("destroyed");
    QTest::addColumn<Fault_>("fault");
    QTest::addColumn<OutcomeKind>("expected");
    QTest::addColumn<QString>("told");
    QTest::newRow("sound controller")
        << quint8(8) << QList<int>{} << None() << OutcomeKind::Done << QString();
    QTest::newRow("a table destroyed")
        << quint8(8) << QList<int>{5} << None() << OutcomeKind::Done << "Разрушена таблица № 5";
    QTest::newRow("another device")
        << quint8(7) << QList<int>{} << None() << OutcomeKind::Rejected
        << "Программа не обслуживает устройства данного типа|(код типа подключенного "
           "устройства  7)";
    QTest::newRow("refusal")
        << quint8(8) << QList<int>{} << Fault_(Refusal(11)) << OutcomeKind::NotRead
        << "Не выполнено чтение из таблицы 0.|\"Общие параметры идентификации\"";
    QTest::newRow("line lost")
        << quint8(8) << QList<int>{} << Fault_(Fault(FaultKind::CloseMidAnswer, FaultWhen::Once))
        << OutcomeKind::NotRead
        << "Не выполнено чтение из таблицы 0.|\"Общие параметры идентификации\"";
}

void TestService::identifyAndCheck()
{
    QFETCH(quint8, typeCode);
    QFETCH(QList<int>, destroyed);
    QFETCH(Fault_, fault);
    QFETCH(OutcomeKind, expected);
    QFETCH(QString, told);
    test::ServiceRig rig;
    SimOptions options;
    options.typeCode = typeCode;
    options.destroyedTables = destroyed;
    QVERIFY(rig.start(options));
    QVERIFY(rig.connect());
    if (fault)
        rig.sim->injectFault(*fault);

    const Outcome outcome = IdentifyAndCheck(*rig.service);
    QCOMPARE(outcome.kind, expected);
    QCOMPARE(rig.service->deviceAccepted(), expected == OutcomeKind::Done);
    QCOMPARE(outcome.destroyedTable, destroyed.value(0));
    const QStringList said = rig.op.notes + Messages(rig.op);
    QCOMPARE(said, told.isEmpty() ? QStringList{} : QStringList{told});
    QCOMPARE(rig.op.busyDepth, 0);
}

void TestService::readAndSaveConfiguration_data()
{
    QTest::addColumn<Fault_>("fault");
    QTest::addColumn<QString>("folder"); // where the file goes
    QTest::addColumn<OutcomeKind>("expected");
    QTest::newRow("sound controller") << None() << "" << OutcomeKind::Done;
    QTest::newRow("refusal") << Fault_(Refusal(11)) << "" << OutcomeKind::NotRead;
    QTest::newRow("line lost") << Fault_(Fault(FaultKind::CloseMidAnswer, FaultWhen::Once)) << ""
                               << OutcomeKind::NotRead;
    QTest::newRow("no such folder") << None() << "missing/" << OutcomeKind::FileProblem;
}

void TestService::readAndSaveConfiguration()
{
    QFETCH(Fault_, fault);
    QFETCH(QString, folder);
    QFETCH(OutcomeKind, expected);
    test::ServiceRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.connect());
    if (fault)
        rig.sim->injectFault(*fault);
    const QString path = rig.dir.filePath(folder + QStringLiteral("station.cnf"));

    const Outcome outcome = SaveConfigurationToFile(*rig.service, path);
    QCOMPARE(outcome.kind, expected);
    QCOMPARE(rig.op.waits, QList<WaitKind>{WaitKind::ReadingTables});
    QVERIFY(!rig.op.waitOpen);
    const ConfigFileResult saved = ReadConfigFile(path);
    QCOMPARE(saved.ok(), expected == OutcomeKind::Done);
    if (expected == OutcomeKind::NotRead) {
        const auto told = rig.op.messagesOfKind(MessageBoxKind::ExchangeResult);
        QCOMPARE(told.size(), 1);
        QCOMPARE(told[0].line1, QStringLiteral("Параметры конфигурации не прочитаны"));
        return;
    }
    if (expected == OutcomeKind::Done) {
        ConfigRecord controller;
        ImageToRecord(rig.sim->image(), controller);
        QCOMPARE(saved.record.toBytes(), controller.toBytes());
    }
}

// Bad content, a refusal, a forgotten write and a lost line, for a write of calculator 12 whose
// first request is `write` and whose read-back begins with `readBack`; `notSent` tells the
// fields of table 6 that a write cut short after that request did not send.
static void AddFaultRows(const Edit &calculator12, const Request &write, const Request &readBack,
                         const QString &notSent = {})
{
    QTest::newRow("calculator on port 7")
        << Edit([](ConfigRecord &r) { SetLink(r, 12, 1, 7, 2); }) << None()
        << OutcomeKind::ContentRefused << QList<Request>{}
        << "Запись таблиц не выполняется.|Таблица 6 (Скорость обмена с подкл. вычислителем и "
           "порт подключения): адрес 12: порт 7, допустимо 0...3";
    QTest::newRow("write refused")
        << calculator12 << Fault_(Refusal(12)) << OutcomeKind::WriteFailed << QList<Request>{write}
        << "Запись таблиц не завершена|Таблицы не записаны: 6";
    QTest::newRow("write forgotten")
        << calculator12 << Fault_(Fault(FaultKind::ForgetWrite)) << OutcomeKind::VerifyFailed
        << QList<Request>{write, readBack}
        << "Проверка записи не пройдена|Таблицы не прошли проверку: 6 (адрес 12: записано 69, "
           "прочитано 00" +
               notSent + ")";
    // The controller took the write before the line went: nobody can tell whether it holds it.
    QTest::newRow("line lost")
        << calculator12 << Fault_(Fault(FaultKind::CloseMidAnswer, FaultWhen::Once))
        << OutcomeKind::WriteFailed << QList<Request>{write}
        << "Запись таблиц не завершена|Таблицы не подтверждены: 6 (ответа на запись нет, "
           "прочитать не удалось" +
               notSent + ")";
}

void TestService::writeChanges_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<Fault_>("fault");
    QTest::addColumn<OutcomeKind>("expected");
    QTest::addColumn<QList<Request>>("requests");
    QTest::addColumn<QString>("told"); // the one message, or the note that confirms
    const Edit calculator12 = [](ConfigRecord &r) { SetLink(r, 12, 1, 3, 9); };
    const QList<Request> writeAndReadBack{{true, 6, 12, 1}, {false, 6, 12, 1}};
    QTest::newRow("one calculator") << calculator12 << None() << OutcomeKind::Done
                                    << writeAndReadBack << "Записаны таблицы 6; проверено";
    QTest::newRow("nothing changed")
        << Edit([](ConfigRecord &) {}) << None() << OutcomeKind::NothingChanged << QList<Request>{}
        << "Запись таблиц не выполняется.|Нет измененных данных";
    AddFaultRows(calculator12, {true, 6, 12, 1}, {false, 6, 12, 1});
    // A write taken without an answer is read once: found there, it is written.
    QTest::newRow("answer withheld")
        << calculator12 << Fault_(Fault(FaultKind::WithholdAnswer)) << OutcomeKind::Done
        << QList<Request>{{true, 6, 12, 1}, {false, 6, 12, 1}, {false, 6, 12, 1}}
        << "Записаны таблицы 6; проверено";
    FaultRule readBackRefused = Refusal(11);
    readBackRefused.when = FaultWhen::EveryNth;
    readBackRefused.every = 2;
    QTest::newRow("read-back refused")
        << calculator12 << Fault_(readBackRefused) << OutcomeKind::WriteFailed << writeAndReadBack
        << "Запись таблиц не завершена|Таблицы записаны, не проверены: 6";
}

void TestService::writeChanges()
{
    QFETCH(Edit, edit);
    QFETCH(Fault_, fault);
    QFETCH(OutcomeKind, expected);
    QFETCH(QList<Request>, requests);
    QFETCH(QString, told);
    test::ServiceRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.connect());
    ConfigRecord asRead;
    QVERIFY(ReadConfigurationRecord(*rig.service, asRead, true).ok());
    const ConfigImage imageAsRead = rig.service->image();
    ConfigRecord record = asRead;
    edit(record);
    rig.forget();
    if (fault)
        rig.sim->injectFault(*fault);

    const Outcome outcome = WriteChanges(*rig.service, asRead, record);
    QCOMPARE(outcome.kind, expected);
    QCOMPARE(rig.requests(), requests);
    CheckTold(rig.op, expected, told);
    if (expected == OutcomeKind::Done)
        QCOMPARE(rig.sim->image().LinkByteAt(12), LinkByte::Make(3, 9));
    // The configuration as read is kept before anything of it is replaced, and only then.
    const QStringList backups =
        QDir(rig.programDir + QStringLiteral("CONFIG/backup")).entryList(QDir::Files);
    const bool wrote = !requests.isEmpty();
    QCOMPARE(backups.size(), wrote ? 1 : 0);
    if (!wrote)
        QCOMPARE(rig.service->image().toBytes(), imageAsRead.toBytes());
}

// The controller answers at a new speed from the request after the write: the program follows
// it on a direct link and reads the table back there.
void TestService::tableThreeIsReadBackAtTheNewSpeed()
{
    test::ServiceRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.connect());
    ConfigRecord asRead;
    QVERIFY(ReadConfigurationRecord(*rig.service, asRead, true).ok());
    ConfigRecord record = asRead;
    record.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(57600)));
    rig.forget();

    const Outcome outcome = WriteChanges(*rig.service, asRead, record);
    QCOMPARE(outcome.kind, OutcomeKind::Done);
    QCOMPARE(rig.requests(), (QList<Request>{{true, 3, 0, 8}, {false, 3, 0, 8}}));
    QCOMPARE(rig.sim->speed(), 57600);
    QCOMPARE(rig.settings.Speed(), 57600);
    QCOMPARE(rig.op.currentStatus(Panel::Link),
             QStringLiteral(" %1,   57600 бит/с").arg(rig.sim->devicePath()));
}

void TestService::writeTablesFromFile_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<Fault_>("fault");
    QTest::addColumn<OutcomeKind>("expected");
    QTest::addColumn<QList<Request>>("requests");
    QTest::addColumn<QString>("told");
    const Edit calculator12 = [](ConfigRecord &r) { SetLink(r, 12, 1, 3, 9); };
    // Table 6 whole: two writes, each read back in reads no longer than the configuration's.
    const QList<Request> written{{true, 6, 0, 243},  {false, 6, 0, 130},  {false, 6, 130, 113},
                                 {true, 6, 243, 12}, {false, 6, 243, 12}, {false, 0, 0, 17}};
    QTest::newRow("sound controller") << calculator12 << None() << OutcomeKind::Done << written
                                      << "Записаны таблицы 6; проверено";
    AddFaultRows(calculator12, {true, 6, 0, 243}, {false, 6, 0, 130},
                 QStringLiteral("; поля 243–254 не переданы"));
}

void TestService::writeTablesFromFile()
{
    QFETCH(Edit, edit);
    QFETCH(Fault_, fault);
    QFETCH(OutcomeKind, expected);
    QFETCH(QList<Request>, requests);
    QFETCH(QString, told);
    test::ServiceRig rig;
    QVERIFY(rig.start());
    QVERIFY(rig.connect());
    QVERIFY(IdentifyAndCheck(*rig.service).ok());
    ConfigRecord file;
    NewConfigRecord(file, 5);
    ImageToRecord(rig.sim->image(), file);
    edit(file);
    rig.forget();
    if (fault)
        rig.sim->injectFault(*fault);

    const Outcome outcome = WriteTablesFromFile(*rig.service, file, QList<int>{ConfigTable::Links});
    QCOMPARE(outcome.kind, expected);
    QCOMPARE(rig.requests(), requests);
    CheckTold(rig.op, expected, told);
    if (expected == OutcomeKind::Done)
        QCOMPARE(rig.op.waits, QList<WaitKind>{WaitKind::WritingTables});
    QVERIFY(!rig.op.waitOpen);
    QCOMPARE(rig.op.busyDepth, 0);
}

void TestService::telephoneLinkRefusesInTheCore_data()
{
    using Operation = std::function<bool(test::ServiceRig &)>; // true: the operation went ahead
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("told");
    QTest::newRow("whole tables from a file") << Operation([](test::ServiceRig &rig) {
        ConfigRecord file;
        NewConfigRecord(file, 5);
        ImageToRecord(rig.sim->image(), file);
        const Outcome outcome = WriteTablesFromFile(*rig.service, file, WritableTables());
        return outcome.kind != OutcomeKind::NotOnThisLink;
    }) << LinkKind::WholeTableWritesRefused();
    QTest::newRow("speed detection") << Operation([](test::ServiceRig &rig) {
        return DetectControllerSpeed(*rig.service, rig.settings,
                                     StatusPanel{&rig.op, Panel::Step}) != 0;
    }) << LinkKind::SpeedDetectionRefused();
}

// Whichever front end asks, a telephone link gets no whole-table write and no speed probe.
void TestService::telephoneLinkRefusesInTheCore()
{
    QFETCH(std::function<bool(test::ServiceRig &)>, operation);
    QFETCH(QString, told);
    test::ServiceRig rig;
    SimOptions overTheTelephone;
    overTheTelephone.modem.enabled = true;
    QVERIFY(rig.start(overTheTelephone));
    QVERIFY(rig.connect());
    QVERIFY(IdentifyAndCheck(*rig.service).ok());
    rig.forget();
    QVERIFY(!operation(rig));
    QVERIFY(rig.requests().isEmpty());
    QCOMPARE(rig.op.messages.size(), 1);
    QVERIFY(rig.op.messages.first().line1 == told || rig.op.messages.first().line2 == told);
}

QTEST_GUILESS_MAIN(TestService)
#include "tst_service.moc"
