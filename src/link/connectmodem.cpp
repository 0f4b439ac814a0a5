// The modem dialogue on the port: commands and answer lines, the reset, dialling, hang-up.
// hang-up.
#include "link/connectmodem.h"

#include "link/serialport.h"
#include "shell/cp1251.h"
#include "shell/exchangelog.h"
#include "shell/monoclock.h"
#include "shell/operation.h"

#include <algorithm>
#include <array>

Q_LOGGING_CATEGORY(lcModem, "ktv31.modem", QtWarningMsg)

namespace ktv31 {
namespace {

constexpr int kPreWritePauseMs = 2;
constexpr int kMinWaitS = 1;
constexpr int kMaxWaitS = 360;
constexpr int kMinAttempts = 1;
constexpr int kMaxAttempts = 10;
constexpr int kResetTries = 2;

const QByteArray kHangUpEscape = QByteArrayLiteral("+++");
const QByteArray kHangUpCommand("ath\r\0", 5);
const QByteArray kBreakOff = QByteArrayLiteral("\r");
const QByteArray kOnHook = QByteArrayLiteral("ATH\r");

const QString kEchoOff = QStringLiteral("ATE0\r");
const QString kVerbalCodes = QStringLiteral("ATV1\r");
const QString kEscape = QStringLiteral("+++");

bool IsCancelled(const DialCancel *cancel)
{
    return cancel && cancel->isCancelled();
}

// Every byte string the modem is sent goes through here, so the exchange log sees them all.
bool WriteToModem(SerialPort *port, const QByteArray &bytes)
{
    qCDebug(lcModem) << "->" << bytes;
    LogExchange(LogLineKind::ModemCommand, bytes);
    return port->write(bytes);
}

void ShowStatus(const StatusPanel &panel, const QString &text)
{
    if (!panel)
        return;
    panel.setText(text);
    PumpEvents();
}

QString CommandStatus(const QString &command)
{
    return QStringLiteral("Установление связи по телефону. Команда %1.").arg(command);
}

QString AnswerStatus(const QString &command, const QByteArray &answer)
{
    return QStringLiteral("Установление связи по телефону. Команда %1.  Ответ %2")
        .arg(command, fromCp1251(answer));
}

QString ShortenedInitStatus()
{
    return QStringLiteral("Установление связи по телефону. Строка инициализации сокращена: "
                          "выполняются первые %1 команд не длиннее %2 символов.")
        .arg(MaxInitCommands)
        .arg(MaxInitCommandLength);
}

// One answer line: bytes before the first CR or LF are dropped (an echo of the command), the
// line break that starts the line is kept. Bytes behind the line stay in the port.
// Between bytes it sleeps in the event loop until more arrive, the deadline passes, the line is
// lost or dropped, or the dialling is cancelled; the watch is set up once for all those waits.
DialResult CollectAnswerLine(SerialPort *port, DialCancel *cancel, qint64 deadlineNs,
                             QByteArray &line)
{
    line.clear();
    WakeSources wake;
    wake.on(port, &SerialPort::deviceLost).when([port, cancel] {
        return port->bytesAvailable() > 0 || port->isDropped() || IsCancelled(cancel);
    });
    for (;;) {
        if (IsCancelled(cancel))
            return DialResult::Cancelled;
        while (port->bytesAvailable() > 0) {
            const QByteArray next = port->read(1);
            if (next.isEmpty())
                break;
            if (line.isEmpty() && !IsLineBreak(next.at(0)))
                continue;
            line.append(next);
            if (LineComplete(line))
                return DialResult::Ok;
        }
        // A lost line answers nothing more; waiting out the deadline would only delay the news.
        if (port->isGone() || NowNs() >= deadlineNs)
            return DialResult::AnswerTimeout;
        WaitUntil(deadlineNs, wake);
    }
}

// A fixed pause that keeps the windows alive; false when the dialling was cancelled or the line
// went away meanwhile.
bool Pause(int ms, const DialCancel *cancel, const SerialPort *port)
{
    return PauseWithEvents(ms, [cancel, port] { return IsCancelled(cancel) || IsGone(port); });
}

// The result of a pause that did not run to its end.
DialResult Interrupted(const DialCancel *cancel, DialResult whenGone)
{
    return IsCancelled(cancel) ? DialResult::Cancelled : whenGone;
}

// Walks the reset through its steps: escape, echo off once more, verbal codes.
class ModemReset
{
public:
    ModemReset(SerialPort *port, const StatusPanel &panel, DialCancel *cancel,
               const ModemTiming &timing)
        : port_(port), panel_(panel), cancel_(cancel), timing_(timing)
    {
    }

    DialResult run();

private:
    enum class Step
    {
        Escape,
        EchoOffAgain,
        VerbalCodes
    };

