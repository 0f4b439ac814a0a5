// Configuration files read and written by the commands, their failures told in the program's words.
#include "cli/configfiles.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "config/configfile.h"

#include <QFileInfo>

namespace ktv31::cli {
namespace {

int Failed(const QString &path, ConfigFileError error, FileFault reason = FileFault::None)
{
    if (error == ConfigFileError::NotConfiguration)
        PrintError(ConfigFileErrorText(error, QFileInfo(path).fileName()));
    else
        PrintError(QStringLiteral("%1: %2").arg(path, ConfigFileErrorText(error, path, reason)));
    return ExitStatus::FileProblem;
}

} // namespace

int ReadRecordFile(const QString &path, ConfigRecord &record)
{
    const ConfigFileResult result = ReadConfigFile(path);
    if (!result.ok())
        return Failed(path, result.error, result.reason);
    record = result.record;
    return ExitStatus::Done;
}

int WriteRecordFile(const QString &path, const ConfigRecord &record)
{
    FileFault reason = FileFault::None;
    const ConfigFileError error = WriteConfigFile(path, record, &reason);
    if (error != ConfigFileError::None)
        return Failed(path, error, reason);
    PrintError(QStringLiteral("Параметры конфигурации сохранены в файле %1")
                   .arg(QFileInfo(path).fileName()));
    return ExitStatus::Done;
}

int CheckWritableTarget(const QString &path)
{
    if (const FileFault fault = CheckSaveTarget(path); fault != FileFault::None)
        return Failed(path, ConfigFileError::OpenFailed, fault);
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (!folder.isWritable() || (target.exists() && !target.isWritable()))
        return Failed(path, ConfigFileError::OpenFailed, FileFault::NoPermission);
    return ExitStatus::Done;
}

} // namespace ktv31::cli
