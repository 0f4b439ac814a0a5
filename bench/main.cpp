// ktv31-bench: the engine's timing against the wire, a libmodbus peer and its goals; exits 1 on a
// miss.
#include "linebench.h"
#include "monitorbench.h"
#include "report.h"
#include "sessionbench.h"
#include "stationbench.h"
#include "windowbench.h"

#include "shell/exchangelog.h"
#include "shell/monoclock.h"
#include "shell/settings.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

using namespace ktv31::bench;

namespace {

constexpr int kThinkUs = 1000;
constexpr int kSpeeds[] = {9600, 19200, 115200};
constexpr double kMedianGoalMs = 0.5;
constexpr double kP99GoalMs = 2.0;
constexpr double kRatioMargin = 0.05;
constexpr double kConfigMarginMs = 10;
constexpr double kCpuGoalPercent = 1.0;
constexpr double kHeartbeatGoalMs = 20;
constexpr int kConfigRuns = 5;
constexpr double kLaunchGoalMs = 500;
constexpr double kWindowLatenessGoalMs = 20;
constexpr double kResidentGoalMb = 80;
constexpr int kMemoryReads = 500;
constexpr int kMemoryReadSpeed = 115200;
constexpr double kMemoryGrowthGoalMb = 2; // over the reads after the first 50
constexpr int kLaunchRuns = 5;
constexpr int kMonitorSpeed = 115200;
constexpr double kMonitorOverheadMarginMs = 0.05;
// A timer due while the monitor's window paints its grid fires after the paint: one paint (about
// 2 ms on the 2-core machine of development, printed beside) is the most the window adds.
constexpr double kMonitorLatenessMarginMs = 2.0;
constexpr double kMonitorMemoryGoalMb = 40;
constexpr int kMonitorRows = 10000;
constexpr int kStartUpSpeed = 1200;
constexpr double kStartUpMarginMs = 150;

struct ReadKind
{
    const char *name;
    int table;
    int fields;
};
constexpr ReadKind kIdentification{"identification", 0, 17};
constexpr ReadKind kLinks{"table 6 x130", 6, 130};

// 1000 reads of each kind at each speed; 1000 reads of 139-byte answers alone take 160 s at
// 9600 bit/s, so a quick look takes --scale.
int CountFor(double scale)
{
    return std::max(20, int(1000 * scale));
}

QString Spread(const Summary &summary)
{
    return QStringLiteral("%1/%2/%3")
               .arg(summary.median, 0, 'f', 3)
               .arg(summary.p99, 0, 'f', 3)
               .arg(summary.max, 0, 'f', 2) +
           QStringLiteral(" ms");
}

void ReportReads(Report &report, const ReadKind &kind, int speed, double scale)
{
    LineSetup setup{speed, kThinkUs, CountFor(scale)};
    const QString what = QStringLiteral("%1 @%2").arg(QLatin1String(kind.name)).arg(speed);
    const LineTiming ours = TimeEngineReads(setup, kind.table, kind.fields);
    if (!ours.failure.isEmpty()) {
        report.figure(QStringLiteral("overhead %1").arg(what), ours.failure,
                      QStringLiteral("works"), false);
        return;
    }
    const LineTiming peer = TimeModbusReads(setup, ours.answerBytes);
    report.figure(
        QStringLiteral("failed exchanges, %1 (responder late by up to %2)")
            .arg(what)
            .arg(Ms(ours.responderLateMs, 1)),
        ours.failedExchanges == 0
            ? QStringLiteral("0")
            : QStringLiteral("%1, first %2").arg(ours.failedExchanges).arg(ours.firstFailure),
        QStringLiteral("0"), ours.failedExchanges == 0);
    report.figure(QStringLiteral("overhead median, %1 (%2 x %3+%4 B)")
                      .arg(what)
                      .arg(ours.overheadMs.count)
                      .arg(ours.requestBytes)
                      .arg(ours.answerBytes),
                  Ms(ours.overheadMs.median), QStringLiteral("<= %1").arg(Ms(kMedianGoalMs, 1)),
                  ours.overheadMs.median <= kMedianGoalMs);
    report.figure(
        QStringLiteral("overhead p99, %1 (max %2)").arg(what).arg(Ms(ours.overheadMs.max)),
        Ms(ours.overheadMs.p99), QStringLiteral("<= %1").arg(Ms(kP99GoalMs, 1)),
        ours.overheadMs.p99 <= kP99GoalMs);
    report.info(QStringLiteral("  of it before the request is written, median/p99/max"),
                Spread(ours.beforeSendMs));
    report.info(QStringLiteral("  of it after the answer's last byte, median/p99/max"),
                Spread(ours.afterAnswerMs));
    report.info(QStringLiteral("  responder read the request after, median/p99/max"),
                Spread(ours.requestSeenMs));
    if (!peer.failure.isEmpty()) {
        report.figure(QStringLiteral("libmodbus peer, %1").arg(what), peer.failure,
                      QStringLiteral("works"), false);
        return;
    }
    report.info(QStringLiteral("libmodbus overhead median/p99, %1 (%2 x %3+%4 B)")
                    .arg(what)
                    .arg(peer.overheadMs.count)
                    .arg(peer.requestBytes)
                    .arg(peer.answerBytes),
                QStringLiteral("%1 / %2").arg(Ms(peer.overheadMs.median), Ms(peer.overheadMs.p99)));
    report.info(QStringLiteral("  libmodbus after the answer's last byte, median/p99/max"),
                Spread(peer.afterAnswerMs));
    report.figure(QStringLiteral("elapsed/wire ratio, %1 (libmodbus %2)")
                      .arg(what)
                      .arg(peer.ratio, 0, 'f', 3),
                  QString::number(ours.ratio, 'f', 3),
                  QStringLiteral("<= %1").arg(peer.ratio + kRatioMargin, 0, 'f', 3),
                  ours.ratio <= peer.ratio + kRatioMargin);
}

void ReportReadConfiguration(Report &report)
{
    std::vector<double> excess;
    ConfigTiming last;
    for (int run = 0; run < kConfigRuns; ++run) {
        last = TimeReadConfiguration(115200, kThinkUs, false);
        if (!last.failure.isEmpty()) {
            report.figure(QStringLiteral("ReadConfiguration @115200"), last.failure,
                          QStringLiteral("works"), false);
            return;
        }
        excess.push_back(last.elapsedMs - last.floorMs);
    }
    const Summary summary = Summarise(excess);
    report.figure(QStringLiteral("ReadConfiguration @115200 over floor %1 (%2 exch., median of %3)")
                      .arg(Ms(last.floorMs, 1))
                      .arg(last.exchanges)
                      .arg(kConfigRuns),
                  QStringLiteral("%1 (max %2)").arg(Ms(summary.median), Ms(summary.max)),
                  QStringLiteral("<= %1").arg(Ms(kConfigMarginMs, 0)),
                  summary.median <= kConfigMarginMs);
}

// What reading every written run back costs beyond its own exchanges on the wire.
void ReportReadBack(Report &report)
{
    constexpr int kSpeed = 9600;
    constexpr int kCalculators = 10;
    std::vector<double> plain, checked;
    WriteTiming without, with;
    for (int run = 0; run < kConfigRuns; ++run) {
        without = TimeChangedWrite(kSpeed, kThinkUs, kCalculators, false);
        with = TimeChangedWrite(kSpeed, kThinkUs, kCalculators, true);
        if (!without.failure.isEmpty() || !with.failure.isEmpty()) {
            report.figure(QStringLiteral("changed-only write with read-back"),
                          without.failure + with.failure, QStringLiteral("works"), false);
            return;
        }
        plain.push_back(without.elapsedMs);
        checked.push_back(with.elapsedMs);
    }
    const double plainMs = Summarise(plain).median;
    const double checkedMs = Summarise(checked).median;
    const int readBacks = with.exchanges - without.exchanges;
    const double readBackWireMs =
        double(with.lineBytes - without.lineBytes) * 10 * 1000.0 / kSpeed +
        readBacks * (kThinkUs / 1000.0 + kSendPauseMs);
    report.info(QStringLiteral("changed-only write of %1 calculators @%2, without / with read-back "
                               "(median of %3)")
                    .arg(kCalculators)
                    .arg(kSpeed)
                    .arg(kConfigRuns),
                QStringLiteral("%1 / %2").arg(Ms(plainMs, 1), Ms(checkedMs, 1)));
    report.figure(QStringLiteral("read-back's cost over its own %1 exchanges' wire time %2")
                      .arg(readBacks)
                      .arg(Ms(readBackWireMs, 1)),
                  Ms(checkedMs - plainMs - readBackWireMs),
                  QStringLiteral("<= %1").arg(Ms(kConfigMarginMs, 0)),
                  checkedMs - plainMs - readBackWireMs <= kConfigMarginMs);
}

void ReportHeartbeat(Report &report)
{
    const ConfigTiming timing = TimeReadConfiguration(9600, kThinkUs, true);
    if (!timing.failure.isEmpty()) {
        report.figure(QStringLiteral("heartbeat during ReadConfiguration @9600"), timing.failure,
                      QStringLiteral("works"), false);
        return;
    }
    report.figure(QStringLiteral("10 ms heartbeat max lateness, ReadConfiguration @9600 (%1 beats)")
                      .arg(timing.heartbeats),
                  Ms(timing.heartbeatMaxLateMs),
                  QStringLiteral("<= %1").arg(Ms(kHeartbeatGoalMs, 0)),
                  timing.heartbeatMaxLateMs <= kHeartbeatGoalMs);
}

void ReportCpu(Report &report, const QString &name, const CpuCost &cost)
{
    const QString measured = cost.failure.isEmpty()
                                 ? QStringLiteral("%1% (%2 in %3)")
                                       .arg(cost.percent(), 0, 'f', 3)
                                       .arg(Ms(cost.cpuMs, 1), Ms(cost.wallMs, 0))
                                 : cost.failure;
    report.figure(name, measured, QStringLiteral("<= %1% of a core").arg(kCpuGoalPercent),
                  cost.failure.isEmpty() && cost.percent() <= kCpuGoalPercent);
}

void ReportWindows(Report &report)
{
    const LaunchTiming launch = TimeLaunch(kLaunchRuns);
    report.figure(QStringLiteral("launch of ktv31-service to the connection dialog (median of %1)")
                      .arg(kLaunchRuns),
                  launch.failure.isEmpty() ? Ms(launch.ms, 0) : launch.failure,
                  QStringLiteral("<= %1").arg(Ms(kLaunchGoalMs, 0)),
                  launch.failure.isEmpty() && launch.ms <= kLaunchGoalMs);
    const StartUpTiming startUp = TimeStartUp(kLaunchRuns, kStartUpSpeed);
    report.figure(QStringLiteral("launch to the controller's commands @%1 over floor %2 (%3 + %4 B "
                                 "on the wire, median of %5)")
                      .arg(kStartUpSpeed)
                      .arg(Ms(startUp.floorMs, 1))
                      .arg(startUp.requestBytes)
                      .arg(startUp.answerBytes)
                      .arg(kLaunchRuns),
                  startUp.failure.isEmpty()
                      ? QStringLiteral("%1 (in all %2)")
                            .arg(Ms(startUp.ms - startUp.floorMs, 0), Ms(startUp.ms, 0))
                      : startUp.failure,
                  QStringLiteral("<= %1").arg(Ms(kStartUpMarginMs, 0)),
                  startUp.failure.isEmpty() && startUp.ms - startUp.floorMs <= kStartUpMarginMs);
    const WindowTiming command = TimeConfigurationCommand(9600, kThinkUs);
    if (!command.failure.isEmpty()) {
        report.figure(QStringLiteral("main window during \"Параметры конфигурации\""),
                      command.failure, QStringLiteral("works"), false);
        return;
    }
    report.figure(QStringLiteral("main window's 10 ms timer max lateness, \"Параметры "
                                 "конфигурации\" @9600 (%1 beats, bar at %2)")
                      .arg(command.beats)
                      .arg(command.progressSeen),
                  Ms(command.maxLateMs), QStringLiteral("<= %1").arg(Ms(kWindowLatenessGoalMs, 0)),
                  command.maxLateMs <= kWindowLatenessGoalMs);
    report.figure(QStringLiteral("resident memory after the configuration editor"),
                  QStringLiteral("%1 MB").arg(command.residentMb, 0, 'f', 1),
                  QStringLiteral("<= %1 MB").arg(kResidentGoalMb),
                  command.residentMb > 0 && command.residentMb <= kResidentGoalMb);
}

// The monitor's window open beside "Параметры конфигурации", against the program without a
// monitor at all, judged pair by pair; then the window holding its ten thousand rows.
void ReportMonitor(Report &report, double scale)
{
    const MonitorTiming monitor =
        TimeMonitor(kMonitorSpeed, kThinkUs, std::max(20, int(40 * scale)), kMonitorRows);
    if (!monitor.failure.isEmpty()) {
        report.figure(QStringLiteral("monitor window during \"Параметры конфигурации\""),
                      monitor.failure, QStringLiteral("works"), false);
        return;
    }
    const QString command = QStringLiteral("\"Параметры конфигурации\" @%1").arg(kMonitorSpeed);
    report.info(QStringLiteral("exchange overhead median, %1, no monitor / monitor window open "
                               "(%2 exch. each way in %3 runs)")
                    .arg(command)
                    .arg(monitor.overheadWithoutMs.count)
                    .arg(monitor.runs),
                QStringLiteral("%1 / %2").arg(Ms(monitor.overheadWithoutMs.median),
                                              Ms(monitor.overheadWithMs.median)));
    report.figure(QStringLiteral("  the open window's shift of it, median of the pairs (p99 %1 / "
                                 "%2)")
                      .arg(Ms(monitor.overheadWithoutMs.p99), Ms(monitor.overheadWithMs.p99)),
                  Ms(monitor.overheadShiftMs),
                  QStringLiteral("<= %1").arg(Ms(kMonitorOverheadMarginMs, 2)),
                  monitor.overheadShiftMs <= kMonitorOverheadMarginMs);
    report.info(QStringLiteral("main window's 10 ms timer max lateness, %1, no monitor / monitor "
                               "window open (median of the runs)")
                    .arg(command),
                QStringLiteral("%1 / %2").arg(Ms(monitor.lateWithoutMs), Ms(monitor.lateWithMs)));
    report.figure(QStringLiteral("  the open window's shift of it, median of the pairs"),
                  Ms(monitor.lateShiftMs),
                  QStringLiteral("<= %1").arg(Ms(kMonitorLatenessMarginMs, 0)),
                  monitor.lateShiftMs <= kMonitorLatenessMarginMs);
    report.info(QStringLiteral("one paint of the monitor window's grid, median of 21"),
                Ms(monitor.repaintMs));
    report.info(QStringLiteral("monitor rows appended in batches of 50, the window painting"),
                QStringLiteral("%1 us a row").arg(monitor.perRowUs, 0, 'f', 1));
    report.figure(
        QStringLiteral("resident memory growth, the monitor window given %1 lines (holds %2)")
            .arg(monitor.lines)
            .arg(monitor.rows),
        QStringLiteral("%1 MB").arg(monitor.residentGrowthMb, 0, 'f', 1),
        QStringLiteral("<= %1 MB").arg(kMonitorMemoryGoalMb),
        monitor.residentGrowthMb <= kMonitorMemoryGoalMb);
}

// The windows' memory over a day's worth of reads: whatever the first ones leave (fonts, caches,
// the monitor's store filling) may grow, then it stays. A quarter run looks at fewer reads.
void ReportMemoryOverReads(Report &report, double scale)
{
    const int cycles = std::max(2 * kSettledAfterReads, int(kMemoryReads * scale));
    const MemoryOverReads memory = ResidentOverConfigurationReads(cycles, kMemoryReadSpeed);
    const double goalMb = kMemoryGrowthGoalMb;
    const double growthMb = memory.lastMb - memory.settledMb;
    report.info(QStringLiteral("resident memory, \"Параметры конфигурации\" @%1: after the first "
                               "read / %2 / %3")
                    .arg(kMemoryReadSpeed)
                    .arg(kSettledAfterReads)
                    .arg(cycles),
                memory.failure.isEmpty() ? QStringLiteral("%1 / %2 / %3 MB")
                                               .arg(memory.firstMb, 0, 'f', 1)
                                               .arg(memory.settledMb, 0, 'f', 1)
                                               .arg(memory.lastMb, 0, 'f', 1)
                                         : memory.failure);
    report.figure(
        QStringLiteral("  its growth over the last %1 reads").arg(cycles - kSettledAfterReads),
        QStringLiteral("%1 MB").arg(growthMb, 0, 'f', 2),
        QStringLiteral("<= %1 MB").arg(goalMb, 0, 'f', 2),
        memory.failure.isEmpty() && growthMb <= goalMb);
}

} // namespace

