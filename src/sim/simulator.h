// The simulated controller (and optional modem) on its own line and thread, for tests and the tool.
#pragma once

#include "config/configimage.h"
#include "sim/controllertables.h"
#include "sim/faultplan.h"
#include "sim/framelog.h"
#include "sim/simoptions.h"

#include <QMutex>
#include <QString>
#include <QThread>

#include <functional>

namespace ktv31::sim {

class SimWorker;

// Runs the line on a thread of its own, so that a program on the calling thread meets a peer
// with its own timing. Every member may be called from any thread.
class Simulator
{
public:
    explicit Simulator(const SimOptions &options = {});
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    bool start(QString *error = nullptr);
    void stop();
    bool isRunning() const;

    // The path the program opens; it changes when a fault dropped the line.
    QString devicePath() const;
    // A symbolic link at `linkPath` to the device, kept pointing at it and removed by stop().
    // An existing symbolic link there is replaced; any other file is left alone (false).
    bool placeLink(const QString &linkPath, QString *error = nullptr);

    // Returns once the simulator has taken in every byte the program wrote before the call, so
    // that the logs below show them (without pacing, also their effect on the peers).
    void settle();

    QList<FrameLogEntry> frameLog() const { return log_.snapshot(); }
    QList<QByteArray> modemCommands() const { return log_.bytesOf(LogKind::ModemCommand); }
    void clearLog() { log_.clear(); }

    // New controller and modem state from `options`; the line stays open (its device path too).
    bool setOptions(const SimOptions &options, QString *error = nullptr);
    void injectFault(const FaultRule &rule);
    void clearFaults();
    void setPacing(bool on, int thinkTimeMs);

    int speed() const;
    ConfigImage image() const;
    DestroyedFlags destroyed() const;

private:
    void inWorker(const std::function<void()> &call) const;
    void onDeviceChanged(const QString &path);
    bool pointLink(QString *error);
    void removeLink();

    SimOptions options_;
    FrameLog log_;
    QThread thread_;
    SimWorker *worker_ = nullptr;

    mutable QMutex mutex_;
    QString devicePath_;
    QString linkPath_;
};

} // namespace ktv31::sim
