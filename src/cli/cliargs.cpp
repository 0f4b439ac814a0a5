// Parsing and usage checks of the ktv31-cli command line.
#include "cli/cliargs.h"

#include "cli/linkparameters.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace ktv31::cli {
namespace {

constexpr int kOneOrMore = -1;        // arguments, not files: the bytes of decode
constexpr int kFileAndNames = -2;     // get: a file, then field names
constexpr int kFileAndValues = -3;    // set: a file, then at least one NAME=VALUE
constexpr int kStationArguments = -4; // stations: a verb and its arguments
constexpr int kMaxRedial = 100;

struct CommandName
{
    Command command;
    const char *name;
    int files;
};
constexpr CommandName kCommands[] = {
    {Command::Identify, "identify", 0},
    {Command::DetectSpeed, "detect-speed", 0},
    {Command::ReadConfig, "read-config", 1},
    {Command::WriteConfig, "write-config", 1},
    {Command::TableState, "table-state", 0},
    {Command::Show, "show", 1},
    {Command::Diff, "diff", 2},
    {Command::New, "new", 1},
    {Command::Decode, "decode", kOneOrMore},
    {Command::DecodeLog, "decode-log", 1},
    {Command::Fields, "fields", 0},
    {Command::Get, "get", kFileAndNames},
    {Command::Set, "set", kFileAndValues},
    {Command::Stations, "stations", kStationArguments},
    {Command::StationVisit, "station-visit", 3},
};

constexpr int kMaxRetry = 1000;
const QList<int> kWritableTables{3, 5, 6};

int FileCount(Command command)
{
    for (const CommandName &c : kCommands)
        if (c.command == command)
            return c.files;
    return 0;
}

QString Opt(const char *name)
{
    return QString::fromLatin1(name);
}

void Declare(QCommandLineParser &parser)
{
    const auto valued = [](const char *name) {
        return QCommandLineOption(Opt(name), QString(), QStringLiteral("value"));
    };
    for (const char *name :
         {"port",           "device",    "speed",  "preambles",  "attempts",     "first-byte-wait",
          "next-byte-wait", "rts-pause", "phone",  "modem-init", "connect-wait", "connect-attempts",
          "settings",       "retry",     "tables", "generation", "set",          "output",
          "lines",          "redial"})
        parser.addOption(valued(name));
    for (const char *name : {"direct", "trace", "no-log", "json", "verbose", "all", "version",
                             "no-backup", "no-verify", "resume", "dry-run"})
        parser.addOption(QCommandLineOption(Opt(name)));
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
}

bool IsNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    return digits.match(text).hasMatch();
}

// Reads one numeric link option, refusing it with the parameter's name when out of range.
bool ReadLinkNumber(const QCommandLineParser &parser, const LinkParameter &parameter,
                    std::optional<int> &field, QString &error)
{
    const QString option = Opt(parameter.option);
    if (!parser.isSet(option))
        return true;
    const QString text = parser.value(option);
    const qint64 value = IsNumber(text) ? text.toLongLong() : -1;
    if (!IsNumber(text) || !InRange(parameter, value)) {
        error = QStringLiteral("--%1 %2: %3").arg(option, text, OutOfRangeText(parameter));
        return false;
    }
    field = int(value);
    return true;
}

bool ReadText(const QCommandLineParser &parser, const char *option, const char *name, int maxLength,
              std::optional<QString> &field, QString &error)
{
    if (!parser.isSet(Opt(option)))
        return true;
    const QString text = parser.value(Opt(option));
    if (text.size() > maxLength) {
        error = QStringLiteral("--%1: %2: длиннее %3 символов")
                    .arg(Opt(option), QString::fromUtf8(name))
                    .arg(maxLength);
        return false;
    }
    field = text;
    return true;
}

