// Black-box tests of the ktv31-cli executable against the simulated controller on a
// pseudo-terminal.
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/tablecaptions.h"
#include "protocol/controllercodes.h"
#include "shell/cp1251.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "support/filenodes.h"
#include "support/ptypair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <csignal>
#include <unistd.h>

using namespace ktv31;
using ktv31::sim::FaultKind;
using ktv31::sim::FaultRule;
using ktv31::sim::FaultWhen;
using ktv31::sim::LogKind;
using ktv31::sim::SimOptions;
using ktv31::sim::Simulator;
using ktv31::test::NodeKind;

namespace {

QString cliBinary()
{
    return QStringLiteral(KTV31_BIN_DIR "/ktv31-cli");
}

constexpr int kTestSpeed = 115200; // keeps the wire time of each request short

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

CliRun runCli(const QStringList &arguments, const QString &program = cliBinary())
{
    QProcess process;
    process.start(program, arguments);
    CliRun run;
    if (!process.waitForStarted(5000) || !process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(2000);
        run.err = QStringLiteral("did not finish");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

// Runs the tool through the shell, so that "@NAME@" among the arguments becomes the bytes of
// `name` exactly: a name that is not valid UTF-8 cannot travel in a QString.
CliRun runCliNamed(const QStringList &arguments, const QByteArray &name)
{
    QString octal;
    for (const char c : name)
        octal += QStringLiteral("\\%1").arg(quint8(c), 3, 8, QLatin1Char('0'));
    const QString script = QStringLiteral(
        "name=$(printf \"$1\"); shift; n=$#\n"
        "for a in \"$@\"; do\n"
        "  if [ \"$a\" = @NAME@ ]; then set -- \"$@\" \"$name\"; else set -- \"$@\" \"$a\"; fi\n"
        "done\n"
        "shift $n; exec \"$@\"");
    return runCli(
        QStringList{QStringLiteral("-c"), script, QStringLiteral("sh"), octal, cliBinary()}
            << arguments,
        QStringLiteral("/bin/sh"));
}

struct WriteRequest
{
    int table;
    int first;
    int count;
    bool operator==(const WriteRequest &o) const
    {
        return table == o.table && first == o.first && count == o.count;
    }
};

QList<QByteArray> requests(const Simulator &simulator)
{
    QList<QByteArray> frames;
    for (const auto &entry : simulator.frameLog())
        if (entry.kind == LogKind::Request)
            frames.append(entry.bytes);
    return frames;
}

// Function 29 frames whose read count (data byte 2) is 0 are writes: table, first, count follow.
QList<WriteRequest> writeRequests(const Simulator &simulator)
{
    QList<WriteRequest> writes;
    for (const QByteArray &frame : requests(simulator))
        if (frame.size() > 9 && quint8(frame[3]) == 29 && frame[6] == 0)
            writes.append({quint8(frame[7]), quint8(frame[8]), quint8(frame[9])});
    return writes;
}

void setLink(ConfigRecord &record, int address, quint8 connected, quint8 port, quint8 speedCode)
{
    const int at = LinkEntry::OffsetOf(address);
    record.setU8(at + LinkEntry::Connected, connected);
    record.setU8(at + LinkEntry::Port, port);
    record.setU8(at + LinkEntry::SpeedCode, speedCode);
}

void setModemString(ConfigRecord &record, const QString &text)
{
    setFieldText(record.data() + RecordOffset::ModemString, ModemStringSize, text);
}

// A generation-5 file with calculators 7 (B, 9600) and 200 (C, 19200) and a modem string.
ConfigRecord stationRecord()
{
    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(kTestSpeed)));
    setLink(record, 7, 1, 2, 11);
    setLink(record, 200, 1, 3, 15);
    setModemString(record, QStringLiteral("ATZ\r"));
    return record;
}

FaultRule fault(FaultKind kind, FaultWhen when)
{
    FaultRule rule;
    rule.kind = kind;
    rule.when = when;
    return rule;
}

QStringList lines(const QString &text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void identifyPrintsTheIdentificationView();
    void readConfigThenShow();
    void writeConfigSendsOnlyWhatIsAsked_data();
    void writeConfigSendsOnlyWhatIsAsked();
    void detectSpeed_data();
    void detectSpeed();
    void rejectedDeviceGivesExit4_data();
    void rejectedDeviceGivesExit4();
    void failedExchangeGivesTheResultText_data();
    void failedExchangeGivesTheResultText();
    void unavailablePortGivesExit1();
    void retryAnswersTheQuestion_data();
    void retryAnswersTheQuestion();
    void traceShowsEveryFrame_data();
    void traceShowsEveryFrame();
    void telephoneSessionDialsWorksAndHangsUp();
    void signalsEndTheRunAfterTheHangUp_data();
    void signalsEndTheRunAfterTheHangUp();
    void foldersBesideTheExecutable();
    void helpDescribesEverything();
    void usageIsChecked_data();
    void usageIsChecked();
    void diffListsTheDifferences();
    void setChangesTheFileWholeOrNotAtAll_data();
    void setChangesTheFileWholeOrNotAtAll();
    void fieldListIsDocumented();
    void settingsFaultsNameTheOption_data();
    void settingsFaultsNameTheOption();
    void fileProblemsGiveExit3_data();
    void fileProblemsGiveExit3();
    void targetsThatAreNoFilesAreLeftAlone_data();
    void targetsThatAreNoFilesAreLeftAlone();
    void garbageIsNeverWritten_data();
    void garbageIsNeverWritten();
    void writeCutShortTellsWhatWasWritten_data();
    void writeCutShortTellsWhatWasWritten();
    void forgottenWriteIsCaught_data();
    void forgottenWriteIsCaught();
    void lostStandardOutputIsAFailure_data();
    void lostStandardOutputIsAFailure();
    void showMakesControlCharactersVisible();
    void decodeWithoutALink_data();
    void decodeWithoutALink();
    void everyMessageIsRussian_data();
    void everyMessageIsRussian();
    void decodeLogNamesTheTablesOfASession();

private:
    QString path(const QString &name) const { return dir_->filePath(name); }
    QString writeRecord(const QString &name, const ConfigRecord &record);
    // Link options for the simulator: its device and a settings file of short timings.
    QStringList link(const Simulator &simulator) const;
    SimOptions fastSim() const;

    std::unique_ptr<QTemporaryDir> dir_;
    QString settings_;
};

void TestCli::init()
{
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setSpeed(kTestSpeed);
    settings.setFirstByteWaitS(1);
    settings.setAttempts(1);
    settings_ = path(QStringLiteral("ktv31.ini"));
    QVERIFY(SaveSettings(settings_, settings));
}

QString TestCli::writeRecord(const QString &name, const ConfigRecord &record)
{
    const QString file = path(name);
    if (WriteConfigFile(file, record) != ConfigFileError::None)
        return {};
    return file;
}

QStringList TestCli::link(const Simulator &simulator) const
{
    return {QStringLiteral("--settings"), settings_, QStringLiteral("--device"),
            simulator.devicePath()};
}

SimOptions TestCli::fastSim() const
{
    SimOptions options;
    options.speed = kTestSpeed;
    return options;
}

void TestCli::identifyPrintsTheIdentificationView()
{
    Simulator simulator(fastSim());
    QVERIFY(simulator.start());

    const CliRun text = runCli(link(simulator) << QStringLiteral("identify"));
    QCOMPARE(text.status, 0);
    const QStringList shown = lines(text.out);
    QCOMPARE(shown.size(), 9);
    QCOMPARE(shown[0], QStringLiteral("Код типа контроллера: 8"));
    QCOMPARE(shown[2], QStringLiteral("Версия программного обеспечения: 5 (Чтение и запись)"));
    QCOMPARE(shown[3], QStringLiteral("Дата создания ПО: 14.06.24  09:30:15"));
    QCOMPARE(shown[5], QStringLiteral("Наличие разрушенных таблиц: Разрушенных таблиц нет"));

    const CliRun json =
        runCli(link(simulator) << QStringLiteral("--json") << QStringLiteral("identify"));
    QCOMPARE(json.status, 0);
    const QJsonObject ident =
        QJsonDocument::fromJson(json.out.toUtf8()).object().value("identification").toObject();
    QCOMPARE(ident.value("lines").toArray().size(), 9);
    QVERIFY(ident.value("fromDevice").toBool());
    QVERIFY(ident.value("block").toString().startsWith(QStringLiteral("00 08 02 05")));
}

void TestCli::readConfigThenShow()
{
    const ConfigRecord station = stationRecord();
    SimOptions options = fastSim();
    options.configFile = writeRecord(QStringLiteral("station.cnf"), station);
    Simulator simulator(options);
    QVERIFY(simulator.start());

    const QString saved = path(QStringLiteral("saved.cnf"));
    const CliRun read = runCli(link(simulator) << QStringLiteral("read-config") << saved);
    QCOMPARE(read.status, 0);
    QVERIFY(read.err.contains(QStringLiteral("сохранены в файле saved.cnf")));
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.size(), RecordSize);
    ConfigRecord record;
    record.assign(bytes);
    QCOMPARE(record.u8(RecordOffset::Marker), quint8(1));
    QCOMPARE(record.slice(RecordOffset::Links, CalculatorCount * LinkEntrySize),
             station.slice(RecordOffset::Links, CalculatorCount * LinkEntrySize));
    QCOMPARE(record.slice(RecordOffset::ModemString, ModemStringSize),
             station.slice(RecordOffset::ModemString, ModemStringSize));

