// TFormMain: the start-up connection (also "Связь с другим устройством") and the device check.
#include "windows/main.h"

#include "config/tabletransfer.h"
#include "connection/controllerlink.h"
#include "connection/devicecheck.h"
#include "shell/operation.h"
#include "ui_main.h"
#include "windows/busycursor.h"
#include "windows/connpar.h"
#include "windows/statusbar.h"

#include <QPointer>
#include <QShortcut>
#include <QTimer>

namespace ktv31 {

void TFormMain::TimerStartTimer()
{
    timerStart_->stop();
    if (OperationRunning() || closeRequested_)
        return;
    // The whole sequence is one operation: no command starts inside it, a close waits for it.
    OperationScope sequence;
    if (ModemConnected && !IsGone(state_.session.PortHandle))
        HangUp(state_.session.PortHandle, modemTiming);
    ModemConnected = false;
    state_.deviceAccepted = false;
    showModemPanel(false);
    timerMoney_->stop();
    EndLink(state_.openPort, state_.session, false);
    hideTopLevelItems();
    const ConnectionSettings &settings = state_.settings;
    statusBar_->setPanelText(Panel::Link,
                             LinkText(ComPortName(settings.PortNumber()), settings.Speed()));

    QPointer<TFormConnPar> dialog = new TFormConnPar(state_, this);
    dialog->MainStatusBar = statusBar_;
    dialog->exec();
    const bool accepted = dialog && dialog->Accepted;
    delete dialog;
    if (!accepted || closeRequested_) {
        UpdateMenus();
        return;
    }

    RaiseDtrAndSettle(state_.session.PortHandle);
    if (state_.settings.LinkType() == TelephoneLink) {
        ModemConnected = DialController();
        if (!ModemConnected) {
            UpdateMenus(); // the port stays held until the next sequence or the close
            return;
        }
    }
    bool identified = false;
    {
        BusyCursor busy;
        TransferContext context = transferContext();
        identified = ReadIdentification(context);
    }
    ArmTimerMessage();
    if (identified) {
        const DeviceVerdict verdict = CheckDevice(state_.image);
        if (verdict.accepted)
            state_.deviceAccepted = true;
        else if (!closeRequested_)
            op_.ShowMessageBox(MessageBoxKind::Notice, verdict.line1, verdict.line2);
    }
    if (state_.deviceAccepted)
        startUpAccepted();
    else
        dropLink();
}

void TFormMain::startUpAccepted()
{
    UpdateMenus();
    const int destroyed = state_.image.u8(ImageOffset::DestroyedTable);
    if (destroyed == 0 || closeRequested_)
        return;
    statusBar_->setPanelText(Panel::Step, QStringLiteral("Разрушена таблица № %1").arg(destroyed));
    ArmTimerMessage();
    runTableStateProcedure();
}

// The identification was not read or the device is not served: the link goes.
void TFormMain::dropLink()
{
    BusyCursor busy;
    if (ModemConnected && !IsGone(state_.session.PortHandle))
        HangUp(state_.session.PortHandle, modemTiming);
    ModemConnected = false;
    EndLink(state_.openPort, state_.session, false);
    showModemPanel(false);
    timerMoney_->stop();
    UpdateMenus();
}

bool TFormMain::DialController()
{
    int code = 0;
    {
        BusyCursor busy;
        dialCancel_.reset();
        if (closeRequested_)
            dialCancel_.cancel();
        escapeCancelsDial_->setEnabled(true);
        code = ktv31::DialController(state_.session.PortHandle, state_.settings, &dialCancel_,
                                     StatusPanel{&op_, Panel::Step}, modemTiming);
        escapeCancelsDial_->setEnabled(false);
    }
    ArmTimerMessage();
    if (code != DialResult::Ok) {
        if (!closeRequested_)
            op_.ShowMessageBox(MessageBoxKind::Notice, DialResultText(code), QString());
        return false;
    }
    CallStartTime = clock();
    ui->pntime->setText(CallDurationText(0));
    timerMoney_->start();
    showModemPanel(true);
    repaint();
    return true;
}

} // namespace ktv31
