// Ctrl-C and termination requests, delivered through the event loop instead of killing the tool.
#pragma once

#include <QObject>

namespace ktv31::cli {

// While one exists, SIGINT and SIGTERM (Ctrl-C, Ctrl-Break and console close on Windows) no
// longer end the process: the handler only records the request, and interrupted() is emitted
// when the event loop next runs, so that an exchange or a dialling can end cleanly and the
// line be hung up.
class InterruptWatcher : public QObject
{
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject *parent = nullptr);
    ~InterruptWatcher() override;

    int requests() const { return requests_; }

signals:
    void interrupted();

private:
    friend void DeliverInterrupt(InterruptWatcher *watcher);
    void deliver();

    int requests_ = 0;
};

// The platform part: installs and removes the handlers for `watcher`.
void InstallInterruptHandlers(InterruptWatcher *watcher);
void RemoveInterruptHandlers();
void DeliverInterrupt(InterruptWatcher *watcher);

} // namespace ktv31::cli