bool ReadLinkOptions(const QCommandLineParser &parser, LinkOptions &link, QString &error)
{
    using namespace LinkParameters;
    if (!ReadLinkNumber(parser, Port, link.port, error) ||
        !ReadLinkNumber(parser, Speed, link.speed, error) ||
        !ReadLinkNumber(parser, Preambles, link.preambles, error) ||
        !ReadLinkNumber(parser, Attempts, link.attempts, error) ||
        !ReadLinkNumber(parser, FirstByteWait, link.firstByteWaitS, error) ||
        !ReadLinkNumber(parser, NextByteWait, link.nextByteWaitMs, error) ||
        !ReadLinkNumber(parser, RtsPause, link.rtsPauseMs, error) ||
        !ReadLinkNumber(parser, ConnectWait, link.connectWaitS, error) ||
        !ReadLinkNumber(parser, ConnectAttempts, link.connectAttempts, error) ||
        !ReadText(parser, "phone", "N телефона", MaxPhoneLength, link.phone, error) ||
        !ReadText(parser, "modem-init", "Команда модему", MaxModemInitLength, link.modemInit,
                  error))
        return false;
    link.device = parser.value(QStringLiteral("device"));
    link.settingsPath = parser.value(QStringLiteral("settings"));
    link.direct = parser.isSet(QStringLiteral("direct"));
    if (parser.isSet(QStringLiteral("device")) && link.device.isEmpty()) {
        error = QStringLiteral("--device: нужен путь к устройству");
        return false;
    }
    if (link.port && !link.device.isEmpty()) {
        error = QStringLiteral("--port и --device исключают друг друга");
        return false;
    }
    if (link.phone) {
        if (const QString fault = DialNumberFault(*link.phone); !fault.isEmpty()) {
            error = QStringLiteral("--phone: N телефона: %1").arg(fault);
            return false;
        }
    }
    if (link.modemInit) {
        if (const QString fault = ModemCommandFault(*link.modemInit); !fault.isEmpty()) {
            error = QStringLiteral("--modem-init: %1").arg(fault);
            return false;
        }
    }
    if (link.phone && link.direct) {
        error = QStringLiteral("--phone и --direct исключают друг друга");
        return false;
    }
    return true;
}

bool ReadTables(const QString &text, QList<int> &tables, QString &error)
{
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!IsNumber(trimmed) || !kWritableTables.contains(trimmed.toInt())) {
            error = QStringLiteral("--tables %1: записываются только таблицы 3, 5 и 6").arg(text);
            return false;
        }
        if (!tables.contains(trimmed.toInt()))
            tables.append(trimmed.toInt());
    }
    return true;
}

bool ReadCommandOptions(const QCommandLineParser &parser, CliOptions &options, QString &error)
{
    const bool tablesSet = parser.isSet(QStringLiteral("tables"));
    options.allTables = parser.isSet(QStringLiteral("all"));
    if ((tablesSet || options.allTables) && options.command != Command::WriteConfig) {
        error = QStringLiteral("--tables и --all относятся к команде write-config");
        return false;
    }
    if (tablesSet && options.allTables) {
        error = QStringLiteral("--tables и --all исключают друг друга");
        return false;
    }
    if (tablesSet && !ReadTables(parser.value(QStringLiteral("tables")), options.tables, error))
        return false;
    const bool stationChange =
        (options.command == Command::Stations && options.stationsVerb == QLatin1String("apply")) ||
        options.command == Command::StationVisit;
    if (parser.isSet(QStringLiteral("set"))) {
        if (options.command != Command::WriteConfig && !stationChange) {
            error = QStringLiteral("--set относится к write-config (файл меняет команда set)");
            return false;
        }
        if (tablesSet || options.allTables) {
            error = QStringLiteral("--set и --tables/--all исключают друг друга: по имени "
                                   "записываются только измененные поля");
            return false;
        }
        options.assignments = parser.values(QStringLiteral("set"));
    }
    if (parser.isSet(QStringLiteral("output"))) {
        if (options.command != Command::Set) {
            error = QStringLiteral("--output относится к set");
            return false;
        }
        options.output = parser.value(QStringLiteral("output"));
    }
    options.noBackup = parser.isSet(QStringLiteral("no-backup"));
    options.noVerify = parser.isSet(QStringLiteral("no-verify"));
    for (const auto &[set, name] :
         {std::pair{options.noBackup, "--no-backup"}, std::pair{options.noVerify, "--no-verify"}}) {
        if (set && options.command != Command::WriteConfig) {
            error = QStringLiteral("%1 относится к команде write-config").arg(QLatin1String(name));
            return false;
        }
    }

    const bool generationSet = parser.isSet(QStringLiteral("generation"));
    if (generationSet && options.command != Command::New) {
        error = QStringLiteral("--generation относится к команде new");
        return false;
    }
    if (options.command == Command::New) {
        const QString text = parser.value(QStringLiteral("generation"));
        if (!generationSet || (text != QLatin1String("3") && text != QLatin1String("5"))) {
            error = QStringLiteral("команде new нужен --generation 3 (версии ПО 3 и 4) или 5 "
                                   "(версии 5 и 6)");
            return false;
        }
        options.generation = text.toInt();
    }

    if (parser.isSet(QStringLiteral("retry"))) {
        const QString text = parser.value(QStringLiteral("retry"));
        if (!IsNumber(text) || text.toInt() > kMaxRetry) {
            error = QStringLiteral("--retry %1: число 0...%2").arg(text).arg(kMaxRetry);
            return false;
        }
        options.retry = text.toInt();
    }
    return true;
}

