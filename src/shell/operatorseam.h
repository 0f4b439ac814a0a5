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

} // namespace ktv31
