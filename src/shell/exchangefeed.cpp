// Handing the exchange's lines to the log and the installed sinks; the buffered feed of a monitor.
#include "shell/exchangefeed.h"

#include "shell/exchangelog.h"

#include <QDateTime>

#include <algorithm>
#include <atomic>

namespace ktv31 {
namespace {

struct SinkRegistry
{
    QMutex mutex; // held while a line is handed out, so a sink is never removed mid-call
    std::vector<ExchangeLineSink *> sinks;
    std::atomic<int> count{0};
};

SinkRegistry &Registry()
{
    static SinkRegistry registry;
    return registry;
}

void Publish(ExchangeLine line)
{
    ExchangeLog *log = CurrentExchangeLog();
    SinkRegistry &registry = Registry();
    if (!log && registry.count.load(std::memory_order_relaxed) == 0)
        return;
    line.msSinceEpoch = QDateTime::currentMSecsSinceEpoch();
    if (log)
        log->add(line);
    if (registry.count.load(std::memory_order_relaxed) == 0)
        return;
    QMutexLocker lock(&registry.mutex);
    for (ExchangeLineSink *sink : registry.sinks)
        sink->takeLine(line);
}

} // namespace

void PublishExchangeLine(LogLineKind kind, const QByteArray &bytes)
{
    Publish(ExchangeLine{0, kind, bytes, QString()});
}

void PublishExchangeLine(LogLineKind kind, const QString &text)
{
    Publish(ExchangeLine{0, kind, QByteArray(), text});
}

bool ExchangeLinesWanted()
{
    return CurrentExchangeLog() || Registry().count.load(std::memory_order_relaxed) > 0;
}

void AddExchangeLineSink(ExchangeLineSink *sink)
{
    SinkRegistry &registry = Registry();
    QMutexLocker lock(&registry.mutex);
    if (!sink ||
        std::find(registry.sinks.begin(), registry.sinks.end(), sink) != registry.sinks.end())
        return;
    registry.sinks.push_back(sink);
    registry.count.store(int(registry.sinks.size()));
}

void RemoveExchangeLineSink(ExchangeLineSink *sink)
{
    SinkRegistry &registry = Registry();
    QMutexLocker lock(&registry.mutex);
    registry.sinks.erase(std::remove(registry.sinks.begin(), registry.sinks.end(), sink),
                         registry.sinks.end());
    registry.count.store(int(registry.sinks.size()));
}

ExchangeFeed::ExchangeFeed(int capacity, QObject *parent)
    : QObject(parent), capacity_(std::max(capacity, 1))
{
    AddExchangeLineSink(this);
}

ExchangeFeed::~ExchangeFeed()
{
    RemoveExchangeLineSink(this);
}

void ExchangeFeed::takeLine(const ExchangeLine &line)
{
    QMutexLocker lock(&mutex_);
    if (int(lines_.size()) >= capacity_) {
        lines_.pop_front();
        ++lost_;
    }
    lines_.push_back(line);
    if (announced_)
        return;
    announced_ = true;
    // Posted, never called here: the consumer runs from its own event loop, not inside the
    // exchange that publishes, and one notice covers every line until the next take.
    QMetaObject::invokeMethod(this, &ExchangeFeed::linesWaiting, Qt::QueuedConnection);
}

ExchangeFeed::Batch ExchangeFeed::takeLines()
{
    Batch batch;
    QMutexLocker lock(&mutex_);
    batch.lines.assign(std::make_move_iterator(lines_.begin()),
                       std::make_move_iterator(lines_.end()));
    lines_.clear();
    batch.lost = lost_;
    lost_ = 0;
    announced_ = false;
    return batch;
}

} // namespace ktv31
