// Ctrl-C, Ctrl-Break and console close through a console control handler, queued to the loop.
#include "shell/interruptwatcher.h"

#include <QMetaObject>
#include <QPointer>

#include <windows.h>

namespace ktv31 {
namespace {

QPointer<InterruptWatcher> g_watcher;

// Runs on a thread of the system's; posting a queued call is safe from there.
BOOL WINAPI OnConsoleEvent(DWORD type)
{
    InterruptKind kind;
    switch (type) {
    case CTRL_C_EVENT:
        kind = InterruptKind::Interrupt;
        break;
    case CTRL_BREAK_EVENT:
        kind = InterruptKind::Terminate;
        break;
    case CTRL_CLOSE_EVENT:
        kind = InterruptKind::HangUp;
        break;
    default:
        return FALSE;
    }
    InterruptWatcher *watcher = g_watcher.data();
    if (!watcher)
        return FALSE;
    QMetaObject::invokeMethod(
        watcher, [watcher, kind] { DeliverInterrupt(watcher, kind); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

void InstallInterruptHandlers(InterruptWatcher *watcher)
{
    g_watcher = watcher;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void RemoveInterruptHandlers()
{
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    g_watcher = nullptr;
}

} // namespace ktv31
