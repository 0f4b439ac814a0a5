// Request handling of the simulated controller: address, CRC and speed checks, function 29,
// refusals, faults and the speed switch.
#include "sim/simcontroller.h"

#include "config/configfile.h"
#include "config/tablerequest.h"
#include "protocol/controllercodes.h"
#include "protocol/framing.h"
#include "sim/answerframe.h"
#include "sim/framelog.h"

#include <QFile>

namespace ktv31::sim {
namespace {

// A function-29 request whose read count is 0 writes.
bool IsTableWrite(const QByteArray &frame)
{
    return quint8(frame[FrameOffset::Function]) == TableFunctionCode &&
           frame.size() > FrameOffset::Data + TableRequestOffset::ReadCount &&
           quint8(frame[FrameOffset::Data + TableRequestOffset::ReadCount]) == 0;
}

} // namespace

ControllerPeer::ControllerPeer(const SimOptions &options, FrameLog &log, QObject *parent)
    : LinePeer(parent), options_(options), log_(log), tables_(options), faults_(options.faultSeed),
      thinkTimeMs_(options.thinkTimeMs)
{
    thinkTimer_.setSingleShot(true);
    thinkTimer_.setTimerType(Qt::PreciseTimer);
    connect(&thinkTimer_, &QTimer::timeout, this, &ControllerPeer::sendAnswer);
    for (const FaultRule &rule : options.faults)
        faults_.add(rule);

    if (!options.configFile.isEmpty()) {
        const ConfigFileResult file = ReadConfigFile(options.configFile);
        if (!file.ok()) {
            error_ = ConfigFileErrorText(file.error, options.configFile);
            return;
        }
        tables_.loadRecord(file.record);
    }
    settleSpeed(options.speed);
}

void ControllerPeer::settleSpeed(int requested)
{
    quint8 &code = tables_.image().data()[ImageOffset::UpperSpeedCode];
    if (requested != 0) {
        const int requestedCode = SpeedToCode(requested);
        if (requestedCode < 0) {
            error_ =
                QStringLiteral("the controller has no exchange speed of %1 bit/s").arg(requested);
            return;
        }
        code = quint8(requestedCode);
    } else if (CodeToSpeed(code) == 0) {
        code = quint8(SpeedToCode(1200));
    }
    speed_ = CodeToSpeed(code);
}

void ControllerPeer::receive(const QByteArray &bytes, qint64 arrivalNs, int lineSpeed)
{
    if (lineSpeed != speed_) {
        // At another speed the controller's UART sees only garbled characters.
        assembler_.reset();
        log_.add(LogKind::Note, bytes,
                 QStringLiteral("ignored: line at %1 bit/s, controller at %2")
                     .arg(lineSpeed)
                     .arg(speed_));
        return;
    }
    for (const ReceivedFrame &frame : assembler_.feed(bytes, arrivalNs)) {
        if (!frame.crcOk) {
            log_.add(LogKind::Request, frame.bytes, QStringLiteral("ignored: bad CRC"));
            continue;
        }
        if (quint8(frame.bytes[FrameOffset::Address]) != options_.address) {
            log_.add(LogKind::Request, frame.bytes,
                     QStringLiteral("ignored: for address %1")
                         .arg(quint8(frame.bytes[FrameOffset::Address])));
            continue;
        }
        if (answering_) {
            log_.add(LogKind::Request, frame.bytes, QStringLiteral("ignored: still answering"));
            continue;
        }
        log_.add(LogKind::Request, frame.bytes);
        serveFrame(frame.bytes);
    }
}

void ControllerPeer::serveFrame(const QByteArray &frame)
{
    const auto fault = faults_.next(IsTableWrite(frame));
    pendingSpeedCode_ = -1;
    if (fault && fault->kind == FaultKind::Refusal) {
        // A refused request changes nothing.
        const QByteArray refusal =
            RefusalFrame(options_.address, quint8(frame[FrameOffset::Function]), fault->errorCode,
                         fault->reason, fault->value);
        pending_ = faults_.shape(*fault, refusal);
    } else if (fault && fault->kind == FaultKind::ForgetWrite) {
        // The answer of a write served, the tables (and the speed) as they were before it.
        const ControllerTables before = tables_;
        const QByteArray answer = answerFor(frame, pendingSpeedCode_);
        tables_ = before;
        pendingSpeedCode_ = -1;
        pending_ = faults_.shape(*fault, answer);
    } else {
        const QByteArray answer = answerFor(frame, pendingSpeedCode_);
        pending_ = fault ? faults_.shape(*fault, answer) : FaultedAnswer{answer, false, {}};
    }
    answering_ = true;
    if (thinkTimeMs_ > 0)
        thinkTimer_.start(thinkTimeMs_);
    else
        sendAnswer();
}

QByteArray ControllerPeer::answerFor(const QByteArray &frame, int &newSpeedCode)
{
    const quint8 function = quint8(frame[FrameOffset::Function]);
    if (function != TableFunctionCode)
        return RefusalFrame(options_.address, function, ControllerError::UnknownFunction, 0, 0);
    const QByteArray data = frame.mid(FrameOffset::Data, frame.size() - MinFrameLength);
    const TableOutcome outcome = tables_.serve(data);
    if (outcome.error != 0)
        return RefusalFrame(options_.address, function, outcome.error, 0, outcome.errorValue);
    newSpeedCode = outcome.newSpeedCode;
    return AnswerFrame(options_.address, quint8(function | AnswerFunctionFlag), outcome.data);
}

void ControllerPeer::sendAnswer()
{
    answering_ = false;
    const FaultedAnswer answer = std::move(pending_);
    pending_ = {};
    if (answer.bytes.isEmpty())
        log_.note(answer.note.isEmpty() ? QStringLiteral("no answer") : answer.note);
    else
        log_.add(LogKind::Answer, answer.bytes, answer.note);
    if (!answer.bytes.isEmpty())
        emit transmit(answer.bytes);
    if (answer.closeAfter)
        emit closeLine();

    const int newSpeed = CodeToSpeed(pendingSpeedCode_);
    pendingSpeedCode_ = -1;
    if (newSpeed != 0 && newSpeed != speed_) {
        speed_ = newSpeed;
        log_.note(QStringLiteral("speed switched to %1 bit/s").arg(speed_));
        emit speedChanged(speed_);
    }
}

} // namespace ktv31::sim