    DialResult send(const QString &command, bool withPanel)
    {
        return SendModemCommand(port_, command, answer_, timing_.resetAnswerMs, cancel_,
                                withPanel ? panel_ : StatusPanel{});
    }

    SerialPort *port_;
    const StatusPanel &panel_;
    DialCancel *cancel_;
    const ModemTiming &timing_;
    QByteArray answer_;
};

DialResult ModemReset::run()
{
    int tries = kResetTries;
    bool escaped = false;
    DialResult code = send(kEchoOff, true);
    if (code != DialResult::Ok && code != DialResult::AnswerTimeout)
        return code;
    Step step =
        (code == DialResult::Ok && ResetAnswerAccepted(answer_)) ? Step::VerbalCodes : Step::Escape;
    for (;;) {
        switch (step) {
        case Step::Escape:
            if (!Pause(timing_.escapeGuardMs, cancel_, port_))
                return Interrupted(cancel_, DialResult::NoModem);
            escaped = false;
            code = send(kEscape, false);
            if (code != DialResult::Ok)
                return code == DialResult::AnswerTimeout ? DialResult::NoModem : code;
            escaped = ResetAnswerAccepted(answer_);
            step = Step::EchoOffAgain;
            break;
        case Step::EchoOffAgain:
            if (!Pause(timing_.escapeGuardMs, cancel_, port_))
                return Interrupted(cancel_, DialResult::AnswerTimeout);
            code = send(kEchoOff, false);
            if (code != DialResult::Ok)
                return code;
            if (ResetAnswerAccepted(answer_))
                return DialResult::Ok;
            step = Step::VerbalCodes;
            break;
        case Step::VerbalCodes:
            code = send(kVerbalCodes, true);
            if (code != DialResult::Ok)
                return code;
            // A modem that answers, only not recognisably, is dialled all the same.
            if (ResetAnswerAccepted(answer_) || --tries <= 0)
                return DialResult::Ok;
            step = escaped ? Step::EchoOffAgain : Step::Escape;
            break;
        }
    }
}

// One dialling after the reset: the attempts of initialisation commands and dial command.
class Dialler
{
public:
    Dialler(SerialPort *port, DialCancel *cancel, const StatusPanel &panel, int waitMs,
            const ModemTiming &timing)
        : port_(port), cancel_(cancel), panel_(panel), waitMs_(waitMs), timing_(timing)
    {
    }

    DialResult run(const QStringList &initCommands, const QString &dialCommand, int attempts);
    bool connected() const { return connected_; }

private:
    DialResult sendInitCommands(const QStringList &initCommands);
    DialResult dialOnce(const QString &dialCommand);

