// Wiring of the simulator's line, controller and modem on the simulator's thread.
#include "sim/simworker.h"

#include "sim/framelog.h"
#include "sim/hayesmodem.h"
#include "sim/simcontroller.h"
#include "sim/simline.h"

#include <QThread>

namespace ktv31::sim {

SimWorker::SimWorker(FrameLog &log) : log_(log) {}
SimWorker::~SimWorker() = default;

bool SimWorker::open(const SimOptions &options, QString *error)
{
    line_ = std::make_unique<SimLine>(log_);
    connect(line_.get(), &SimLine::deviceChanged, this, &SimWorker::deviceChanged);
    connect(line_.get(), &SimLine::failed, this,
            [this](const QString &reason) { log_.note(reason); });
    if (!rebuild(options, error))
        return false;
    if (!line_->open(options.devicePath, controller_->speed(), error))
        return false;
    log_.note(QStringLiteral("line %1, controller at address %2, %3 bit/s%4")
                  .arg(line_->devicePath())
                  .arg(options.address)
                  .arg(controller_->speed())
                  .arg(options.modem.enabled ? QStringLiteral(", behind a modem") : QString()));
    return true;
}

bool SimWorker::rebuild(const SimOptions &options, QString *error)
{
    auto controller = std::make_unique<ControllerPeer>(options, log_);
    if (!controller->error().isEmpty()) {
        if (error)
            *error = controller->error();
        return false; // the running peers stay as they were
    }
    line_->setPeer(nullptr);
    modem_.reset();
    controller_ = std::move(controller);
    connect(controller_.get(), &ControllerPeer::speedChanged, line_.get(), &SimLine::followSpeed);
    if (options.modem.enabled) {
        modem_ = std::make_unique<HayesModem>(options.modem, *controller_, log_);
        line_->setPeer(modem_.get());
    } else {
        line_->setPeer(controller_.get());
    }
    line_->setPacing(options.pacing);
    line_->followSpeed(controller_->speed());
    return true;
}

void SimWorker::shutdown(QThread *next)
{
    if (line_)
        line_->setPeer(nullptr);
    modem_.reset();
    controller_.reset();
    line_.reset();
    moveToThread(next);
}

} // namespace ktv31::sim
