// The real main window against the simulated controller on INI/COM1: start-up, commands, close.
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "modalscript.h"
#include "programrig.h"
#include "shell/operation.h"
#include "sim/simulator.h"
#include "support/servicerig.h"
#include "support/simrequests.h"
#include "windows/main.h"
#include "windows/statusbar.h"
#include "windows/tableinfo.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

using namespace ktv31;
using namespace ktv31::sim;
using ktv31::test::ModalScript;

namespace {

using test::Child;
using test::kAllMenus;
using test::kFileMenus;
using test::Program;
using test::VisibleMenus;
using Request = test::SeenRequest;

using SimChange = std::function<void(SimOptions &)>;

} // namespace

Q_DECLARE_METATYPE(SimChange)

class TestMainFlow : public QObject
{
    Q_OBJECT
private slots:
    void startUp_data();
    void startUp();
    void secondRunCancelledLeavesNoLink();
    void configurationCommand_data();
    void configurationCommand();
    void failedReadIsTold();
    void writesAreCheckedAndReadBack_data();
    void writesAreCheckedAndReadBack();
    void saveCommandAndFiles();
    void telephoneLink();
    void failedDialKeepsThePort();
    void closingWithCallUpHangsUpFirst();
    void statusTextClearedOnceAfterFirstArming();
    void closeWhileBusy_data();
    void closeWhileBusy();
    void noCommandInsideTheTableStateProcedure();
};

void TestMainFlow::startUp_data()
{
    QTest::addColumn<SimChange>("change");
    QTest::addColumn<QStringList>("menus");
    QTest::addColumn<QString>("message");
    const auto firmware = [](int v) {
        return SimChange([v](SimOptions &o) { o.firmwareVersion = quint8(v); });
    };
    const QString versionMessage =
        QStringLiteral("Программа обслуживает контроллеры с версией ПО от 3 до 6");
    QTest::newRow("accepted") << SimChange([](SimOptions &) {}) << kAllMenus << "";
    QTest::newRow("type 7") << SimChange([](SimOptions &o) { o.typeCode = 7; }) << kFileMenus
                            << "Программа не обслуживает устройства данного типа|(код типа "
                               "подключенного устройства  7)";
    QTest::newRow("firmware 2") << firmware(2) << kFileMenus
                                << "Версия ПО подключенного устройства 2.|" + versionMessage;
    QTest::newRow("firmware 7") << firmware(7) << kFileMenus
                                << "Версия ПО подключенного устройства 7.|" + versionMessage;
    QTest::newRow("firmware 3") << firmware(3) << kAllMenus << "";
    QTest::newRow("firmware 6") << firmware(6) << kAllMenus << "";
}

void TestMainFlow::startUp()
{
    QFETCH(SimChange, change);
    QFETCH(QStringList, menus);
    QFETCH(QString, message);
    Program program;
    SimOptions options;
    change(options);
    QVERIFY(program.startController(options));
    program.launch();
    QCOMPARE(program.connectionDialogs, 1);
    QVERIFY(!program.menusSeenDuringStartUp);
    QCOMPARE(VisibleMenus(*program.main), menus);
    const bool accepted = message.isEmpty();
    QCOMPARE(program.messages(), accepted ? QStringList{} : QStringList{message});
    QCOMPARE(program.panel(0), accepted ? QStringLiteral(" COM1,   1200 бит/с") : QString());
    QCOMPARE(program.main->service().linkOpen(), accepted);
    QCOMPARE(program.main->service().exchange().PortHandle, program.main->service().port());
}