    const CliRun show = runCli({QStringLiteral("show"), saved});
    QCOMPARE(show.status, 0);
    QVERIFY(show.out.contains(QStringLiteral("Код типа контроллера: 8")));
    QVERIFY(show.out.contains(QStringLiteral("Скорость обмена с ВУ: 115200 бит/с")));
    QVERIFY(show.out.contains(QStringLiteral("Строка инициализации модема: ATZ\n")));
    const QRegularExpression calculator(QStringLiteral("^\\s+(\\d+)\\s+([ABC?])\\s+(\\d+)$"),
                                        QRegularExpression::MultilineOption);
    QStringList listed;
    for (auto match = calculator.globalMatch(show.out); match.hasNext();) {
        const auto m = match.next();
        listed << m.captured(1) + m.captured(2) + m.captured(3);
    }
    QCOMPARE(listed, (QStringList{QStringLiteral("7B9600"), QStringLiteral("200C19200")}));
}

void TestCli::writeConfigSendsOnlyWhatIsAsked_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("changeCalculator");
    QTest::addColumn<QList<WriteRequest>>("expected");
    QTest::addColumn<int>("backups"); // of the configuration as read, before the write
    QTest::newRow("one changed calculator")
        << QStringList{} << true << QList<WriteRequest>{{6, 17, 1}} << 1;
    QTest::newRow("one changed calculator, --no-backup")
        << QStringList{"--no-backup"} << true << QList<WriteRequest>{{6, 17, 1}} << 0;
    QTest::newRow("nothing changed") << QStringList{} << false << QList<WriteRequest>{} << 0;
    QTest::newRow("--set by name, no file")
        << QStringList{"--set", "calc.17.connected=1", "--set", "calc.17.port=A",
                       "--set", "calc.17.speed=4800"}
        << true << QList<WriteRequest>{{6, 17, 1}} << 1;
    QTest::newRow("--tables 5") << QStringList{"--tables", "5"} << false
                                << QList<WriteRequest>{{5, 0, 1}} << 0;
    QTest::newRow("--all") << QStringList{"--all"} << true
                           << QList<WriteRequest>{{3, 0, 8}, {5, 0, 1}, {6, 0, 243}, {6, 243, 12}}
                           << 0;
}

void TestCli::writeConfigSendsOnlyWhatIsAsked()
{
    QFETCH(QStringList, options);
    QFETCH(bool, changeCalculator);
    QFETCH(QList<WriteRequest>, expected);
    QFETCH(int, backups);
    const QDir backupFolder(QStringLiteral(KTV31_BIN_DIR "/CONFIG/backup"));
    const QStringList backupsBefore = backupFolder.entryList(QDir::Files);
    const ConfigRecord station = stationRecord();
    SimOptions simOptions = fastSim();
    simOptions.configFile = writeRecord(QStringLiteral("station.cnf"), station);
    Simulator simulator(simOptions);
    QVERIFY(simulator.start());

    ConfigRecord edited = station;
    if (changeCalculator)
        setLink(edited, 17, 1, 1, 6);
    const bool byName = options.contains(QStringLiteral("--set"));
    const QString file = writeRecord(QStringLiteral("edited.cnf"), edited);
    const CliRun run =
        runCli(link(simulator) << QStringLiteral("write-config")
                               << (byName ? QStringList{} : QStringList{file}) << options);
    QCOMPARE(run.status, 0);
    if (byName)
        QCOMPARE(lines(run.out), (QStringList{"calc.17.connected: 0 -> 1", "calc.17.port:  -> A",
                                              "calc.17.speed: 300 -> 4800"}));
    simulator.settle();
    QCOMPARE(writeRequests(simulator), expected);
    // The folder keeps its newest 50: a backup shows as a name that was not there before.
    QStringList added = backupFolder.entryList(QDir::Files);
    for (const QString &name : backupsBefore)
        added.removeAll(name);
    QCOMPARE(int(added.size()), backups);
    if (expected.isEmpty())
        QVERIFY(run.err.contains(QStringLiteral("Нет измененных данных")));
    // After a table-3 write the tool follows the speed; the link it names is the device used.
    if (!expected.isEmpty() && expected.first().table == 3)
        QVERIFY2(run.err.contains(
                     QStringLiteral(" %1,   %2 бит/с").arg(simulator.devicePath()).arg(kTestSpeed)),
                 qPrintable(run.err));
    if (changeCalculator)
        QCOMPARE(simulator.image().LinkByteAt(17), LinkByte::Make(1, 6));
}

void TestCli::detectSpeed_data()
{
    QTest::addColumn<int>("controllerSpeed");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expected");
    QTest::newRow("9600") << 9600 << 0
                          << QStringLiteral("Получен ответ на запрос при скорости обмена - 9600 "
                                            "бит/с");
    QTest::newRow("300, never probed") << 300 << 1 << QStringLiteral("Связь не установлена");
}

void TestCli::detectSpeed()
{
    QFETCH(int, controllerSpeed);
    QFETCH(int, status);
    QFETCH(QString, expected);
    SimOptions options;
    options.speed = controllerSpeed;
    Simulator simulator(options);
    QVERIFY(simulator.start());

    const CliRun run = runCli(link(simulator) << QStringLiteral("detect-speed"));
    QCOMPARE(run.status, status);
    QVERIFY2((status == 0 ? run.out : run.err).contains(expected), qPrintable(run.err));
}

