// TFormMain: the menu commands and the hang-up button.
#include "windows/main.h"

#include "config/conffun.h"
#include "config/configbackup.h"
#include "config/tablestateprocedure.h"
#include "config/tabletransfer.h"
#include "connection/controllerlink.h"
#include "shell/monoclock.h"
#include "shell/operation.h"
#include "ui_main.h"
#include "windows/busycursor.h"
#include "windows/config.h"
#include "windows/ident.h"
#include "windows/select.h"
#include "windows/statusbar.h"
#include "windows/tablestateseam.h"
#include "windows/wait.h"

#include <QPointer>
#include <QTimer>

namespace ktv31 {
namespace {

const QString kNotRead = QStringLiteral("Параметры конфигурации не прочитаны");

// The wait dialog of a configuration read: the main window disabled behind it, the hourglass on.
class ReadingWait
{
public:
    explicit ReadingWait(QMainWindow &main) : main_(main)
    {
        wait_ = new TFormWait(&main);
        wait_->Mode = TFormWait::ReadingTables;
        main_.setEnabled(false);
        wait_->show();
        wait_->repaint();
        PumpEvents();
        progress_ = std::make_unique<ProgressBarSink>(wait_->ProgressBar1());
    }
    ~ReadingWait() { end(); }
    ReadingWait(const ReadingWait &) = delete;
    ReadingWait &operator=(const ReadingWait &) = delete;

    ProgressSink &progress() { return *progress_; }
    void end()
    {
        if (ended_)
            return;
        ended_ = true;
        delete wait_;
        main_.setEnabled(true);
        main_.raise();
        main_.activateWindow();
    }
    void restoreCursor() { cursor_.restore(); }

private:
    QMainWindow &main_;
    BusyCursor cursor_;
    QPointer<TFormWait> wait_;
    std::unique_ptr<ProgressBarSink> progress_;
    bool ended_ = false;
};

} // namespace

void TFormMain::NconnectClick()
{
    if (!OperationRunning())
        timerStart_->start();
}

void TFormMain::NCnfClick()
{
    auto *item = qobject_cast<QAction *>(sender());
    if (!item || OperationRunning())
        return;
    OperationScope command;
    const bool newFile = item->data().toInt() == 0;
    ConfigRecord record;
    const bool ready = newFile
                           ? NewConfigRecord(record, 0, [this] { return ChooseGeneration(this); })
                           : LoadConfigFile(state_.files, op_, record);
    if (!ready)
        return;
    const EditorOutcome outcome =
        EditConfiguration(this, record, state_.image, state_.settings, false, false);
    if (outcome.accepted && (outcome.changed || newFile))
        SaveConfigFile(state_.files, op_, state_.image, record, true);
}

// The wait dialog around the read of the whole configuration. On success `record` holds it,
// over a new record of the controller's own generation when it is for the editor; on failure the
// operator has been told.
bool TFormMain::readConfigurationRecord(ConfigRecord &record, bool forEditor)
{
    ReadingWait wait(*this);
    TransferContext context = transferContext();
    const bool read = ReadConfiguration(context, wait.progress());
    wait.end();
    if (!read) {
        wait.restoreCursor();
        if (!closeRequested_)
            op_.ShowMessageBox(MessageBoxKind::ExchangeResult, kNotRead, QString());
        ArmTimerMessage();
        return false;
    }
    record = ConfigRecord();
    if (forEditor)
        NewConfigRecord(record, state_.image.SoftwareVersion());
    ImageToRecord(state_.image, record);
    ArmTimerMessage();
    return true;
}

void TFormMain::N3Click()
{
    if (OperationRunning())
        return;
    OperationScope command;
    ConfigRecord record;
    if (readConfigurationRecord(record, false))
        SaveConfigFile(state_.files, op_, state_.image, record, false);
}

void TFormMain::N2Click()
{
    if (OperationRunning())
        return;
    OperationScope command;
    ConfigRecord record;
    if (!readConfigurationRecord(record, true))
        return;
    if (!EditConfiguration(this, record, state_.image, state_.settings, true, true).accepted)
        return;
    const ConfigImage before = state_.image;
    RecordToImage(record, state_.image);
    writeEditedConfiguration(before);
}

// The configuration as read is kept as a file before anything of it is replaced; a backup that
// cannot be written is told, not a reason to keep the engineer's changes from the controller.
void TFormMain::writeEditedConfiguration(const ConfigImage &before)
{
    BusyCursor busy;
    if (HasChangesToWrite(state_.image, before)) {
        const BackupResult backup = SaveConfigBackup(state_.programDir, before, clock());
        if (!backup.saved)
            statusBar_->setPanelText(Panel::Step, BackupFailedText(backup));
    }
    TransferContext context = transferContext();
    WriteChangedConfiguration(context, before);
    busy.restore();
    ArmTimerMessage();
}

void TFormMain::N1Click()
{
    if (!OperationRunning())
        runTableStateProcedure();
}

void TFormMain::runTableStateProcedure()
{
    WindowTableStateSeam seam(
        this, state_, [this] { ArmTimerMessage(); }, [this] { UpdateMenus(); });
    TransferContext context = transferContext();
    RunTableStateProcedure(context, state_.files, seam);
}

void TFormMain::NidentClick()
{
    if (OperationRunning())
        return;
    OperationScope command;
    bool read = false;
    {
        BusyCursor busy;
        TransferContext context = transferContext();
        read = ReadIdentification(context);
        ArmTimerMessage();
    }
    if (read)
        ShowIdentification(this, state_.image.data(), true);
}

void TFormMain::BitBtn3Click()
{
    // Inside a running exchange the hang-up would pull the line from under it: the exchange is
    // cut short first and the hang-up follows once it has returned.
    if (OperationRunning()) {
        hangUpRequested_ = true;
        RequestAbort(state_.session);
        dialCancel_.cancel();
        return;
    }
    hangUpAndDisconnect();
}

void TFormMain::hangUpAndDisconnect()
{
    BusyCursor busy;
    HangUp(state_.session.PortHandle, modemTiming);
    state_.deviceAccepted = false;
    ModemConnected = false;
    showModemPanel(false);
    repaint();
    timerMoney_->stop();
    ResetCredentials(state_.session);
    statusBar_->setPanelText(Panel::Step, QString());
    EndLink(state_.openPort, state_.session, false);
    UpdateMenus();
}

} // namespace ktv31
