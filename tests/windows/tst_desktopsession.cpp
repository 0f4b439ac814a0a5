// The program in a person's desktop session: Qt's own dialogs in Russian, and the orderly end
// when a signal or the session manager ends the program during a telephone call.
#include "connectingperson.h"
#include "shell/operatorseam.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "support/servicerig.h"
#include "windows/main.h"
#include "windows/orderlyend.h"
#include "windows/qttranslations.h"
#include "windows/windowoperator.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QProcess>
#include <QPushButton>
#include <QSessionManager>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>
#include <utility>

using namespace ktv31;
using ktv31::test::ConnectingPerson;

namespace {

constexpr int kConnectTimeoutMs = 30000;
constexpr int kEndTimeoutMs = 30000;

// A program folder whose COM1 is the simulated modem with the controller behind it, and whose
// settings dial it.
struct ProgramFolder
{
    QTemporaryDir dir;
    QString programDir = dir.path() + QLatin1Char('/');
    QString settingsFile = SettingsFilePath(programDir);
    ConnectionSettings settings = ConnectionSettings::Defaults();
    std::unique_ptr<sim::Simulator> sim;

    bool prepare()
    {
        CreateProgramFolders(programDir);
        settings.setLinkType(TelephoneLink);
        settings.setPhoneNumber(QStringLiteral("123"));
        sim::SimOptions options;
        options.modem.enabled = true;
        options.modem.guardTimeMs = 50;
        options.modem.dialDelayMs = 30;
        sim = std::make_unique<sim::Simulator>(options);
        return SaveSettings(settingsFile, settings) && sim->start() &&
               sim->placeLink(programDir + QStringLiteral("INI/COM1"));
    }
    // Whatever is in the settings file now, read whole.
    QByteArray settingsBytes() const
    {
        QFile file(settingsFile);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// The lock file that the serial port layer keeps for `device` while it is open
// (LCK..pts_3 for /dev/pts/3), in whichever of the usual lock folders it lies; empty if none.
QString LockFileOf(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(u'/', u'_');
    for (const char *folder : {"/var/lock", "/run/lock", "/var/spool/locks", "/var/spool/uucp",
                               "/etc/locks", "/var/lock/lockdev", "/tmp"}) {
        const QString path = QLatin1String(folder) + QStringLiteral("/LCK..") + name;
        if (QFileInfo::exists(path))
            return path;
    }
    return {};
}

// Cancels the file dialog once it is up, keeping the texts of its buttons.
class FileDialogReader : public QObject
{
public:
    FileDialogReader() { qApp->installEventFilter(this); }
    ~FileDialogReader() override { qApp->removeEventFilter(this); }
    QString acceptText;
    QString rejectText;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QFileDialog *>(watched);
        if (!dialog || event->type() != QEvent::Show)
            return false;
        const auto *buttons = dialog->findChild<QDialogButtonBox *>();
        for (QAbstractButton *button : buttons->buttons()) {
            QString text = button->text();
            text.remove(u'&');
            (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole ? acceptText
                                                                         : rejectText) = text;
        }
        QTimer::singleShot(0, dialog, &QDialog::reject);
        return false;
    }
};

// Calls `onShow` once the first window of `className` is up, from inside its own loop.
class ShowHook : public QObject
{
public:
    ShowHook(const char *className, std::function<void()> onShow)
        : className_(className), onShow_(std::move(onShow))
    {
        qApp->installEventFilter(this);
    }
    ~ShowHook() override { qApp->removeEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && onShow_ && watched->inherits(className_)) {
            QTimer::singleShot(0, this, std::exchange(onShow_, nullptr));
        }
        return false;
    }

private:
    const char *className_;
    std::function<void()> onShow_;
};

} // namespace

class TestDesktopSession : public QObject
{
    Q_OBJECT
private slots:
    void qtDialogsSpeakRussian_data();
    void qtDialogsSpeakRussian();
    void signalsEndTheProgramInOrder_data();
    void signalsEndTheProgramInOrder();
    void sessionEndsInOrder_data();
    void sessionEndsInOrder();
};

