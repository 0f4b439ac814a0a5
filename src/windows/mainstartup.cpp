// TFormMain: the start-up connection (also "Связь с другим устройством") and the device check.
#include "windows/main.h"

#include "link/comportfunctions.h"
#include "service/identifyoperations.h"
#include "service/linkoperations.h"
#include "shell/operation.h"
#include "ui_main.h"
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
    if (!settingsNotice_.isEmpty()) {
        op_.ShowMessageBox(MessageBoxKind::Notice, settingsNotice_.value(0),
                           settingsNotice_.value(1));
        settingsNotice_.clear();
    }
    Disconnect(service_);
    hideTopLevelItems();
    statusBar_->setPanelText(Panel::Link,
                             LinkText(ComPortName(settings_.PortNumber()), settings_.Speed()));
    // A failed dial keeps its port until the next sequence or the close.
    if (!chooseLink() || closeRequested_ || !Connect(service_).ok()) {
        UpdateMenus();
        return;
    }
    const Outcome identified = IdentifyAndCheck(service_);
    if (!identified.ok()) {
        dropLink();
        return;
    }
    UpdateMenus();
    if (identified.destroyedTable != 0 && !closeRequested_)
        runTableStateProcedure();
}

// The connection dialog: true once the person has chosen the link and its port is open; the
// settings then hold what was chosen.
bool TFormMain::chooseLink()
{
    QPointer<TFormConnPar> dialog =
        new TFormConnPar(settings_, programDir_, ServiceLinkActions(service_), this);
    connect(dialog, &TFormConnPar::linkTextChanged, statusBar_,
            [this](const QString &text) { statusBar_->setPanelText(0, text); });
    dialog->exec();
    const bool accepted = dialog && dialog->accepted();
    if (accepted)
        settings_ = dialog->workingSettings();
    delete dialog;
    return accepted;
}

// The identification was not read or the device is not served: the link goes.
void TFormMain::dropLink()
{
    BusyScope busy(op_);
    Disconnect(service_);
    UpdateMenus();
}

void TFormMain::onCallChanged(bool up)
{
    if (!up) {
        showModemPanel(false);
        timerMoney_->stop();
        return;
    }
    CallStartTime = clock();
    ui->pntime->setText(CallDurationText(0));
    timerMoney_->start();
    showModemPanel(true);
    repaint();
}

} // namespace ktv31