void TestCli::rejectedDeviceGivesExit4_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("firmware");
    QTest::addColumn<QString>("line1");
    QTest::addColumn<QString>("line2");
    QTest::newRow("type 7") << 7 << 5
                            << QStringLiteral("Программа не обслуживает устройства данного типа")
                            << QStringLiteral("(код типа подключенного устройства  7)");
    QTest::newRow("firmware 2") << 8 << 2 << QStringLiteral("Версия ПО подключенного устройства 2.")
                                << QStringLiteral("Программа обслуживает контроллеры с версией ПО "
                                                  "от 3 до 6");
    QTest::newRow("firmware 7") << 8 << 7 << QStringLiteral("Версия ПО подключенного устройства 7.")
                                << QStringLiteral("от 3 до 6");
}

void TestCli::rejectedDeviceGivesExit4()
{
    QFETCH(int, type);
    QFETCH(int, firmware);
    QFETCH(QString, line1);
    QFETCH(QString, line2);
    SimOptions options = fastSim();
    options.typeCode = quint8(type);
    options.firmwareVersion = quint8(firmware);
    Simulator simulator(options);
    QVERIFY(simulator.start());

    for (const char *command : {"identify", "table-state"}) {
        const CliRun run = runCli(link(simulator) << QString::fromLatin1(command));
        QCOMPARE(run.status, 4);
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(line1) && run.err.contains(line2), qPrintable(run.err));
    }
}

void TestCli::failedExchangeGivesTheResultText_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("errorCode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("silent") << int(FaultKind::Silence) << 0
                            << QStringLiteral("Команда 29.  Устройство не отвечает");
    QTest::newRow("refused, table 5 destroyed")
        << int(FaultKind::Refusal) << 60 << QStringLiteral("Команда 29.  Разрушена таблица 5");
    QTest::newRow("refused") << int(FaultKind::Refusal) << 11
                             << QStringLiteral("Команда 29.  Чтение таблицы невозможно");
}

void TestCli::failedExchangeGivesTheResultText()
{
    QFETCH(int, kind);
    QFETCH(int, errorCode);
    QFETCH(QString, expected);
    SimOptions options = fastSim();
    FaultRule rule = fault(FaultKind(kind), FaultWhen::Always);
    rule.errorCode = quint8(errorCode);
    rule.value = 5;
    options.faults = {rule};
    Simulator simulator(options);
    QVERIFY(simulator.start());

    const CliRun run = runCli(link(simulator) << QStringLiteral("identify"));
    QCOMPARE(run.status, 1);
    QVERIFY(run.out.isEmpty());
    QVERIFY2(run.err.contains(expected), qPrintable(run.err));
    QVERIFY(run.err.contains(QStringLiteral("Не выполнено чтение из таблицы 0.")));
    QVERIFY(run.err.contains(QStringLiteral("Повторить попытку? Нет"))); // --retry 0
}

void TestCli::unavailablePortGivesExit1()
{
    const CliRun run = runCli({QStringLiteral("--settings"), settings_, QStringLiteral("--device"),
                               QStringLiteral("/nonexistent/tty"), QStringLiteral("identify")});
    QCOMPARE(run.status, 1);
    QVERIFY(run.err.contains(QStringLiteral("Коммуникационный порт /nonexistent/tty недоступен "
                                            "Устройство /nonexistent/tty не найдено")));
    QVERIFY2(!run.err.contains(QStringLiteral("cannot open")), qPrintable(run.err));

    // An initialisation text the dialler would skip whole is pointed out before the call.
    const CliRun unsent = runCli(
        {QStringLiteral("--settings"), settings_, QStringLiteral("--device"),
         QStringLiteral("/nonexistent/tty"), QStringLiteral("--phone"), QStringLiteral("123"),
         QStringLiteral("--modem-init"), QStringLiteral("E0V1"), QStringLiteral("identify")});
    QCOMPARE(unsent.status, 1);
    QVERIFY2(unsent.err.contains(QStringLiteral("--modem-init \"E0V1\": в ней нет команды AT")),
             qPrintable(unsent.err));
}

void TestCli::retryAnswersTheQuestion_data()
{
    QTest::addColumn<int>("when");
    QTest::addColumn<int>("retry");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("requestCount");
    QTest::newRow("one retry heals a lost answer") << int(FaultWhen::Once) << 1 << 0 << 2;
    QTest::newRow("retries run out") << int(FaultWhen::Always) << 1 << 1 << 2;
}

void TestCli::retryAnswersTheQuestion()
{
    QFETCH(int, when);
    QFETCH(int, retry);
    QFETCH(int, status);
    QFETCH(int, requestCount);
    SimOptions options = fastSim();
    options.faults = {fault(FaultKind::Silence, FaultWhen(when))};
    Simulator simulator(options);
    QVERIFY(simulator.start());

    const CliRun run = runCli(link(simulator) << QStringLiteral("--retry") << QString::number(retry)
                                              << QStringLiteral("identify"));
    QCOMPARE(run.status, status);
    simulator.settle();
    QCOMPARE(requests(simulator).size(), requestCount);
    QCOMPARE(run.err.count(QStringLiteral("Повторить попытку? Да")), requestCount - 1);
    QCOMPARE(run.err.count(QStringLiteral("Повторить попытку? Нет")), status == 0 ? 0 : 1);
}

void TestCli::traceShowsEveryFrame_data()
{
    QTest::addColumn<int>("preambles");
    QTest::addColumn<QString>("sent");
    QTest::newRow("no preambles") << 0 << QStringLiteral("CC 00 0C 1D 00 00 11 00 00 00 7D 6C");
    QTest::newRow("two preambles")
        << 2 << QStringLiteral("FF FF CC 00 0C 1D 00 00 11 00 00 00 7D 6C");
}

void TestCli::traceShowsEveryFrame()
{
    QFETCH(int, preambles);
    QFETCH(QString, sent);
    Simulator simulator(fastSim());
    QVERIFY(simulator.start());

    const CliRun run =
        runCli(link(simulator) << QStringLiteral("--preambles") << QString::number(preambles)
                               << QStringLiteral("--trace") << QStringLiteral("identify"));
    QCOMPARE(run.status, 0);
    const QRegularExpression tx(QStringLiteral("^ *\\d+\\.\\d{3} ms TX ") +
                                    QRegularExpression::escape(sent) + QStringLiteral("$"),
                                QRegularExpression::MultilineOption);
    QVERIFY2(tx.match(run.err).hasMatch(), qPrintable(run.err));
    const QRegularExpression rx(
        QStringLiteral("^ *\\d+\\.\\d{3} ms RX 33 00 1A 9D( [0-9A-F]{2}){22}$"),
        QRegularExpression::MultilineOption);
    QVERIFY2(rx.match(run.err).hasMatch(), qPrintable(run.err));
}

