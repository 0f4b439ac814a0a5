// The real ktv31-service launched, and the main window's configuration command over a paced line.
#include "windowbench.h"

#include "linebench.h"
#include "pacedresponder.h"
#include "protocols.h"
#include "report.h"

#include "connection/controllerlink.h"
#include "link/comportfunctions.h"
#include "service/linkoperations.h"
#include "shell/exchangefeed.h"
#include "shell/monoclock.h"
#include "shell/settings.h"
#include "sim/controllertables.h"
#include "sim/simulator.h"
#include "windows/main.h"
#include "windows/monitor.h"
#include "windows/wait.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <optional>
#include <unistd.h>
#include <vector>

namespace ktv31::bench {
namespace {

constexpr int kBeatMs = 10;
constexpr int kLaunchTimeoutMs = 10000;
constexpr int kStartUpTimeoutMs = 20000;
constexpr int kStartTimerMs = 100; // the main window's TimerStart

QProcessEnvironment OffscreenEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

double LaunchOnce(QString &failure)
{
    QProcess program;
    QProcessEnvironment environment = OffscreenEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"),
                       QStringLiteral("ktv31.windows.info=true"));
    program.setProcessEnvironment(environment);
    QElapsedTimer clock;
    bool shown = false;
    QEventLoop loop;
    QObject::connect(&program, &QProcess::readyReadStandardError, [&] {
        if (program.readAllStandardError().contains("connection dialog shown")) {
            shown = true;
            loop.quit();
        }
    });
    QObject::connect(&program, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kLaunchTimeoutMs, &loop, &QEventLoop::quit);
    clock.start();
    program.start(QCoreApplication::applicationDirPath() + QStringLiteral("/ktv31-service"));
    loop.exec();
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    program.kill();
    program.waitForFinished(2000);
    if (!shown)
        failure = QStringLiteral("no connection dialog within %1 s").arg(kLaunchTimeoutMs / 1000);
    return ms;
}

struct StartUpRun
{
    double ms = 0;
    int requestBytes = 0;
    int answerBytes = 0;
};

// One start of the program in a folder of its own whose COM1 is the simulator.
StartUpRun StartUpOnce(int speed, QString &failure)
{
    StartUpRun run;
    QTemporaryDir dir;
    const QString programDir = dir.path() + QLatin1Char('/');
    CreateProgramFolders(programDir);
    ConnectionSettings settings = ConnectionSettings::Defaults();
    settings.setSpeed(speed);
    sim::SimOptions options;
    options.speed = speed;
    options.pacing = true;
    sim::Simulator simulator(options);
    if (!SaveSettings(SettingsFilePath(programDir), settings) || !simulator.start() ||
        !simulator.placeLink(programDir + QStringLiteral("INI/COM1"))) {
        failure = QStringLiteral("no simulator on COM1");
        return run;
    }
    QProcess program;
    program.setProcessEnvironment(OffscreenEnvironment());
    bool shown = false;
    QEventLoop loop;
    QObject::connect(&program, &QProcess::readyReadStandardError, [&] {
        if (program.readAllStandardError().contains("commands shown")) {
            shown = true;
            loop.quit();
        }
    });
    QObject::connect(&program, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kStartUpTimeoutMs, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    program.start(QCoreApplication::applicationDirPath() +
                      QStringLiteral("/ktv31-service-autoconnect"),
                  {programDir});
    loop.exec();
    run.ms = double(clock.nsecsElapsed()) / 1e6;
    program.terminate();
    if (!program.waitForFinished(kLaunchTimeoutMs))
        program.kill();
    if (!shown)
        failure =
            QStringLiteral("no controller commands within %1 s").arg(kStartUpTimeoutMs / 1000);
    for (const sim::FrameLogEntry &entry : simulator.frameLog()) {
        if (entry.kind == sim::LogKind::Request)
            run.requestBytes += int(entry.bytes.size());
        else if (entry.kind == sim::LogKind::Answer)
            run.answerBytes += int(entry.bytes.size());
    }
    return run;
}

// Closes the editor unchanged the moment it is up, as an engineer who only looked would.
class EditorCloser : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->inherits("ktv31::TFormConfig")) {
            auto *dialog = static_cast<QDialog *>(watched);
            QTimer::singleShot(0, dialog, [dialog] {
                dialog->findChild<QPushButton *>(QStringLiteral("BitBtn2"))->click();
            });
        }
        return false;
    }
};

// The main window shown, its start-up's timer stopped, its link open on the responder's line
// and the controller taken as accepted, so that its commands are in the menu.
bool OpenMainOnLine(TFormMain &main, const PacedResponder &responder, int speed)
{
    main.TimerStart()->stop();
    main.show();
    main.settings().setSpeed(speed);
    ServiceSession &service = main.service();
    service.devicePath = responder.devicePath();
    if (!OpenLink(service, main.settings()).ok())
        return false;
    service.setDeviceAccepted(true);
    main.UpdateMenus();
    return true;
}

} // namespace

double ResidentMb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(::sysconf(_SC_PAGESIZE)) / 1048576.0
                             : -1;
}

