// ktv31-sim: the simulated controller on a pseudo-terminal (or a real port), until SIGINT/SIGTERM.
#include "sim/simcommandline.h"
#include "sim/simsignals.h"
#include "sim/simulator.h"

#include <QCoreApplication>

#include <cstdio>

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

    Simulator simulator(command.options);
    if (!simulator.start(&error)) {
        std::fprintf(stderr, "ktv31-sim: %s\n", qPrintable(error));
        return 1;
    }
    if (!command.linkPath.isEmpty() && !simulator.placeLink(command.linkPath, &error)) {
        std::fprintf(stderr, "ktv31-sim: %s\n", qPrintable(error));
        return 1;
    }
    WatchTerminationSignals(&app, [] { QCoreApplication::quit(); });

    // The path goes out only once the link is in place, so a script may use either at once.
    std::printf("%s\n", qPrintable(simulator.devicePath()));
    std::fflush(stdout);

    const int status = app.exec();
    simulator.stop();
    return status;
}