void TestCli::telephoneSessionDialsWorksAndHangsUp()
{
    SimOptions options = fastSim();
    options.modem.enabled = true;
    options.modem.dialDelayMs = 100;
    Simulator simulator(options);
    QVERIFY(simulator.start());

    const CliRun run =
        runCli(link(simulator) << QStringLiteral("--phone") << QStringLiteral("(12) 34-5")
                               << QStringLiteral("--modem-init") << QStringLiteral("ATZ")
                               << QStringLiteral("identify"));
    QCOMPARE(run.status, 0);
    QCOMPARE(lines(run.out).size(), 9);
    simulator.settle();
    // The dial, the work and the hang-up, in this order.
    QStringList order;
    for (const auto &entry : simulator.frameLog()) {
        if (entry.kind == LogKind::ModemCommand)
            order << QString::fromLatin1(entry.bytes);
        else if (entry.kind == LogKind::Request)
            order << QStringLiteral("request");
    }
    const auto at = [&](const QString &item) { return order.indexOf(item); };
    QVERIFY2(at(QStringLiteral("ATZ\r")) >= 0, qPrintable(order.join(',')));
    QVERIFY(at(QStringLiteral("ATZ\r")) < at(QStringLiteral("ATD12345\r")));
    QVERIFY(at(QStringLiteral("ATD12345\r")) < at(QStringLiteral("request")));
    QVERIFY(at(QStringLiteral("request")) < order.lastIndexOf(QStringLiteral("+++")));
    QVERIFY(order.lastIndexOf(QStringLiteral("+++")) < at(QStringLiteral("ath\r")));
}

void TestCli::signalsEndTheRunAfterTheHangUp_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("SIGINT (Ctrl-C)") << int(SIGINT) << 130;
    QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP) << 129;
}

void TestCli::signalsEndTheRunAfterTheHangUp()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    SimOptions options = fastSim();
    options.modem.enabled = true;
    options.modem.dialDelayMs = 100;
    options.faults = {fault(FaultKind::Silence, FaultWhen::Always)};
    Simulator simulator(options);
    QVERIFY(simulator.start());

    QProcess process;
    process.start(cliBinary(), link(simulator)
                                   << QStringLiteral("--phone") << QStringLiteral("1")
                                   << QStringLiteral("--first-byte-wait") << QStringLiteral("120")
                                   << QStringLiteral("--trace") << QStringLiteral("identify"));
    QVERIFY(process.waitForStarted(5000));
    process.setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!err.contains(" ms TX ") && process.waitForReadyRead(15000))
        err += process.readAllStandardError();
    QVERIFY2(err.contains(" ms TX "), err.constData());

    ::kill(pid_t(process.processId()), signal);
    // Far sooner than the 120 s the answer would have been awaited.
    QVERIFY(process.waitForFinished(15000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), status);
    err += process.readAllStandardError();
    QVERIFY(QString::fromUtf8(err).contains(
        QStringLiteral("Команда 29.  Обмен прерван по признаку завершения работы программы")));
    simulator.settle();
    // The modem is taken out of data mode and put on hook, after the request.
    QStringList order;
    for (const auto &entry : simulator.frameLog()) {
        if (entry.kind == LogKind::ModemCommand)
            order << QString::fromLatin1(entry.bytes);
        else if (entry.kind == LogKind::Request)
            order << QStringLiteral("request");
    }
    const qsizetype escape = order.lastIndexOf(QStringLiteral("+++"));
    QVERIFY2(order.indexOf(QStringLiteral("request")) < escape, qPrintable(order.join(',')));
    QVERIFY2(escape < order.lastIndexOf(QStringLiteral("ath\r")), qPrintable(order.join(',')));
}

void TestCli::foldersBesideTheExecutable()
{
    // A copy of the tool in a folder of its own finds INI/ beside itself.
    const QString tool = path(QStringLiteral("ktv31-cli"));
    QVERIFY(QFile::copy(cliBinary(), tool));
    QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("INI")));
    SimOptions options;
    options.speed = 9600;
    Simulator simulator(options);
    QVERIFY(simulator.start());
    QVERIFY(simulator.placeLink(path(QStringLiteral("INI/COM3"))));

    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setPortNumber(3);
    settings.setSpeed(9600);
    const QString ini = path(QStringLiteral("INI/ktv31.ini"));
    QVERIFY(SaveSettings(ini, settings));
    const QDateTime written = QFileInfo(ini).lastModified();

    const CliRun run = runCli({QStringLiteral("table-state")}, tool);
    QCOMPARE(run.status, 0);
    QCOMPARE(lines(run.out).size(), 3);
    QFile file(ini);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), settings.toBytes());
    QCOMPARE(QFileInfo(ini).lastModified(), written);

    // The exchange log lies beside the settings; --no-log leaves it alone.
    QFile log(path(QStringLiteral("LOG/exchange.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray logged = log.readAll();
    log.close();
    for (const char *part : {" TX ", " RX 33 00 ", " RESULT Команда 29.  "})
        QVERIFY2(logged.contains(part), part);
    QCOMPARE(runCli({QStringLiteral("--no-log"), QStringLiteral("table-state")}, tool).status, 0);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), logged);

    // A value out of range in the file is refused with its name; an option overrides it.
    settings.setAttempts(0);
    QVERIFY(SaveSettings(ini, settings));
    const CliRun refused = runCli({QStringLiteral("identify")}, tool);
    QCOMPARE(refused.status, 3);
    QVERIFY(refused.err.contains(QStringLiteral("Количество попыток обмена")));
    QCOMPARE(runCli({QStringLiteral("--attempts"), QStringLiteral("1"), QStringLiteral("identify")},
                    tool)
                 .status,
             0);
}

void TestCli::helpDescribesEverything()
{
    const CliRun help = runCli({QStringLiteral("--help")});
    QCOMPARE(help.status, 0);
    for (const char *word : {"identify",
                             "detect-speed",
                             "read-config",
                             "write-config",
                             "table-state",
                             "show",
                             "diff",
                             "new",
                             "decode HEX",
                             "decode-log FILE",
                             "--port",
                             "--device",
                             "--speed",
                             "--preambles",
                             "--attempts",
                             "--first-byte-wait",
                             "--next-byte-wait",
                             "--phone",
                             "--modem-init",
                             "--connect-wait",
                             "--connect-attempts",
                             "--settings",
                             "--trace",
                             "--no-log",
                             "--json",
                             "--retry",
                             "Код завершения",
                             "Папка программы"})
        QVERIFY2(help.out.contains(QString::fromUtf8(word)), word);
    const CliRun command = runCli({QStringLiteral("write-config"), QStringLiteral("--help")});
    QCOMPARE(command.status, 0);
    QVERIFY(
        command.out.startsWith(QStringLiteral("Запуск: ktv31-cli [параметры связи] write-config")));
    QVERIFY(command.out.contains(QStringLiteral("--tables")));
    const CliRun decode = runCli({QStringLiteral("decode"), QStringLiteral("--help")});
    QCOMPARE(decode.status, 0);
    QVERIFY(decode.out.startsWith(QStringLiteral("Запуск: ktv31-cli decode HEX... [--json]")));
}