LaunchTiming TimeLaunch(int runs)
{
    LaunchTiming timing;
    std::vector<double> samples;
    for (int run = 0; run < runs && timing.failure.isEmpty(); ++run)
        samples.push_back(LaunchOnce(timing.failure));
    timing.ms = Summarise(samples).median;
    return timing;
}

StartUpTiming TimeStartUp(int runs, int speed)
{
    StartUpTiming timing;
    std::vector<double> samples;
    for (int run = 0; run < runs && timing.failure.isEmpty(); ++run) {
        const StartUpRun one = StartUpOnce(speed, timing.failure);
        samples.push_back(one.ms);
        timing.requestBytes = one.requestBytes;
        timing.answerBytes = one.answerBytes;
    }
    timing.ms = Summarise(samples).median;
    timing.floorMs = kStartTimerMs + AfterDtrSettleMs + kSendPauseMs +
                     WireMs(timing.requestBytes + timing.answerBytes, speed);
    return timing;
}

WindowTiming TimeConfigurationCommand(int speed, int thinkUs, MonitorUse monitor)
{
    WindowTiming timing;
    sim::ControllerTables tables{sim::SimOptions{}};
    PacedResponder responder(speed, thinkUs, ControllerProtocol(tables));
    QTemporaryDir programDir;
    if (!responder.start()) {
        timing.failure = QStringLiteral("no line");
        return timing;
    }
    TFormMain main(programDir.path() + QLatin1Char('/'));
    if (!OpenMainOnLine(main, responder, speed)) {
        timing.failure = QStringLiteral("cannot open the line");
        return timing;
    }
    if (monitor == MonitorUse::Absent)
        delete main.findChild<ExchangeMonitor *>();
    if (monitor == MonitorUse::Open)
        main.findChild<QAction *>(QStringLiteral("NMonitor"))->trigger();
    // The command is chosen in the main window's menu; what showing the windows left to do is
    // done before it, whichever way it runs.
    main.activateWindow();
    QApplication::processEvents();
    qint64 lastAnswerAt = 0;
    int requestBytes = 0;
    std::optional<ExchangeLineWatch> frames(std::in_place, [&](const ExchangeLine &line) {
        if (line.kind != LogLineKind::Sent && line.kind != LogLineKind::Received)
            return;
        const qint64 now = NowNs();
        timing.frames.push_back({line.msSinceEpoch, line.kind, line.bytes, {}});
        if (line.kind == LogLineKind::Sent) {
            requestBytes = int(line.bytes.size());
            return;
        }
        const double wireMs = double(requestBytes + line.bytes.size()) * 10 * 1000.0 / speed;
        if (lastAnswerAt > 0)
            timing.exchangeOverheadMs.push_back(double(now - lastAnswerAt) / 1e6 - wireMs -
                                                thinkUs / 1000.0 - kSendPauseMs);
        lastAnswerAt = now;
    });

    EditorCloser closer;
    qApp->installEventFilter(&closer);
    QTimer beat(&main);
    beat.setTimerType(Qt::PreciseTimer);
    qint64 last = NowNs();
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = NowNs();
        timing.maxLateMs = std::max(timing.maxLateMs, double(now - last) / 1e6 - kBeatMs);
        last = now;
        ++timing.beats;
        if (auto *wait = main.findChild<TFormWait *>())
            timing.progressSeen = std::max(timing.progressSeen, wait->ProgressBar1()->value());
    });
    beat.start(kBeatMs);
    main.findChild<QAction *>(QStringLiteral("N2"))->trigger();
    beat.stop();
    frames.reset();
    qApp->removeEventFilter(&closer);
    timing.residentMb = ResidentMb();
    if (timing.progressSeen == 0)
        timing.failure = QStringLiteral("the configuration was not read");
    return timing;
}

MemoryOverReads ResidentOverConfigurationReads(int cycles, int speed)
{
    MemoryOverReads memory;
    sim::ControllerTables tables{sim::SimOptions{}};
    PacedResponder responder(speed, 0, ControllerProtocol(tables));
    QTemporaryDir programDir;
    TFormMain main(programDir.path() + QLatin1Char('/'));
    if (!responder.start() || !OpenMainOnLine(main, responder, speed)) {
        memory.failure = QStringLiteral("cannot open the line");
        return memory;
    }
    // The controller's settling after a table run is a wait, not a use of memory.
    main.service().closingWaitMs = 0;
    EditorCloser closer;
    qApp->installEventFilter(&closer);
    QAction *command = main.findChild<QAction *>(QStringLiteral("N2"));
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        command->trigger();
        if (main.service().exchange().ResultCode != Result::Ok) {
            memory.failure = QStringLiteral("read %1 failed").arg(cycle);
            break;
        }
        if (cycle == 1)
            memory.firstMb = ResidentMb();
        if (cycle == kSettledAfterReads)
            memory.settledMb = ResidentMb();
        memory.cycles = cycle;
    }
    qApp->removeEventFilter(&closer);
    memory.lastMb = ResidentMb();
    return memory;
}

} // namespace ktv31::bench
