// The table-state view, the editor as review and the wait dialog of the write, for the procedure.
#include "windows/tablestateseam.h"

#include "connection/controllerlink.h"
#include "windows/config.h"
#include "windows/programstate.h"
#include "windows/tableinfo.h"
#include "windows/wait.h"

#include <QApplication>

namespace ktv31 {

WindowTableStateSeam::WindowTableStateSeam(QWidget *owner, ProgramState &state,
                                           std::function<void()> armTimer,
                                           std::function<void()> updateMenus)
    : owner_(owner), state_(state), armTimer_(std::move(armTimer)),
      updateMenus_(std::move(updateMenus))
{
}

WindowTableStateSeam::~WindowTableStateSeam()
{
    EndWrite();
    while (busyDepth_ > 0)
        SetBusy(false);
}

TableStateChoice WindowTableStateSeam::ShowTableState(TableStateBuffer &state)
{
    QPointer<TFormTableInfo> form =
        new TFormTableInfo(state, state_.settings.LinkType() == TelephoneLink, owner_);
    form->exec();
    const int result = form ? form->TableStateResult : 0;
    delete form;
    return TableStateChoice(result);
}

bool WindowTableStateSeam::ReviewRecord(ConfigRecord &record, bool &changed)
{
    const EditorOutcome outcome =
        EditConfiguration(owner_, record, state_.image, state_.settings, true, false);
    changed = outcome.changed;
    return outcome.accepted;
}

ProgressSink &WindowTableStateSeam::BeginWrite()
{
    EndWrite();
    wait_ = new TFormWait(owner_);
    wait_->Mode = TFormWait::WritingTables;
    wait_->show();
    wait_->repaint();
    progress_ = std::make_unique<ProgressBarSink>(wait_->ProgressBar1());
    return *progress_;
}

void WindowTableStateSeam::EndWrite()
{
    delete wait_;
}

void WindowTableStateSeam::SetBusy(bool busy)
{
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void WindowTableStateSeam::ArmStatusTimer()
{
    if (armTimer_)
        armTimer_();
}

void WindowTableStateSeam::UpdateMenus()
{
    if (updateMenus_)
        updateMenus_();
}

} // namespace ktv31
