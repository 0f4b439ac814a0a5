// A far side of a pseudo-terminal that takes the wire time of every byte in both directions.
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>
#include <thread>

namespace ktv31::bench {

// What the responder speaks: where a request ends and what answers it.
struct ResponderProtocol
{
    // Given the bytes received so far: the length of the whole request at their start, 0 while
    // it is incomplete, -1 when the first byte starts no request and is to be dropped.
    std::function<int(const QByteArray &)> requestLength;
    // The answer to one whole request; empty for none.
    std::function<QByteArray(const QByteArray &)> answer;
};

// Runs on a thread of its own. A request counts as received only once its bytes have crossed the
// wire at 10 bits a byte; after the think time every answer byte leaves at the moment its last
// bit would have arrived. Waits sleep on absolute deadlines and spin only the last few
// microseconds, so the pacing holds to a few microseconds.
class PacedResponder
{
public:
    PacedResponder(int speed, int thinkUs, ResponderProtocol protocol);
    ~PacedResponder();
    PacedResponder(const PacedResponder &) = delete;
    PacedResponder &operator=(const PacedResponder &) = delete;

    bool start();
    void stop();
    QString devicePath() const { return slavePath_; }
    // The largest delay of an answer byte behind its moment, over all answers so far.
    qint64 maxLatenessNs() const { return maxLatenessNs_.load(); }
    int answered() const { return answered_.load(); }
    // When the last answer's last byte was written, and when the request it answered was read.
    qint64 lastAnswerEndNs() const { return lastAnswerEndNs_.load(); }
    qint64 lastRequestReadNs() const { return lastRequestReadNs_.load(); }

private:
    void run();
    void answer(const QByteArray &request, qint64 readAtNs, qint64 receivedAtNs);
    qint64 charNs() const;

    int speed_;
    int thinkUs_;
    ResponderProtocol protocol_;
    int master_ = -1;
    int slave_ = -1;
    int wake_[2] = {-1, -1};
    QString slavePath_;
    std::thread thread_;
    std::atomic<bool> stopping_{false};
    std::atomic<qint64> maxLatenessNs_{0};
    std::atomic<int> answered_{0};
    std::atomic<qint64> lastAnswerEndNs_{0};
    std::atomic<qint64> lastRequestReadNs_{0};
};

// Sleeps until `deadlineNs` of the monotonic clock, spinning only the last few microseconds.
void PreciseSleepUntil(qint64 deadlineNs);

} // namespace ktv31::bench