void TestCli::usageIsChecked_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("named");
    const auto refused = [](const char *option, const char *value, const char *name) {
        QTest::addRow("%s %s", option, value)
            << QStringList{QString::fromLatin1(option), QString::fromLatin1(value)} << 2
            << QString::fromUtf8(name);
    };
    const auto accepted = [](const char *option, const char *value) {
        QTest::addRow("%s %s accepted", option, value)
            << QStringList{QString::fromLatin1(option), QString::fromLatin1(value)} << 0
            << QString();
    };
    refused("--first-byte-wait", "0", "Время ожидания первого байта ответа");
    refused("--first-byte-wait", "121", "Время ожидания первого байта ответа");
    accepted("--first-byte-wait", "1");
    accepted("--first-byte-wait", "120");
    refused("--next-byte-wait", "54", "Время ожидания следующих байтов ответа");
    refused("--next-byte-wait", "5001", "Время ожидания следующих байтов ответа");
    accepted("--next-byte-wait", "55");
    accepted("--next-byte-wait", "5000");
    refused("--preambles", "256", "Количество преамбул в запросе");
    refused("--preambles", "x", "Количество преамбул в запросе");
    accepted("--preambles", "0");
    accepted("--preambles", "255");
    refused("--attempts", "0", "Количество попыток обмена");
    refused("--attempts", "6", "Количество попыток обмена");
    accepted("--attempts", "5");
    refused("--connect-wait", "0", "Ожидание соединения");
    refused("--connect-wait", "361", "Ожидание соединения");
    accepted("--connect-wait", "360");
    refused("--connect-attempts", "11", "Кол. попыток соединения");
    accepted("--connect-attempts", "10");
    refused("--rts-pause", "1", "Пауза после установки RTS");
    refused("--speed", "1000", "Скорость обмена");
    accepted("--speed", "230400");
    refused("--port", "17", "Порт подключения");
    // A BEL or an ESC would reach the modem inside a command, as the number's would.
    refused("--modem-init", "AT\aZ", "управляющий символ 0x07 в команде модему");
    refused("--frobnicate", "1", "неизвестный параметр");
    QTest::newRow("unknown command")
        << QStringList{"frobnicate"} << 2 << QStringLiteral("frobnicate");
    QTest::newRow("generation 4") << QStringList{"new", "x.cnf", "--generation", "4"} << 2
                                  << QStringLiteral("--generation");
    QTest::newRow("table 4") << QStringList{"write-config", "x.cnf", "--tables", "3,4"} << 2
                             << QStringLiteral("--tables");
    QTest::newRow("missing file") << QStringList{"read-config"} << 2
                                  << QStringLiteral("read-config");
    QTest::newRow("port and device")
        << QStringList{"--port", "1", "--device", "/dev/null"} << 2 << QStringLiteral("--device");
    const std::pair<const char *, const char *> numbers[] = {{"letters", "abc"},
                                                             {"semicolon", "12;34"},
                                                             {"separators only", "- ( ) -"},
                                                             {"escape sequence", "12\x1b[2J"}};
    for (const auto &[what, number] : numbers)
        QTest::addRow("--phone, %s", what)
            << QStringList{"--phone", QString::fromLatin1(number), "--device", "/nonexistent"} << 2
            << QStringLiteral("--phone");
    QTest::newRow("detect-speed by telephone")
        << QStringList{"--phone", "123", "detect-speed"} << 2 << QStringLiteral("detect-speed");
    // Refused before any call: no link is opened for a change that cannot be made.
    QTest::newRow("write-config --set, bad value")
        << QStringList{"--device", "/nonexistent", "write-config", "--set", "link.rts=maybe"} << 2
        << QStringLiteral("not_required | required");
    QTest::newRow("write-config --set with a file")
        << QStringList{"write-config", "x.cnf", "--set", "link.speed=9600"} << 2
        << QStringLiteral("write-config");
}

void TestCli::usageIsChecked()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, named);
    const QString file = writeRecord(QStringLiteral("new.cnf"), stationRecord());
    // Options are checked whatever the command; a file command shows whether they passed.
    if (!arguments.contains(QStringLiteral("frobnicate")) &&
        !arguments.contains(QStringLiteral("new")) &&
        !arguments.contains(QStringLiteral("write-config")) &&
        !arguments.contains(QStringLiteral("read-config")) &&
        !arguments.contains(QStringLiteral("detect-speed")))
        arguments << QStringLiteral("show") << file;
    const CliRun run = runCli(QStringList{QStringLiteral("--settings"), settings_} << arguments);
    QCOMPARE(run.status, status);
    if (status == 2) {
        QVERIFY(run.out.isEmpty());
        QVERIFY2(run.err.contains(named), qPrintable(run.err));
    }
}

void TestCli::diffListsTheDifferences()
{
    const ConfigRecord first = stationRecord();
    ConfigRecord second = first;
    second.setU8(RecordOffset::LinkParameters, 11); // 9600 bit/s
    setLink(second, 5, 1, 2, 11);
    setLink(second, 200, 0, 3, 15); // disconnected, port and speed kept
    setModemString(second, QStringLiteral("AT&F\r"));
    second.setU8(900, 1); // a reserved byte
    const QString a = writeRecord(QStringLiteral("a.cnf"), first);
    const QString b = writeRecord(QStringLiteral("b.cnf"), second);

    const CliRun run = runCli({QStringLiteral("diff"), a, b});
    QCOMPARE(run.status, 0);
    const QString calculators = QStringLiteral("Параметры связи  с отдельным вычислителем: ");
    QCOMPARE(lines(run.out),
             (QStringList{
                 "Параметры связи: Скорость обмена с ВУ: 115200 бит/с -> 9600 бит/с",
                 "Строка инициализации модема: Строка инициализации модема: \"ATZ\\r\" -> "
                 "\"AT&F\\r\"",
                 calculators + "Адрес 5: Подключение: Нет -> Да",
                 calculators + "Адрес 5: Порт подключения: нет -> B",
                 calculators + "Адрес 5: Скорость обмена: 300 бит/с -> 9600 бит/с",
                 calculators + "Адрес 200: Подключение: Да -> Нет",
                 "Резервные байты: смещения 900: 00 -> 01",
             }));
    const CliRun named = runCli({QStringLiteral("--json"), QStringLiteral("diff"), a, b});
    QStringList names;
    for (const QJsonValue &d :
         QJsonDocument::fromJson(named.out.toUtf8()).object().value("differences").toArray())
        names << d.toObject().value("name").toString();
    QCOMPARE(names, (QStringList{"link.speed", "modem.init", "calc.5.connected", "calc.5.port",
                                 "calc.5.speed", "calc.200.connected", ""}));

    const CliRun same = runCli({QStringLiteral("--json"), QStringLiteral("diff"), a, a});
    QCOMPARE(same.status, 0);
    QVERIFY(QJsonDocument::fromJson(same.out.toUtf8())
                .object()
                .value("differences")
                .toArray()
                .isEmpty());
}