bool ReadLines(const QString &text, QList<int> &lines, QString &error)
{
    for (const QString &item : text.split(QLatin1Char(','))) {
        const QString trimmed = item.trimmed();
        if (!IsNumber(trimmed) || !InRange(LinkParameters::Port, trimmed.toInt())) {
            error = QStringLiteral("--lines %1: номера COM-портов 1...16 через запятую").arg(text);
            return false;
        }
        if (!lines.contains(trimmed.toInt()))
            lines.append(trimmed.toInt());
    }
    return true;
}

// The verb and arguments of stations: backup BOOK, apply BOOK, history BOOK NAME.
bool ReadStationArguments(QStringList &positional, CliOptions &options, QString &error)
{
    options.stationsVerb = positional.isEmpty() ? QString() : positional.takeFirst();
    const int wanted = options.stationsVerb == QLatin1String("history") ? 2
                       : options.stationsVerb == QLatin1String("backup") ||
                               options.stationsVerb == QLatin1String("apply")
                           ? 1
                           : -1;
    if (wanted < 0) {
        error = QStringLiteral("stations: нужно backup, apply или history");
        return false;
    }
    if (positional.size() != wanted) {
        error = wanted == 1
                    ? QStringLiteral("stations %1: нужна книга станций").arg(options.stationsVerb)
                    : QStringLiteral("stations history: нужны книга станций и имя станции");
        return false;
    }
    return true;
}

bool ReadStationOptions(const QCommandLineParser &parser, CliOptions &options, QString &error)
{
    const bool round =
        options.command == Command::Stations && options.stationsVerb != QLatin1String("history");
    const bool change =
        options.stationsVerb == QLatin1String("apply") || options.command == Command::StationVisit;
    for (const char *name : {"lines", "redial", "resume"})
        if (parser.isSet(Opt(name)) && !round) {
            error = QStringLiteral("--%1 относится к stations backup и apply").arg(Opt(name));
            return false;
        }
    if (parser.isSet(QStringLiteral("dry-run")) && !change) {
        error = QStringLiteral("--dry-run относится к stations apply");
        return false;
    }
    if (parser.isSet(QStringLiteral("lines")) &&
        !ReadLines(parser.value(QStringLiteral("lines")), options.lines, error))
        return false;
    if (parser.isSet(QStringLiteral("redial"))) {
        const QString text = parser.value(QStringLiteral("redial"));
        if (!IsNumber(text) || text.toInt() > kMaxRedial) {
            error = QStringLiteral("--redial %1: число 0...%2").arg(text).arg(kMaxRedial);
            return false;
        }
        options.redial = text.toInt();
    }
    options.resume = parser.isSet(QStringLiteral("resume"));
    options.dryRun = parser.isSet(QStringLiteral("dry-run"));
    if (options.stationsVerb == QLatin1String("apply") && options.assignments.isEmpty()) {
        error = QStringLiteral("stations apply: нужно хотя бы одно --set ИМЯ=ЗНАЧЕНИЕ");
        return false;
    }
    return true;
}