void TestMainFlow::secondRunCancelledLeavesNoLink()
{
    Program program;
    SimOptions options;
    options.destroyedTables = {5};
    QVERIFY(program.startController(options));
    // Panel 1 as it passes: the table-state procedure's own steps follow the number at once.
    QStringList panelTexts;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        if (program.main && (panelTexts.isEmpty() || panelTexts.last() != program.panel(1)))
            panelTexts << program.panel(1);
    });
    sampler.start(0);
    program.launch();
    sampler.stop();
    // A destroyed table: its number in panel 1, then the table-state view.
    QCOMPARE(program.dialogs, QStringList{"ktv31::TFormTableInfo"});
    QVERIFY2(panelTexts.contains(QStringLiteral("Разрушена таблица № 5")),
             qPrintable(panelTexts.join(u'|')));
    QCOMPARE(VisibleMenus(*program.main), kAllMenus);

    program.connect = false;
    program.trigger("Nconnect");
    QVERIFY(program.settle());
    QCOMPARE(program.connectionDialogs, 2);
    QVERIFY(!program.main->service().linkOpen());
    QVERIFY(!program.main->service().exchange().PortHandle);
    QCOMPARE(VisibleMenus(*program.main), kFileMenus);
}

void TestMainFlow::configurationCommand_data()
{
    QTest::addColumn<bool>("changeOne");
    QTest::newRow("one calculator changed") << true;
    QTest::newRow("nothing changed") << false;
}

void TestMainFlow::configurationCommand()
{
    QFETCH(bool, changeOne);
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    const ConfigImage before = program.sim->image();
    program.sim->clearLog();
    bool disabledBehindWait = false;
    bool enabledInEditor = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        disabledBehindWait |=
            !program.main->isEnabled() &&
            program.main->findChild<QDialog *>(QString(), Qt::FindDirectChildrenOnly);
    });
    sampler.start(1);
    program.onDialog = [&](QDialog *dialog) {
        if (QString(dialog->metaObject()->className()) == QLatin1String("ktv31::TFormVichPar")) {
            Child<QCheckBox>(*dialog, "CheckBox1")->click(); // address 17 is not connected yet
            Child<QComboBox>(*dialog, "ComboBox1")->setCurrentIndex(1);
            emit Child<QComboBox>(*dialog, "ComboBox1")->activated(1);
            Child<QPushButton>(*dialog, "BitBtn1")->click();
            return;
        }
        enabledInEditor = program.main->isEnabled();
        if (changeOne) {
            auto *grid = Child<QTableView>(*dialog, "StringGrid1");
            grid->selectRow(16);
            Child<QPushButton>(*dialog, "BitBtn3")->click();
        }
        Child<QPushButton>(*dialog, "BitBtn14")->click();
    };
    program.trigger("N2");
    sampler.stop();
    QVERIFY(disabledBehindWait);
    QVERIFY(enabledInEditor);
    QVERIFY(program.main->isEnabled());
    if (!changeOne) {
        QVERIFY(program.writes().isEmpty());
        QVERIFY(program.backups().isEmpty());
        QCOMPARE(program.messages(),
                 QStringList{"Запись таблиц не выполняется.|Нет измененных данных"});
        return;
    }
    QCOMPARE(program.writes(), (QList<Request>{{true, 6, 17, 1}}));
    QCOMPARE(program.sim->image().LinkByteAt(17), LinkByte::Make(2, 0));
    // The backup is the configuration as read, the file read-config would have written.
    QCOMPARE(program.backups().size(), 1);
    QFile backup(program.programDir + QStringLiteral("CONFIG/backup/") + program.backups()[0]);
    QVERIFY(backup.open(QIODevice::ReadOnly));
    ConfigRecord expected;
    ImageToRecord(before, expected);
    QCOMPARE(backup.readAll(), expected.toBytes());
}

void TestMainFlow::failedReadIsTold()
{
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    FaultRule silence;
    silence.when = FaultWhen::Always;
    program.sim->injectFault(silence);
    program.main->service().exchange().FirstByteWaitMs = 100;
    program.trigger("N2");
    QCOMPARE(program.messages().last(), QStringLiteral("Параметры конфигурации не прочитаны"));
    QCOMPARE(program.script.boxes.last().caption, QStringLiteral("Результат обмена с устройством"));
    QVERIFY(program.dialogs.isEmpty()); // no editor
    QVERIFY(program.main->isEnabled());
}

