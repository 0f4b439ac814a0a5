// Command state, dialling script, escape sequence and pass-through of the simulated modem.
#include "sim/hayesmodem.h"

#include "shell/monoclock.h"
#include "sim/framelog.h"
#include "sim/simcontroller.h"
#include "sim/telephonenetwork.h"

namespace ktv31::sim {
namespace {

constexpr int kMaxCommandLine = 300;
const QByteArray kDialCharacters = QByteArrayLiteral("0123456789*#+,;!@WTPwtp -()");

struct CodeText
{
    int number;
    const char *verbal;
};
// Indexed by HayesModem::Code.
constexpr CodeText kCodes[] = {{0, "OK"},       {1, "CONNECT 9600"}, {3, "NO CARRIER"},
                               {4, "ERROR"},    {6, "NO DIALTONE"},  {7, "BUSY"},
                               {8, "NO ANSWER"}};

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads an optional decimal number at `i`; -1 when there is none.
int takeNumber(const QByteArray &text, int &i)
{
    int value = -1;
    while (i < text.size() && isDigit(text[i]) && value < 100000)
        value = (value < 0 ? 0 : value * 10) + (text[i++] - '0');
    return value;
}

bool isDialString(const QByteArray &text)
{
    bool digit = false;
    for (char c : text) {
        if (!kDialCharacters.contains(c))
            return false;
        digit = digit || isDigit(c);
    }
    return digit;
}

} // namespace

HayesModem::HayesModem(const ModemOptions &options, ControllerPeer &controller, FrameLog &log,
                       QObject *parent)
    : LinePeer(parent), options_(options), own_(controller), controller_(&controller), log_(log)
{
    escapeTimer_.setSingleShot(true);
    dialTimer_.setSingleShot(true);
    connect(&escapeTimer_, &QTimer::timeout, this, &HayesModem::onEscapeGuardPassed);
    connect(&dialTimer_, &QTimer::timeout, this, &HayesModem::finishDial);
    connectController(controller);
}

void HayesModem::connectController(ControllerPeer &controller)
{
    connect(&controller, &LinePeer::transmit, this, &HayesModem::fromController);
    connect(&controller, &LinePeer::closeLine, this, &HayesModem::carrierLost);
}

void HayesModem::receive(const QByteArray &bytes, qint64 arrivalNs, int)
{
    if (options_.absent || bytes.isEmpty())
        return;
    switch (state_) {
    case State::Online:
        receiveOnline(bytes, arrivalNs);
        break;
    case State::Dialling:
        // Any character while dialling abandons the call; whatever follows it is typed anew.
        dialTimer_.stop();
        state_ = State::Command;
        respond(Code::NoCarrier);
        receiveCommandBytes(bytes.mid(1), arrivalNs);
        break;
    case State::Command:
    case State::OnlineCommand:
        receiveCommandBytes(bytes, arrivalNs);
        break;
    }
    lastByteNs_ = arrivalNs;
    flushOutput();
}

void HayesModem::receiveOnline(const QByteArray &bytes, qint64 arrivalNs)
{
    const qint64 guardNs = MsToNs(options_.guardTimeMs);
    QByteArray data;
    for (char c : bytes) {
        const bool framed =
            pluses_ > 0 ? arrivalNs - lastPlusNs_ <= guardNs : arrivalNs - lastByteNs_ >= guardNs;
        if (c == '+' && pluses_ < 3 && framed) {
            ++pluses_;
            lastPlusNs_ = arrivalNs;
            continue;
        }
        // Not an escape after all: the pluses held back were data.
        data.append(QByteArray(pluses_, '+'));
        data.append(c);
        pluses_ = 0;
        escapeTimer_.stop();
    }
    if (pluses_ == 3)
        escapeTimer_.start(options_.guardTimeMs);
    if (!data.isEmpty())
        controller_->receive(data, arrivalNs, controller_->speed());
}

void HayesModem::onEscapeGuardPassed()
{
    if (state_ != State::Online || pluses_ != 3)
        return;
    pluses_ = 0;
    log_.add(LogKind::ModemCommand, QByteArrayLiteral("+++"));
    state_ = State::OnlineCommand;
    respond(Code::Ok);
    flushOutput();
}

void HayesModem::receiveCommandBytes(const QByteArray &bytes, qint64 arrivalNs)
{
    const qint64 guardNs = MsToNs(options_.guardTimeMs);
    for (char c : bytes) {
        // "+++" means nothing in command state, but the dialogue that sent it is worth seeing.
        if (c == '+') {
            const bool framed = pluses_ > 0 || arrivalNs - lastByteNs_ >= guardNs;
            pluses_ = framed ? pluses_ + 1 : 0;
            if (pluses_ == 3) {
                log_.add(LogKind::ModemCommand, QByteArrayLiteral("+++"),
                         QStringLiteral("no effect in command state"));
                pluses_ = 0;
            }
        } else {
            pluses_ = 0;
        }
        if (echo_)
            output_.append(c);
        if (!collecting_) {
            if (upper(c) == 'T' && upper(previous_) == 'A') {
                collecting_ = true;
                line_ = QByteArray(1, previous_) + c;
            }
            previous_ = c;
            continue;
        }
        if (c == '\r') {
            collecting_ = false;
            previous_ = 0;
            execute(line_ + c);
            line_.clear();
            if (state_ == State::Dialling)
                return; // the rest of the bytes would abandon the dial
        } else if (c == '\b') {
            if (line_.size() > 2)
                line_.chop(1);
        } else if (c != '\n') {
            line_.append(c);
        }
    }
}

void HayesModem::execute(const QByteArray &line)
{
    log_.add(LogKind::ModemCommand, line);
    bool dial = false;
    Code result = Code::Ok;
    const QByteArray body = line.mid(2, line.size() - 3);
    if (line.size() > kMaxCommandLine || !runCommands(body, dial, result)) {
        respond(Code::Error);
        return;
    }
    if (dial)
        startDial();
    else
        respond(result);
}

// Runs the commands of one line in order; false at the first one that is not well-formed.
bool HayesModem::runCommands(const QByteArray &body, bool &dial, Code &result)
{
    int i = 0;
    while (i < body.size()) {
        const char c = upper(body[i++]);
        if (c == ' ')
            continue;
        if (c == 'D') {
            if (!isDialString(body.mid(i)))
                return false;
            dialString_ = body.mid(i);
            dial = true;
            return true;
        }
        if (c == '+' || c == '#') { // extended commands run to the next ';'
            const int end = body.indexOf(';', i);
            i = end < 0 ? int(body.size()) : end + 1;
            continue;
        }
        if (c == '&' || c == '\\' || c == '%') {
            if (i >= body.size() || upper(body[i]) < 'A' || upper(body[i]) > 'Z')
                return false;
            ++i;
            takeNumber(body, i);
            continue;
        }
        if (c == 'S') {
            if (takeNumber(body, i) < 0 || i >= body.size())
                return false;
            if (body[i] == '?') {
                ++i;
                output_.append(verbal_ ? "\r\n000\r\n" : "000\r");
                continue;
            }
            if (body[i++] != '=' || takeNumber(body, i) < 0)
                return false;
            continue;
        }
        if (c < 'A' || c > 'Z')
            return false;
        const int n = takeNumber(body, i);
        const bool flag = n <= 1; // -1 (no number) counts as 0
        switch (c) {
        case 'E':
            if (!flag)
                return false;
            echo_ = n == 1;
            break;
        case 'V':
            if (!flag)
                return false;
            verbal_ = n == 1;
            break;
        case 'Q':
            if (!flag)
                return false;
            quiet_ = n == 1;
            break;
        case 'H':
            if (n <= 0)
                dropCall();
            break;
        case 'Z':
            dropCall();
            reset();
            break;
        case 'O':
            if (state_ != State::OnlineCommand) {
                result = Code::NoCarrier;
                return true;
            }
            state_ = State::Online;
            result = Code::Connect;
            return true;
        case 'A':
            result = Code::NoCarrier; // nobody is calling
            return true;
        case 'I':
            output_.append(verbal_ ? "\r\nktv31-sim modem\r\n" : "ktv31-sim modem\r");
            break;
        default:
            break; // the other basic commands are taken as they come
        }
    }
    return true;
}

void HayesModem::startDial()
{
    dropCall();
    const QList<DialOutcome> &script = options_.dialScript;
    dialing_ = script.isEmpty() ? DialOutcome::Connect
                                : script[std::min<int>(dialsMade_, int(script.size()) - 1)];
    ++dialsMade_;
    state_ = State::Dialling;
    dialTimer_.start(options_.dialDelayMs);
}

void HayesModem::finishDial()
{
    if (state_ != State::Dialling)
        return;
    state_ = State::Command;
    if (options_.network)
        answerFromNetwork();
    switch (dialing_) {
    case DialOutcome::Connect:
        state_ = State::Online;
        lastByteNs_ = MachineNowNs();
        pluses_ = 0;
        respond(Code::Connect);
        break;
    case DialOutcome::Busy:
        respond(Code::Busy);
        break;
    case DialOutcome::NoCarrier:
        respond(Code::NoCarrier);
        break;
    case DialOutcome::NoDialtone:
        respond(Code::NoDialtone);
        break;
    case DialOutcome::NoAnswer:
        respond(Code::NoAnswer);
        break;
    case DialOutcome::Error:
        respond(Code::Error);
        break;
    case DialOutcome::Silence:
        log_.note(QStringLiteral("modem: dial ended without a result"));
        break;
    }
    flushOutput();
}

// The network decides who answers the number, and a station's own controller takes the line.
void HayesModem::answerFromNetwork()
{
    TelephoneNetwork::Answer answer = options_.network->call(dialString_);
    dialing_ = answer.outcome;
    if (answer.outcome != DialOutcome::Connect)
        return;
    called_ = std::make_unique<ControllerPeer>(answer.controller, log_);
    if (answer.tables)
        called_->tables() = *answer.tables;
    connectController(*called_);
    controller_ = called_.get();
    calledNumber_ = dialString_;
    log_.note(QStringLiteral("modem: %1 answered").arg(QString::fromLatin1(dialString_)));
}

void HayesModem::endNetworkCall()
{
    if (!called_)
        return;
    // Not dialString_: a new ATD has already replaced it when its dial ends this call.
    options_.network->hangUp(calledNumber_, called_->tables());
    disconnect(called_.get(), nullptr, this, nullptr);
    // It may be the one whose signal ended the call.
    called_.release()->deleteLater();
    controller_ = &own_;
}

void HayesModem::fromController(const QByteArray &bytes)
{
    // While escaped to command state the remote side's bytes are not passed on.
    if (state_ == State::Online)
        emit transmit(bytes);
}

void HayesModem::carrierLost()
{
    if (state_ != State::Online && state_ != State::OnlineCommand)
        return;
    state_ = State::Command;
    endNetworkCall();
    respond(Code::NoCarrier);
    flushOutput();
}

void HayesModem::dropCall()
{
    if (state_ == State::Online || state_ == State::OnlineCommand)
        log_.note(QStringLiteral("modem: call dropped"));
    endNetworkCall();
    state_ = State::Command;
    escapeTimer_.stop();
    pluses_ = 0;
}

void HayesModem::reset()
{
    echo_ = true;
    verbal_ = true;
    quiet_ = false;
}

void HayesModem::respond(Code code)
{
    if (quiet_)
        return;
    const CodeText &text = kCodes[int(code)];
    const QByteArray answer = verbal_ ? QByteArray("\r\n") + text.verbal + "\r\n"
                                      : QByteArray::number(text.number) + '\r';
    output_.append(answer);
}

void HayesModem::flushOutput()
{
    if (output_.isEmpty())
        return;
    const QByteArray out = std::move(output_);
    output_.clear();
    log_.add(LogKind::ModemAnswer, out);
    emit transmit(out);
}

} // namespace ktv31::sim
