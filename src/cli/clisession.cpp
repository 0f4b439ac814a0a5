// Opening, dialling, hanging up and closing the link of one command.
#include "cli/clisession.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "service/linkoperations.h"
#include "shell/settings.h"

namespace ktv31::cli {

CliSession::CliSession(const LinkSetup &setup, CliOperator &op, bool trace)
    : setup_(setup), settings_(setup.settings), op_(op), trace_(trace),
      service_(settings_, op, ProgramDir())
{
    service_.devicePath = setup.devicePath;
    if (trace_)
        traceWatch_ = StartTrace();
}

CliSession::~CliSession()
{
    close();
}

int CliSession::connect()
{
    return statusOf(Connect(service_));
}

void CliSession::close()
{
    if (!service_.linkOpen())
        return;
    if (service_.endHangsUp() && (trace_ || interrupted()))
        Complain(QStringLiteral("трубка кладётся"));
    Disconnect(service_);
}

int CliSession::statusOf(const Outcome &outcome)
{
    switch (outcome.kind) {
    case OutcomeKind::Done:
    case OutcomeKind::NothingChanged:
        return ExitStatus::Done;
    case OutcomeKind::Rejected:
        return ExitStatus::DeviceRejected;
    case OutcomeKind::NotOnThisLink:
        return ExitStatus::BadUsage;
    case OutcomeKind::ContentRefused:
    case OutcomeKind::FileProblem:
        return ExitStatus::FileProblem;
    case OutcomeKind::Interrupted: {
        PrintError(AbortedText(service_.exchange()));
        if (!outcome.detail.isEmpty())
            PrintError(outcome.detail);
        return ExitStatus::NoAnswer;
    }
    default:
        return ExitStatus::NoAnswer;
    }
}

} // namespace ktv31::cli