void TestMainFlow::writesAreCheckedAndReadBack_data()
{
    QTest::addColumn<bool>("fromFile"); // the table-state procedure, else "Параметры конфигурации"
    QTest::addColumn<QString>("told");
    QTest::addColumn<QString>("caption");
    QTest::newRow("a file with a calculator on port 7")
        << true
        << "Запись таблиц не выполняется.|Таблица 6 (Скорость обмена с подкл. вычислителем и "
           "порт подключения): адрес 12: порт 7, допустимо 0...3"
        << "";
    QTest::newRow("a write the controller forgets")
        << false
        << "Проверка записи не пройдена|Таблицы не прошли проверку: 6 (адрес 17: записано 40, "
           "прочитано 00)"
        << "Результат обмена с устройством";
}

void TestMainFlow::writesAreCheckedAndReadBack()
{
    QFETCH(bool, fromFile);
    QFETCH(QString, told);
    QFETCH(QString, caption);
    Program program;
    SimOptions options;
    if (fromFile)
        options.destroyedTables = {6};
    QVERIFY(program.startController(options));
    ConfigRecord file;
    NewConfigRecord(file, 5);
    const int at = LinkEntry::OffsetOf(12);
    file.setSlice(at, LinkEntrySize, QByteArray("\x01\x07\x02", LinkEntrySize));
    const QString path = program.dir.filePath(QStringLiteral("port7.cnf"));
    QCOMPARE(WriteConfigFile(path, file), ConfigFileError::None);
    program.script.queueFile(path);
    program.onDialog = [](QDialog *dialog) {
        const QString form = dialog->metaObject()->className();
        if (form == QLatin1String("ktv31::TFormTableInfo")) {
            Child<QPushButton>(*dialog, "BitBtn1")->click(); // every table
        } else if (form == QLatin1String("ktv31::TFormVichPar")) {
            Child<QCheckBox>(*dialog, "CheckBox1")->click(); // address 17 is not connected yet
            Child<QComboBox>(*dialog, "ComboBox1")->setCurrentIndex(1);
            emit Child<QComboBox>(*dialog, "ComboBox1")->activated(1);
            Child<QPushButton>(*dialog, "BitBtn1")->click();
        } else if (Child<QPushButton>(*dialog, "BitBtn24")->isVisible()) {
            Child<QPushButton>(*dialog, "BitBtn14")->click(); // the review of the file
        } else {
            Child<QTableView>(*dialog, "StringGrid1")->selectRow(16);
            Child<QPushButton>(*dialog, "BitBtn3")->click();
            Child<QPushButton>(*dialog, "BitBtn14")->click();
        }
    };
    program.launch();
    if (!fromFile) {
        FaultRule forget;
        forget.kind = FaultKind::ForgetWrite;
        forget.when = FaultWhen::Always;
        program.sim->injectFault(forget);
        program.trigger("N2");
    }
    QCOMPARE(program.messages().value(program.messages().size() - 1), told);
    QCOMPARE(program.script.boxes.last().caption, caption);
    // Nothing reached the controller from the file; the forgotten write was tried once.
    const QList<Request> writes = program.writes();
    const QList<Request> tried{{true, 6, 17, 1}};
    QCOMPARE(writes, fromFile ? QList<Request>() : tried);
}

