// The program's end when a signal or the desktop session asks for it: the way "Выход" ends it.
#pragma once

#include "shell/interruptwatcher.h"

#include <QObject>
#include <QTimer>

class QSessionManager;

namespace ktv31 {

class TFormMain;

// Ends the program as "Выход" does (the running operation cut short, a call hung up, the settings
// written, the port and its lock let go) when SIGTERM, SIGHUP or SIGINT arrive (logout, shutdown,
// kill, a closed terminal, Ctrl-C) or the application is told to quit (the session manager's end
// of the session). Nobody is there to answer then: every modal dialog open or opening on the way
// out is cancelled, so a question gets "Нет" and nothing unconfirmed is written. The session
// manager's request to save its clients' data writes the settings at once.
//
// The display going away (a logout often takes it before any signal comes) makes Qt exit the
// process from inside the event loop. While an OrderlyEnd lives, Qt's last word about the
// display, or else the process's exit, ends the window first: the call is hung up, the settings
// written and the port let go, without the event loop.
class OrderlyEnd : public QObject
{
    Q_OBJECT
public:
    explicit OrderlyEnd(TFormMain &window, QObject *parent = nullptr);
    ~OrderlyEnd() override;

    // Runs the event loop until the window has closed. The exit status: the loop's, or
    // 128 + the number of the signal that ended the program.
    int exec();

private:
    void endProgram();
    void commitData(QSessionManager &manager);

    TFormMain &window_;
    InterruptWatcher interrupts_;
    QTimer dialogCanceller_;
    bool ending_ = false;
};

} // namespace ktv31
