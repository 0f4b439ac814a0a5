// Reading, saving and writing back the controller's configuration.
#include "service/configoperations.h"

#include "config/configbackup.h"
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/tabletransfer.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "service/transferrun.h"
#include "service/writeoutcome.h"

namespace ktv31 {
namespace {

// The configuration as read is kept as a file before anything of it is replaced; a backup that
// cannot be written is told, not a reason to keep the changes from the controller.
void KeepBackup(ServiceSession &session, const ConfigImage &asRead)
{
    const BackupResult backup = SaveConfigBackup(session.programDir(), asRead, session.clock());
    session.op().Note(backup.saved
                          ? QStringLiteral("Копия конфигурации до записи: %1").arg(backup.path)
                          : BackupFailedText(backup));
}

} // namespace

Outcome ReadConfigurationRecord(ServiceSession &session, ConfigRecord &record, bool forEditor)
{
    Operator &op = session.op();
    bool read = false;
    {
        ProgressSink &progress = op.BeginWait(WaitKind::ReadingTables);
        TransferContext context = session.transferContext();
        read = ReadConfiguration(context, progress);
        op.EndWait();
    }
    if (!read) {
        const Outcome given = TransferGivenUp(session);
        if (given.kind != OutcomeKind::Interrupted)
            op.ShowMessageBox(MessageBoxKind::ExchangeResult, ServiceText::ConfigurationNotRead(),
                              QString());
        op.StatusTextsDone();
        return {given.kind, ServiceText::ConfigurationNotRead(), {}};
    }
    record = ConfigRecord();
    if (forEditor)
        NewConfigRecord(record, session.image().SoftwareVersion());
    ImageToRecord(session.image(), record);
    op.StatusTextsDone();
    return {};
}

Outcome SaveConfigurationToFile(ServiceSession &session, const QString &path)
{
    ConfigRecord record;
    if (const Outcome read = ReadConfigurationRecord(session, record, false); !read.ok())
        return read;
    const bool saved = path.isEmpty() ? SaveConfigFile(session.files(), session.op(),
                                                       session.image(), record, false)
                                      : SaveRecordAs(session.op(), path, record);
    if (saved)
        return {};
    return path.isEmpty() ? OutcomeKind::Cancelled : OutcomeKind::FileProblem;
}

Outcome WriteChanges(ServiceSession &session, const ConfigRecord &asRead,
                     const ConfigRecord &edited)
{
    ConfigImage &image = session.image();
    const ConfigImage imageAsRead = image;
    ConfigImage changed = imageAsRead;
    ApplyRecordEdits(asRead, edited, changed);
    const QList<int> tables = TablesToWrite(changed, imageAsRead);
    if (tables.isEmpty()) {
        session.op().ShowMessageBox(MessageBoxKind::Notice, ServiceText::NoTablesWritten(),
                                    ServiceText::NothingChanged());
        return {OutcomeKind::NothingChanged, ServiceText::NoTablesWritten(),
                ServiceText::NothingChanged()};
    }
    // Only the calculators whose links change are written, so only theirs are judged.
    const auto linkWritten = [&](int address) { return LinkEntryChanged(asRead, edited, address); };
    if (const auto refused = RefuseToWrite(session, edited, tables, linkWritten))
        return *refused;
    if (session.keepBackups)
        KeepBackup(session, imageAsRead);
    image = changed;
    TransferContext context = session.transferContext();
    bool written = false;
    {
        BusyScope busy(session.op());
        written = WriteChangedConfiguration(context, imageAsRead);
    }
    session.op().StatusTextsDone();
    return WriteOutcome(session, context, tables, written);
}

} // namespace ktv31