void TestMainFlow::saveCommandAndFiles()
{
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    const QString saved = program.dir.filePath(QStringLiteral("station.cnf"));
    program.script.queueFile(saved);
    program.trigger("N3");
    QCOMPARE(QFileInfo(saved).size(), qint64(RecordSize));
    QCOMPARE(program.messages().last(),
             QStringLiteral("Параметры конфигурации|сохранены в файле station.cnf"));

    // A file saved earlier under the name offered today is not replaced without a word.
    const QString offered = program.programDir + QStringLiteral("CONFIG/") +
                            DefaultConfigFileName(5, QDate::currentDate());
    QFile earlier(offered);
    QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("saved earlier") > 0);
    earlier.close();
    program.script.boxes.clear();
    program.script.queueFile(offered); // answered "Нет", then the dialog is cancelled
    program.trigger("N3");
    QCOMPARE(program.messages(),
             QStringList{QStringLiteral("Файл %1 уже есть.|Вы хотите заменить существующий файл?")
                             .arg(QFileInfo(offered).fileName())});
    QVERIFY(earlier.open(QIODevice::ReadOnly));
    QCOMPARE(earlier.readAll(), QByteArray("saved earlier"));
    earlier.close();

    // An existing file accepted without change is not offered for saving.
    program.script.boxes.clear();
    program.script.queueFile(saved);
    program.onDialog = [](QDialog *dialog) { Child<QPushButton>(*dialog, "BitBtn5")->click(); };
    program.trigger("NCnfEdit");
    QCOMPARE(program.dialogs.last(), QStringLiteral("ktv31::TFormConfig"));
    QVERIFY(program.messages().isEmpty());

    // A new file is, even unchanged; a cancelled generation choice opens no editor.
    program.onDialog = [](QDialog *dialog) {
        if (auto *accept = Child<QPushButton>(*dialog, "BitBtn5"))
            accept->click();
        else
            Child<QPushButton>(*dialog, "BitBtn1")->click(); // the generation: 3 or 4
    };
    program.trigger("NCnfNew");
    QCOMPARE(program.messages(), QStringList{"Сохранить параметры конфигурации в файле?"});
    const int dialogsBefore = int(program.dialogs.size());
    program.onDialog = [](QDialog *dialog) { dialog->reject(); };
    program.trigger("NCnfNew");
    QCOMPARE(program.dialogs.size(), dialogsBefore + 1);
    QCOMPARE(program.dialogs.last(), QStringLiteral("ktv31::TFormSelect"));
}

void TestMainFlow::telephoneLink()
{
    Program program;
    QVERIFY(program.startTelephone());
    program.launch();
    TFormMain &main = *program.main;
    QVERIFY(main.service().callUp());
    QCOMPARE(VisibleMenus(main), kAllMenus);
    auto *modem = Child<QWidget>(main, "pnmodem");
    QVERIFY(modem->isVisible());
    // Whole above the status bar, with the menu back; so is its button.
    main.layout()->activate();
    const QRect onWindow(modem->mapTo(&main, QPoint(0, 0)), modem->size());
    QVERIFY2(onWindow.bottom() < main.StatusBar1()->geometry().top() &&
                 onWindow.top() > main.menuBar()->geometry().bottom(),
             qPrintable(QStringLiteral("panel %1..%2, menu to %3, status bar from %4")
                            .arg(onWindow.top())
                            .arg(onWindow.bottom())
                            .arg(main.menuBar()->geometry().bottom())
                            .arg(main.StatusBar1()->geometry().top())));
    QVERIFY(main.TimerMoney()->isActive());
    auto *duration = Child<QLabel>(main, "pntime");
    QCOMPARE(duration->text(), QStringLiteral("00:00:00"));
    QDateTime now = main.CallStartTime.addMSecs((3600 + 120 + 3) * 1000 + 900);
    main.clock = [&] { return now; };
    QMetaObject::invokeMethod(&main, "TimerMoneyTimer");
    QCOMPARE(duration->text(), QStringLiteral("01:02:03"));
    now = main.CallStartTime.addSecs(25 * 3600);
    QMetaObject::invokeMethod(&main, "TimerMoneyTimer");
    QCOMPARE(duration->text(), QStringLiteral("01:00:00"));

    program.sim->clearLog();
    Child<QPushButton>(main, "BitBtn3")->click();
    QVERIFY(program.settle());
    QVERIFY(!main.service().callUp());
    QCOMPARE(VisibleMenus(main), kFileMenus);
    QVERIFY(program.panel(0).isEmpty() && program.panel(1).isEmpty());
    QVERIFY(!main.service().linkOpen());
    QVERIFY(!Child<QWidget>(main, "pnmodem")->isVisible());
    QVERIFY(program.sim->modemCommands().contains(QByteArray("+++")));
}

