// The program's operations on a simulated controller over a pseudo-terminal, answered by script.
#pragma once

#include "service/servicesession.h"
#include "shell/settings.h"
#include "sim/simulator.h"
#include "support/scriptedoperator.h"
#include "support/simrequests.h"

#include <QTemporaryDir>

#include <memory>

namespace ktv31::test {

// The modem dialogue's waits cut short for tests against the simulated modem.
ModemTiming QuickModemTiming();

struct ServiceRig
{
    QTemporaryDir dir;
    QString programDir = dir.path() + QLatin1Char('/');
    std::unique_ptr<sim::Simulator> sim;
    ConnectionSettings settings = ConnectionSettings::Defaults();
    ScriptedOperator op;
    std::unique_ptr<ServiceSession> service;

    // The simulated controller (at 115200 bit/s unless the options say otherwise), and a
    // session on its line with one attempt, a short first-byte wait and no closing pause.
    bool start(sim::SimOptions options = {});
    // Connect(), with the short waits loaded afterwards.
    bool connect();
    // A configuration file in the rig's folder.
    QString writeFile(const QString &name, const ConfigRecord &record) const;
    void forget()
    {
        sim->clearLog();
        op.clearRecords();
    }
    QList<SeenRequest> requests() const { return RequestsSeen(*sim); }
    QList<SeenRequest> writes() const { return WritesSeen(*sim); }
};

} // namespace ktv31::test
