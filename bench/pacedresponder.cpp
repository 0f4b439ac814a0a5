// The paced far side: reading, wire-time accounting and byte-by-byte answers on its own thread.
#include "pacedresponder.h"

#include "linebench.h"
#include "shell/monoclock.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

namespace ktv31::bench {
namespace {
constexpr qint64 kSpinNs = 30000;
} // namespace

void PreciseSleepUntil(qint64 deadlineNs)
{
    // MachineNowNs() is the steady clock, which on Linux is CLOCK_MONOTONIC.
    const qint64 wakeNs = deadlineNs - kSpinNs;
    if (wakeNs > MachineNowNs()) {
        timespec at{time_t(wakeNs / 1000000000), long(wakeNs % 1000000000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (MachineNowNs() < deadlineNs) {
    }
}

PacedResponder::PacedResponder(int speed, int thinkUs, ResponderProtocol protocol)
    : speed_(speed), thinkUs_(thinkUs), protocol_(std::move(protocol))
{
}

PacedResponder::~PacedResponder()
{
    stop();
    for (int fd : {master_, slave_, wake_[0], wake_[1]})
        if (fd >= 0)
            ::close(fd);
}

qint64 PacedResponder::charNs() const
{
    return qint64(kBitsPerByte) * 1000000000LL / speed_;
}

bool PacedResponder::start()
{
    termios raw{};
    ::cfmakeraw(&raw);
    raw.c_cflag |= CLOCAL | CREAD;
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0 || ::pipe(wake_) != 0)
        return false;
    slavePath_ = QString::fromLocal8Bit(name);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    thread_ = std::thread([this] { run(); });
    return true;
}

void PacedResponder::stop()
{
    if (!thread_.joinable())
        return;
    stopping_ = true;
    const char byte = 0;
    [[maybe_unused]] const ssize_t n = ::write(wake_[1], &byte, 1);
    thread_.join();
}

void PacedResponder::run()
{
    ::prctl(PR_SET_TIMERSLACK, 1UL); // nanosleep wakes when asked, not up to 50 us later
    QByteArray pending;
    qint64 wireFreeNs = 0;
    while (!stopping_) {
        pollfd fds[2] = {{master_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        char chunk[512];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        const qint64 now = MachineNowNs();
        wireFreeNs = std::max(wireFreeNs, now) + n * charNs();
        pending.append(chunk, int(n));
        while (!pending.isEmpty()) {
            const int length = protocol_.requestLength(pending);
            if (length < 0) {
                pending.remove(0, 1);
                continue;
            }
            if (length == 0)
                break;
            const QByteArray request = pending.left(length);
            pending.remove(0, length);
            // Its last byte crossed the wire before the bytes still waiting behind it.
            answer(request, now, wireFreeNs - pending.size() * charNs());
        }
    }
}

void PacedResponder::answer(const QByteArray &request, qint64 readAtNs, qint64 receivedAtNs)
{
    lastRequestReadNs_ = readAtNs;
    const QByteArray bytes = protocol_.answer(request);
    const qint64 start = receivedAtNs + qint64(thinkUs_) * 1000;
    qint64 worst = 0;
    for (int i = 0; i < bytes.size(); ++i) {
        const qint64 due = start + (i + 1) * charNs();
        PreciseSleepUntil(due);
        while (::write(master_, bytes.constData() + i, 1) != 1 && errno == EAGAIN) {
        }
        worst = std::max(worst, MachineNowNs() - due);
    }
    lastAnswerEndNs_ = MachineNowNs();
    if (worst > maxLatenessNs_)
        maxLatenessNs_ = worst;
    ++answered_;
}

} // namespace ktv31::bench
