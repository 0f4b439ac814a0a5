// The controller commands: identify, detect-speed, read-config, write-config and table-state.
#include "cli/clisession.h"
#include "cli/commands.h"
#include "cli/configfiles.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/fieldoutput.h"
#include "cli/output.h"
#include "cli/writereport.h"
#include "config/recordconversion.h"
#include "config/writecheck.h"
#include "service/configoperations.h"
#include "service/fieldwrites.h"
#include "service/identifyoperations.h"
#include "service/linkoperations.h"
#include "service/servicetexts.h"
#include "service/tablestateprocedure.h"
#include "service/tablewrites.h"
#include "shell/exchangelog.h"
#include "shell/interruptwatcher.h"
#include "shell/settings.h"

#include <QLoggingCategory>

namespace ktv31::cli {
namespace {

// What a command needs before the link is opened, so that a bad file costs no call.
struct Prepared
{
    ConfigRecord record;            // write-config: the file to write from
    QList<FieldAssignment> changes; // write-config --set
};

bool Selective(const CliOptions &options)
{
    return options.allTables || !options.tables.isEmpty();
}

QList<int> ChosenTables(const CliOptions &options)
{
    return options.allTables ? WritableTables() : options.tables;
}

// The identification read and the device check that precede every command, as at start-up.
int IdentifyAndCheck(CliSession &session)
{
    return session.statusOf(IdentifyAndCheck(session.service()));
}

ConfigView ImageView(const ConfigImage &image)
{
    ConfigRecord record;
    ImageToRecord(image, record);
    return DescribeRecord(record);
}

int Identify(CliSession &session, const CliOptions &options)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    PrintIdentification(ImageView(session.service().image()), options.json);
    return ExitStatus::Done;
}

int DetectSpeedCommand(CliSession &session, const CliOptions &options)
{
    ServiceSession &service = session.service();
    const int speed =
        DetectControllerSpeed(service, service.settings(), StatusPanel{&session.op(), Panel::Step});
    if (session.interrupted())
        return session.statusOf(OutcomeKind::Interrupted);
    PrintDetectedSpeed(speed, options.json);
    return speed ? ExitStatus::Done : ExitStatus::NoAnswer;
}

int ReadConfig(CliSession &session, const CliOptions &options)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    const Outcome saved = SaveConfigurationToFile(session.service(), options.files[0]);
    if (saved.kind == OutcomeKind::FileProblem)
        Complain(QStringLiteral("конфигурация прочитана, но не сохранена в %1; укажите другой "
                                "файл (или освободите место) и повторите read-config")
                     .arg(options.files[0]));
    return session.statusOf(saved);
}

int WriteConfig(CliSession &session, const CliOptions &options, const Prepared &prepared)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    ServiceSession &service = session.service();
    service.verifyWrites = !options.noVerify;
    service.keepBackups = !options.noBackup;
    const ConfigRecord &record = prepared.record;
    Outcome outcome;
    if (!options.assignments.isEmpty()) {
        QList<FieldChange> changed;
        outcome = WriteFieldChanges(service, prepared.changes, &changed);
        // What was asked for is told even when the write did not go through.
        if (outcome.kind != OutcomeKind::NotRead && outcome.kind != OutcomeKind::ContentRefused)
            PrintFieldChanges(changed);
    } else if (Selective(options)) {
        outcome = WriteTablesFromFile(service, record, ChosenTables(options));
    } else {
        ConfigRecord asRead;
        if (const Outcome read = ReadConfigurationRecord(service, asRead, false); !read.ok())
            return session.statusOf(read);
        outcome = WriteChanges(service, asRead, record);
    }
    if (options.json && !outcome.tables.isEmpty())
        PrintWriteReport(outcome);
    return session.statusOf(outcome);
}

int TableState(CliSession &session, const CliOptions &options)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    TableStateBuffer state;
    if (const Outcome read = ReadTableStates(session.service(), state); !read.ok())
        return session.statusOf(read);
    PrintTableState(state, options.json);
    return ExitStatus::Done;
}

