// A guard thread for an exchange that never returns, which no check after it could see.
#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace ktv31::soak {

// While armed, calls `onStuck` from its own thread once the monotonic clock passes the armed
// time; the caller is expected to end the process there, since the stuck thread cannot.
class HangWatchdog
{
public:
    explicit HangWatchdog(std::function<void()> onStuck);
    ~HangWatchdog();
    HangWatchdog(const HangWatchdog &) = delete;
    HangWatchdog &operator=(const HangWatchdog &) = delete;

    void arm(qint64 stuckAtNs);
    void disarm();

private:
    void watch();

    std::function<void()> onStuck_;
    std::mutex mutex_;
    std::condition_variable changed_;
    qint64 stuckAtNs_ = 0; // 0: disarmed
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace ktv31::soak