// The command's arguments: how many files, or a file and what follows it.
bool CheckPositional(const QCommandLineParser &parser, const CliOptions &options,
                     const QStringList &positional, QString &error)
{
    int files = FileCount(options.command);
    if (options.command == Command::WriteConfig && parser.isSet(QStringLiteral("set")))
        files = 0; // the controller's own configuration is changed
    const QString &name = options.commandName;
    if (files == kOneOrMore && positional.isEmpty())
        error = QStringLiteral(
                    "команде %1 нужны байты кадра в шестнадцатеричном виде, например CC 00 0C 1D")
                    .arg(name);
    else if (files == kFileAndNames && positional.isEmpty())
        error = QStringLiteral("%1: нужен файл конфигурации (и имена полей)").arg(name);
    else if (files == kFileAndValues && positional.size() < 2)
        error = QStringLiteral("%1: нужны файл конфигурации и хотя бы одно ИМЯ=ЗНАЧЕНИЕ").arg(name);
    else if (files >= 0 && positional.size() != files)
        error = files == 0 ? QStringLiteral("команда %1 не принимает файлов").arg(name)
                : files == 1
                    ? QStringLiteral("команде %1 нужно одно имя файла").arg(name)
                    : QStringLiteral("команде %1 нужны имена файлов: %2").arg(name).arg(files);
    return error.isEmpty();
}

} // namespace

Command CommandNamed(const QString &name)
{
    for (const CommandName &c : kCommands)
        if (name == QLatin1String(c.name))
            return c.command;
    return Command::None;
}

bool NeedsLink(Command command)
{
    switch (command) {
    case Command::Identify:
    case Command::DetectSpeed:
    case Command::ReadConfig:
    case Command::WriteConfig:
    case Command::TableState:
        return true;
    default:
        return false;
    }
}

namespace {

// The parser's own texts are English; it fails on an unknown option, a missing value or a
// value given to an option that takes none, and names the option between quotes.
QString ParseErrorText(const QCommandLineParser &parser)
{
    if (!parser.unknownOptionNames().isEmpty())
        return QStringLiteral("неизвестный параметр \"%1\"").arg(parser.unknownOptionNames()[0]);
    static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
    const QString option = quoted.match(parser.errorText()).captured(1);
    if (parser.errorText().startsWith(QLatin1String("Missing")))
        return QStringLiteral("после \"%1\" нужно значение").arg(option);
    return QStringLiteral("\"%1\" не принимает значения").arg(option);
}

} // namespace

ParsedCommandLine ParseCommandLine(const QStringList &arguments)
{
    ParsedCommandLine result;
    CliOptions &options = result.options;
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    Declare(parser);
    if (!parser.parse(arguments)) {
        result.error = ParseErrorText(parser);
        return result;
    }
    options.help = parser.isSet(QStringLiteral("help"));
    options.version = parser.isSet(QStringLiteral("version"));

    QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty()) {
        options.commandName = positional.takeFirst();
        options.command = CommandNamed(options.commandName);
        if (options.command == Command::None) {
            result.error = QStringLiteral("неизвестная команда \"%1\"").arg(options.commandName);
            return result;
        }
    }
    if (options.help || options.version)
        return result;
    if (options.command == Command::None) {
        result.error = QStringLiteral("команда не указана");
        return result;
    }
    if (FileCount(options.command) == kStationArguments) {
        if (!ReadStationArguments(positional, options, result.error))
            return result;
    } else if (!CheckPositional(parser, options, positional, result.error)) {
        return result;
    }
    options.files = positional;
    if (options.command == Command::Get)
        options.fieldNames = options.files.mid(1);
    if (options.command == Command::Set)
        options.assignments = options.files.mid(1);
    if (options.command == Command::Get || options.command == Command::Set)
        options.files = options.files.mid(0, 1);
    options.trace = parser.isSet(QStringLiteral("trace"));
    options.noLog = parser.isSet(QStringLiteral("no-log"));
    options.json = parser.isSet(QStringLiteral("json"));
    options.verbose = parser.isSet(QStringLiteral("verbose"));

    if (!ReadLinkOptions(parser, options.link, result.error) ||
        !ReadCommandOptions(parser, options, result.error) ||
        !ReadStationOptions(parser, options, result.error))
        return result;
    return result;
}

} // namespace ktv31::cli
