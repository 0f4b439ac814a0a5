// Percentiles and the printed table of the benchmark.
#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ktv31::bench {

Summary Summarise(std::vector<double> samples)
{
    Summary summary;
    if (samples.empty())
        return summary;
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double quantile) {
        const size_t index = size_t(std::ceil(quantile * double(samples.size()))) - 1;
        return samples[std::min(index, samples.size() - 1)];
    };
    summary.count = int(samples.size());
    summary.median = at(0.5);
    summary.p99 = at(0.99);
    summary.max = samples.back();
    return summary;
}

QString Ms(double ms, int decimals)
{
    return QStringLiteral("%1 ms").arg(ms, 0, 'f', decimals);
}

void Report::header() const
{
    std::printf("%-66s %-28s %-20s %s\n", "figure", "measured", "goal", "holds");
    std::fflush(stdout);
}

void Report::figure(const QString &name, const QString &measured, const QString &goal, bool holds)
{
    ++figures_;
    if (!holds)
        ++failures_;
    std::printf("%-66s %-28s %-20s %s\n", qPrintable(name), qPrintable(measured), qPrintable(goal),
                holds ? "yes" : "NO");
    std::fflush(stdout);
}

void Report::info(const QString &name, const QString &measured)
{
    std::printf("%-66s %-28s %-20s %s\n", qPrintable(name), qPrintable(measured), "(information)",
                "-");
    std::fflush(stdout);
}

} // namespace ktv31::bench
