// TFormMain: the menu commands and the hang-up button, each a short script over the operations.
#include "windows/main.h"

#include "config/configeditor.h"
#include "config/configfile.h"
#include "config/recordconversion.h"
#include "config/writecheck.h"
#include "service/configoperations.h"
#include "service/identifyoperations.h"
#include "service/linkoperations.h"
#include "service/tablestateprocedure.h"
#include "shell/operation.h"
#include "ui_main.h"
#include "windows/config.h"
#include "windows/ident.h"
#include "windows/select.h"
#include "windows/statusbar.h"
#include "windows/tablestateseam.h"

#include <QTimer>

namespace ktv31 {

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
                           : LoadConfigFile(service_.files(), op_, record);
    if (!ready)
        return;
    if (const auto fault = LinkParametersFault(record)) {
        op_.ShowMessageBox(MessageBoxKind::Notice, QStringLiteral("Файл не открыт в редакторе"),
                           fault->text);
        return;
    }
    const EditorOutcome outcome =
        EditConfiguration(this, record, service_.image(), settings_, false, false);
    if (outcome.accepted && (outcome.changed || newFile))
        SaveConfigFile(service_.files(), op_, service_.image(), record, true);
}

void TFormMain::N3Click()
{
    if (OperationRunning())
        return;
    OperationScope command;
    SaveConfigurationToFile(service_);
}

void TFormMain::N2Click()
{
    if (OperationRunning())
        return;
    OperationScope command;
    ConfigRecord asRead;
    if (!ReadConfigurationRecord(service_, asRead, true).ok())
        return;
    ConfigRecord record = asRead;
    if (EditConfiguration(this, record, service_.image(), settings_, true, true).accepted)
        WriteChanges(service_, asRead, record);
}

void TFormMain::N1Click()
{
    if (!OperationRunning())
        runTableStateProcedure();
}

void TFormMain::runTableStateProcedure()
{
    WindowTableStateSeam seam(this, service_.image(), settings_, [this] { UpdateMenus(); });
    RunTableStateProcedure(service_, seam);
}

void TFormMain::NidentClick()
{
    if (OperationRunning())
        return;
    OperationScope command;
    if (ReadIdentificationBlock(service_).ok())
        ShowIdentification(this, IdentificationBlock(service_.image()), true);
}

void TFormMain::BitBtn3Click()
{
    // Inside a running exchange the hang-up would pull the line from under it: the exchange is
    // cut short first and the hang-up follows once it has returned.
    if (OperationRunning()) {
        hangUpRequested_ = true;
        service_.cutShort();
        return;
    }
    hangUpAndDisconnect();
}

void TFormMain::hangUpAndDisconnect()
{
    BusyScope busy(op_);
    Disconnect(service_);
    repaint();
    statusBar_->setPanelText(Panel::Step, QString());
    UpdateMenus();
}

} // namespace ktv31
