// The thread-safe face of the simulator: start, stop, the link, and calls into its thread.
#include "sim/simulator.h"

#include "sim/simcontroller.h"
#include "sim/simline.h"
#include "sim/simworker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

namespace ktv31::sim {

Simulator::Simulator(const SimOptions &options) : options_(options)
{
    thread_.setObjectName(QStringLiteral("ktv31-sim line"));
}

Simulator::~Simulator()
{
    stop();
}

void Simulator::inWorker(const std::function<void()> &call) const
{
    if (!worker_)
        return;
    if (QThread::currentThread() == &thread_)
        call();
    else
        QMetaObject::invokeMethod(worker_, call, Qt::BlockingQueuedConnection);
}

bool Simulator::start(QString *error)
{
    if (isRunning())
        return true;
    QString reason;
    if (!log_.setSink(options_.frameLogPath, &reason)) {
        if (error)
            *error = reason;
        return false;
    }
    log_.restartClock();
    worker_ = new SimWorker(log_);
    QObject::connect(worker_, &SimWorker::deviceChanged, worker_,
                     [this](const QString &path) { onDeviceChanged(path); });
    worker_->moveToThread(&thread_);
    thread_.start();

    bool ok = false;
    QString path;
    inWorker([&] {
        ok = worker_->open(options_, &reason);
        path = worker_->line().devicePath();
    });
    if (!ok) {
        stop();
        if (error)
            *error = reason;
        return false;
    }
    QMutexLocker lock(&mutex_);
    devicePath_ = path;
    return true;
}

void Simulator::stop()
{
    if (!worker_)
        return;
    QThread *here = QThread::currentThread();
    inWorker([&] { worker_->shutdown(here); });
    thread_.quit();
    thread_.wait();
    delete worker_;
    worker_ = nullptr;
    removeLink();
    QMutexLocker lock(&mutex_);
    devicePath_.clear();
}

bool Simulator::isRunning() const
{
    return worker_ != nullptr;
}

QString Simulator::devicePath() const
{
    QMutexLocker lock(&mutex_);
    return devicePath_;
}

void Simulator::onDeviceChanged(const QString &path)
{
    QMutexLocker lock(&mutex_);
    devicePath_ = path;
    if (!linkPath_.isEmpty())
        pointLink(nullptr);
}

bool Simulator::placeLink(const QString &linkPath, QString *error)
{
    QMutexLocker lock(&mutex_);
    linkPath_ = QFileInfo(linkPath).absoluteFilePath();
    if (pointLink(error))
        return true;
    linkPath_.clear();
    return false;
}

// Called with the mutex held.
bool Simulator::pointLink(QString *error)
{
    const QFileInfo info(linkPath_);
    if (info.exists() && !info.isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(linkPath_);
        return false;
    }
    QDir().mkpath(info.absolutePath());
    if (info.isSymLink())
        QFile::remove(linkPath_);
    if (!QFile::link(devicePath_, linkPath_)) {
        if (error)
            *error = QStringLiteral("cannot place the link %1").arg(linkPath_);
        return false;
    }
    return true;
}

void Simulator::removeLink()
{
    QMutexLocker lock(&mutex_);
    // Only our own link: the path may have been taken over by something else meanwhile.
    if (!linkPath_.isEmpty() && QFileInfo(linkPath_).isSymLink() &&
        QFileInfo(linkPath_).symLinkTarget() == QFileInfo(devicePath_).absoluteFilePath())
        QFile::remove(linkPath_);
    linkPath_.clear();
}

bool Simulator::setOptions(const SimOptions &options, QString *error)
{
    bool ok = true;
    QString reason;
    if (isRunning())
        inWorker([&] { ok = worker_->rebuild(options, &reason); });
    if (ok)
        options_ = options;
    else if (error)
        *error = reason;
    return ok;
}

void Simulator::settle()
{
    inWorker([&] {
        if (worker_->line().isOpen())
            worker_->line().drainInput();
    });
}

void Simulator::injectFault(const FaultRule &rule)
{
    inWorker([&] { worker_->controller()->faults().add(rule); });
}

void Simulator::clearFaults()
{
    inWorker([&] { worker_->controller()->faults().clear(); });
}

void Simulator::setPacing(bool on, int thinkTimeMs)
{
    inWorker([&] {
        worker_->line().setPacing(on);
        worker_->controller()->setThinkTimeMs(thinkTimeMs);
    });
}

int Simulator::speed() const
{
    int speed = 0;
    inWorker([&] { speed = worker_->controller()->speed(); });
    return speed;
}

ConfigImage Simulator::image() const
{
    ConfigImage image;
    inWorker([&] { image = worker_->controller()->tables().image(); });
    return image;
}

DestroyedFlags Simulator::destroyed() const
{
    DestroyedFlags flags{};
    inWorker([&] { flags = worker_->controller()->tables().destroyed(); });
    return flags;
}

} // namespace ktv31::sim
