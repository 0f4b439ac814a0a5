// The configuration command with and without the monitor's window, and the window filled up.
#include "monitorbench.h"

#include "windowbench.h"

#include "protocol/controllercodes.h"
#include "shell/monoclock.h"
#include "windows/main.h"
#include "windows/monitor.h"

#include <QAction>
#include <QApplication>
#include <QTableView>
#include <QTemporaryDir>

#include <vector>

namespace ktv31::bench {
namespace {

// Lines a batch: about what a quarter of a second of reads at 115200 bit/s puts on the line.
constexpr int kBatchLines = 50;
constexpr int kRepaints = 21;

double MedianOf(std::vector<double> values)
{
    return Summarise(std::move(values)).median;
}

// The frames seen, over and over, each answer followed by its result.
std::vector<ExchangeLine> SessionOf(const std::vector<ExchangeLine> &frames, int count)
{
    const QString done = QStringLiteral("Команда 29.  ") + ResultCodeText(Result::Ok);
    std::vector<ExchangeLine> lines;
    lines.reserve(size_t(count));
    for (size_t i = 0; int(lines.size()) < count; ++i) {
        const ExchangeLine &frame = frames[i % frames.size()];
        lines.push_back(frame);
        if (frame.kind == LogLineKind::Received && int(lines.size()) < count)
            lines.push_back({frame.msSinceEpoch, LogLineKind::Result, {}, done});
    }
    return lines;
}

void FillMonitor(MonitorTiming &timing, const std::vector<ExchangeLine> &frames)
{
    QTemporaryDir programDir;
    TFormMain main(programDir.path() + QLatin1Char('/'));
    main.TimerStart()->stop();
    main.show();
    QApplication::processEvents();
    const std::vector<ExchangeLine> lines = SessionOf(frames, timing.lines);
    const double before = ResidentMb();
    main.findChild<QAction *>(QStringLiteral("NMonitor"))->trigger();
    ExchangeMonitor *monitor = main.findChild<ExchangeMonitor *>();
    const qint64 start = NowNs();
    for (size_t at = 0; at < lines.size(); at += kBatchLines) {
        const auto end = lines.begin() + std::ptrdiff_t(std::min(at + kBatchLines, lines.size()));
        monitor->rows().appendLines(
            std::vector<ExchangeLine>(lines.begin() + std::ptrdiff_t(at), end));
        QApplication::processEvents();
    }
    timing.perRowUs = double(NowNs() - start) / 1e3 / double(lines.size());
    timing.residentGrowthMb = ResidentMb() - before;
    QWidget *grid = monitor->window()->findChild<QTableView *>()->viewport();
    std::vector<double> repaints;
    for (int i = 0; i < kRepaints; ++i) {
        const qint64 paintStart = NowNs();
        grid->repaint();
        repaints.push_back(double(NowNs() - paintStart) / 1e6);
    }
    timing.repaintMs = MedianOf(std::move(repaints));
    timing.rows = monitor->rows().rowCount();
    if (timing.rows == 0)
        timing.failure = QStringLiteral("the window holds no rows");
}

} // namespace

MonitorTiming TimeMonitor(int speed, int thinkUs, int runs, int lines)
{
    MonitorTiming timing;
    timing.runs = runs;
    timing.lines = lines;
    std::vector<double> without, with, lateWithout, lateWith, overheadShifts, lateShifts;
    std::vector<ExchangeLine> frames;
    for (int run = 0; run < runs; ++run) {
        // Each way first in every other pair, so that neither gains from its place.
        const bool openFirst = run % 2 == 1;
        WindowTiming pair[2]; // without, with
        for (const MonitorUse use : {openFirst ? MonitorUse::Open : MonitorUse::Absent,
                                     openFirst ? MonitorUse::Absent : MonitorUse::Open}) {
            WindowTiming &command = pair[use == MonitorUse::Open];
            command = TimeConfigurationCommand(speed, thinkUs, use);
            if (!command.failure.isEmpty()) {
                timing.failure = command.failure;
                return timing;
            }
        }
        // The pair ran side by side: the load of the machine, which drifts, is the same for both.
        overheadShifts.push_back(MedianOf(pair[1].exchangeOverheadMs) -
                                 MedianOf(pair[0].exchangeOverheadMs));
        lateShifts.push_back(pair[1].maxLateMs - pair[0].maxLateMs);
        without.insert(without.end(), pair[0].exchangeOverheadMs.begin(),
                       pair[0].exchangeOverheadMs.end());
        with.insert(with.end(), pair[1].exchangeOverheadMs.begin(),
                    pair[1].exchangeOverheadMs.end());
        lateWithout.push_back(pair[0].maxLateMs);
        lateWith.push_back(pair[1].maxLateMs);
        frames = std::move(pair[1].frames);
    }
    timing.overheadWithoutMs = Summarise(std::move(without));
    timing.overheadWithMs = Summarise(std::move(with));
    timing.overheadShiftMs = MedianOf(std::move(overheadShifts));
    timing.lateWithoutMs = MedianOf(std::move(lateWithout));
    timing.lateWithMs = MedianOf(std::move(lateWith));
    timing.lateShiftMs = MedianOf(std::move(lateShifts));
    if (frames.empty())
        timing.failure = QStringLiteral("no frames seen");
    else
        FillMonitor(timing, frames);
    return timing;
}

} // namespace ktv31::bench