void TestMainFlow::failedDialKeepsThePort()
{
    Program program;
    SimOptions options;
    options.modem.dialScript = {DialOutcome::Busy};
    QVERIFY(program.startTelephone(options));
    program.launch();
    QCOMPARE(program.messages(), QStringList{"Номер абонента занят"});
    QVERIFY(!program.main->service().callUp());
    QVERIFY(program.main->service().linkOpen()); // held until the next sequence or the close
    QCOMPARE(VisibleMenus(*program.main), kFileMenus);
}

void TestMainFlow::closingWithCallUpHangsUpFirst()
{
    Program program;
    QVERIFY(program.startTelephone());
    program.launch();
    QVERIFY(program.main->service().callUp());
    const QString settingsFile = SettingsFilePath(program.programDir);
    QFile::remove(settingsFile);
    program.sim->clearLog();
    bool savedWhileHangingUp = false;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        savedWhileHangingUp |= OperationRunning() && QFileInfo::exists(settingsFile);
    });
    sampler.start(0);
    program.main->close();
    sampler.stop();
    QVERIFY(!program.main->isVisible());
    QVERIFY(!savedWhileHangingUp);
    QVERIFY(QFileInfo::exists(settingsFile));
    program.sim->settle();
    QCOMPARE(program.sim->modemCommands(), (QByteArrayList{"+++", "ath\r"}));
    QVERIFY(!program.main->service().linkOpen());
}

void TestMainFlow::statusTextClearedOnceAfterFirstArming()
{
    QTemporaryDir dir;
    TFormMain main(dir.path() + QLatin1Char('/'));
    main.TimerStart()->stop();
    constexpr int kIntervalMs = 300;
    main.TimerMessage()->setInterval(kIntervalMs);
    main.StatusBar1()->setPanelText(1, QStringLiteral("Чтение"));
    main.ArmTimerMessage();
    QSignalSpy cleared(main.TimerMessage(), &QTimer::timeout);
    // Armed again past half its count: kept, the count ends before three quarters of an interval
    // from now; restarted, it would end a whole interval from now, after the reference.
    QTRY_VERIFY_WITH_TIMEOUT(main.TimerMessage()->remainingTime() <= kIntervalMs / 2, 2000);
    main.ArmTimerMessage();
    QTimer reference;
    reference.setSingleShot(true);
    reference.setTimerType(Qt::PreciseTimer);
    reference.start(kIntervalMs * 3 / 4);
    QSignalSpy referenceDone(&reference, &QTimer::timeout);
    QVERIFY(cleared.wait(2000));
    QVERIFY2(referenceDone.isEmpty(), "the second arming restarted the count");
    QVERIFY(main.StatusBar1()->panelText(1).isEmpty());
    QVERIFY(!main.TimerMessage()->isActive());
}

void TestMainFlow::closeWhileBusy_data()
{
    QTest::addColumn<QString>("during");
    QTest::newRow("an exchange") << "exchange";
    QTest::newRow("a dial") << "dial";
    QTest::newRow("the start-up sequence") << "start-up";
}

