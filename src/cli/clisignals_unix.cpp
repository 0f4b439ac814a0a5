// SIGINT and SIGTERM through a self-pipe: the handler writes one byte, a socket notifier reads it.
#include "cli/clisignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace ktv31::cli {
namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_oldInt;
struct sigaction g_oldTerm;
QSocketNotifier *g_notifier = nullptr;

extern "C" void OnSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
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

void Drain()
{
    char bytes[64];
    while (::read(g_pipe[0], bytes, sizeof bytes) > 0) {
    }
}

} // namespace

void InstallInterruptHandlers(InterruptWatcher *watcher)
{
    if (g_notifier || !MakePipe())
        return;
    g_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, watcher);
    QObject::connect(g_notifier, &QSocketNotifier::activated, watcher, [watcher] {
        Drain();
        DeliverInterrupt(watcher);
    });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &g_oldInt);
    ::sigaction(SIGTERM, &action, &g_oldTerm);
}

void RemoveInterruptHandlers()
{
    if (!g_notifier)
        return;
    ::sigaction(SIGINT, &g_oldInt, nullptr);
    ::sigaction(SIGTERM, &g_oldTerm, nullptr);
    g_notifier = nullptr; // owned by the watcher, which is going
    for (int &fd : g_pipe) {
        ::close(fd);
        fd = -1;
    }
}

} // namespace ktv31::cli
