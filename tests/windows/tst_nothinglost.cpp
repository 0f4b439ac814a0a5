// Nothing changed or lost that the person did not ask for: untouched fields, the settings file,
// a lost port, a wait cut short, what a write is told as. The real main window on the simulator.
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "programrig.h"
#include "protocol/controllercodes.h"
#include "windows/wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

#include <functional>

#include <sys/stat.h>

using namespace ktv31;
using namespace ktv31::sim;
using test::Child;
using test::Program;

namespace {

using RecordChange = std::function<void(ConfigRecord &)>;
using FolderChange = std::function<bool(const QString &settingsFile)>;

// The controller's tables from a configuration file with `change` made to it.
bool StartFrom(Program &program, const RecordChange &change, SimOptions options = {})
{
    ConfigRecord record;
    NewConfigRecord(record, 5);
    record.setU8(RecordOffset::LinkParameters, quint8(SpeedToCode(1200)));
    change(record);
    options.configFile = program.dir.filePath(QStringLiteral("controller.cnf"));
    return WriteConfigFile(options.configFile, record) == ConfigFileError::None &&
           program.startController(options);
}

FaultRule Rule(FaultKind kind, FaultWhen when)
{
    FaultRule rule;
    rule.kind = kind;
    rule.when = when;
    return rule;
}

// Presses `button` of the editor; before, `edit` may change what the person would change.
std::function<void(QDialog *)> Editor(const std::function<void(QDialog *)> &edit = {})
{
    return [edit](QDialog *dialog) {
        if (edit)
            edit(dialog);
        Child<QPushButton>(*dialog, "BitBtn14")->click();
    };
}

} // namespace

Q_DECLARE_METATYPE(RecordChange)
Q_DECLARE_METATYPE(FolderChange)

class TestNothingLost : public QObject
{
    Q_OBJECT
private slots:
    void untouchedFieldsAreNotWritten_data();
    void untouchedFieldsAreNotWritten();
    void damagedSettingsAreKeptAndTold();
    void unsavedSettingsAreTold_data();
    void unsavedSettingsAreTold();
    void waitCanBeCutShort();
    void lostPortIsOpenedAgain_data();
    void lostPortIsOpenedAgain();
    void writesAreSummedUp_data();
    void writesAreSummedUp();
};

void TestNothingLost::untouchedFieldsAreNotWritten_data()
{
    QTest::addColumn<RecordChange>("controller");
    QTest::newRow("calculator 12 on port 7") << RecordChange([](ConfigRecord &r) {
        r.setSlice(LinkEntry::OffsetOf(12), LinkEntrySize, QByteArray("\x01\x07\x05", 3));
    });
    QTest::newRow("modem string with a trailing blank") << RecordChange(
        [](ConfigRecord &r) { r.setSlice(RecordOffset::ModemString, 5, QByteArray("ATZ \r")); });
    QTest::newRow("modem string of 63 characters") << RecordChange([](ConfigRecord &r) {
        r.setSlice(RecordOffset::ModemString, 64, QByteArray(63, 'S') + '\r');
    });
}

void TestNothingLost::untouchedFieldsAreNotWritten()
{
    QFETCH(RecordChange, controller);
    Program program;
    QVERIFY(StartFrom(program, controller));
    program.launch();
    const ConfigImage before = program.sim->image();
    program.onDialog = Editor();
    program.trigger("N2");
    QVERIFY(program.writes().isEmpty());
    QCOMPARE(program.messages(),
             QStringList{"Запись таблиц не выполняется.|Нет измененных данных"});
    QCOMPARE(program.sim->image().toBytes(), before.toBytes());
}

void TestNothingLost::damagedSettingsAreKeptAndTold()
{
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    const QString file = SettingsFilePath(program.programDir);
    const QByteArray damaged = ConnectionSettings::Defaults().toBytes().left(285);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(damaged) == damaged.size());
    out.close();
    program.main = std::make_unique<TFormMain>(program.programDir);
    program.main->show();
    QVERIFY(program.settle());
    QCOMPARE(program.messages().value(0),
             QStringLiteral("Файл настроек ktv31.ini поврежден (285 байт)|Взяты значения по "
                            "умолчанию; прежний файл сохранен как ktv31.ini.damaged"));
    QCOMPARE(program.connectionDialogs, 1);
    program.main->close();
    QCOMPARE(QFileInfo(file).size(), qint64(ConnectionSettings::Size));
    QFile kept(file + QStringLiteral(".damaged"));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), damaged);
    QCOMPARE(program.messages().size(), 1); // told once
}

void TestNothingLost::unsavedSettingsAreTold_data()
{
    QTest::addColumn<FolderChange>("change");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder in its place") << FolderChange([](const QString &file) {
        return QFile::remove(file) && QDir().mkdir(file);
    }) << "это папка, а не файл";
    QTest::newRow("a FIFO in its place") << FolderChange([](const QString &file) {
        return QFile::remove(file) && ::mkfifo(QFile::encodeName(file).constData(), 0600) == 0;
    }) << "это канал (FIFO), а не файл";
}

