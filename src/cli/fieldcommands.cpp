// The commands on named fields of a configuration file: fields, get and set.
#include "cli/commands.h"

#include "cli/configfiles.h"
#include "cli/console.h"
#include "cli/exitstatus.h"
#include "cli/fieldoutput.h"

#include <QFileInfo>

namespace ktv31::cli {
namespace {

int Fields(const CliOptions &options)
{
    PrintFieldList(options.json);
    return ExitStatus::Done;
}

// The fields asked for, or every field the record holds when none is named.
int Get(const CliOptions &options)
{
    ConfigRecord record;
    if (const int status = ReadRecordFile(options.files[0], record))
        return status;
    QList<const RecordField *> fields;
    if (options.fieldNames.isEmpty())
        fields = ListedFields(record);
    for (const QString &name : options.fieldNames) {
        const RecordField *field = FindField(name);
        if (!field || !FieldPresent(record, *field) || (field->address >= 0 && !field->settable)) {
            Complain(field ? QStringLiteral("%1: этого поля нет в файле %2")
                                 .arg(name, QFileInfo(options.files[0]).fileName())
                           : QStringLiteral("%1: нет такого поля (их список: ktv31-cli fields)")
                                 .arg(name));
            return ExitStatus::BadUsage;
        }
        fields.append(field);
    }
    PrintFieldValues(record, fields, options.json);
    return ExitStatus::Done;
}

// Whole or not at all: the file (or NEW) is written only when every change was taken.
int Set(const CliOptions &options)
{
    QString error;
    const auto changes = ParseAssignments(options.assignments, &error);
    if (!changes) {
        Complain(error);
        return ExitStatus::BadUsage;
    }
    ConfigRecord record;
    if (const int status = ReadRecordFile(options.files[0], record))
        return status;
    const ConfigRecord before = record;
    if (const std::optional<QString> refusal = ApplyAssignments(record, *changes)) {
        Complain(*refusal);
        return ExitStatus::BadUsage;
    }
    const QList<FieldChange> changed = ChangedFields(before, record);
    PrintFieldChanges(changed);
    const QString target = options.output.isEmpty() ? options.files[0] : options.output;
    if (changed.isEmpty() && target == options.files[0])
        return ExitStatus::Done; // nothing to rewrite: the file stays as it was
    return WriteRecordFile(target, record);
}

} // namespace

int RunFieldCommand(const CliOptions &options)
{
    switch (options.command) {
    case Command::Fields:
        return Fields(options);
    case Command::Get:
        return Get(options);
    case Command::Set:
        return Set(options);
    default:
        return ExitStatus::BadUsage;
    }
}

} // namespace ktv31::cli