void TestCli::setChangesTheFileWholeOrNotAtAll_data()
{
    QTest::addColumn<QStringList>("assignments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("got"); // get's lines after the command
    QTest::newRow("two fields") << QStringList{"calc.7.speed=19200", "modem.init=AT&F"} << 0
                                << "calc.7.speed=19200\nmodem.init=AT&F";
    QTest::newRow("one refused of two") << QStringList{"calc.7.speed=19200", "link.priority=medium"}
                                        << 2 << "calc.7.speed=9600\nmodem.init=ATZ";
    QTest::newRow("address out of range")
        << QStringList{"calc.255.speed=9600"} << 2 << "calc.7.speed=9600\nmodem.init=ATZ";
    QTest::newRow("control character")
        << QStringList{"modem.init=AT\x1B[2J"} << 2 << "calc.7.speed=9600\nmodem.init=ATZ";
}

void TestCli::setChangesTheFileWholeOrNotAtAll()
{
    QFETCH(QStringList, assignments);
    QFETCH(int, status);
    QFETCH(QString, got);
    const QString file = writeRecord(QStringLiteral("station.cnf"), stationRecord());
    QFile original(file);
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();
    const CliRun run = runCli(QStringList{QStringLiteral("set"), file} << assignments);
    QCOMPARE(run.status, status);
    if (status != 0) {
        QVERIFY2(run.err.contains(assignments.last().section(QLatin1Char('='), 0, 0)),
                 qPrintable(run.err));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
    }
    const CliRun read = runCli({QStringLiteral("get"), file, QStringLiteral("calc.7.speed"),
                                QStringLiteral("modem.init")});
    QCOMPARE(read.out.trimmed(), got);
}

// The list of names in the documentation is the tool's own, so that it cannot fall behind.
void TestCli::fieldListIsDocumented()
{
    const CliRun run = runCli({QStringLiteral("fields")});
    QCOMPARE(run.status, 0);
    QFile doc(QStringLiteral(KTV31_SOURCE_DIR "/docs/fields.md"));
    QVERIFY(doc.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(doc.readAll());
    const QString fence = QStringLiteral("```\n");
    const qsizetype start = text.indexOf(fence) + fence.size();
    QCOMPARE(text.mid(start, text.indexOf(fence, start) - start).trimmed(), run.out.trimmed());
}

// A value of the settings file the connection dialog would refuse is named with the option that
// replaces it; given that option, the file's value is not used and the run goes on (here to a
// port that does not open).
void TestCli::settingsFaultsNameTheOption_data()
{
    using Change = std::function<void(ConnectionSettings &)>;
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("told");
    const Change speed = [](ConnectionSettings &s) { s.setSpeed(1234); };
    const Change noNumber = [](ConnectionSettings &s) {
        s.setLinkType(TelephoneLink);
        s.setPhoneNumber(QString());
    };
    QTest::newRow("speed") << speed << QStringList{} << 3 << "= 1234; укажите --speed";
    QTest::newRow("speed given") << speed << QStringList{"--speed", "9600"} << 1 << "";
    QTest::newRow("no number") << noNumber << QStringList{} << 3
                               << "телефонная связь без номера (N телефона)";
    QTest::newRow("no number, direct") << noNumber << QStringList{"--direct"} << 1 << "";
}

void TestCli::settingsFaultsNameTheOption()
{
    QFETCH(std::function<void(ConnectionSettings &)>, change);
    QFETCH(QStringList, options);
    QFETCH(int, status);
    QFETCH(QString, told);
    ConnectionSettings settings = ConnectionSettings::Defaults();
    change(settings);
    QVERIFY(SaveSettings(settings_, settings));
    const CliRun run = runCli(QStringList{"--settings", settings_, "--device", "/nonexistent/tty"}
                              << options << "identify");
    QCOMPARE(run.status, status);
    QVERIFY2(run.err.contains(told), qPrintable(run.err));
}

void TestCli::fileProblemsGiveExit3_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("typeCode");
    QTest::addColumn<QString>("expected");
    QTest::newRow("show a missing file")
        << "show" << -1 << 8 << QStringLiteral("Ошибка открытия файла");
    QTest::newRow("show 500 bytes")
        << "show" << 500 << 8
        << QStringLiteral("Файл bad.cnf не является файлом конфигурации контроллера ktv31-ar");
    QTest::newRow("write-config type 7")
        << "write-config" << RecordSize << 7
        << QStringLiteral("Файл bad.cnf не является файлом конфигурации");
    QTest::newRow("read-config into a missing folder")
        << "read-config" << -2 << 8 << QStringLiteral("Ошибка открытия файла");
}

void TestCli::fileProblemsGiveExit3()
{
    QFETCH(QString, command);
    QFETCH(int, size);
    QFETCH(int, typeCode);
    QFETCH(QString, expected);
    QString file = path(QStringLiteral("bad.cnf"));
    if (size == -2)
        file = path(QStringLiteral("missing/bad.cnf"));
    if (size >= 0) {
        QByteArray bytes(size, '\0');
        bytes[RecordOffset::TypeCode] = char(typeCode);
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
    }
    // The file is judged before the link: this device would fail with another status.
    const CliRun run = runCli({QStringLiteral("--settings"), settings_, QStringLiteral("--device"),
                               QStringLiteral("/nonexistent/tty"), command, file});
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.contains(expected), qPrintable(run.err));
}

void TestCli::targetsThatAreNoFilesAreLeftAlone_data()
{
    QTest::addColumn<NodeKind>("kind");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("status");
    QTest::newRow("the serial line's own device node")
        << NodeKind::CharDevice << QByteArray("line.cnf") << 3;
    QTest::newRow("FIFO") << NodeKind::Fifo << QByteArray("fifo.cnf") << 3;
    QTest::newRow("symbolic link loop") << NodeKind::LinkLoop << QByteArray("loop.cnf") << 3;
    QTest::newRow("folder") << NodeKind::Folder << QByteArray("folder.cnf") << 3;
    QTest::newRow("missing folder") << NodeKind::MissingFolder << QByteArray("nowhere/x.cnf") << 3;
    // Decoded, it would be the name of the file beside it ("\uFFFD.cnf"): refused as usage.
    QTest::newRow("name not valid UTF-8") << NodeKind::Regular << QByteArray("\xfe.cnf") << 2;
}

void TestCli::targetsThatAreNoFilesAreLeftAlone()
{
    QFETCH(NodeKind, kind);
    QFETCH(QByteArray, name);
    QFETCH(int, status);
    Simulator simulator(fastSim());
    QVERIFY(simulator.start());
    test::PtyPair line; // a line of its own whose far side shows any byte sent into it
    QVERIFY(line.isOpen());

    const QByteArray folder = QFile::encodeName(path(QStringLiteral("targets")));
    QVERIFY(QDir().mkdir(QFile::decodeName(folder)));
    const QByteArray target = folder + '/' + name;
    ConfigRecord record = stationRecord();
    // The temporary folder's own clean-up goes by decoded names and would miss this one.
    const auto removeRawName = qScopeGuard([&] {
        if (status == 2)
            ::unlink(target.constData());
    });
    if (!test::MakeNode(kind, target, record.toBytes(), QFile::encodeName(line.slavePath())))
        QSKIP("mknod needs privilege");
    if (status == 2) {
        setModemString(record, QStringLiteral("ATM0\r"));
        QVERIFY(test::MakeNode(NodeKind::Regular, folder + "/\xef\xbf\xbd.cnf", record.toBytes()));
    }
    const QStringList before = test::FolderPicture(folder);

    const QString sim = simulator.devicePath();
    const QString at = QStringLiteral("@NAME@");
    const QList<QStringList> commands{
        {"new", at, "--generation", "5"},
        {"show", at},
        {"diff", at, at},
        link(simulator) << "read-config" << at,
        link(simulator) << "write-config" << at,
        {"--settings", at, "--device", sim, "identify"},
    };
    for (const QStringList &command : commands) {
        QElapsedTimer timer;
        timer.start();
        const CliRun run = runCliNamed(command, target);
        QVERIFY2(timer.elapsed() < 1000, qPrintable(command.join(' ')));
        QVERIFY2(run.status == status, qPrintable(command.join(' ') + ": " + run.err));
        QVERIFY2(run.err.contains(status == 3 ? QStringLiteral("Ошибка открытия файла: ")
                                              : QStringLiteral("недопустимо в кодировке локали")),
                 qPrintable(run.err));
        QCOMPARE(test::FolderPicture(folder), before);
    }
    QVERIFY(line.readMaster(1, 100).isEmpty());
    simulator.settle();
    QVERIFY(requests(simulator).isEmpty());
}