void TestNothingLost::unsavedSettingsAreTold()
{
    QFETCH(FolderChange, change);
    QFETCH(QString, reason);
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    const QString file = SettingsFilePath(program.programDir);
    QVERIFY(change(file));
    program.script.boxes.clear();
    program.main->close();
    QCOMPARE(program.script.boxes.size(), 1);
    QCOMPARE(program.script.boxes[0].caption, QStringLiteral("Ошибка"));
    QCOMPARE(program.messages()[0],
             QStringLiteral("Параметры связи не сохранены в файле %1|%2").arg(file, reason));
}

// A silent controller with long waits: without a way out, the read would take 30 s before the
// first question.
void TestNothingLost::waitCanBeCutShort()
{
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.settings.setFirstByteWaitS(10);
    program.settings.setAttempts(3);
    program.launch();
    program.sim->injectFault(Rule(FaultKind::Silence, FaultWhen::Always));
    QElapsedTimer clock;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        auto *wait = program.main->findChild<TFormWait *>();
        if (!wait || !wait->isVisible() || !program.sim->frameLog().size())
            return;
        presser.stop();
        QVERIFY(wait->isEnabled());
        clock.start();
        QTest::keyClick(wait, Qt::Key_Escape);
    });
    program.sim->clearLog();
    presser.start(10);
    program.trigger("N2");
    QVERIFY(clock.isValid());
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    // Ended at once: no retry question, no editor, and nothing left to abort the next command.
    QVERIFY(program.messages().isEmpty());
    QVERIFY(program.dialogs.isEmpty());
    QCOMPARE(program.main->service().exchange().ResultCode, Result::Aborted);
    program.sim->clearFaults();
    program.trigger("Nident");
    QCOMPARE(program.dialogs, QStringList{"ktv31::TFormIdent"});
}

void TestNothingLost::lostPortIsOpenedAgain_data()
{
    QTest::addColumn<bool>("portBack"); // the port is there again when the person answers
    QTest::newRow("the port back") << true;
    QTest::newRow("the port still gone") << false;
}

void TestNothingLost::lostPortIsOpenedAgain()
{
    QFETCH(bool, portBack);
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    program.sim->injectFault(Rule(FaultKind::CloseMidAnswer, FaultWhen::Once));
    program.script.queueAnswers({true, true});
    const QString link = program.programDir + QStringLiteral("INI/COM1");
    const QString lostLine = program.sim->devicePath();
    program.script.onBox = [&](const test::ModalScript::Box &box) {
        if (!box.question)
            return;
        // The simulator re-points COM1 at its new line from its own thread, maybe only after the
        // program has asked: the answer waits for that, and a port kept gone sends the link
        // elsewhere first.
        QTRY_VERIFY(program.sim->devicePath() != lostLine);
        if (portBack)
            return;
        QVERIFY(program.sim->placeLink(program.programDir + QStringLiteral("INI/elsewhere")));
        QVERIFY(QFile::remove(link) && QFile::link(QStringLiteral("/nonexistent/ttyUSB9"), link));
    };
    program.trigger("Nident");
    const QStringList messages = program.messages();
    if (portBack) {
        QCOMPARE(messages.size(), 1); // one question, answered "Да": the read went through
        QCOMPARE(program.dialogs, QStringList{"ktv31::TFormIdent"});
        QVERIFY(program.main->service().linkOpen());
        return;
    }
    QVERIFY2(messages.size() == 2, qPrintable(messages.join(u'\n')));
    QVERIFY2(messages[1].startsWith(QStringLiteral("Коммуникационный порт COM1 недоступен|")),
             qPrintable(messages[1]));
    QVERIFY(program.dialogs.isEmpty());
}

void TestNothingLost::writesAreSummedUp_data()
{
    QTest::addColumn<bool>("refuseModemString");
    QTest::addColumn<QString>("told"); // on status panel 1, or in the one message
    QTest::newRow("written and read back") << false << "Записаны таблицы 3, 5; проверено";
    QTest::newRow("table 5 refused")
        << true << "Запись таблиц не завершена|Таблицы записаны и проверены: 3; не записаны: 5";
}

void TestNothingLost::writesAreSummedUp()
{
    QFETCH(bool, refuseModemString);
    QFETCH(QString, told);
    Program program;
    QVERIFY(program.startController(SimOptions{}));
    program.launch();
    program.onDialog = Editor([](QDialog *dialog) {
        Child<QLineEdit>(*dialog, "Edit2")->setText(QStringLiteral("7"));
        Child<QLineEdit>(*dialog, "Edit1")->setText(QStringLiteral("ATM0"));
    });
    if (refuseModemString) {
        // Counted from now: the reads of the command, the table-3 write and its read-back.
        FaultRule refusal = Rule(FaultKind::Refusal, FaultWhen::EveryNth);
        refusal.every = 6 + 3;
        refusal.errorCode = 12;
        program.sim->injectFault(refusal);
    }
    program.trigger("N2");
    if (!refuseModemString) {
        QVERIFY(program.messages().isEmpty());
        QCOMPARE(program.panel(1), told); // until TimerMessage clears it
        return;
    }
    QCOMPARE(program.messages().value(program.messages().size() - 1), told);
}

QTEST_MAIN(TestNothingLost)
#include "tst_nothinglost.moc"
