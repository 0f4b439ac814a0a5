// ktv31-cli: the service work on a ktv31-ar controller and its configuration files, from a
// terminal.
#include "cli/cliargs.h"
#include "cli/clihelp.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/rawarguments.h"

#include <QCoreApplication>

using namespace ktv31::cli;

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ktv31-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1"));

    // Such an argument would reach the file system as the name of another file.
    if (const int bad = FirstUnfaithfulArgument(argc, argv); bad > 0) {
        Complain(QStringLiteral("\"%1\": недопустимо в кодировке локали (UTF-8); такое имя "
                                "обозначало бы другой файл")
                     .arg(EscapedBytes(argv[bad])));
        PrintError(UsageHint());
        return ExitStatus::BadUsage;
    }
    const ParsedCommandLine parsed = ParseCommandLine(QCoreApplication::arguments());
    if (!parsed.ok()) {
        Complain(parsed.error);
        PrintError(UsageHint());
        return ExitStatus::BadUsage;
    }
    const CliOptions &options = parsed.options;
    int status = ExitStatus::Done;
    if (options.help)
        PrintOut(CommandHelp(options.command).trimmed());
    else if (options.version)
        PrintOut(QStringLiteral("ktv31-cli %1").arg(QCoreApplication::applicationVersion()));
    else if (options.command == Command::Stations)
        status = RunStationsCommand(options);
    else if (options.command == Command::StationVisit)
        status = RunStationVisit(options);
    else
        status =
            NeedsLink(options.command) ? RunControllerCommand(options) : RunFileCommand(options);
    if (!FinishOutput() && status == ExitStatus::Done)
        status = ExitStatus::FileProblem;
    return status;
}