void TestCli::garbageIsNeverWritten_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("--tables 5,6") << QStringList{"--tables", "5,6"};
    QTest::newRow("what differs") << QStringList{};
}

void TestCli::garbageIsNeverWritten()
{
    QFETCH(QStringList, options);
    SimOptions simOptions = fastSim();
    simOptions.configFile = writeRecord(QStringLiteral("station.cnf"), stationRecord());
    Simulator simulator(simOptions);
    QVERIFY(simulator.start());
    // Random bytes that pass for a configuration file by their size and type byte.
    QRandomGenerator random(16);
    QByteArray bytes(RecordSize, '\0');
    for (char &b : bytes)
        b = char(random.bounded(256));
    bytes[RecordOffset::TypeCode] = char(ServedTypeCode);
    ConfigRecord garbage;
    garbage.assign(bytes);
    const QString file = writeRecord(QStringLiteral("garbage.cnf"), garbage);

    const CliRun run = runCli(link(simulator) << QStringLiteral("write-config") << file << options);
    QCOMPARE(run.status, 3);
    QVERIFY2(run.err.contains(QStringLiteral("Запись таблиц не выполняется.")),
             qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("Таблица ")), qPrintable(run.err));
    simulator.settle();
    QVERIFY(writeRequests(simulator).isEmpty());
}

void TestCli::writeCutShortTellsWhatWasWritten_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("struckAnswer"); // counted from the identification's, 0: every write
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QStringList>("states"); // of the tables in --json
    const QStringList unverified{"--tables", "5,6", "--no-verify"};
    const int refusal = int(FaultKind::Refusal);
    QTest::newRow("table 6 refused")
        << unverified << refusal << 3 << QStringLiteral("Таблицы записаны: 5; не записаны: 6")
        << QStringList{"written", "not-written"};
    QTest::newRow("second part of table 6 refused")
        << unverified << refusal << 4
        << QStringLiteral("Таблицы записаны: 5; записаны частично: 6 (поля 243–254 не переданы)")
        << QStringList{"written", "partly"};
    // Identification, table 1, then each table written and read back.
    const QStringList all{"--all", "--attempts", "1"};
    QTest::newRow("read-back of table 5 refused")
        << all << refusal << 6
        << QStringLiteral("Таблицы записаны и проверены: 3; записаны, не проверены: 5; не "
                          "записаны: 6")
        << QStringList{"verified", "unverified", "not-written"};
    QTest::newRow("answers of the writes withheld")
        << all << int(FaultKind::WithholdAnswer) << 0 << QString()
        << QStringList{"verified", "verified", "verified"};
}

void TestCli::writeCutShortTellsWhatWasWritten()
{
    QFETCH(QStringList, options);
    QFETCH(int, kind);
    QFETCH(int, struckAnswer);
    QFETCH(QString, expected);
    QFETCH(QStringList, states);
    SimOptions simOptions = fastSim();
    FaultRule rule = fault(FaultKind(kind), struckAnswer ? FaultWhen::EveryNth : FaultWhen::Always);
    rule.every = std::max(struckAnswer, 1);
    rule.errorCode = 11;
    simOptions.faults = {rule};
    Simulator simulator(simOptions);
    QVERIFY(simulator.start());
    const QString file = writeRecord(QStringLiteral("station.cnf"), stationRecord());

    const CliRun run = runCli(link(simulator) << QStringLiteral("--json")
                                              << QStringLiteral("write-config") << file << options);
    QCOMPARE(run.status, expected.isEmpty() ? 0 : 1);
    QVERIFY2(run.err.contains(expected), qPrintable(run.err));
    QStringList told;
    for (const QJsonValue table : QJsonDocument::fromJson(run.out.toUtf8())["tables"].toArray())
        told << table["state"].toString();
    QCOMPARE(told, states);
}

void TestCli::forgottenWriteIsCaught_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::newRow("what differs") << QStringList{} << 1;
    QTest::newRow("--tables 6") << QStringList{"--tables", "6"} << 1;
    QTest::newRow("--no-verify takes the acknowledgement") << QStringList{"--no-verify"} << 0;
}

// A controller that acknowledges a write but keeps its old values.
void TestCli::forgottenWriteIsCaught()
{
    QFETCH(QStringList, options);
    QFETCH(int, status);
    SimOptions simOptions = fastSim();
    simOptions.configFile = writeRecord(QStringLiteral("station.cnf"), stationRecord());
    simOptions.faults = {fault(FaultKind::ForgetWrite, FaultWhen::Always)};
    Simulator simulator(simOptions);
    QVERIFY(simulator.start());
    ConfigRecord edited = stationRecord();
    setLink(edited, 17, 1, 1, 6);
    const QString file = writeRecord(QStringLiteral("edited.cnf"), edited);

    const CliRun run = runCli(link(simulator) << QStringLiteral("write-config") << file << options);
    QCOMPARE(run.status, status);
    const bool caught = status != 0;
    QCOMPARE(run.err.contains(QStringLiteral("Проверка записи не пройдена")), caught);
    QCOMPARE(run.err.contains(
                 QStringLiteral("не прошли проверку: 6 (адрес 17: записано 26, прочитано 00")),
             caught);
}

void TestCli::lostStandardOutputIsAFailure_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::newRow("show") << QStringList{"show", "@FILE@"};
    QTest::newRow("identify --json") << QStringList{"--json", "identify"};
}

void TestCli::lostStandardOutputIsAFailure()
{
    QFETCH(QStringList, command);
    Simulator simulator(fastSim());
    QVERIFY(simulator.start());
    command.replaceInStrings(QStringLiteral("@FILE@"),
                             writeRecord(QStringLiteral("a.cnf"), stationRecord()));
    QProcess process;
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(cliBinary(), link(simulator) << command);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 3);
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("стандартный вывод не записан: нет места на устройстве")),
             qPrintable(err));
}

void TestCli::showMakesControlCharactersVisible()
{
    ConfigRecord record = stationRecord();
    setModemString(record, QStringLiteral("AT\x1b[2JZ\x7f\r"));
    const CliRun run =
        runCli({QStringLiteral("show"), writeRecord(QStringLiteral("esc.cnf"), record)});
    QCOMPARE(run.status, 0);
    QVERIFY2(run.out.contains(QStringLiteral("Строка инициализации модема: AT\\x1b[2JZ\\x7f\n")),
             qPrintable(run.out));
    QVERIFY(!run.out.contains(QChar(0x1b)));
}