int Run(CliSession &session, const CliOptions &options, const Prepared &prepared)
{
    switch (options.command) {
    case Command::Identify:
        return Identify(session, options);
    case Command::DetectSpeed:
        return DetectSpeedCommand(session, options);
    case Command::ReadConfig:
        return ReadConfig(session, options);
    case Command::WriteConfig:
        return WriteConfig(session, options, prepared);
    case Command::TableState:
        return TableState(session, options);
    default:
        return ExitStatus::BadUsage;
    }
}

// Whole tables are known to go before the link is made, so their content is checked before
// any call; what differs is known only once the controller has been read.
int CheckChosenTables(const CliOptions &options, const ConfigRecord &record)
{
    const quint8 version = record.u8(RecordOffset::SoftwareVersion);
    const auto fault = CheckWriteContent(record, ChosenTables(options),
                                         ConfigImage::LinkParameterCountFor(version));
    if (!fault)
        return ExitStatus::Done;
    PrintError(QStringLiteral("%1: %2 %3")
                   .arg(options.files[0], ServiceText::NoTablesWritten(), fault->text));
    return ExitStatus::FileProblem;
}

// The checks that need no controller: the files, and what the link type allows.
int Prepare(const CliOptions &options, const LinkSetup &link, Prepared &prepared)
{
    // Asked before any call, so that a command the link cannot carry costs none.
    const LinkKind kind = link.kind();
    if (options.command == Command::DetectSpeed && !kind.speedDetectionAllowed()) {
        Complain(QStringLiteral("detect-speed: %1").arg(LinkKind::SpeedDetectionRefused()));
        return ExitStatus::BadUsage;
    }
    if (Selective(options) && !kind.wholeTableWritesAllowed()) {
        Complain(QStringLiteral("--tables, --all: %1; по телефону записываются только "
                                "измененные поля")
                     .arg(LinkKind::WholeTableWritesRefused()));
        return ExitStatus::BadUsage;
    }
    if (options.command == Command::ReadConfig)
        return CheckWritableTarget(options.files[0]);
    if (options.command != Command::WriteConfig)
        return ExitStatus::Done;
    if (!options.assignments.isEmpty()) {
        QString error;
        const auto changes = ParseAssignments(options.assignments, &error);
        if (!changes) {
            Complain(error);
            return ExitStatus::BadUsage;
        }
        prepared.changes = *changes;
        return ExitStatus::Done;
    }
    if (const int status = ReadRecordFile(options.files[0], prepared.record))
        return status;
    return Selective(options) ? CheckChosenTables(options, prepared.record) : ExitStatus::Done;
}

} // namespace

int RunControllerCommand(const CliOptions &options)
{
    const PreparedLink link = PrepareLink(options.link, ProgramDir());
    if (!link.ok()) {
        Complain(link.error);
        return link.status;
    }
    for (const QString &note : link.note.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        Complain(note);
    Prepared prepared;
    if (const int status = Prepare(options, link.setup, prepared))
        return status;

    // Outlives the session, so that the hang-up is logged too.
    const std::unique_ptr<ExchangeLog> log =
        options.noLog ? nullptr : StartExchangeLog(ExchangeLogPath(ProgramDir()));
    // What the port and the modem layers note (a line lost, a shortened init string) is for
    // someone looking into a fault, not part of a command's messages.
    if (options.verbose)
        QLoggingCategory::setFilterRules(
            QStringLiteral("ktv31.link.info=true\nktv31.modem.info=true"));
    CliOperator op(options.retry, options.verbose);
    CliSession session(link.setup, op, options.trace);
    InterruptWatcher watcher;
    QObject::connect(&watcher, &InterruptWatcher::interrupted, &watcher,
                     [&session] { session.interrupt(); });
    // Speed detection opens the port for its probes itself.
    int status = options.command == Command::DetectSpeed ? ExitStatus::Done : session.connect();
    if (status == ExitStatus::Done)
        status = Run(session, options, prepared);
    // While the watcher still turns Ctrl-C into a request, so that the hang-up runs to its end.
    session.close();
    // Whatever the command got to, a script must be able to tell an interruption from a
    // controller that did not answer.
    return watcher.exitStatus(status);
}

} // namespace ktv31::cli