    SerialPort *port_;
    DialCancel *cancel_;
    const StatusPanel &panel_;
    int waitMs_;
    const ModemTiming &timing_;
    QByteArray answer_;
    bool connected_ = false;
};

DialResult Dialler::run(const QStringList &initCommands, const QString &dialCommand, int attempts)
{
    for (int left = attempts;;) {
        DialResult code = sendInitCommands(initCommands);
        if (code == DialResult::Ok)
            code = dialOnce(dialCommand);
        // A cancel is the operator's decision, never a reason for another attempt; a line that
        // is gone gives no other answer the next time.
        if (code == DialResult::Ok || code == DialResult::Cancelled || IsGone(port_) || --left <= 0)
            return code;
    }
}

DialResult Dialler::sendInitCommands(const QStringList &initCommands)
{
    for (const QString &command : initCommands) {
        PumpEvents();
        const DialResult code = SendModemCommand(port_, command, answer_, waitMs_, cancel_, panel_);
        if (code != DialResult::Ok)
            return code;
        if (!IsOk(answer_))
            return DialResult::NotConnected;
        if (!Pause(timing_.afterAcceptMs, cancel_, port_))
            return Interrupted(cancel_, DialResult::AnswerTimeout);
    }
    return DialResult::Ok;
}

DialResult Dialler::dialOnce(const QString &dialCommand)
{
    PumpEvents();
    const DialResult code = SendModemCommand(port_, dialCommand, answer_, waitMs_, cancel_, panel_);
    if (code != DialResult::Ok)
        return code;
    if (!IsConnect(answer_))
        return DialResult::NotConnected;
    connected_ = true;
    if (!Pause(timing_.afterAcceptMs, cancel_, port_))
        return Interrupted(cancel_, DialResult::AnswerTimeout);
    return DialResult::Ok;
}

// After a cancel the modem may be in the middle of a dial: any character breaks it off (and
// puts the modem on hook), "ATH" makes sure of it. A call that already connected needs the
// full escape to be dropped.
void LeaveOnHook(SerialPort *port, bool connected, const ModemTiming &timing)
{
    if (IsGone(port))
        return;
    if (connected) {
        HangUp(port, timing);
        return;
    }
    qCDebug(lcModem) << "cancelled: breaking off";
    WriteToModem(port, kBreakOff);
    if (PauseWithEvents(timing.abortSettleMs, [port] { return port->isGone(); }))
        WriteToModem(port, kOnHook);
}

// For the length of a dialling a cancel also ends a command that is still draining to the modem.
class CancelEndsWrites
{
public:
    CancelEndsWrites(DialCancel *cancel, SerialPort *port)
    {
        if (cancel && port)
            connection_ = QObject::connect(cancel, &DialCancel::cancelRequested, port,
                                           &SerialPort::interruptWrite);
    }
    ~CancelEndsWrites() { QObject::disconnect(connection_); }
    CancelEndsWrites(const CancelEndsWrites &) = delete;
    CancelEndsWrites &operator=(const CancelEndsWrites &) = delete;

private:
    QMetaObject::Connection connection_;
};

} // namespace

void DialCancel::cancel()
{
    cancelled_ = true;
    emit cancelRequested();
}

DialResult SendModemCommand(SerialPort *port, const QString &command, QByteArray &answer,
                            int timeoutMs, DialCancel *cancel, const StatusPanel &panel)
{
    OperationScope operation;
    SerialPort::Use use(port);
    CancelEndsWrites cancelEndsWrite(cancel, port);
    answer.clear();
    ShowStatus(panel, CommandStatus(command));
    PumpEvents();
    if (IsCancelled(cancel)) {
        answer = CancelAnswer;
        return DialResult::Cancelled;
    }
    if (IsGone(port))
        return DialResult::AnswerTimeout;
    // What is still waiting is the rest of an earlier answer (the LF behind its CR, a late
    // reply); left there it would be taken for the answer to this command.
    port->purge();
    SleepFor(kPreWritePauseMs);
    if (!WriteToModem(port, toCp1251(command))) {
        if (!IsCancelled(cancel))
            return DialResult::AnswerTimeout;
        answer = CancelAnswer;
        return DialResult::Cancelled;
    }
    const qint64 deadline = NowNs() + MsToNs(std::max(timeoutMs, 0));
    const DialResult code = CollectAnswerLine(port, cancel, deadline, answer);
    qCDebug(lcModem) << "<-" << answer << "result" << DialResultNumber(code);
    // What really came, also a line cut short by the deadline; never the stand-in of a cancel.
    if (!answer.isEmpty())
        LogExchange(LogLineKind::ModemAnswer, answer);
    if (code == DialResult::Cancelled) {
        answer = CancelAnswer;
        return code;
    }
    if (code != DialResult::Ok)
        return code;
    ShowStatus(panel, AnswerStatus(command, answer));
    return ClassifyModemAnswer(answer);
}

DialResult ResetModem(SerialPort *port, const StatusPanel &panel, DialCancel *cancel,
                      const ModemTiming &timing)
{
    OperationScope operation;
    SerialPort::Use use(port);
    return ModemReset(port, panel, cancel, timing).run();
}

DialResult Dial(SerialPort *port, const QString &number, const QString &initString,
                DialCancel *cancel, const StatusPanel &panel, int attempts, int waitS,
                const ModemTiming &timing)
{
    OperationScope operation;
    SerialPort::Use use(port);
    DialResult code = ResetModem(port, panel, cancel, timing);
    bool connected = false;
    if (code == DialResult::Ok) {
        const InitCommands init = SplitInitString(initString);
        if (init.shortened) {
            qCWarning(lcModem) << "initialisation string shortened to" << init.commands;
            ShowStatus(panel, ShortenedInitStatus());
        }
        const QString dialCommand =
            QStringLiteral("ATD") + StripDialSeparators(number) + QStringLiteral("\r");
        if (!Pause(timing.beforeInitMs, cancel, port)) {
            code = Interrupted(cancel, DialResult::AnswerTimeout);
        } else {
            const int waitMs = std::clamp(waitS, kMinWaitS, kMaxWaitS) * timing.msPerWaitSecond;
            Dialler dialler(port, cancel, panel, waitMs, timing);
            code = dialler.run(init.commands, dialCommand,
                               std::clamp(attempts, kMinAttempts, kMaxAttempts));
            connected = dialler.connected();
        }
    }
    if (code == DialResult::Cancelled)
        LeaveOnHook(port, connected, timing);
    LogExchange(LogLineKind::Result, DialResultText(code));
    return code;
}

void HangUp(SerialPort *port, const ModemTiming &timing)
{
    if (!port)
        return;
    OperationScope operation;
    SerialPort::Use use(port);
    const auto gone = [port] { return port->isGone(); };
    if (!PauseWithEvents(timing.hangUpPauseMs, gone))
        return;
    WriteToModem(port, kHangUpEscape);
    if (!PauseWithEvents(timing.hangUpPauseMs, gone))
        return;
    WriteToModem(port, kHangUpCommand);
}

} // namespace ktv31
