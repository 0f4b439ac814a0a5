// The exchange engine: frame building, the send/receive transaction, retries and refusal decoding.
#include "protocol/exchangeengine.h"

#include "link/serialport.h"
#include "protocol/controllercodes.h"
#include "shell/exchangelog.h"
#include "shell/hexbytes.h"
#include "shell/monoclock.h"
#include "shell/operation.h"

#include <algorithm>

Q_LOGGING_CATEGORY(lcFrames, "ktv31.frames", QtWarningMsg)

namespace ktv31 {
// The engine's own state of a session, reached only from this file.
struct EngineAccess
{
    static auto &of(ExchangeSession &session) { return session.engine_; }
    static const auto &of(const ExchangeSession &session) { return session.engine_; }
};

namespace {

auto &Engine(ExchangeSession &session)
{
    return EngineAccess::of(session);
}

const auto &Engine(const ExchangeSession &session)
{
    return EngineAccess::of(session);
}

constexpr quint8 kBlank = 0x20;
constexpr int kIdentifierAt = FrameOffset::RequestIdentifier;
constexpr int kEchoedIdentifierAt = FrameOffset::EchoedIdentifier;
constexpr int kRequestIdentifierFunction = RequestIdentifierFunction;
constexpr int kTableFunctionLength = 21;
// Pauses longer than this keep the event loop running instead of sleeping.
constexpr qint64 kLongPauseNs = MsToNs(20);
constexpr qint64 kWakeMarginNs = MsToNs(2);

int TimingSpeed(int speed)
{
    return std::clamp(speed, 110, 256000);
}

// Transmission time of n bytes plus one, at ten bit times a byte; the reciprocal of the speed is
// taken in single precision, as the controller's own timing tables assume.
qint64 TransmissionNs(int byteCount, int speed, quint64 frequency)
{
    const float perBit = 1.0f / float(TimingSpeed(speed));
    return qint64(double(byteCount + 1) * 10.0 * double(perBit) * double(frequency));
}

QByteArray FrameBytes(const FrameBuffer &buffer, int length)
{
    return QByteArray(reinterpret_cast<const char *>(buffer.data()), length);
}

// One attempt: send the request, collect and judge the answer. The port is the one the
// exchange holds a Use of, so it stays a valid object even if it is dropped meanwhile.
class Transaction
{
public:
    // The wake sources are set up once for all the waits of the attempt: a lost port stays lost,
    // so a loss seen by one wait ends every later one too.
    Transaction(ExchangeSession &session, SerialPort *port, int frameLength)
        : s_(session), port_(port), frameLength_(frameLength)
    {
        wake_.on(port_, &SerialPort::deviceLost).when([this] {
            return Engine(s_).abort || port_->isDropped() ||
                   (wakeOnData_ && port_->bytesAvailable() > 0);
        });
    }

    Result run();

private:
    Result send();
    bool interrupted() const { return Engine(s_).abort || IsGone(port_); }
    Result interruptedResult(Result goneResult);
    bool waitUntil(qint64 deadlineNs, bool wakeOnData);
    Result receive();
    Result judge();
    void decodeRefusal();
    void trace(LogLineKind kind, const QByteArray &bytes) const;

