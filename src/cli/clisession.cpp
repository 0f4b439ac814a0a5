// Opening, dialling, hanging up and closing the link of one command.
#include "cli/clisession.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "connection/controllerlink.h"
#include "connection/sessionload.h"
#include "shell/settings.h"

namespace ktv31::cli {

CliSession::CliSession(const LinkSetup &setup, CliOperator &op, bool trace)
    : setup_(setup), settings_(setup.settings), op_(op), trace_(trace)
{
    InitExchangeSession(exchange_, ControllerAddress);
}

CliSession::~CliSession()
{
    close();
}

TransferContext CliSession::context()
{
    TransferContext context{exchange_, image_, settings_, op_};
    context.portName = setup_.devicePath;
    return context;
}

int CliSession::connect(bool dialToo)
{
    PortOpenResult opened = OpenControllerPort(settings_, ProgramDir(), setup_.devicePath);
    if (!opened.port) {
        op_.ShowMessageBox(
            MessageBoxKind::Error,
            QStringLiteral("Коммуникационный порт %1 недоступен").arg(setup_.portName()),
            PortOpenErrorText(opened));
        return ExitStatus::NoAnswer;
    }
    port_ = std::move(opened.port);
    LoadExchangeSession(exchange_, settings_, port_.get());
    if (trace_)
        exchange_.Tap = TraceTap();
    if (interrupted_)
        return transferFailed();

    RaiseDtrAndSettle(port_.get());
    return (dialToo && setup_.telephone()) ? dial() : ExitStatus::Done;
}

int CliSession::dial()
{
    cancel_.reset();
    if (interrupted_)
        cancel_.cancel();
    const int code =
        Dial(port_.get(), setup_.number, settings_.ModemCommand(), &cancel_,
             StatusPanel{&op_, Panel::Step}, settings_.ConnectAttempts(), settings_.ConnectWaitS());
    // A dial that ran out of time may still connect later; a cancelled one has been put on
    // hook by the dialler, and the other failures leave the modem on hook.
    mayBeOffHook_ = code == DialResult::Ok || code == DialResult::AnswerTimeout;
    if (code == DialResult::Ok)
        return ExitStatus::Done;
    op_.ShowMessageBox(MessageBoxKind::Notice, DialResultText(code), QString());
    return ExitStatus::NoAnswer;
}

void CliSession::close()
{
    if (!port_)
        return;
    const bool hangUp = mayBeOffHook_ && !port_->isGone();
    if (hangUp && (trace_ || interrupted_))
        Complain(QStringLiteral("hanging up"));
    mayBeOffHook_ = false;
    EndLink(port_, exchange_, hangUp);
}

void CliSession::interrupt()
{
    interrupted_ = true;
    RequestAbort(exchange_);
    cancel_.cancel();
}

int CliSession::transferFailed()
{
    if (interrupted_) {
        exchange_.ResultCode = ResultAborted;
        if (exchange_.LastFunctionCode == 0)
            exchange_.LastFunctionCode = TableFunctionCode;
        PrintError(ResultText(exchange_));
    }
    return ExitStatus::NoAnswer;
}

} // namespace ktv31::cli
