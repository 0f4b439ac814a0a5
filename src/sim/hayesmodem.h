// A Hayes-compatible modem in front of the simulated controller.
#pragma once

#include "sim/linepeer.h"
#include "sim/simoptions.h"

#include <QTimer>

#include <memory>

namespace ktv31::sim {

class ControllerPeer;
class FrameLog;

// In command state it echoes (until ATE0), answers AT commands with verbal (or, after ATV0,
// numeric) result codes and dials by script; once connected it passes the line through to the
// controller until "+++" framed by the guard time, after which ATH hangs up and ATO goes back.
class HayesModem : public LinePeer
{
    Q_OBJECT
public:
    HayesModem(const ModemOptions &options, ControllerPeer &controller, FrameLog &log,
               QObject *parent = nullptr);

    void receive(const QByteArray &bytes, qint64 arrivalNs, int lineSpeed) override;

    enum class State
    {
        Command,
        Dialling,
        Online,
        OnlineCommand
    };
    State state() const { return state_; }

private:
    enum class Code
    {
        Ok,
        Connect,
        NoCarrier,
        Error,
        NoDialtone,
        Busy,
        NoAnswer
    };

    void receiveCommandBytes(const QByteArray &bytes, qint64 arrivalNs);
    void receiveOnline(const QByteArray &bytes, qint64 arrivalNs);
    void execute(const QByteArray &line);
    bool runCommands(const QByteArray &body, bool &dial, Code &result);
    void startDial();
    void finishDial();
    void onEscapeGuardPassed();
    void fromController(const QByteArray &bytes);
    void carrierLost();
    void dropCall();
    void connectController(ControllerPeer &controller);
    void answerFromNetwork();
    void endNetworkCall();
    void reset();
    void respond(Code code);
    void flushOutput();

    ModemOptions options_;
    ControllerPeer &own_;
    ControllerPeer *controller_; // the line's own, or the network station called
    std::unique_ptr<ControllerPeer> called_;
    QByteArray dialString_;   // the number of the last ATD
    QByteArray calledNumber_; // the network station called_ answered, until it hangs up
    FrameLog &log_;
    State state_ = State::Command;

    bool echo_ = true;
    bool verbal_ = true;
    bool quiet_ = false;

    QByteArray line_; // from "AT" on, while a command is being typed
    bool collecting_ = false;
    char previous_ = 0;
    QByteArray output_;

    // Escape detection: the pluses seen so far and the moments that frame them.
    int pluses_ = 0;
    qint64 lastByteNs_ = 0;
    qint64 lastPlusNs_ = 0;
    QTimer escapeTimer_;

    QTimer dialTimer_;
    int dialsMade_ = 0;
    DialOutcome dialing_ = DialOutcome::Connect;
};

} // namespace ktv31::sim
