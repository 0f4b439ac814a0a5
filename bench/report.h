// Figures of the benchmark: summaries of samples and the table of figures, goals and verdicts.
#pragma once

#include <QString>

#include <vector>

namespace ktv31::bench {

struct Summary
{
    int count = 0;
    double median = 0;
    double p99 = 0;
    double max = 0;
};
Summary Summarise(std::vector<double> samples);

// Prints every figure as it is measured; remembers whether any goal failed.
class Report
{
public:
    void header() const;
    // A figure with its goal.
    void figure(const QString &name, const QString &measured, const QString &goal, bool holds);
    // A figure without a goal, for comparison.
    void info(const QString &name, const QString &measured);
    int failures() const { return failures_; }
    int figures() const { return figures_; }

private:
    int failures_ = 0;
    int figures_ = 0;
};

QString Ms(double ms, int decimals = 3);

} // namespace ktv31::bench
