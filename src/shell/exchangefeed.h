// A live copy of the exchange's lines for a monitor: sinks beside the log, and a buffered feed.
#pragma once

#include "shell/exchangeline.h"

#include <QMutex>
#include <QObject>

#include <deque>
#include <functional>
#include <vector>

namespace ktv31 {

// Receives every line PublishExchangeLine is given, on the thread that publishes it, while the
// exchange waits: takeLine must only store the line and return.
class ExchangeLineSink
{
public:
    virtual ~ExchangeLineSink() = default;
    virtual void takeLine(const ExchangeLine &line) = 0;
};

// A sink must stay valid until it is removed; removing waits for a line being handed to it.
void AddExchangeLineSink(ExchangeLineSink *sink);
void RemoveExchangeLineSink(ExchangeLineSink *sink);

// The one way to watch the exchange from outside the engine (a trace, a test, a benchmark):
// `watch` sees every line as a sink does, for as long as this lives. It must not publish a line
// itself.
class ExchangeLineWatch final : public ExchangeLineSink
{
public:
    explicit ExchangeLineWatch(std::function<void(const ExchangeLine &)> watch)
        : watch_(std::move(watch))
    {
        AddExchangeLineSink(this);
    }
    ~ExchangeLineWatch() override { RemoveExchangeLineSink(this); }
    ExchangeLineWatch(const ExchangeLineWatch &) = delete;
    ExchangeLineWatch &operator=(const ExchangeLineWatch &) = delete;

    void takeLine(const ExchangeLine &line) override { watch_(line); }

private:
    std::function<void(const ExchangeLine &)> watch_;
};

// What a monitor window subscribes with. Lines wait in a bounded buffer; the first line after a
// take posts linesWaiting() to the feed's thread, so the consumer runs from its event loop (also
// from the waits of a running exchange) and takes a whole batch at once. When the consumer falls
// behind by more than `capacity` lines the oldest are dropped and counted: an exchange never
// waits for a consumer and memory stays bounded.
class ExchangeFeed : public QObject, public ExchangeLineSink
{
    Q_OBJECT
public:
    static constexpr int DefaultCapacity = 10000;

    // Subscribes at once; unsubscribes when destroyed.
    explicit ExchangeFeed(int capacity = DefaultCapacity, QObject *parent = nullptr);
    ~ExchangeFeed() override;

    struct Batch
    {
        std::vector<ExchangeLine> lines; // oldest first
        qint64 lost = 0;                 // dropped before these, since the last take
    };
    // Every line waiting since the last take. Safe from any thread.
    Batch takeLines();

    void takeLine(const ExchangeLine &line) override;

signals:
    void linesWaiting();

private:
    const int capacity_;
    QMutex mutex_;
    std::deque<ExchangeLine> lines_;
    qint64 lost_ = 0;
    bool announced_ = false; // linesWaiting() posted and not yet answered by a take
};

} // namespace ktv31
