// Configuration files read and written by the commands, their failures told in the program's words.
#include "cli/configfiles.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "config/configfile.h"

#include <QDir>
#include <QFileInfo>

namespace ktv31::cli {
namespace {

int Failed(const QString &path, ConfigFileError error)
{
    if (error == ConfigFileError::NotConfiguration)
        PrintError(ConfigFileErrorText(error, QFileInfo(path).fileName()));
    else
        PrintError(QStringLiteral("%1: %2").arg(path, ConfigFileErrorText(error, path)));
    return ExitStatus::FileProblem;
}

} // namespace

int ReadRecordFile(const QString &path, ConfigRecord &record)
{
    const ConfigFileResult result = ReadConfigFile(path);
    if (!result.ok())
        return Failed(path, result.error);
    record = result.record;
    return ExitStatus::Done;
}

int WriteRecordFile(const QString &path, const ConfigRecord &record)
{
    const ConfigFileError error = WriteConfigFile(path, record);
    if (error != ConfigFileError::None)
        return Failed(path, error);
    PrintError(QStringLiteral("Параметры конфигурации сохранены в файле %1")
                   .arg(QFileInfo(path).fileName()));
    return ExitStatus::Done;
}

int CheckWritableTarget(const QString &path)
{
    const QFileInfo target(path);
    const QFileInfo folder(target.absolutePath());
    if (target.isDir() || !folder.isDir() || !folder.isWritable() ||
        (target.exists() && !target.isWritable()))
        return Failed(path, ConfigFileError::OpenFailed);
    return ExitStatus::Done;
}

} // namespace ktv31::cli
