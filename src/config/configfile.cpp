// Configuration files: parsing and writing the 1247-byte record, and the load and save dialogues.
#include "config/configfile.h"

#include "shell/settings.h"

#include <QDir>
#include <QFileInfo>

namespace ktv31 {

const char ConfigFileFilter[] = "Data Files (*.cnf);;DataFiles(*.ala);;DataFiles(*.aud);;"
                                "DataFiles(*.osc);;DataFiles(*.avr);;DataFiles(*.*)";

namespace {

ConfigRecord FromOldLayout(const QByteArray &old)
{
    ConfigRecord record;
    record.setU8(RecordOffset::Marker, 0);
    record.setU8(RecordOffset::TypeCode, ServedTypeCode);
    record.setU8(RecordOffset::SoftwareVersion, 3);
    record.setSlice(RecordOffset::LinkParameters, LinkParameterCountShort,
                    old.mid(OldRecordOffset::LinkParameters, LinkParameterCountShort));
    record.setSlice(RecordOffset::Links, CalculatorCount * LinkEntrySize,
                    old.mid(OldRecordOffset::Links, CalculatorCount * LinkEntrySize));
    record.setSlice(RecordOffset::ModemString, ModemStringSize,
                    old.mid(OldRecordOffset::ModemString, ModemStringSize));
    return record;
}

QString FileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

bool SamePath(const QString &a, const QString &b)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(a)) ==
           QDir::cleanPath(QDir::fromNativeSeparators(b));
}

FileChoice ChoiceIn(const ConfigFileContext &context, const QString &title)
{
    FileChoice choice;
    choice.title = title;
    choice.initialFolder = ConfigFolder(context.programDir);
    choice.filter = QString::fromLatin1(ConfigFileFilter);
    choice.filterIndex = 1;
    return choice;
}

// Runs the save chooser until the operator settles on a target; empty when cancelled.
QString ChooseSaveTarget(ConfigFileContext &context, Operator &op)
{
    FileChoice choice =
        ChoiceIn(context, QStringLiteral("Выбор файла для записи параметров конфигурации"));
    // A file that is there is replaced only when the person says so, the offered one too.
    const auto mayReplace = [&op](const QString &path) {
        return CheckSaveTarget(path) != FileFault::None || !QFileInfo::exists(path) ||
               op.ShowMessageBox(MessageBoxKind::Question,
                                 QStringLiteral("Файл %1 уже есть.").arg(FileNameOf(path)),
                                 QStringLiteral("Вы хотите заменить существующий файл?"));
    };
    for (;;) {
        const QString offered = context.currentPath;
        choice.fileName = offered;
        const QString chosen = op.ChooseSaveFile(choice);
        if (chosen.isEmpty())
            return {};
        if (SamePath(chosen, offered)) {
            if (mayReplace(offered))
                return offered;
            continue;
        }
        context.currentPath = chosen;
        // A name typed without extension ("name" or "name.") gets ".cnf"; the file it then
        // names may exist too and must not be replaced without asking.
        if (!QFileInfo::exists(chosen) && QFileInfo(chosen).suffix().isEmpty()) {
            if (context.currentPath.endsWith(QLatin1Char('.')))
                context.currentPath.chop(1);
            context.currentPath += QStringLiteral(".cnf");
        }
        // Something that is no file is refused by the write itself, without asking to replace it.
        if (mayReplace(context.currentPath))
            return context.currentPath;
    }
}

} // namespace

QString ConfigFileErrorText(ConfigFileError error, const QString &fileName, FileFault reason)
{
    const QString why =
        reason == FileFault::None ? QString() : QStringLiteral(": ") + FileFaultText(reason);
    switch (error) {
    case ConfigFileError::None:
        return {};
    case ConfigFileError::OpenFailed:
        return OpenFailedText() + why;
    case ConfigFileError::NotConfiguration:
        return QStringLiteral("Файл %1 не является файлом конфигурации контроллера ktv31-ar")
            .arg(fileName);
    case ConfigFileError::WriteFailed:
        return WriteFailedText() + why;
    }
    return {};
}

