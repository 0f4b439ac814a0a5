// The file commands: show, diff and new.
#include "cli/commands.h"

#include "cli/configfiles.h"
#include "cli/exitstatus.h"
#include "cli/output.h"
#include "config/recordconversion.h"

namespace ktv31::cli {
namespace {

int Show(const CliOptions &options)
{
    ConfigRecord record;
    if (const int status = ReadRecordFile(options.files[0], record))
        return status;
    PrintConfiguration(DescribeRecord(record), options.json);
    return ExitStatus::Done;
}

int Diff(const CliOptions &options)
{
    ConfigRecord first;
    ConfigRecord second;
    if (const int status = ReadRecordFile(options.files[0], first))
        return status;
    if (const int status = ReadRecordFile(options.files[1], second))
        return status;
    PrintDifferences(DiffRecords(first, second), options.json);
    return ExitStatus::Done;
}

int New(const CliOptions &options)
{
    ConfigRecord record;
    NewConfigRecord(record, options.generation);
    return WriteRecordFile(options.files[0], record);
}

} // namespace

int RunFileCommand(const CliOptions &options)
{
    switch (options.command) {
    case Command::Show:
        return Show(options);
    case Command::Diff:
        return Diff(options);
    case Command::New:
        return New(options);
    case Command::Decode:
    case Command::DecodeLog:
        return RunDecodeCommand(options);
    case Command::Fields:
    case Command::Get:
    case Command::Set:
        return RunFieldCommand(options);
    default:
        return ExitStatus::BadUsage;
    }
}

} // namespace ktv31::cli
