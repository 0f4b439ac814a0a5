// The controller commands: identify, detect-speed, read-config, write-config and table-state.
#include "cli/commands.h"

#include "cli/clisession.h"
#include "cli/clisignals.h"
#include "cli/configfiles.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/output.h"
#include "config/conffun.h"
#include "config/configbackup.h"
#include "config/writecheck.h"
#include "connection/devicecheck.h"
#include "connection/speeddetect.h"
#include "protocol/suplfunc.h"
#include "shell/exchangelog.h"
#include "shell/settings.h"

namespace ktv31::cli {
namespace {

const QList<int> kAllWritableTables{ConfigTable::LinkParameters, ConfigTable::ModemString,
                                    ConfigTable::Links};

// What a command needs before the link is opened, so that a bad file costs no call.
struct Prepared
{
    ConfigRecord record; // write-config: the file to write from
};

// The identification read and the device check that precede every command, as at start-up.
int IdentifyAndCheck(CliSession &session)
{
    TransferContext context = session.context();
    switch (IdentifyController(context)) {
    case IdentifyOutcome::NotRead:
        return session.transferFailed();
    case IdentifyOutcome::Rejected:
        return ExitStatus::DeviceRejected;
    case IdentifyOutcome::Accepted:
        break;
    }
    if (const int destroyed = session.image().u8(ImageOffset::DestroyedTable))
        PrintError(QStringLiteral("Разрушена таблица № %1").arg(destroyed));
    return ExitStatus::Done;
}

int ReadWholeConfiguration(CliSession &session)
{
    TransferContext context = session.context();
    CountingProgress progress;
    if (ReadConfiguration(context, progress))
        return ExitStatus::Done;
    const int status = session.transferFailed();
    session.op().ShowMessageBox(MessageBoxKind::ExchangeResult,
                                QStringLiteral("Параметры конфигурации не прочитаны"), QString());
    return status;
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
    PrintIdentification(ImageView(session.image()), options.json);
    return ExitStatus::Done;
}

int DetectSpeedCommand(CliSession &session, const CliOptions &options)
{
    const int speed = DetectSpeed(session.exchange(), StatusPanel{&session.op(), Panel::Step});
    if (session.interrupted())
        return session.transferFailed();
    PrintDetectedSpeed(speed, options.json);
    if (speed)
        return ExitStatus::Done;
    session.op().ShowMessageBox(MessageBoxKind::ExchangeResult, NoLinkText(), QString());
    return ExitStatus::NoAnswer;
}

int ReadConfig(CliSession &session, const CliOptions &options)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    if (const int status = ReadWholeConfiguration(session))
        return status;
    ConfigRecord record;
    ImageToRecord(session.image(), record);
    return WriteRecordFile(options.files[0], record);
}

// Writing a speed the controller does not offer its upper-level link would lose the link.
int CheckUpperSpeedOffered(CliSession &session, const ConfigRecord &record)
{
    const quint8 code = record.u8(RecordOffset::LinkParameters);
    if (UpperSpeedOffered(session.image(), code))
        return ExitStatus::Done;
    Complain(QStringLiteral("the file's Скорость обмена с ВУ (speed code %1) is not offered by the "
                            "controller; nothing written")
                 .arg(code));
    return ExitStatus::FileProblem;
}

QList<int> ChosenTables(const CliOptions &options)
{
    return options.allTables ? kAllWritableTables : options.tables;
}

TableStateBuffer ChosenState(const CliOptions &options)
{
    TableStateBuffer state;
    for (int table : ChosenTables(options))
        state.setWriteChosen(table, true);
    return state;
}

// Nothing of the file goes to the controller while any table to be written holds a value the
// controller must not be given.
int CheckContent(const QString &path, const ConfigRecord &record, const QList<int> &tables,
                 int linkParameterCount)
{
    const std::optional<WriteContentFault> fault =
        CheckWriteContent(record, tables, linkParameterCount);
    if (!fault)
        return ExitStatus::Done;
    Complain(QStringLiteral("%1: %2; nothing written").arg(path, fault->text));
    return ExitStatus::FileProblem;
}

// A write cut short (refused, the line lost, interrupted) says how far it got.
void TellWrittenTables(const QList<int> &planned, const TransferContext &context)
{
    PrintError(WrittenTablesText(planned, context.writes));
}

int WriteSelected(CliSession &session, const CliOptions &options, const ConfigRecord &record)
{
    // The controller's software version decides whether table 3 takes its eighth byte too.
    if (const int status = CheckContent(options.files[0], record, ChosenTables(options),
                                        session.image().LinkParameterCount()))
        return status;
    TransferContext context = session.context();
    const TableStateBuffer state = ChosenState(options);
    if (state.WriteChosen(ConfigTable::LinkParameters)) {
        // As before the review of the file: without an answer every speed counts as offered.
        if (!ReadSpeedAvailability(context)) {
            if (session.interrupted())
                return session.transferFailed();
            session.image().fill(ImageOffset::UpperSpeedMask, 8, 0xFF);
        }
        if (const int status = CheckUpperSpeedOffered(session, record))
            return status;
    }
    RecordToImage(record, session.image());
    CountingProgress progress;
    const SelectedWriteOutcome outcome = WriteSelectedAndReidentify(context, state, progress);
    if (!outcome.identified) {
        const int status = session.transferFailed();
        TellWrittenTables(ChosenTables(options), context);
        return status;
    }
    if (outcome.destroyedTable)
        TellDestroyedTable(session.op(), outcome.destroyedTable);
    return ExitStatus::Done;
}

// The configuration as read goes into a backup before anything of it is replaced; a backup
// that cannot be written is told, not a reason to keep the changes from the controller.
void KeepBackup(const ConfigImage &before)
{
    const BackupResult backup = SaveConfigBackup(ProgramDir(), before);
    Complain(backup.saved ? QStringLiteral("backup: %1").arg(backup.path)
                          : BackupFailedText(backup));
}

int WriteChanged(CliSession &session, const QString &path, const ConfigRecord &record, bool backup)
{
    if (const int status = ReadWholeConfiguration(session))
        return status;
    const ConfigImage before = session.image();
    RecordToImage(record, session.image());
    const QList<int> planned = TablesToWrite(session.image(), before);
    if (const int status =
            CheckContent(path, record, planned, session.image().LinkParameterCount()))
        return status;
    const bool linkParametersChange =
        session.image().slice(ImageOffset::LinkParameters, LinkParameterCountLong) !=
        before.slice(ImageOffset::LinkParameters, LinkParameterCountLong);
    if (linkParametersChange) {
        if (const int status = CheckUpperSpeedOffered(session, record))
            return status;
    }
    if (backup && HasChangesToWrite(session.image(), before))
        KeepBackup(before);
    TransferContext context = session.context();
    if (!WriteChangedConfiguration(context, before)) {
        const int status = session.transferFailed();
        TellWrittenTables(planned, context);
        return status;
    }
    return ExitStatus::Done;
}

int WriteConfig(CliSession &session, const CliOptions &options, const ConfigRecord &record)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    if (options.allTables || !options.tables.isEmpty())
        return WriteSelected(session, options, record);
    return WriteChanged(session, options.files[0], record, !options.noBackup);
}