ConfigFileResult ParseConfigFile(const QByteArray &bytes)
{
    ConfigFileResult result;
    if (bytes.size() >= RecordSize)
        result.record.assign(bytes.left(RecordSize));
    else if (bytes.size() == OldRecordOffset::Size)
        result.record = FromOldLayout(bytes);
    if (result.record.u8(RecordOffset::TypeCode) != ServedTypeCode)
        result.error = ConfigFileError::NotConfiguration;
    return result;
}

ConfigFileResult ReadConfigFile(const QString &path)
{
    const FileRead read = ReadFileStart(path, RecordSize);
    if (!read.ok()) {
        ConfigFileResult result;
        result.error = ConfigFileError::OpenFailed;
        result.reason = read.fault;
        return result;
    }
    return ParseConfigFile(read.bytes);
}

ConfigFileError WriteConfigFile(const QString &path, const ConfigRecord &record, FileFault *reason)
{
    const FileFault fault = ReplaceFile(path, record.toBytes());
    if (reason)
        *reason = fault;
    switch (fault) {
    case FileFault::None:
        return ConfigFileError::None;
    case FileFault::WriteFailed:
    case FileFault::NoSpace:
        return ConfigFileError::WriteFailed;
    default:
        return ConfigFileError::OpenFailed;
    }
}

QString DefaultConfigFileName(quint8 softwareVersion, const QDate &date)
{
    return QString::asprintf("ktv31-ar%d-%02d%02d%02d.cnf", int(softwareVersion),
                             date.year() - 2000, date.month(), date.day());
}

bool LoadConfigFile(ConfigFileContext &context, Operator &op, ConfigRecord &record)
{
    FileChoice choice = ChoiceIn(context, QStringLiteral("Выбор файла с параметрами конфигурации"));
    choice.mustExist = true;
    choice.hideReadOnly = true;
    choice.keepCurrentDir = true;
    const QString path = op.ChooseOpenFile(choice);
    if (path.isEmpty())
        return false;
    context.currentPath = path;

    const ConfigFileResult result = ReadConfigFile(path);
    if (result.error == ConfigFileError::OpenFailed) {
        op.ShowMessageBox(MessageBoxKind::Error, OpenFailedText(), FileFaultText(result.reason));
        return false;
    }
    record = result.record;
    if (!result.ok()) {
        op.ShowMessageBox(
            MessageBoxKind::Notice,
            QStringLiteral("Файл %1 не является файлом конфигурации").arg(FileNameOf(path)),
            QStringLiteral("контроллера ktv31-ar"));
        return false;
    }
    return true;
}

bool SaveConfigFile(ConfigFileContext &context, Operator &op, const ConfigImage &image,
                    const ConfigRecord &record, bool askFirst, const QDate &today)
{
    if (askFirst &&
        !op.ShowMessageBox(MessageBoxKind::Question,
                           QStringLiteral("Сохранить параметры конфигурации в файле?"), QString()))
        return false;

    context.currentPath = ConfigFolder(context.programDir) + QLatin1Char('/') +
                          DefaultConfigFileName(image.SoftwareVersion(), today);
    // What was read is offered another name until it is saved or the person gives it up.
    for (;;) {
        const QString target = ChooseSaveTarget(context, op);
        if (target.isEmpty())
            return false;
        if (SaveRecordAs(op, target, record))
            return true;
    }
}

bool SaveRecordAs(Operator &op, const QString &path, const ConfigRecord &record)
{
    FileFault reason = FileFault::None;
    switch (WriteConfigFile(path, record, &reason)) {
    case ConfigFileError::None:
        op.ShowMessageBox(MessageBoxKind::Notice, QStringLiteral("Параметры конфигурации"),
                          QStringLiteral("сохранены в файле %1").arg(FileNameOf(path)));
        return true;
    case ConfigFileError::OpenFailed:
        op.ShowMessageBox(MessageBoxKind::Error, OpenFailedText(), FileFaultText(reason));
        return false;
    default:
        op.ShowMessageBox(MessageBoxKind::Error, WriteFailedText(),
                          QStringLiteral("%1: %2").arg(FileNameOf(path), FileFaultText(reason)));
        return false;
    }
}

} // namespace ktv31
