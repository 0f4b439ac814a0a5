// The configuration command with and without the monitor's window, and the window filled up.
#include "monitorbench.h"

#include "windowbench.h"

#include "protocol/suplfunc.h"
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
    const QString done = QStringLiteral("Команда 29.  ") + ResultCodeText(0);
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
    const std::vector<ExchangeLine> lines = SessionOf(frames, timing.rows);
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
    if (monitor->rows().rowCount() != timing.rows)
        timing.failure = QStringLiteral("the window holds %1 rows").arg(monitor->rows().rowCount());
}

} // namespace

MonitorTiming TimeMonitor(int speed, int thinkUs, int runs, int rows)
{
    MonitorTiming timing;
    timing.runs = runs;
    timing.rows = rows;
    std::vector<double> without, with, lateWithout, lateWith;
    std::vector<ExchangeLine> frames;
    for (int run = 0; run < runs; ++run) {
        for (const MonitorUse use : {MonitorUse::Absent, MonitorUse::Open}) {
            WindowTiming command = TimeConfigurationCommand(speed, thinkUs, use);
            if (!command.failure.isEmpty()) {
                timing.failure = command.failure;
                return timing;
            }
            auto &overhead = use == MonitorUse::Open ? with : without;
            overhead.insert(overhead.end(), command.exchangeOverheadMs.begin(),
                            command.exchangeOverheadMs.end());
            (use == MonitorUse::Open ? lateWith : lateWithout).push_back(command.maxLateMs);
            frames = std::move(command.frames);
        }
    }
    timing.overheadWithoutMs = Summarise(std::move(without));
    timing.overheadWithMs = Summarise(std::move(with));
    timing.lateWithoutMs = MedianOf(std::move(lateWithout));
    timing.lateWithMs = MedianOf(std::move(lateWith));
    if (frames.empty())
        timing.failure = QStringLiteral("no frames seen");
    else
        FillMonitor(timing, frames);
    return timing;
}

} // namespace ktv31::bench