    ExchangeSession &s_;
    SerialPort *port_;
    int frameLength_;
    QByteArray arrived_;
    WakeSources wake_;
    bool wakeOnData_ = false; // whether the current wait ends when bytes arrive
};

Result Transaction::run()
{
    PumpEvents();
    if (Engine(s_).abort) {
        Engine(s_).abort = false;
        return Result::Aborted;
    }
    if (s_.TxBuffer[FrameOffset::Start] != RequestStartSymbol)
        return Result::BadStartSymbol;
    Result result = send();
    if (result == Result::Ok)
        result = receive();
    if (result == Result::Ok)
        result = judge();
    if (!arrived_.isEmpty())
        trace(LogLineKind::Received, arrived_);
    // Also drops what an aborted request still had to send.
    if (!IsGone(port_))
        port_->purge();
    return result;
}

// An abort wins over a port that went away at the same time: the operator asked for it.
Result Transaction::interruptedResult(Result goneResult)
{
    if (Engine(s_).abort) {
        Engine(s_).abort = false;
        return Result::Aborted;
    }
    return goneResult;
}

Result Transaction::send()
{
    QByteArray output(s_.PreambleCount, char(PreambleByte));
    output.append(FrameBytes(s_.TxBuffer, frameLength_));
    if (IsGone(port_))
        return Result::WriteFailed;
    if (port_->speed() != s_.Speed)
        port_->setSpeed(s_.Speed);
    port_->purge();
    port_->setDtr(true);
    port_->setRts(true);
    if (!waitUntil(NowNs() + MsToNs(std::clamp(s_.RtsPauseMs, 0, 1000)), false)) {
        if (!IsGone(port_))
            port_->setRts(false);
        return interruptedResult(Result::WriteFailed);
    }

    const qint64 t0 = NowNs();
    const qint64 transmission = TransmissionNs(int(output.size()), s_.Speed, s_.CounterFrequency);
    trace(LogLineKind::Sent, output);
    if (!port_->write(output)) {
        if (!IsGone(port_))
            port_->clearErrors();
        return interruptedResult(Result::WriteFailed);
    }
    const bool transmitted = waitUntil(t0 + transmission, false);
    if (!IsGone(port_))
        port_->setRts(false);
    // The request is out: a line that goes away now has failed the answer, not the write.
    return transmitted ? Result::Ok : interruptedResult(Result::ReadFailed);
}

// Waits until the deadline; with wakeOnData it also returns when bytes arrive. False when an
// abort or a lost or dropped port ended the wait. Short waits sleep; long ones keep the windows
// alive, end at once on an abort and sleep only through their last moments, so that the RTS
// drop stays exact.
bool Transaction::waitUntil(qint64 deadlineNs, bool wakeOnData)
{
    if (interrupted())
        return false;
    if (!wakeOnData && deadlineNs - NowNs() <= kLongPauseNs) {
        SleepUntil(deadlineNs);
        return !interrupted();
    }
    wakeOnData_ = wakeOnData;
    WaitUntil(wakeOnData ? deadlineNs : deadlineNs - kWakeMarginNs, wake_);
    if (interrupted())
        return false;
    if (!wakeOnData)
        SleepUntil(deadlineNs);
    return true;
}

Result Transaction::receive()
{
    const qint64 firstByteDeadline = NowNs() + MsToNs(s_.FirstByteWaitMs);
    const qint64 gap = MsToNs(s_.NextByteWaitMs);
    qint64 lastByteAt = 0;
    AnswerReceiver receiver(s_.RxBuffer, s_.Address);
    for (;;) {
        if (Engine(s_).abort) {
            Engine(s_).abort = false;
            return Result::Aborted;
        }
        if (IsGone(port_))
            return Result::ReadFailed;
        const QByteArray chunk = port_->read(FrameBufferSize);
        if (!chunk.isEmpty()) {
            for (int i = 0; i < chunk.size(); ++i) {
                if (receiver.feed(quint8(chunk[i]))) {
                    arrived_.append(chunk.left(i + 1));
                    return Result::Ok;
                }
            }
            arrived_.append(chunk);
            lastByteAt = NowNs();
        }
        const qint64 now = NowNs();
        const qint64 wakeAt = receiver.answerBegun() ? lastByteAt + gap : firstByteDeadline;
        if (now > wakeAt)
            return receiver.answerBegun() ? Result::AnswerIncomplete : Result::NoAnswer;
        if (port_->bytesAvailable() == 0)
            waitUntil(wakeAt + 1, true);
    }
}

Result Transaction::judge()
{
    switch (CheckAnswer(s_.RxBuffer, s_.TxBuffer[FrameOffset::Function])) {
    case AnswerCheck::Accepted:
        return Result::Ok;
    case AnswerCheck::BadCrc:
        return Result::BadCrc;
    case AnswerCheck::Refused:
        break;
    }
    decodeRefusal();
    return s_.RxBuffer[FrameOffset::ErrorCode] == ErrorValveSwitching ? Result::ValveRefused
                                                                      : Result::Refused;
}

void Transaction::decodeRefusal()
{
    const int error = s_.RxBuffer[FrameOffset::ErrorCode];
    if (error == ErrorValveSwitching) {
        const int reason = s_.RxBuffer[FrameOffset::Reason];
        s_.Messages.result(Result::ReasonText) =
            reason < int(s_.Messages.reasons.size())
                ? s_.Messages.reasons[size_t(reason)]
                : QStringLiteral("Код причины в ответе %1").arg(reason);
        return;
    }
    if (error >= 1 && error < int(s_.Messages.errors.size()))
        s_.MessageBuffer = s_.Messages.errors[size_t(error)];
    else
        s_.MessageBuffer = QStringLiteral("Код ошибки = %1").arg(error);
    s_.Messages.result(Result::Refused) = s_.MessageBuffer;
}

// Every frame goes to the protocol trace and to whoever watches the exchange's lines (the log,
// a monitor, the tool's --trace).
void Transaction::trace(LogLineKind kind, const QByteArray &bytes) const
{
    qCDebug(lcFrames).noquote() << (kind == LogLineKind::Sent ? "TX" : "RX") << HexBytes(bytes);
    LogExchange(kind, bytes);
}

// A port that is gone takes no further attempt. What the loss cost is told as the lost line,
// but a complete answer that came before it keeps its verdict: a refusal is still the
// controller's word.
bool EndedByLostPort(ExchangeSession &s, SerialPort *port)
{
    if (!IsGone(port))
        return false;
    const bool answered = s.ResultCode == Result::BadCrc || s.ResultCode == Result::Refused ||
                          s.ResultCode == Result::ValveRefused;
    if (!answered)
        s.ResultCode = Result::LineLost;
    return true;
}

bool TransactWithRequestIdentifier(ExchangeSession &s, SerialPort *port)
{
    int id = s.TxBuffer[kIdentifierAt] >> 6;
    for (int n = std::max<int>(s.Attempts, 1); n > 0; --n) {
        SealFrame(s.TxBuffer, kTableFunctionLength);
        s.ResultCode = Transaction(s, port, kTableFunctionLength).run();
        if (s.ResultCode == Result::Ok || s.ResultCode == Result::Aborted ||
            EndedByLostPort(s, port) || n == 1)
            break;
        id = (id + 1) % 4;
        s.TxBuffer[kIdentifierAt] = quint8((s.TxBuffer[kIdentifierAt] & 0x3F) | (id << 6));
    }
    if (s.ResultCode != Result::Ok)
        return false;
    const int echoed = s.RxBuffer[kEchoedIdentifierAt] >> 6;
    if (echoed != id) {
        s.Messages.result(Result::IdentifierMismatch) =
            ResultCodeText(Result::IdentifierMismatch)
                .replace(QStringLiteral("%d->%d"), QStringLiteral("%1->%2"))
                .arg(id)
                .arg(echoed);
        s.ResultCode = Result::IdentifierMismatch;
        return false;
    }
    return true;
}

// "Команда <function>.  <the text of code>", with a destroyed table's number after a refusal.
QString CommandResultText(const ExchangeSession &s, Result code, int function)
{
    const QString &text = s.Messages.result(code);
    QString composed = QStringLiteral("Команда %1.  %2").arg(function).arg(text);
    // Only a refusal carries a destroyed table's number; after any other failure the answer
    // buffer may still hold an old refusal.
    if (code == Result::Refused && s.RxBuffer[FrameOffset::ErrorCode] == ErrorDestroyedTable)
        composed += QStringLiteral(" %1").arg(s.RxBuffer[FrameOffset::ErrorValue]);
    return composed;
}

// Marks the session busy and holds its port for the length of one exchange; the caller may
// change or drop PortHandle meanwhile without pulling the port from under the exchange.
class RunningGuard
{
public:
    explicit RunningGuard(ExchangeSession &s) : s_(s), port_(s.PortHandle), use_(port_)
    {
        Engine(s_).running = true;
        Engine(s_).activePort = port_;
    }
    // The exchange is over: its result goes to the log, composed only when there is one.
    ~RunningGuard()
    {
        Engine(s_).running = false;
        Engine(s_).activePort = nullptr;
        if (ExchangeLinesWanted())
            LogExchange(LogLineKind::Result, ComposeResultText(s_));
    }
    SerialPort *port() const { return port_; }

private:
    ExchangeSession &s_;
    SerialPort *port_;
    SerialPort::Use use_;
    OperationScope operation_;
};

} // namespace

void ResetCredentials(ExchangeSession &session)
{
    session.UserName.fill(kBlank);
    session.Password.fill(kBlank);
}

void InitExchangeSession(ExchangeSession &session, quint8 address)
{
    session = ExchangeSession{};
    session.Address = address;
    ResetCredentials(session);
    for (int code = 0; code < ResultCount; ++code)
        session.Messages.results[size_t(code)] = ResultCodeText(code);
    for (int code = 0; code < ControllerErrorCount; ++code)
        session.Messages.errors[size_t(code)] = ControllerErrorText(code);
    for (int code = 0; code < ReasonCodeCount; ++code)
        session.Messages.reasons[size_t(code)] = ReasonText(code);
}

Result RunExchange(ExchangeSession &s, quint8 function, const quint8 *data, int dataLength,
                   quint8 extraByte)
{
    if (Engine(s).running)
        return Result::Busy;
    RunningGuard running(s);
    s.ResultCode = Result::Ok;
    s.LastFunctionCode = function;
    RequestParts parts;
    parts.address = s.Address;
    parts.function = function;
    parts.data = data;
    parts.dataLength = dataLength;
    parts.extraByte = extraByte;
    parts.userName = s.UserName.data();
    parts.password = s.Password.data();
    const int length = BuildRequestFrame(parts, s.TxBuffer);
    if (length == 0) {
        s.ResultCode = Result::BadFunctionCode;
        return s.ResultCode;
    }
    if (function == kRequestIdentifierFunction) {
        TransactWithRequestIdentifier(s, running.port());
        return s.ResultCode;
    }

    const qint32 savedFirstByteWait = s.FirstByteWaitMs;
    if (RequestNeedsLongWait(s.TxBuffer))
        s.FirstByteWaitMs += LongWaitExtraMs;
    if (s.StatusPanel) {
        s.StatusPanel.setText(QStringLiteral("Обмен..."));
        PumpEvents();
    }
    // An attempt count of 0 would report success without sending anything. An abort is the
    // operator's (or the closing program's) decision: no further attempt may replace its result.
    for (int n = std::max<int>(s.Attempts, 1); n > 0; --n) {
        s.ResultCode = Transaction(s, running.port(), length).run();
        if (s.ResultCode == Result::Ok || s.ResultCode == Result::Aborted)
            break;
        if (EndedByLostPort(s, running.port()))
            break;
    }
    if (s.StatusPanel) {
        s.StatusPanel.setText(QString());
        PumpEvents();
    }
    s.FirstByteWaitMs = savedFirstByteWait;
    return s.ResultCode;
}

bool Exchange(ExchangeSession &s, quint8 function, const quint8 *data, int dataLength,
              quint8 extraByte)
{
    return RunExchange(s, function, data, dataLength, extraByte) == Result::Ok;
}

bool ExchangeRunning(const ExchangeSession &session)
{
    return Engine(session).running;
}

void RequestAbort(ExchangeSession &session)
{
    Engine(session).abort = true;
    if (Engine(session).activePort)
        Engine(session).activePort->interruptWrite();
}

void DropPendingAbort(ExchangeSession &session)
{
    if (!Engine(session).running)
        Engine(session).abort = false;
}

QString ComposeResultText(const ExchangeSession &s)
{
    return CommandResultText(s, s.ResultCode, s.LastFunctionCode);
}

QString AbortedText(const ExchangeSession &s)
{
    return CommandResultText(s, Result::Aborted,
                             s.LastFunctionCode != 0 ? s.LastFunctionCode : TableFunctionCode);
}

QString ResultText(ExchangeSession &s)
{
    s.MessageBuffer = ComposeResultText(s);
    return s.MessageBuffer;
}

} // namespace ktv31
