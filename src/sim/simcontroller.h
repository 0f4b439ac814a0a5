// The simulated ktv31-ar controller as a peer on the line.
#pragma once

#include "sim/controllertables.h"
#include "sim/faultplan.h"
#include "sim/linepeer.h"
#include "sim/requestassembler.h"
#include "sim/simoptions.h"

#include <QTimer>

namespace ktv31::sim {

class FrameLog;

// Answers the frames addressed to it, at its own speed only; the answer leaves after the think
// time, shaped by the fault plan. A write of table 3 field 0 switches its speed after the answer.
class ControllerPeer : public LinePeer
{
    Q_OBJECT
public:
    // Fails (see error()) when the options name a speed the controller does not have.
    ControllerPeer(const SimOptions &options, FrameLog &log, QObject *parent = nullptr);

    void receive(const QByteArray &bytes, qint64 arrivalNs, int lineSpeed) override;

    QString error() const { return error_; }
    int speed() const { return speed_; }
    ControllerTables &tables() { return tables_; }
    FaultPlan &faults() { return faults_; }
    void setThinkTimeMs(int ms) { thinkTimeMs_ = ms; }

signals:
    void speedChanged(int bitsPerSecond);

private:
    void serveFrame(const QByteArray &frame);
    QByteArray answerFor(const QByteArray &frame, int &newSpeedCode);
    void sendAnswer();
    void settleSpeed(int requested);

    SimOptions options_;
    FrameLog &log_;
    ControllerTables tables_;
    FaultPlan faults_;
    RequestAssembler assembler_;
    QTimer thinkTimer_;
    int speed_ = 1200;
    int thinkTimeMs_ = 0;
    QString error_;

    bool answering_ = false;
    FaultedAnswer pending_;
    int pendingSpeedCode_ = -1;
};

} // namespace ktv31::sim
