// Opening, dialling, hanging up and closing the link of one command.
#include "cli/clisession.h"

#include "cli/console.h"
#include "cli/exitstatus.h"
#include "connection/sessionload.h"
#include "link/comportfunctions.h"
#include "shell/monoclock.h"

namespace ktv31::cli {
namespace {

constexpr quint8 kControllerAddress = 0;
constexpr int kDataBits = 8;
constexpr int kNoParity = 0;
constexpr int kOneStopBit = 0;
constexpr int kQueueBytes = 1000;
constexpr int kAfterDtrMs = 300; // the controller's line settles after DTR rises
constexpr int kDialPanel = 1;

} // namespace

CliSession::CliSession(const LinkSetup &setup, CliOperator &op, bool trace)
    : setup_(setup), settings_(setup.settings), op_(op), trace_(trace)
{
    InitExchangeSession(exchange_, kControllerAddress);
}

CliSession::~CliSession() { close(); }

int CliSession::connect(bool dialToo)
{
    const int speed = settings_.Speed();
    port_ = setup_.devicePath.isEmpty()
                ? OpenPort(settings_.PortNumber(), speed, kDataBits, kNoParity, kOneStopBit,
                           kQueueBytes, kQueueBytes, true, false, ProgramDir())
                : OpenDevice(setup_.devicePath, speed, kDataBits, kNoParity, kOneStopBit,
                             kQueueBytes, kQueueBytes, true, false);
    if (!port_) {
        op_.ShowMessageBox(MessageBoxKinds::Error,
                           QStringLiteral("Коммуникационный порт %1 недоступен")
                               .arg(setup_.portName()),
                           QString());
        return ExitStatus::NoAnswer;
    }
    LoadExchangeSession(exchange_, settings_, port_.get());
    if (trace_)
        exchange_.Tap = TraceTap();
    if (interrupted_)
        return transferFailed();

    port_->setDtr(true);
    SleepFor(kAfterDtrMs);
    return (dialToo && setup_.telephone()) ? dial() : ExitStatus::Done;
}

int CliSession::dial()
{
    cancel_.reset();
    if (interrupted_)
        cancel_.cancel();
    const int code = Dial(port_.get(), setup_.number, settings_.ModemCommand(), &cancel_,
                          StatusPanel{&op_, kDialPanel}, settings_.ConnectAttempts(),
                          settings_.ConnectWaitS());
    // A dial that ran out of time may still connect later; a cancelled one has been put on
    // hook by the dialler, and the other failures leave the modem on hook.
    mayBeOffHook_ = code == DialResult::Ok || code == DialResult::AnswerTimeout;
    if (code == DialResult::Ok)
        return ExitStatus::Done;
    op_.ShowMessageBox(MessageBoxKinds::Notice, DialResultText(code), QString());
    return ExitStatus::NoAnswer;
}

void CliSession::close()
{
    if (!port_)
        return;
    if (mayBeOffHook_ && !port_->isLost()) {
        if (trace_ || interrupted_)
            Complain(QStringLiteral("hanging up"));
        HangUp(port_.get());
    }
    mayBeOffHook_ = false;
    exchange_.PortHandle = nullptr;
    port_->close();
    port_.reset();
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