void TestDesktopSession::qtDialogsSpeakRussian_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("accept");
    QTest::newRow("open") << false << QStringLiteral("Открыть");
    QTest::newRow("save") << true << QStringLiteral("Сохранить");
}

void TestDesktopSession::qtDialogsSpeakRussian()
{
    QFETCH(bool, save);
    QFETCH(QString, accept);
    static const bool loaded = LoadQtTranslations(*qApp);
    QVERIFY2(loaded, "Qt's Russian translation is not installed (qt6-translations-l10n)");
    QWidget owner;
    WindowOperator op(&owner, nullptr);
    FileChoice choice;
    choice.title = QStringLiteral("Выбор файла");
    choice.initialFolder = QDir::tempPath();
    choice.filter = QStringLiteral("Data Files (*.cnf);;DataFiles(*.*)");
    FileDialogReader reader;
    const QString chosen = save ? op.ChooseSaveFile(choice) : op.ChooseOpenFile(choice);
    QVERIFY(chosen.isEmpty());
    QCOMPARE(reader.acceptText, accept);
    QCOMPARE(reader.rejectText, QStringLiteral("Отмена"));
}

void TestDesktopSession::signalsEndTheProgramInOrder_data()
{
    QTest::addColumn<int>("signal"); // 0: the display is killed instead
    QTest::addColumn<int>("status");
    QTest::newRow("SIGTERM (logout, shutdown, kill)") << int(SIGTERM) << 143;
    QTest::newRow("SIGHUP (terminal closed)") << int(SIGHUP) << 129;
    QTest::newRow("SIGINT (Ctrl-C)") << int(SIGINT) << 130;
    // Qt ends the process itself with status 1 when its display connection breaks.
    QTest::newRow("the display lost (logout before any signal)") << 0 << 1;
}

// The program itself in a process of its own, signalled from outside during the call, or its
// virtual display killed under it.
void TestDesktopSession::signalsEndTheProgramInOrder()
{
    QFETCH(int, signal);
    QFETCH(int, status);
    ProgramFolder folder;
    QVERIFY(folder.prepare());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QProcess display;
    if (signal == 0) {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("Xvfb is not installed (scripts/test installs it)");
        display.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                             QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(display.waitForReadyRead(kConnectTimeoutMs));
        const QByteArray number = display.readLine().trimmed();
        QVERIFY2(!number.isEmpty(), display.readAllStandardError().constData());
        environment.insert(QStringLiteral("DISPLAY"),
                           QLatin1Char(':') + QString::fromLatin1(number));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        // Qt ends this process from inside its event loop, with no teardown of the application:
        // what the libraries under it still hold then is no leak of the program's.
        if (environment.contains(QStringLiteral("ASAN_OPTIONS")))
            environment.insert(QStringLiteral("ASAN_OPTIONS"),
                               environment.value(QStringLiteral("ASAN_OPTIONS")) +
                                   QStringLiteral(":detect_leaks=0"));
    } else {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    }
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setReadChannel(QProcess::StandardError);
    program.start(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/ktv31-service-autoconnect"),
                  {folder.programDir});
    QVERIFY(program.waitForStarted());
    QByteArray err;
    while (!err.contains("commands shown") && program.waitForReadyRead(kConnectTimeoutMs))
        err += program.readAllStandardError();
    QVERIFY2(err.contains("commands shown"), err.constData());

    const QString lock = LockFileOf(folder.sim->devicePath());
    QVERIFY2(!lock.isEmpty(), qPrintable(folder.sim->devicePath()));
    QVERIFY(QFile::remove(folder.settingsFile));
    folder.sim->clearLog();
    if (signal == 0)
        display.kill();
    else
        ::kill(pid_t(program.processId()), signal);
    QVERIFY(program.waitForFinished(kEndTimeoutMs));
    err += program.readAllStandardError();
    QVERIFY2(program.exitStatus() == QProcess::NormalExit, err.constData());
    QCOMPARE(program.exitCode(), status);
    folder.sim->settle();
    QCOMPARE(folder.sim->modemCommands(), (QByteArrayList{"+++", "ath\r"}));
    QCOMPARE(folder.settingsBytes(), folder.settings.toBytes());
    QVERIFY2(!QFileInfo::exists(lock), qPrintable(lock));
    display.waitForFinished();
}

