// The command line of ktv31-cli: options, the command and its arguments, checked for usage.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ktv31::cli {

enum class Command
{
    None,
    Identify,
    DetectSpeed,
    ReadConfig,
    WriteConfig,
    TableState,
    Show,
    Diff,
    New,
    Decode,
    DecodeLog,
    Fields,
    Get,
    Set,
    Stations,     // stations backup|apply|history BOOK ...
    StationVisit, // one station's visit on one line, for a round's worker process
};

// Link options as given; what is not given comes from the settings file.
struct LinkOptions
{
    std::optional<int> port;
    QString device;
    std::optional<int> speed;
    std::optional<int> preambles;
    std::optional<int> attempts;
    std::optional<int> firstByteWaitS;
    std::optional<int> nextByteWaitMs;
    std::optional<int> rtsPauseMs;
    std::optional<QString> phone;
    std::optional<QString> modemInit;
    std::optional<int> connectWaitS;
    std::optional<int> connectAttempts;
    bool direct = false;
    QString settingsPath; // empty: the program's own settings file
};

struct CliOptions
{
    Command command = Command::None;
    QString commandName;
    QStringList files; // the command's file arguments (decode: the frame's hex bytes)
    bool help = false;
    bool version = false;

    LinkOptions link;
    bool trace = false;
    bool noLog = false; // no exchange log
    bool json = false;
    bool verbose = false;
    int retry = 0;

    QList<int> tables; // write-config --tables, in the order given, without repeats
    bool allTables = false;
    bool noBackup = false; // write-config: no backup of the configuration before the write
    bool noVerify = false; // write-config: the tables written are not read back
    int generation = 0;    // new --generation

    QStringList fieldNames;  // get: the fields asked for, all when empty
    QStringList assignments; // set, write-config --set, stations apply: NAME=VALUE as given
    QString output;          // set --output: the new file; empty: the file itself

    // stations: the verb, the lines with a modem and what a round does.
    QString stationsVerb;
    QList<int> lines;
    int redial = 2;
    bool resume = false;
    bool dryRun = false;
};

struct ParsedCommandLine
{
    CliOptions options;
    QString error; // empty when the command line is usable
    bool ok() const { return error.isEmpty(); }
};

// `arguments` includes the program name first, as QCoreApplication::arguments() gives it.
ParsedCommandLine ParseCommandLine(const QStringList &arguments);

// Commands that talk to a controller need a link; the others work on files alone.
bool NeedsLink(Command command);
Command CommandNamed(const QString &name);

} // namespace ktv31::cli