void TestMainFlow::closeWhileBusy()
{
    QFETCH(QString, during);
    Program program;
    SimOptions options;
    const bool dial = during == QLatin1String("dial");
    if (dial) {
        options.modem.dialDelayMs = 20000; // the call is still being made when the close comes
        program.settings.setConnectWaitS(60);
    }
    QVERIFY(dial ? program.startTelephone(options) : program.startController(options));
    program.settings.setFirstByteWaitS(20);
    program.settings.setAttempts(3);
    if (during == QLatin1String("exchange")) {
        program.launch();
    } else {
        FaultRule silence;
        silence.when = FaultWhen::Always;
        if (!dial)
            program.sim->injectFault(silence);
        SaveSettings(SettingsFilePath(program.programDir), program.settings);
        program.main = std::make_unique<TFormMain>(program.programDir);
        program.main->service().modemTiming = test::QuickModemTiming();
        program.main->show();
    }
    if (during == QLatin1String("exchange")) {
        FaultRule silence;
        silence.when = FaultWhen::Always;
        program.sim->injectFault(silence);
        QTimer::singleShot(0, program.main.get(), [&] {
            program.main->findChild<QAction *>(QStringLiteral("Nident"))->trigger();
        });
    }
    QFile::remove(SettingsFilePath(program.programDir));
    // The close comes once the operation waits on the line: the request sent (or the dial
    // begun) and no answer coming.
    const qsizetype requestsBefore = program.requests().size();
    const auto waitingOnTheLine = [&] {
        if (!OperationRunning())
            return false;
        if (!dial)
            return program.requests().size() > requestsBefore;
        for (const QByteArray &command : program.sim->modemCommands())
            if (command.startsWith("ATD"))
                return true;
        return false;
    };
    QElapsedTimer sinceClose;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, program.main.get(), [&] {
        if (waitingOnTheLine()) {
            closer.stop();
            sinceClose.start();
            program.main->close();
        }
    });
    closer.start(5);
    // Left alone, the silent line would hold the operation for a minute (3 attempts of 20 s).
    QTRY_VERIFY2_WITH_TIMEOUT(!program.main->isVisible(), "the window did not close", 15000);
    QVERIFY2(sinceClose.elapsed() < 5000, qPrintable(QString::number(sinceClose.elapsed())));
    QVERIFY(QFileInfo::exists(SettingsFilePath(program.programDir)));
    QVERIFY(!program.main->service().linkOpen());
    QVERIFY(program.messages().isEmpty()); // a close cuts short without telling
    if (dial) {
        program.sim->settle();
        const QList<QByteArray> commands = program.sim->modemCommands();
        QVERIFY2(commands.contains(QByteArray("ATH\r")) || commands.contains(QByteArray("\r")),
                 "the modem was left dialling");
    }
}

void TestMainFlow::noCommandInsideTheTableStateProcedure()
{
    Program program;
    SimOptions options;
    options.destroyedTables = {6};
    options.thinkTimeMs = 300; // the table-7 read takes a while
    QVERIFY(program.startController(options));
    bool commandRan = false;
    program.onDialog = [&](QDialog *dialog) { dialog->reject(); };
    SaveSettings(SettingsFilePath(program.programDir), program.settings);
    program.main = std::make_unique<TFormMain>(program.programDir);
    program.main->show();
    // While the procedure reads table 7, the engineer picks "Параметры конфигурации".
    QTimer picker;
    QObject::connect(&picker, &QTimer::timeout, [&] {
        if (program.panel(1).startsWith(QStringLiteral("Чтение из таблицы 7"))) {
            picker.stop();
            program.main->findChild<QAction *>(QStringLiteral("N2"))->trigger();
            QMetaObject::invokeMethod(program.main.get(), "N2Click");
            commandRan = !program.requests().isEmpty() &&
                         program.requests().last() == Request{false, 3, 0, 8};
        }
    });
    picker.start(5);
    QVERIFY(program.settle());
    QVERIFY(!commandRan);
    QCOMPARE(program.dialogs, QStringList{"ktv31::TFormTableInfo"});
    for (const Request &r : program.requests())
        QVERIFY2(r.table != 3, "the configuration was read inside the procedure");
}

QTEST_MAIN(TestMainFlow)
#include "tst_mainflow.moc"