int main(int argc, char *argv[])
{
    // The windows are measured offscreen unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Timing of the exchange engine on a paced line."));
    parser.addHelpOption();
    const QCommandLineOption scaleOption(
        QStringLiteral("scale"), QStringLiteral("Multiply every exchange count (default 1)."),
        QStringLiteral("factor"), QStringLiteral("1"));
    parser.addOption(scaleOption);
    const QCommandLineOption noLogOption(
        QStringLiteral("no-log"), QStringLiteral("Keep no exchange log (the tools keep one)."));
    parser.addOption(noLogOption);
    const QCommandLineOption stationsOption(QStringLiteral("stations"),
                                            QStringLiteral("Only the figures of station rounds."));
    parser.addOption(stationsOption);
    const QCommandLineOption memoryOption(
        QStringLiteral("memory"), QStringLiteral("Only the windows' memory over many reads."));
    parser.addOption(memoryOption);
    parser.process(app);
    const double scale = std::max(0.01, parser.value(scaleOption).toDouble());
    // On by default, as in the program and the tool: the figures are those of a logging program.
    const QString logPath = ktv31::ExchangeLogPath(ktv31::ProgramDir());
    const std::unique_ptr<ktv31::ExchangeLog> log =
        parser.isSet(noLogOption) ? nullptr : ktv31::StartExchangeLog(logPath);
    std::printf("Exchange log: %s\n", log ? qPrintable(log->path()) : "off (--no-log)");

    const qint64 start = ktv31::NowNs();
    Report report;
    std::printf("Paced pseudo-terminal, 10 bits a byte, think time %d us; overhead = elapsed - "
                "wire - think - %d ms pause.\n",
                kThinkUs, kSendPauseMs);
    report.header();
    if (parser.isSet(memoryOption)) {
        ReportMemoryOverReads(report, scale);
        return report.failures() == 0 ? 0 : 1;
    }
    ReportStationBook(report);
    ReportStationRounds(report);
    if (parser.isSet(stationsOption)) {
        std::printf("bench: %d passed, %d failed\n", report.figures() - report.failures(),
                    report.failures());
        return report.failures() == 0 ? 0 : 1;
    }
    for (int speed : kSpeeds) {
        ReportReads(report, kIdentification, speed, scale);
        ReportReads(report, kLinks, speed, scale);
    }
    const LineTiming overSimulator =
        TimeEngineOverSimulator(LineSetup{115200, kThinkUs, std::max(20, int(200 * scale))},
                                kIdentification.table, kIdentification.fields);
    report.info(QStringLiteral("overhead median/p99, identification @115200, simulator line"),
                overSimulator.failure.isEmpty()
                    ? QStringLiteral("%1 / %2").arg(Ms(overSimulator.overheadMs.median),
                                                    Ms(overSimulator.overheadMs.p99))
                    : overSimulator.failure);
    ReportReadConfiguration(report);
    ReportReadBack(report);
    ReportHeartbeat(report);
    ReportCpu(report, QStringLiteral("CPU during a 10 s first-byte wait"), CostOfSilentWait(10000));
    ReportCpu(report, QStringLiteral("CPU while dialling a modem that answers after 10 s"),
              CostOfDialling(10000));
    ReportWindows(report);
    ReportMonitor(report, scale);
    ReportMemoryOverReads(report, scale);

    std::printf("bench: %d passed, %d failed (%.0f s)\n", report.figures() - report.failures(),
                report.failures(), double(ktv31::NowNs() - start) / 1e9);
    return report.failures() == 0 ? 0 : 1;
}
