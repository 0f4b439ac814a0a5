// The windows' side of the operator seam: message boxes, status panels, progress, file choosers,
// the wait dialog and the hourglass.
#pragma once

#include "shell/operatorseam.h"
#include "windows/statusbar.h"

#include <QPointer>
#include <QProgressBar>
#include <QWidget>

#include <functional>
#include <memory>

namespace ktv31 {

class TFormWait;

// The wait dialog's bar as the transfers' progress sink.
class ProgressBarSink : public ProgressSink
{
public:
    explicit ProgressBarSink(QProgressBar *bar) : bar_(bar) {}
    void SetMaximum(int maximum) override;
    void SetPosition(int position) override;
    int Position() const override;
    int Maximum() const override;

private:
    QPointer<QProgressBar> bar_;
    CountingProgress fallback_; // once the bar is gone
};

// Shows the core's messages through TFormQues over `owner`, its status texts in the panels of
// `statusBar`, its file choices through QFileDialog ("pod" to open, "SaveDialog1" to save) and
// its waits in TFormWait over `owner`.
class WindowOperator : public Operator
{
public:
    WindowOperator(QWidget *owner, PanelStatusBar *statusBar);
    ~WindowOperator() override;

    bool ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2) override;
    void SetStatusText(int panel, const QString &text) override;
    QString ChooseOpenFile(const FileChoice &choice) override;
    QString ChooseSaveFile(const FileChoice &choice) override;
    ProgressSink &BeginWait(WaitKind kind) override;
    void EndWait() override;
    void SetBusy(bool busy) override;
    void StatusTextsDone() override;

    // The composed result text that a kind-8 message shows first.
    void setResultText(std::function<QString()> resultText) { resultText_ = std::move(resultText); }
    // What StatusTextsDone does: the main window arms the timer that clears panel 1.
    void setStatusTextsDone(std::function<void()> done) { statusTextsDone_ = std::move(done); }
    // What the wait dialog's "Прервать" does: the main window cuts the transfer short.
    void setAbortWait(std::function<void()> abort) { abortWait_ = std::move(abort); }
    PanelStatusBar *statusBar() const { return statusBar_; }

private:
    QWidget *dialogParent() const;

    QPointer<QWidget> owner_;
    QPointer<PanelStatusBar> statusBar_;
    std::function<QString()> resultText_;
    std::function<void()> statusTextsDone_;
    std::function<void()> abortWait_;
    QPointer<TFormWait> wait_;
    std::unique_ptr<ProgressBarSink> waitProgress_;
    bool ownerDisabled_ = false;
    int busyDepth_ = 0;
};

} // namespace ktv31
