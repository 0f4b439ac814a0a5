// The command line of the ktv31-sim tool, turned into simulator options.
#pragma once

#include "sim/simoptions.h"

#include <QCommandLineParser>
#include <QStringList>

namespace ktv31::sim {

struct SimCommandLine
{
    SimOptions options;
    QString linkPath;
    // With a telephone network, each --link is a line of its own with a modem in front.
    QStringList linkPaths;
};

// Declares every option on `parser` (with --help and --version).
void DeclareSimOptions(QCommandLineParser &parser);
// Reads the options `parser` has parsed; false with a reason for a value it cannot use.
bool ReadSimOptions(const QCommandLineParser &parser, SimCommandLine &out, QString *error);

bool ParseDialScript(const QString &text, QList<DialOutcome> &script);

} // namespace ktv31::sim
