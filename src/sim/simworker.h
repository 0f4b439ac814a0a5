// The objects of one simulator that live on its thread: the line and the peers on it.
#pragma once

#include "sim/simoptions.h"

#include <QObject>

#include <memory>

namespace ktv31::sim {

class ControllerPeer;
class FrameLog;
class HayesModem;
class SimLine;

class SimWorker : public QObject
{
    Q_OBJECT
public:
    explicit SimWorker(FrameLog &log);
    ~SimWorker() override;

    bool open(const SimOptions &options, QString *error);
    // Replaces the peers; the line stays as it is.
    bool rebuild(const SimOptions &options, QString *error);
    // Tears everything down on this thread and hands the object to `next` for deletion.
    void shutdown(QThread *next);

    SimLine &line() { return *line_; }
    ControllerPeer *controller() { return controller_.get(); }

signals:
    void deviceChanged(const QString &path);

private:
    FrameLog &log_;
    std::unique_ptr<SimLine> line_;
    std::unique_ptr<ControllerPeer> controller_;
    std::unique_ptr<HayesModem> modem_;
};

} // namespace ktv31::sim
