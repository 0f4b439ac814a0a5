// Messages, status texts, progress and file choices of the core, shown in the windows.
#include "windows/windowoperator.h"

#include "shell/monoclock.h"
#include "windows/question.h"
#include "windows/statusbar.h"
#include "windows/wait.h"

#include <QApplication>
#include <QFileDialog>
#include <QPointer>
#include <QProgressBar>

namespace ktv31 {
namespace {

// The chooser the core describes; the read-only box and the current folder have no counterpart
// in Qt's dialog, which never changes the current folder.
QString RunFileDialog(QWidget *parent, const FileChoice &choice, bool save)
{
    QPointer<QFileDialog> dialog = new QFileDialog(parent, choice.title, choice.initialFolder);
    dialog->setObjectName(save ? QStringLiteral("SaveDialog1") : QStringLiteral("pod"));
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters = choice.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    dialog->setNameFilters(filters);
    if (choice.filterIndex >= 1 && choice.filterIndex <= filters.size())
        dialog->selectNameFilter(filters[choice.filterIndex - 1]);
    if (save) {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        // The program asks itself before it replaces a file other than the one it offered.
        dialog->setOption(QFileDialog::DontConfirmOverwrite, !choice.confirmOverwrite);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(choice.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    }
    if (!choice.fileName.isEmpty())
        dialog->selectFile(choice.fileName);
    const bool chosen = dialog->exec() == QDialog::Accepted;
    QString path;
    if (dialog && chosen && !dialog->selectedFiles().isEmpty())
        path = dialog->selectedFiles().first();
    delete dialog;
    return path;
}

} // namespace

WindowOperator::WindowOperator(QWidget *owner, PanelStatusBar *statusBar)
    : owner_(owner), statusBar_(statusBar)
{
}

WindowOperator::~WindowOperator()
{
    EndWait();
    while (busyDepth_ > 0)
        SetBusy(false);
}

QWidget *WindowOperator::dialogParent() const
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return owner_;
}

bool WindowOperator::ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2)
{
    const QString result = resultText_ ? resultText_() : QString();
    return ktv31::ShowMessageBox(dialogParent(), kind, line1, line2, result);
}

void WindowOperator::SetStatusText(int panel, const QString &text)
{
    if (statusBar_)
        statusBar_->setPanelText(panel, text);
}

QString WindowOperator::ChooseOpenFile(const FileChoice &choice)
{
    return RunFileDialog(dialogParent(), choice, false);
}

QString WindowOperator::ChooseSaveFile(const FileChoice &choice)
{
    return RunFileDialog(dialogParent(), choice, true);
}

// Reading the whole configuration leaves the person nothing to do but wait: the window behind
// the dialog takes no input meanwhile.
ProgressSink &WindowOperator::BeginWait(WaitKind kind)
{
    EndWait();
    SetBusy(true);
    wait_ = new TFormWait(owner_);
    wait_->setMode(kind == WaitKind::ReadingTables ? TFormWait::ReadingTables
                                                   : TFormWait::WritingTables);
    QObject::connect(wait_, &TFormWait::abortRequested, wait_, [this] {
        if (abortWait_)
            abortWait_();
    });
    ownerDisabled_ = kind == WaitKind::ReadingTables && owner_;
    if (ownerDisabled_) {
        owner_->setEnabled(false);
        // A window of its own may be enabled under a disabled owner: the dialog is drawn as
        // the one thing that is live, and its button works.
        wait_->setEnabled(true);
    }
    wait_->show();
    wait_->raise();
    wait_->repaint();
    PumpEvents();
    waitProgress_ = std::make_unique<ProgressBarSink>(wait_ ? wait_->ProgressBar1() : nullptr);
    return *waitProgress_;
}

void WindowOperator::EndWait()
{
    if (!waitProgress_)
        return;
    delete wait_;
    if (ownerDisabled_ && owner_) {
        owner_->setEnabled(true);
        owner_->raise();
        owner_->activateWindow();
    }
    ownerDisabled_ = false;
    SetBusy(false);
    // The sink is the caller's until here; the bar it drove is gone.
    waitProgress_.reset();
}

void WindowOperator::SetBusy(bool busy)
{
    if (busy) {
        ++busyDepth_;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busyDepth_ > 0) {
        --busyDepth_;
        QApplication::restoreOverrideCursor();
    }
}

void WindowOperator::StatusTextsDone()
{
    if (statusTextsDone_)
        statusTextsDone_();
}

void ProgressBarSink::SetMaximum(int maximum)
{
    fallback_.SetMaximum(maximum);
    if (bar_)
        bar_->setMaximum(maximum);
}

void ProgressBarSink::SetPosition(int position)
{
    fallback_.SetPosition(position);
    if (bar_)
        bar_->setValue(position);
}

int ProgressBarSink::Position() const
{
    return fallback_.Position();
}
int ProgressBarSink::Maximum() const
{
    return fallback_.Maximum();
}

} // namespace ktv31
