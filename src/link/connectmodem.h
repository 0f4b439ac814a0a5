// The modem dialogue: AT commands and their answers, modem reset, dialling with retries, hang-up.
#pragma once

#include "link/modemanswers.h"
#include "shell/operatorseam.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <QStringList>

Q_DECLARE_LOGGING_CATEGORY(lcModem)

namespace ktv31 {

class SerialPort;

// The fixed waits of the dialogue. The defaults are the real ones; tests shorten them.
struct ModemTiming
{
    int resetAnswerMs = 5000;   // deadline of each command of the reset
    int escapeGuardMs = 1200;   // silence before and after "+++"
    int beforeInitMs = 2000;    // between the reset and the first initialisation command
    int afterAcceptMs = 200;    // after each accepted initialisation command and after CONNECT
    int hangUpPauseMs = 2500;   // before "+++" and before "ath" when hanging up
    int abortSettleMs = 150;    // after the CR that breaks off a dial in progress
    int msPerWaitSecond = 1000; // one second of the configured connection wait
};

// Cancels a running dialling. Every wait of the dialogue watches it, so a cancel ends the
// dialling with DialResult::Cancelled within a fraction of a second in whatever phase it is.
// Use it from the thread that dials (the user-interface thread: a key handler or a timer), and
// reset() it before each dialling. The windows map the Esc key to it with one line:
//   connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, &dialCancel,
//           &DialCancel::cancel);
class DialCancel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    bool isCancelled() const { return cancelled_; }
    void reset() { cancelled_ = false; }
    void cancel();

signals:
    void cancelRequested();

private:
    bool cancelled_ = false;
};

// Sends one command (Windows-1251, carrying its own CR where the modem needs one) and collects
// one answer line into `answer` (at most MaxAnswerLength bytes, the leading line break
// included). A null `cancel` or `panel` is allowed.
DialResult SendModemCommand(SerialPort *port, const QString &command, QByteArray &answer,
                            int timeoutMs, DialCancel *cancel, const StatusPanel &panel);

// Brings the modem into command state with echo off and verbal result codes.
DialResult ResetModem(SerialPort *port, const StatusPanel &panel, DialCancel *cancel = nullptr,
                      const ModemTiming &timing = ModemTiming{});

// Resets the modem, sends the initialisation commands and dials `number`, `attempts` times at
// most, each command waiting `waitS` seconds for its answer. A cancelled dialling leaves the
// modem on hook.
DialResult Dial(SerialPort *port, const QString &number, const QString &initString,
                DialCancel *cancel, const StatusPanel &panel, int attempts, int waitS,
                const ModemTiming &timing = ModemTiming{});

// Ends the call: the escape sequence framed by pauses, then "ath". Reads nothing.
void HangUp(SerialPort *port, const ModemTiming &timing = ModemTiming{});

} // namespace ktv31
