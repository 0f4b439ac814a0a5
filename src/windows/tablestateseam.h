// The windows behind the table-state procedure: the view, the review, the wait dialog.
#pragma once

#include "config/tablestateprocedure.h"
#include "windows/windowoperator.h"

#include <QPointer>

#include <functional>
#include <memory>

namespace ktv31 {

struct ProgramState;
class TFormWait;

class WindowTableStateSeam : public TableStateSeam
{
public:
    WindowTableStateSeam(QWidget *owner, ProgramState &state, std::function<void()> armTimer,
                         std::function<void()> updateMenus);
    ~WindowTableStateSeam() override;

    TableStateChoice ShowTableState(TableStateBuffer &state) override;
    bool ReviewRecord(ConfigRecord &record, bool &changed) override;
    ProgressSink &BeginWrite() override;
    void EndWrite() override;
    void SetBusy(bool busy) override;
    void ArmStatusTimer() override;
    void UpdateMenus() override;

private:
    QPointer<QWidget> owner_;
    ProgramState &state_;
    std::function<void()> armTimer_;
    std::function<void()> updateMenus_;
    QPointer<TFormWait> wait_;
    std::unique_ptr<ProgressBarSink> progress_;
    int busyDepth_ = 0;
};

} // namespace ktv31
