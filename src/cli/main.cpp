// ktv31-cli: the service work on a ktv31-ar controller and its configuration files, from a terminal.
#include "cli/clihelp.h"
#include "cli/cliargs.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"

#include <QCoreApplication>

using namespace ktv31::cli;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ktv31-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.ok()) {
        Complain(parsed.error);
        PrintError(UsageHint());
        return ExitStatus::BadUsage;
    }
    const CliOptions &options = parsed.options;
    if (options.help) {
        PrintOut(CommandHelp(options.command).trimmed());
        return ExitStatus::Done;
    }
    if (options.version) {
        PrintOut(QStringLiteral("ktv31-cli %1").arg(QCoreApplication::applicationVersion()));
        return ExitStatus::Done;
    }
    return NeedsLink(options.command) ? RunControllerCommand(options) : RunFileCommand(options);
}