void TestCli::decodeWithoutALink_data()
{
    QTest::addColumn<QStringList>("arguments"); // "@FILE@": a file holding `file`
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said"); // on standard output for status 0, else on standard error
    const QString refusal12 = QStringLiteral("33 00 09 1D 0C 00 00 02 6D");
    QTest::newRow("refusal, error 12")
        << QStringList{"decode", refusal12} << QByteArray() << 0
        << QStringLiteral("! Отказ, функция 29, контроллер 0: Запись в таблицу не допускается  [") +
               refusal12 + "]";
    QTest::newRow("wrong CRC, bytes as several arguments")
        << QStringList{"decode", "CC", "000C1D", "00 00 11 00 00 00 7D 6D"} << QByteArray() << 0
        << QStringLiteral("Чтение из таблицы 0 (поля 0-17) \"Общие параметры идентификации\"; CRC "
                          "неверна");
    QTest::newRow("--json") << QStringList{"--json", "decode", refusal12} << QByteArray() << 0
                            << QStringLiteral("\"errorText\": \"Запись в таблицу не допускается\"");
    QTest::newRow("not hex") << QStringList{"decode", "CC 0"} << QByteArray() << 2
                             << QStringLiteral("не байты в шестнадцатеричном виде");
    QTest::newRow("no bytes") << QStringList{"decode"} << QByteArray() << 2
                              << QStringLiteral("команде decode нужны байты кадра");
    QTest::newRow("log with a foreign line")
        << QStringList{"decode-log", "@FILE@"}
        << QByteArray("2024-06-14 09:30:15.250 RX 33 00 09 1D 0C 00 00 02 6D\nnot a log line\n")
        << 0 << QStringLiteral("2024-06-14 09:30:15.250            RX     ! Отказ");
    QTest::newRow("no log at all") << QStringList{"decode-log", "@FILE@"} << QByteArray("hello\n")
                                   << 3 << QStringLiteral("не журнал обмена");
    QTest::newRow("missing log") << QStringList{"decode-log", "@FILE@"} << QByteArray() << 3
                                 << QStringLiteral("Ошибка открытия файла: файла нет");
}

// The decode commands open no port: a device that does not exist does not matter.
void TestCli::decodeWithoutALink()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, file);
    QFETCH(int, status);
    QFETCH(QString, said);
    const QString log = path(QStringLiteral("exchange.log"));
    if (!file.isEmpty()) {
        QFile out(log);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
    }
    arguments.replaceInStrings(QStringLiteral("@FILE@"), log);
    const CliRun run = runCli(
        QStringList{QStringLiteral("--device"), QStringLiteral("/nonexistent/tty")} << arguments);
    QCOMPARE(run.status, status);
    const QString &where = status == 0 ? run.out : run.err;
    QVERIFY2(where.contains(said), qPrintable(run.out + run.err));
}

// The log of a session that identified and read the configuration names every table it read.
void TestCli::decodeLogNamesTheTablesOfASession()
{
    const QString tool = path(QStringLiteral("ktv31-cli"));
    QVERIFY(QFile::copy(cliBinary(), tool));
    SimOptions options = fastSim();
    options.configFile = writeRecord(QStringLiteral("station.cnf"), stationRecord());
    Simulator simulator(options);
    QVERIFY(simulator.start());
    QCOMPARE(runCli(link(simulator) << QStringLiteral("identify"), tool).status, 0);
    QCOMPARE(
        runCli(link(simulator) << QStringLiteral("read-config") << path("read.cnf"), tool).status,
        0);

    const QString log = path(QStringLiteral("LOG/exchange.log"));
    const CliRun run = runCli({QStringLiteral("decode-log"), log});
    QCOMPARE(run.status, 0);
    for (int table : {0, 3, 5, 6})
        QVERIFY2(run.out.contains(QStringLiteral("Чтение из таблицы %1 ").arg(table) +
                                  QStringLiteral("(")) &&
                     run.out.contains(QLatin1Char('"') + TableCaption(table) + QLatin1Char('"')),
                 qPrintable(QString::number(table)));
    QVERIFY(run.out.contains(QStringLiteral("адрес 7: порт B, 9600")));
    QVERIFY(run.out.contains(QStringLiteral("\"ATZ\\r\"")));
    QVERIFY2(!run.out.contains(QStringLiteral(" ! ")), qPrintable(run.out));

    const CliRun json = runCli({QStringLiteral("--json"), QStringLiteral("decode-log"), log});
    QCOMPARE(json.status, 0);
    const QJsonArray rows =
        QJsonDocument::fromJson(json.out.toUtf8()).object().value("rows").toArray();
    QCOMPARE(rows.size(), lines(run.out).size());
    QList<int> tablesRead;
    for (const QJsonValue &row : rows) {
        const QJsonObject frame = row.toObject().value("frame").toObject();
        if (row.toObject().value("kind") == QStringLiteral("request") &&
            frame.value("access") == QStringLiteral("read"))
            tablesRead << frame.value("table").toInt();
    }
    // identify; read-config checks the device, then reads 0, 3, 5, 6 in two parts and 1.
    QCOMPARE(tablesRead, (QList<int>{0, 0, 0, 3, 5, 6, 6, 1}));
}

// Two Latin words in a row make an English sentence; option and command names, paths, hex
// bytes and placeholders in capitals are not words.
static bool HasEnglishSentence(QString text)
{
    // Names the person types as they stand: the station commands and the book's columns.
    static const QRegularExpression names(
        QStringLiteral("\\b(?:stations|backup|apply|history|name|phone|port|speed|modem_init)\\b"));
    text.replace(names, QStringLiteral("NAME"));
    static const QString word = QStringLiteral("(?<![-\\w./<%'])[A-Za-z][a-z]+(?![-\\w./>'])");
    static const QRegularExpression sentence(word + QStringLiteral("[ ,]+(?:(?:a|an|the) )?") +
                                             word);
    return sentence.match(text).hasMatch();
}

// The string literals of a source file, each with its line; includes and comments hold none
// that the tool prints.
static QStringList Literals(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("unreadable file")};
    static const QRegularExpression literal(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    QStringList out;
    int number = 0;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        ++number;
        const QString code = line.trimmed();
        if (code.startsWith(u'#') || code.startsWith(QLatin1String("//")))
            continue;
        for (auto it = literal.globalMatch(code.section(QLatin1String(" //"), 0, 0)); it.hasNext();)
            out << QStringLiteral("%1: %2").arg(number).arg(it.next().captured(1));
    }
    return out;
}

void TestCli::everyMessageIsRussian_data()
{
    QTest::addColumn<QStringList>("help"); // empty: the literals of the source file
    QTest::addColumn<QString>("source");
    const QDir cli(QStringLiteral(KTV31_SOURCE_DIR "/src/cli"));
    for (const QString &name : cli.entryList({"*.cpp"}, QDir::Files))
        QTest::newRow(qPrintable(name)) << QStringList{} << cli.filePath(name);
    QTest::newRow("--help") << QStringList{"--help"} << QString();
    for (const char *command : {"identify", "detect-speed", "read-config", "write-config",
                                "table-state", "show", "diff", "new", "decode", "decode-log"})
        QTest::newRow(command) << QStringList{command, "--help"} << QString();
}

// Everything the tool can print comes from its own sources or its help.
void TestCli::everyMessageIsRussian()
{
    QFETCH(QStringList, help);
    QFETCH(QString, source);
    const QStringList texts = help.isEmpty() ? Literals(source) : runCli(help).out.split(u'\n');
    QVERIFY(!help.isEmpty() || QFile::exists(source));
    QVERIFY(help.isEmpty() || texts.size() > 3);
    QStringList english;
    for (const QString &text : texts)
        if (HasEnglishSentence(text))
            english << text;
    QVERIFY2(english.isEmpty(), qPrintable(english.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
