// A service session on the simulator.
#include "support/servicerig.h"

#include "config/configfile.h"
#include "protocol/controllercodes.h"
#include "service/linkoperations.h"

namespace ktv31::test {

namespace {
constexpr int kSpeed = 115200;
constexpr int kFirstByteWaitMs = 300;
} // namespace

ModemTiming QuickModemTiming()
{
    ModemTiming timing;
    timing.resetAnswerMs = 1000;
    timing.escapeGuardMs = 150;
    timing.beforeInitMs = 50;
    timing.afterAcceptMs = 20;
    timing.hangUpPauseMs = 150;
    timing.abortSettleMs = 50;
    timing.msPerWaitSecond = 200;
    return timing;
}

bool ServiceRig::start(sim::SimOptions options)
{
    if (options.speed == 0)
        options.speed = kSpeed;
    if (options.modem.enabled) {
        options.modem.guardTimeMs = 50;
        options.modem.dialDelayMs = 30;
    }
    sim = std::make_unique<sim::Simulator>(options);
    if (!sim->start())
        return false;
    settings.setSpeed(options.speed);
    settings.setAttempts(1);
    if (options.modem.enabled) {
        settings.setLinkType(TelephoneLink);
        settings.setPhoneNumber(QStringLiteral("123"));
    }
    service = std::make_unique<ServiceSession>(settings, op, programDir);
    service->devicePath = sim->devicePath();
    service->closingWaitMs = 0;
    service->modemTiming = QuickModemTiming();
    return true;
}

bool ServiceRig::connect()
{
    const bool connected = Connect(*service).ok();
    service->exchange().FirstByteWaitMs = kFirstByteWaitMs;
    return connected;
}

QString ServiceRig::writeFile(const QString &name, const ConfigRecord &record) const
{
    const QString path = dir.filePath(name);
    return WriteConfigFile(path, record) == ConfigFileError::None ? path : QString();
}

} // namespace ktv31::test
