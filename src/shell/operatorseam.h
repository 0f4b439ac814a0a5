// The operator seam: every message, question, status text, progress step and file choice of the
// core.
#pragma once

#include "shell/messagebox.h"

#include <QString>

namespace ktv31 {

// The panels of the main window's status bar that the core writes to.
namespace Panel {
enum : int
{
    Link = 0,     // " COM1,   1200 бит/с"
    Step = 1,     // the progress and results of the current operation
    Exchange = 2, // the exchange engine's "Обмен..."
};
} // namespace Panel

// What a file chooser is asked to show. An empty answer means the operator cancelled.
struct FileChoice
{
    QString title;
    QString initialFolder;
    QString fileName;
    QString filter; // entries "Text (*.ext)" separated by ";;"
    int filterIndex = 1;
    bool mustExist = false;
    bool hideReadOnly = false;
    bool keepCurrentDir = false;
    bool confirmOverwrite = false;
};

// The progress bar of the wait dialog, or a terminal's equivalent.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void SetMaximum(int maximum) = 0;
    virtual void SetPosition(int position) = 0;
    virtual int Position() const = 0;
    virtual int Maximum() const = 0;
};

// A progress sink that only remembers; for callers that show no bar.
class CountingProgress : public ProgressSink
{
public:
    void SetMaximum(int maximum) override { maximum_ = maximum; }
    void SetPosition(int position) override { position_ = position; }
    int Position() const override { return position_; }
    int Maximum() const override { return maximum_; }

private:
    int maximum_ = 0;
    int position_ = 0;
};

// What the wait dialog says the program waits for.
enum class WaitKind
{
    WritingTables, // chosen tables written into the controller; the program stays usable
    ReadingTables, // the whole configuration read; nothing else can be done meanwhile
};

class Operator
{
public:
    virtual ~Operator() = default;

    // Shows a message of the given kind; true only when the operator answered "Да".
    virtual bool ShowMessageBox(MessageBoxKind kind, const QString &line1,
                                const QString &line2) = 0;
    // Status panels by index (Panel).
    virtual void SetStatusText(int panel, const QString &text) = 0;
    virtual QString ChooseOpenFile(const FileChoice &choice) = 0;
    virtual QString ChooseSaveFile(const FileChoice &choice) = 0;

    // A note that asks nothing and needs no box: on the progress panel in the windows, a line of
    // its own in a terminal.
    virtual void Note(const QString &text) { SetStatusText(Panel::Step, text); }
    // The wait dialog over a long transfer, with the hourglass; its bar is the progress sink until
    // EndWait.
    virtual ProgressSink &BeginWait(WaitKind) { return waitProgress_; }
    virtual void EndWait() {}
    // The hourglass; calls nest.
    virtual void SetBusy(bool) {}
    // The texts an operation left on the progress panel may go now: the windows clear them a
    // few seconds later.
    virtual void StatusTextsDone() {}

private:
    CountingProgress waitProgress_;
};

// The hourglass for the length of a scope, whatever way the scope is left.
class BusyScope
{
public:
    explicit BusyScope(Operator &op) : op_(op) { op_.SetBusy(true); }
    ~BusyScope() { op_.SetBusy(false); }
    BusyScope(const BusyScope &) = delete;
    BusyScope &operator=(const BusyScope &) = delete;

private:
    Operator &op_;
};

// A reference to one status panel, or none.
struct StatusPanel
{
    Operator *op = nullptr;
    int index = 0;

    explicit operator bool() const { return op != nullptr; }
    void setText(const QString &text) const
    {
        if (op)
            op->SetStatusText(index, text);
    }
};

} // namespace ktv31
