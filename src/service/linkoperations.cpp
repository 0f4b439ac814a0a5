// Opening the port, the dial, the hang-up and the speed detection.
#include "service/linkoperations.h"

#include "connection/controllerlink.h"
#include "connection/sessionload.h"
#include "connection/speeddetect.h"
#include "service/servicesession.h"
#include "service/servicetexts.h"
#include "shell/settings.h"

namespace ktv31 {
namespace {

Outcome DialTheController(ServiceSession &session)
{
    Operator &op = session.op();
    DialCancel &cancel = session.dialCancel();
    DialResult code = DialResult::Cancelled;
    {
        BusyScope busy(op);
        cancel.reset();
        if (session.interrupted())
            cancel.cancel();
        emit session.diallingChanged(true);
        code = session.dial(StatusPanel{&op, Panel::Step});
        emit session.diallingChanged(false);
    }
    op.StatusTextsDone();
    if (code == DialResult::Ok)
        return {};
    if (session.interrupted())
        return OutcomeKind::Interrupted;
    const QString text = DialResultText(code);
    op.ShowMessageBox(MessageBoxKind::Notice, text, QString());
    Outcome failed{OutcomeKind::DialFailed, text, {}};
    failed.dial = code;
    return failed;
}

} // namespace

Outcome OpenLink(ServiceSession &session, const ConnectionSettings &link)
{
    // A port this program still holds would make its own device look busy.
    session.releasePort();
    PortOpenResult opened = OpenControllerPort(link, session.programDir(), session.devicePath);
    if (!opened.port) {
        const QString text =
            ServiceText::PortUnavailable(PortName(link.PortNumber(), session.devicePath));
        const QString reason = PortOpenErrorText(opened);
        session.op().ShowMessageBox(MessageBoxKind::Error, text, reason);
        return {OutcomeKind::PortUnavailable, text, reason};
    }
    session.adoptPort(std::move(opened.port), link);
    LoadExchangeSession(session.exchange(), link, session.port());
    return {};
}

Outcome Connect(ServiceSession &session)
{
    if (session.interrupted())
        return OutcomeKind::Interrupted;
    if (!session.linkOpen()) {
        const Outcome opened = OpenLink(session, session.settings());
        if (!opened.ok())
            return opened;
    }
    RaiseDtrAndSettle(session.port());
    if (session.interrupted())
        return OutcomeKind::Interrupted;
    if (!session.linkKind().dials())
        return {};
    return DialTheController(session);
}

bool ReopenLostPort(ServiceSession &session)
{
    if (!OpenLink(session, session.settings()).ok())
        return false;
    RaiseDtrAndSettle(session.port());
    return true;
}

void Disconnect(ServiceSession &session)
{
    session.endLink();
    session.setDeviceAccepted(false);
    ResetCredentials(session.exchange());
}

int DetectControllerSpeed(ServiceSession &session, const ConnectionSettings &link,
                          const StatusPanel &panel)
{
    Operator &op = session.op();
    if (!LinkKind::Of(link).speedDetectionAllowed()) {
        op.ShowMessageBox(MessageBoxKind::Notice, LinkKind::SpeedDetectionRefused(), QString());
        return 0;
    }
    if (!OpenLink(session, link).ok())
        return 0;
    int speed = 0;
    {
        BusyScope busy(op);
        speed = DetectSpeed(session.exchange(), panel);
        // The answer is told while the speed that gave it still stands on the panel.
        if (speed)
            op.ShowMessageBox(MessageBoxKind::ExchangeResult, SpeedFoundLine1(),
                              SpeedFoundLine2(speed));
        panel.setText(QString());
    }
    const bool cutShort = session.exchange().ResultCode == Result::Aborted || session.interrupted();
    if (!speed && !cutShort)
        op.ShowMessageBox(MessageBoxKind::ExchangeResult, NoLinkText(), QString());
    // The session must not keep writing through a port that is closed now.
    session.releasePort();
    return speed;
}

} // namespace ktv31
