// ktv31-sim: the simulated controller on a pseudo-terminal (or a real port), until SIGINT/SIGTERM.
#include "sim/simcommandline.h"
#include "sim/simsignals.h"
#include "sim/simulator.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

using namespace ktv31::sim;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ktv31-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    QCommandLineParser parser;
    DeclareSimOptions(parser);
    parser.process(app);
    SimCommandLine command;
    QString error;
    if (!ReadSimOptions(parser, command, &error)) {
        std::fprintf(stderr, "ktv31-sim: %s\n", qPrintable(error));
        return 2;
    }

    // One line, or with a telephone network one line per --link.
    const int lineCount =
        command.options.modem.network ? std::max<int>(1, int(command.linkPaths.size())) : 1;
    std::vector<std::unique_ptr<Simulator>> lines;
    for (int i = 0; i < lineCount; ++i) {
        auto simulator = std::make_unique<Simulator>(command.options);
        if (!simulator->start(&error)) {
            std::fprintf(stderr, "ktv31-sim: %s\n", qPrintable(error));
            return 1;
        }
        const QString link = i < command.linkPaths.size() ? command.linkPaths[i] : QString();
        if (!link.isEmpty() && !simulator->placeLink(link, &error)) {
            std::fprintf(stderr, "ktv31-sim: %s\n", qPrintable(error));
            return 1;
        }
        lines.push_back(std::move(simulator));
    }
    WatchTerminationSignals(&app, [] { QCoreApplication::quit(); });

    // The paths go out only once the links are in place, so a script may use either at once.
    for (const auto &line : lines)
        std::printf("%s\n", qPrintable(line->devicePath()));
    std::fflush(stdout);

    const int status = app.exec();
    for (const auto &line : lines)
        line->stop();
    return status;
}
