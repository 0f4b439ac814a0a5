// The exchange engine: one request/answer transaction with the controller, with retries.
#pragma once

#include "protocol/controllercodes.h"
#include "protocol/framing.h"
#include "shell/operatorseam.h"

#include <QLoggingCategory>
#include <QString>

#include <array>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcFrames)

namespace ktv31 {

class SerialPort;

// Controller error codes the engine itself interprets.
constexpr quint8 ErrorValveSwitching = 24;
constexpr quint8 ErrorDestroyedTable = 60;

struct ExchangeMessages
{
    std::array<QString, ResultCount> results; // codes 8, 13 and 18 are composed at run time
    std::array<QString, 65> errors;           // the controller's error codes 0..64
    std::array<QString, 52> reasons;          // valve-switching refusal reasons 0..51

    QString &result(Result code) { return results[size_t(ResultNumber(code))]; }
    const QString &result(Result code) const { return results[size_t(ResultNumber(code))]; }
};

struct ExchangeSession
{
    FrameBuffer TxBuffer{};
    FrameBuffer RxBuffer{};
    SerialPort *PortHandle = nullptr;
    quint8 Address = 0;
    qint32 Speed = 1200;
    quint8 PreambleCount = 0;
    std::array<quint8, UserNameSize> UserName{};
    std::array<quint8, PasswordSize> Password{};
    qint32 NextByteWaitMs = 10;
    qint32 FirstByteWaitMs = 2000;
    qint32 RtsPauseMs = 2;
    quint8 Attempts = 2;
    ExchangeMessages Messages;
    Result ResultCode = Result::Ok;
    ::ktv31::StatusPanel StatusPanel;
    quint64 CounterFrequency = 1000000000; // the monotonic clock counts nanoseconds
    QString MessageBuffer;
    quint8 LastFunctionCode = 0;

    // An abort asked for (RequestAbort) that no exchange has taken yet.
    bool abortPending() const { return engine_.abort; }

private:
    friend struct EngineAccess;
    // The engine's own: the abort asked for, the running exchange and its port, so that a second
    // exchange is refused and an abort also ends a write that is still draining. Every wait of
    // the exchange watches the abort and the port, so they end at once.
    struct EngineState
    {
        bool abort = false;
        bool running = false;
        SerialPort *activePort = nullptr;
    } engine_;
};

void InitExchangeSession(ExchangeSession &session, quint8 address);
void ResetCredentials(ExchangeSession &session);

// One complete exchange with retries; true exactly when ResultCode is Ok afterwards. An abort
// ends the whole exchange with Result::Aborted: no further attempt runs.
bool Exchange(ExchangeSession &session, quint8 function, const quint8 *data, int dataLength,
              quint8 extraByte);
// The same, returning the result code. While another exchange on the session runs (a handler
// called from one of its waits), it returns Result::Busy and leaves the session untouched, so
// that the running exchange's result stands.
Result RunExchange(ExchangeSession &session, quint8 function, const quint8 *data, int dataLength,
                   quint8 extraByte);
bool ExchangeRunning(const ExchangeSession &session);

// Sets the abort flag and ends at once whatever the running exchange is waiting for: the RTS
// pause, the drain of its request, the transmission time or the answer.
void RequestAbort(ExchangeSession &session);
// Drops an abort asked for after the last exchange it was meant for had ended, so that it cannot
// end the first exchange of the next command. Nothing happens while an exchange runs.
void DropPendingAbort(ExchangeSession &session);

// "Команда N.  <text of the result>", with the destroyed table's number after a refusal of
// error 60.
QString ResultText(ExchangeSession &session);
// The same text, leaving MessageBuffer alone.
QString ComposeResultText(const ExchangeSession &session);
// The text of an operation cut short, for the last command sent (the table command when none
// was), whatever result the session holds.
QString AbortedText(const ExchangeSession &session);

} // namespace ktv31
