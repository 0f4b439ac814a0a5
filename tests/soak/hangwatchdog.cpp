// The guard thread: waits for the armed time or a change of it, whichever comes first.
#include "hangwatchdog.h"

#include "shell/monoclock.h"

#include <chrono>

namespace ktv31::soak {

HangWatchdog::HangWatchdog(std::function<void()> onStuck)
    : onStuck_(std::move(onStuck)), thread_([this] { watch(); })
{
}

HangWatchdog::~HangWatchdog()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void HangWatchdog::arm(qint64 stuckAtNs)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stuckAtNs_ = stuckAtNs;
    }
    changed_.notify_all();
}

void HangWatchdog::disarm()
{
    arm(0);
}

void HangWatchdog::watch()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        if (stuckAtNs_ == 0) {
            changed_.wait(lock);
            continue;
        }
        const qint64 remaining = stuckAtNs_ - NowNs();
        if (remaining > 0) {
            changed_.wait_for(lock, std::chrono::nanoseconds(remaining));
            continue;
        }
        stuckAtNs_ = 0;
        lock.unlock();
        onStuck_();
        lock.lock();
    }
}

} // namespace ktv31::soak
