// Ctrl-C, termination and hang-up, delivered through the event loop instead of killing the process.
#pragma once

#include <QObject>

namespace ktv31 {

// What asked the program to stop; each ends it with its own exit status.
enum class InterruptKind
{
    Interrupt, // SIGINT, Ctrl-C
    Terminate, // SIGTERM: logout, shutdown, kill; Ctrl-Break on Windows
    HangUp,    // SIGHUP: the terminal closed, the SSH session dropped; console close on Windows
};

// The exit status of a run that `kind` ended: 128 + the signal's number, as a shell reports a
// process that the signal killed.
constexpr int ExitStatusOf(InterruptKind kind)
{
    switch (kind) {
    case InterruptKind::Terminate:
        return 128 + 15;
    case InterruptKind::HangUp:
        return 128 + 1;
    case InterruptKind::Interrupt:
        break;
    }
    return 128 + 2;
}

// While one exists, SIGINT, SIGTERM and SIGHUP (Ctrl-C, Ctrl-Break and console close on
// Windows) no longer end the process: the handler only records the request, and interrupted()
// is emitted when the event loop next runs, so that an exchange or a dialling can end cleanly
// and the line be hung up. One at a time.
class InterruptWatcher : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    int requests() const { return requests_; }
    // The first request's kind; meaningful once requests() > 0.
    InterruptKind firstKind() const { return firstKind_; }
    // `status` unless a request came: then the first request's exit status.
    int exitStatus(int status) const { return requests_ ? ExitStatusOf(firstKind_) : status; }

signals:
    void interrupted();

private:
    friend void DeliverInterrupt(InterruptWatcher *watcher, InterruptKind kind);
    void deliver(InterruptKind kind);

    int requests_ = 0;
    InterruptKind firstKind_ = InterruptKind::Interrupt;
};

// The platform part: installs and removes the handlers for `watcher`.
void InstallInterruptHandlers(InterruptWatcher *watcher);
void RemoveInterruptHandlers();
void DeliverInterrupt(InterruptWatcher *watcher, InterruptKind kind);

} // namespace ktv31
