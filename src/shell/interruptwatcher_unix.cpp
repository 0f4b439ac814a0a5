// SIGINT, SIGTERM and SIGHUP through a self-pipe: the handler writes the signal's number, a socket
// notifier reads it.
#include "shell/interruptwatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <unistd.h>

namespace ktv31 {
namespace {

constexpr int kWatched[] = {SIGINT, SIGTERM, SIGHUP};

int g_pipe[2] = {-1, -1};
struct sigaction g_old[std::size(kWatched)];
struct sigaction g_oldPipe;
QSocketNotifier *g_notifier = nullptr;

extern "C" void OnSignal(int signal)
{
    const int savedErrno = errno;
    const char byte = char(signal);
    // Only async-signal-safe calls here; a full pipe already holds a pending request.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = savedErrno;
}

bool MakePipe()
{
    if (::pipe(g_pipe) != 0)
        return false;
    for (int fd : g_pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    return true;
}

InterruptKind KindOf(int signal)
{
    switch (signal) {
    case SIGTERM:
        return InterruptKind::Terminate;
    case SIGHUP:
        return InterruptKind::HangUp;
    default:
        return InterruptKind::Interrupt;
    }
}

void DeliverPending(InterruptWatcher *watcher)
{
    char bytes[64];
    ssize_t count = 0;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < count; ++i)
            DeliverInterrupt(watcher, KindOf(bytes[i]));
}

} // namespace

void InstallInterruptHandlers(InterruptWatcher *watcher)
{
    if (g_notifier || !MakePipe())
        return;
    g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, watcher);
    QObject::connect(g_notifier, &QSocketNotifier::activated, watcher,
                     [watcher] { DeliverPending(watcher); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kWatched); ++i)
        ::sigaction(kWatched[i], &action, &g_old[i]);
    // A closed terminal or a reader that went away must cost the message being written, not the
    // process before it has hung up.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &g_oldPipe);
}

void RemoveInterruptHandlers()
{
    if (!g_notifier)
        return;
    for (size_t i = 0; i < std::size(kWatched); ++i)
        ::sigaction(kWatched[i], &g_old[i], nullptr);
    ::sigaction(SIGPIPE, &g_oldPipe, nullptr);
    g_notifier = nullptr; // owned by the watcher, which is going
    for (int &fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace ktv31
