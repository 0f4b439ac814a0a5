// stations backup|apply|history, and station-visit, the worker that serves one station on one line.
#include "cli/clioperator.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/linksetup.h"
#include "cli/roundprinter.h"
#include "cli/terminal.h"
#include "cli/visitprocesses.h"
#include "service/servicesession.h"
#include "shell/exchangelog.h"
#include "shell/interruptwatcher.h"
#include "shell/settings.h"
#include "stations/stationhistory.h"
#include "stations/stationjournal.h"
#include "stations/stationround.h"
#include "stations/stationvisit.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>

namespace ktv31::cli {
namespace {

// The dialogue's fixed waits, shortened for the black-box tests and the benchmark against the
// simulator, whose modem then takes a guard time of at most 40 ms: the margin to the 150 ms
// around "+++" holds on a loaded machine.
ModemTiming ModemTimingForRun()
{
    ModemTiming timing;
    if (qEnvironmentVariableIntValue("KTV31_FAST_MODEM") != 1)
        return timing;
    timing.resetAnswerMs = 1000;
    timing.escapeGuardMs = 150;
    timing.beforeInitMs = 50;
    timing.afterAcceptMs = 10;
    timing.hangUpPauseMs = 150;
    timing.abortSettleMs = 20;
    return timing;
}

std::optional<StationBook> ReadBook(const QString &path)
{
    StationBook book = ReadStationBook(path);
    if (book.ok())
        return book;
    Complain(QStringLiteral("книга станций %1: %2").arg(path, book.fault->text()));
    return std::nullopt;
}

const Station *StationNamed(const StationBook &book, const QString &name)
{
    for (const Station &s : book.stations)
        if (s.name == name)
            return &s;
    return nullptr;
}

// The link options given to the round, handed on to each visit.
QStringList LinkArguments(const LinkOptions &o)
{
    QStringList args;
    const auto number = [&args](const char *name, const std::optional<int> &value) {
        if (value)
            args << QStringLiteral("--%1").arg(QLatin1String(name)) << QString::number(*value);
    };
    number("speed", o.speed);
    number("preambles", o.preambles);
    number("attempts", o.attempts);
    number("first-byte-wait", o.firstByteWaitS);
    number("next-byte-wait", o.nextByteWaitMs);
    number("rts-pause", o.rtsPauseMs);
    number("connect-wait", o.connectWaitS);
    number("connect-attempts", o.connectAttempts);
    if (o.modemInit)
        args << QStringLiteral("--modem-init") << *o.modemInit;
    if (!o.settingsPath.isEmpty())
        args << QStringLiteral("--settings") << o.settingsPath;
    return args;
}

QStringList VisitArguments(const CliOptions &options, int port, const Station &station)
{
    QStringList args{QStringLiteral("station-visit"), options.files[0], station.name,
                     QString::number(port)};
    args << LinkArguments(options.link);
    for (const QString &set : options.assignments)
        args << QStringLiteral("--set") << set;
    if (options.dryRun)
        args << QStringLiteral("--dry-run");
    if (options.noLog)
        args << QStringLiteral("--no-log");
    args << QStringLiteral("--retry") << QString::number(options.retry);
    return args;
}

// The round's stations: the whole book, or with --resume those its last round has not done.
QList<Station> StationsToVisit(const StationBook &book, const std::optional<ResumePoint> &resume)
{
    QList<Station> stations;
    for (const Station &s : book.stations)
        if (!resume || !resume->done.contains(s.name))
            stations.append(s);
    return stations;
}

int RunRound(const CliOptions &options)
{
    const std::optional<StationBook> book = ReadBook(options.files[0]);
    if (!book)
        return ExitStatus::BadUsage;
    if (const auto fault = RoundLinesFault(book->stations, options.lines)) {
        Complain(*fault);
        return ExitStatus::BadUsage;
    }
    QString error;
    if (!options.assignments.isEmpty() && !ParseAssignments(options.assignments, &error)) {
        Complain(QStringLiteral("--set %1").arg(error));
        return ExitStatus::BadUsage;
    }
    const QString programDir = ProgramDir();
    QDir().mkpath(StationsFolder(programDir));
    QLockFile lock(RoundLockPath(programDir));
    if (!lock.tryLock(0)) {
        Complain(QStringLiteral("в этой папке программы уже идёт обход станций (%1)")
                     .arg(RoundLockPath(programDir)));
        return ExitStatus::NoAnswer;
    }
    const QString bookPath = QFileInfo(options.files[0]).absoluteFilePath();
    const QString journal = JournalPath(programDir);
    const std::optional<ResumePoint> resume =
        options.resume ? LastRoundOf(journal, bookPath) : std::nullopt;
    if (options.resume && !resume)
        Complain(QStringLiteral("обходов этой книги в журнале нет: обход начинается заново"));
    const QString roundId =
        resume ? resume->round : QDateTime::currentDateTime().toString(Qt::ISODate);

    VisitProcesses processes([&options](int port, const Station &station) {
        return VisitArguments(options, port, station);
    });
    StationRound round(StationsToVisit(*book, resume), options.lines, options.redial, processes);
    processes.setRound(&round);
    RoundPrinter printer(round.total(), StandardErrorIsTerminal(), options.verbose);
    QObject::connect(
        &round, &StationRound::visitStarted, &round,
        [&printer](int port, const QString &name, int call) { printer.started(port, name, call); });
    QObject::connect(&processes, &VisitProcesses::progress, &round,
                     [&printer](int port, const QString &line) { printer.progress(port, line); });
    QObject::connect(&round, &StationRound::lineLost, &round,
                     [&printer](int port, const QString &why) { printer.lineLost(port, why); });
    bool journalOk = true;
    QObject::connect(
        &round, &StationRound::stationFinished, &round, [&](const StationReport &report) {
            printer.finished(report);
            if (report.end != VisitEnd::Interrupted)
                journalOk &= AppendJournal(
                    journal, {roundId, bookPath, QDateTime::currentDateTime(), report});
        });
    InterruptWatcher watcher;
    QObject::connect(&watcher, &InterruptWatcher::interrupted, &round,
                     [&round] { round.interrupt(); });
    QEventLoop loop;
    QObject::connect(&round, &StationRound::roundFinished, &loop, &QEventLoop::quit);
    round.start();
    if (!round.finished())
        loop.exec();
    printer.close();
    if (!journalOk)
        Complain(QStringLiteral("журнал %1: %2").arg(journal, WriteFailedText()));

    const QList<StationReport> reports = round.reports();
    options.json ? PrintRoundJson(reports) : PrintRoundTable(reports);
    const bool allDone =
        std::all_of(reports.cbegin(), reports.cend(), [](const StationReport &r) { return r.ok; });
    return watcher.exitStatus(allDone ? ExitStatus::Done : ExitStatus::NoAnswer);
}

int RunHistory(const CliOptions &options)
{
    const std::optional<StationBook> book = ReadBook(options.files[0]);
    if (!book)
        return ExitStatus::BadUsage;
    const QString name = options.files[1];
    if (!StationNamed(*book, name)) {
        Complain(QStringLiteral("станции «%1» в книге %2 нет").arg(name, options.files[0]));
        return ExitStatus::BadUsage;
    }
    const QList<HistoryEntry> history = StationHistory(ProgramDir(), name);
    for (qsizetype i = 0; i < history.size(); ++i) {
        const HistoryEntry &e = history[i];
        const QStringList changed = FieldNames(e.changed);
        if (options.json) {
            const QJsonObject o{{QStringLiteral("file"), e.file},
                                {QStringLiteral("readable"), e.readable},
                                {QStringLiteral("changed"), QJsonArray::fromStringList(changed)}};
            PrintOut(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
            continue;
        }
        const QString what = !e.readable         ? QStringLiteral("не читается")
                             : i == 0            ? QStringLiteral("первая")
                             : changed.isEmpty() ? QStringLiteral("-")
                                                 : changed.join(QStringLiteral(", "));
        PrintOut(QStringLiteral("%1  %2").arg(QFileInfo(e.file).fileName(), what));
    }
    if (history.isEmpty())
        PrintError(QStringLiteral("у станции «%1» сохранённых конфигураций нет").arg(name));
    return ExitStatus::Done;
}

QString VisitLogPath(const QString &programDir, int port)
{
    QString path = ExchangeLogPath(programDir);
    return path.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("-COM%1").arg(port));
}

// The report of a visit that never reached its line.
int PrintUnstartedVisit(const QString &name, const QString &why, int status)
{
    StationReport report;
    report.name = name;
    report.outcome = why;
    PrintOut(QString::fromUtf8(VisitReportJson(report)));
    return status;
}

} // namespace

int RunStationsCommand(const CliOptions &options)
{
    if (options.stationsVerb == QLatin1String("history"))
        return RunHistory(options);
    return RunRound(options);
}

int RunStationVisit(const CliOptions &options)
{
    const QString name = options.files[1];
    const std::optional<StationBook> book = ReadBook(options.files[0]);
    const Station *station = book ? StationNamed(*book, name) : nullptr;
    if (!station)
        return PrintUnstartedVisit(name, QStringLiteral("станции нет в книге"),
                                   ExitStatus::BadUsage);
    const int port = options.files[2].toInt();
    LinkOptions link = options.link;
    link.port = port;
    if (station->telephone())
        link.phone = station->phone;
    else
        link.direct = true;
    const PreparedLink prepared = PrepareLink(link, ProgramDir());
    if (!prepared.ok())
        return PrintUnstartedVisit(name, prepared.error, prepared.status);
    QString error;
    VisitPlan plan;
    plan.dryRun = options.dryRun;
    if (const auto changes = ParseAssignments(options.assignments, &error))
        plan.changes = *changes;
    else
        return PrintUnstartedVisit(name, error, ExitStatus::BadUsage);

    ConnectionSettings settings = StationLinkSettings(*station, prepared.setup.settings);
    settings.setPortNumber(quint8(port));
    const std::unique_ptr<ExchangeLog> log =
        options.noLog ? nullptr : StartExchangeLog(VisitLogPath(ProgramDir(), port));
    CliOperator op(options.retry, true);
    ServiceSession session(settings, op, ProgramDir());
    session.modemTiming = ModemTimingForRun();
    InterruptWatcher watcher;
    QObject::connect(&watcher, &InterruptWatcher::interrupted, &session,
                     [&session] { session.interrupt(); });
    QElapsedTimer took;
    took.start();
    StationReport report = VisitStation(session, *station, plan);
    report.visitMs = int(took.elapsed());
    PrintOut(QString::fromUtf8(VisitReportJson(report)));
    return watcher.exitStatus(report.ok ? ExitStatus::Done : ExitStatus::NoAnswer);
}

} // namespace ktv31::cli