int TableState(CliSession &session, const CliOptions &options)
{
    if (const int status = IdentifyAndCheck(session))
        return status;
    TransferContext context = session.context();
    TableStateBuffer state;
    if (!ReadTableState(context, state))
        return session.transferFailed();
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
        return WriteConfig(session, options, prepared.record);
    case Command::TableState:
        return TableState(session, options);
    default:
        return ExitStatus::BadUsage;
    }
}

// The checks that need no controller: the files, and what the link type allows.
int Prepare(const CliOptions &options, const LinkSetup &link, Prepared &prepared)
{
    const bool selective = options.allTables || !options.tables.isEmpty();
    if (link.telephone() && (options.command == Command::DetectSpeed || selective)) {
        Complain(options.command == Command::DetectSpeed
                     ? QStringLiteral("detect-speed works on a direct link only")
                     : QStringLiteral("--tables and --all need a direct link: over a telephone "
                                      "link the tables are only written where they changed"));
        return ExitStatus::BadUsage;
    }
    if (options.command == Command::ReadConfig)
        return CheckWritableTarget(options.files[0]);
    if (options.command != Command::WriteConfig)
        return ExitStatus::Done;
    if (const int status = ReadRecordFile(options.files[0], prepared.record))
        return status;
    // Whole tables are known to go before the link is made; what differs is not known until
    // the controller has been read.
    if (!selective)
        return ExitStatus::Done;
    const quint8 version = prepared.record.u8(RecordOffset::SoftwareVersion);
    return CheckContent(options.files[0], prepared.record, ChosenTables(options),
                        ConfigImage::LinkParameterCountFor(version));
}

} // namespace

int RunControllerCommand(const CliOptions &options)
{
    const PreparedLink link = PrepareLink(options.link, ProgramDir());
    if (!link.ok()) {
        Complain(link.error);
        return link.status;
    }
    if (!link.note.isEmpty())
        Complain(link.note);
    Prepared prepared;
    if (const int status = Prepare(options, link.setup, prepared))
        return status;

    // Outlives the session, so that the hang-up is logged too.
    const std::unique_ptr<ExchangeLog> log =
        options.noLog ? nullptr : StartExchangeLog(ExchangeLogPath(ProgramDir()));
    CliOperator op(options.retry, options.verbose);
    CliSession session(link.setup, op, options.trace);
    InterruptWatcher watcher;
    QObject::connect(&watcher, &InterruptWatcher::interrupted, &watcher,
                     [&session] { session.interrupt(); });
    int status = session.connect(options.command != Command::DetectSpeed);
    if (status == ExitStatus::Done)
        status = Run(session, options, prepared);
    // While the watcher still turns Ctrl-C into a request, so that the hang-up runs to its end.
    session.close();
    // Whatever the command got to, a script must be able to tell an interruption from a
    // controller that did not answer.
    return watcher.requests() ? ExitStatusOf(watcher.firstKind()) : status;
}

} // namespace ktv31::cli
