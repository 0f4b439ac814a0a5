// ktv31-soak: exchanges of every kind against the simulated controller with faults injected at
// random, every result checked; one line of figures, non-zero on a mismatch, hang or leak.
#include "residentmemory.h"
#include "soakrun.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>

using namespace ktv31::soak;

namespace {

constexpr qint64 kMostResidentGrowthKb = 1024;

bool ParseOptions(const QCoreApplication &app, SoakOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral(
            "Runs COUNT exchanges (identification, table reads, changed-only writes) against the\n"
            "simulated controller on a pseudo-terminal, faults in about one in %1, and prints\n"
            "\"N exchanges, F faults injected, M mismatches, H hangs, RSS growth K KB\".\n"
            "Exit status 1 on a mismatch, a hang or a growth of more than %2 KB.")
            .arg(FaultOneIn)
            .arg(kMostResidentGrowthKb));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("COUNT"),
                                 QStringLiteral("Exchanges to run (default 10000)."));
    const QCommandLineOption seed(QStringLiteral("seed"), QStringLiteral("Seed of the faults."),
                                  QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption speed(QStringLiteral("speed"),
                                   QStringLiteral("Line speed in bit/s (default 115200)."),
                                   QStringLiteral("BPS"), QStringLiteral("115200"));
    const QCommandLineOption verbose(
        QStringLiteral("verbose"),
        QStringLiteral("The simulator's log of every mismatch; the faults by kind."));
    parser.addOptions({seed, speed, verbose});
    parser.process(app);

    bool ok = true;
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        return false;
    if (!positional.isEmpty())
        options.exchanges = positional.first().toInt(&ok);
    bool seedOk = false;
    bool speedOk = false;
    options.seed = parser.value(seed).toUInt(&seedOk);
    options.speed = parser.value(speed).toInt(&speedOk);
    options.verbose = parser.isSet(verbose);
    return ok && seedOk && speedOk && options.exchanges > 0 && options.speed > 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ktv31-soak"));
    SoakOptions options;
    if (!ParseOptions(app, options)) {
        std::fprintf(stderr, "usage: ktv31-soak [COUNT] [--seed N] [--speed BPS] [--verbose]\n");
        return 2;
    }
    // The port layer tells of every line the controller drops, and the soak drops them on purpose.
    if (!options.verbose)
        QLoggingCategory::setFilterRules(QStringLiteral("ktv31.link.info=false"));
    SoakTally tally;
    SoakRun run(options, tally);
    QString error;
    if (!run.start(&error)) {
        std::fprintf(stderr, "ktv31-soak: %s\n", qPrintable(error));
        return 2;
    }
    const bool completed = run.run(&error);
    if (!completed)
        std::fprintf(stderr, "ktv31-soak: stopped: %s\n", qPrintable(error));
    if (options.verbose)
        std::fprintf(stderr, "%s\n", qPrintable(run.figuresByKind()));
    const qint64 growthKb = run.residentGrowthKb();
    std::printf("%s\n", qPrintable(SummaryLine(tally, growthKb)));
    const bool grew = growthKb > kMostResidentGrowthKb;
    if (grew && !ResidentGrowthTellsLeaks)
        std::fprintf(stderr, "ktv31-soak: memory growth not judged under AddressSanitizer\n");
    const bool clean = completed && tally.mismatches == 0 && tally.hangs == 0 &&
                       !(grew && ResidentGrowthTellsLeaks);
    return clean ? 0 : 1;
}