// The session's end in-process: a save request writes the settings and leaves the call up; the
// end then hangs up, writes the settings and lets the port go before the application quits. A
// dialog nobody will answer does not hold the end up.
void TestDesktopSession::sessionEndsInOrder_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<bool>("duringCall"); // or while the connection dialog waits for an answer
    QTest::addColumn<int>("status");
    QTest::newRow("the session manager's end during the call (the windows are closed)")
        << "quit" << true << 0;
    QTest::newRow("Windows' end of the session during the call (the loop is left at once)")
        << "exit" << true << 0;
    QTest::newRow("SIGTERM during the hang-up of \"Выход\"") << "Выход, SIGTERM" << true << 143;
    QTest::newRow("SIGTERM while the connection dialog waits for an answer")
        << "SIGTERM" << false << 143;
}

void TestDesktopSession::sessionEndsInOrder()
{
    QFETCH(QString, end);
    QFETCH(bool, duringCall);
    QFETCH(int, status);
    ProgramFolder folder;
    QVERIFY(folder.prepare());
    auto *manager = qApp->findChild<QSessionManager *>();
    QVERIFY(manager);
    TFormMain window(folder.programDir);
    window.service().modemTiming = test::QuickModemTiming();
    OrderlyEnd ending(window);
    const auto endSession = [&] {
        if (end == QLatin1String("quit")) {
            QCoreApplication::quit();
        } else if (end == QLatin1String("exit")) {
            QCoreApplication::exit(0);
        } else if (end == QLatin1String("SIGTERM")) {
            ::raise(SIGTERM);
        } else {
            // The signal comes once the close has begun its hang-up.
            QTimer::singleShot(0, [] { ::raise(SIGTERM); });
            window.findChild<QAction *>(QStringLiteral("Nexit"))->trigger();
        }
    };
    std::unique_ptr<ConnectingPerson> person;
    std::unique_ptr<ShowHook> nobodyAnswers;
    if (duringCall)
        person = std::make_unique<ConnectingPerson>();
    else
        nobodyAnswers = std::make_unique<ShowHook>("ktv31::TFormConnPar", [&] {
            QFile::remove(folder.settingsFile);
            endSession();
        });

    QString lock;
    QByteArray committed;
    bool callUpAfterCommit = false;
    if (person)
        QObject::connect(person.get(), &ConnectingPerson::commandsShown, &window, [&] {
            lock = LockFileOf(folder.sim->devicePath());
            QFile::remove(folder.settingsFile);
            emit qApp->commitDataRequest(*manager);
            committed = folder.settingsBytes();
            callUpAfterCommit = window.service().callUp() && window.isVisible();
            folder.sim->clearLog();
            endSession();
        });
    bool closedBeforeQuit = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, &window, [&] {
        closedBeforeQuit =
            !window.service().linkOpen() && folder.settingsBytes() == folder.settings.toBytes();
    });
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    guard.start(kConnectTimeoutMs + kEndTimeoutMs);
    window.show();
    const int exitStatus = ending.exec();
    QVERIFY2(guard.isActive(), "the program did not end");
    guard.stop();

    QCOMPARE(exitStatus, status);
    QVERIFY(!window.isVisible());
    QVERIFY(closedBeforeQuit);
    folder.sim->settle();
    QCOMPARE(folder.sim->modemCommands(),
             duringCall ? (QByteArrayList{"+++", "ath\r"}) : QByteArrayList{});
    if (duringCall) {
        QCOMPARE(committed, folder.settings.toBytes());
        QVERIFY(callUpAfterCommit);
        QVERIFY2(!lock.isEmpty() && !QFileInfo::exists(lock), qPrintable(lock));
    }
}

QTEST_MAIN(TestDesktopSession)
#include "tst_desktopsession.moc"
