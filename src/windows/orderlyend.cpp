// OrderlyEnd: signals, the session manager and the application's quit turned into the main
// window's close.
#include "windows/orderlyend.h"

#include "shell/settings.h"
#include "windows/main.h"

#include <QApplication>
#include <QDialog>
#include <QSessionManager>
#include <QThread>

#include <atomic>
#include <cstdlib>

namespace ktv31 {
namespace {

constexpr int kDialogRetryMs = 100;

// The window to end should the process exit under it.
std::atomic<TFormMain *> windowAtExit{nullptr};

// Only the interface thread may touch the window; an exit from another thread leaves it.
void EndWindowAtExit()
{
    TFormMain *window = windowAtExit.exchange(nullptr);
    if (window && QThread::currentThread() == window->thread())
        window->EndWithoutDisplay();
}

// Static objects made after an exit handler is registered are destroyed before it runs. The end
// is registered again whenever a call comes up, so that it runs before anything the dialling
// made (logging categories, the operation state) is gone; it acts once.
void RegisterEndAtExit()
{
    std::atexit(&EndWindowAtExit);
}

QtMessageHandler previousMessageHandler = nullptr;

// Qt says this just before it ends the process from inside its event processing when the
// display connection breaks. Everything is still alive at that moment, so the end is made there;
// the exit handler only covers an exit that comes without it.
void EndOnLostDisplay(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (previousMessageHandler)
        previousMessageHandler(type, context, message);
    if (type == QtWarningMsg && message.startsWith(QLatin1String("The X11 connection broke")))
        EndWindowAtExit();
}

// From the top down; a dialog that will not go yet (the connection dialog while it detects the
// speed) is tried again on the next round.
void CancelModalDialogs()
{
    while (QWidget *modal = QApplication::activeModalWidget()) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
        if (QApplication::activeModalWidget() == modal)
            return;
    }
}

} // namespace

OrderlyEnd::OrderlyEnd(TFormMain &window, QObject *parent) : QObject(parent), window_(window)
{
    dialogCanceller_.setInterval(kDialogRetryMs);
    connect(&dialogCanceller_, &QTimer::timeout, this, &CancelModalDialogs);
    connect(&interrupts_, &InterruptWatcher::interrupted, this, &OrderlyEnd::endProgram);
    // The session manager's end comes as the application's quit: Qt closes the dialogs and the
    // main window first, which takes the path of "Выход". On Windows the process is ended right
    // after this signal, so the close is done inside it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, &OrderlyEnd::endProgram);
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, &OrderlyEnd::commitData);
    RegisterEndAtExit();
    if (!previousMessageHandler)
        previousMessageHandler = qInstallMessageHandler(&EndOnLostDisplay);
    connect(&window_.service(), &ServiceSession::callChanged, this, [](bool up) {
        if (up)
            RegisterEndAtExit();
    });
    windowAtExit = &window_;
}

OrderlyEnd::~OrderlyEnd()
{
    TFormMain *window = &window_;
    windowAtExit.compare_exchange_strong(window, nullptr);
}

int OrderlyEnd::exec()
{
    const int status = QCoreApplication::exec();
    dialogCanceller_.stop();
    // A loop that ended before the window had closed (QCoreApplication::exit) leaves the close to
    // be done here, while a signal still only asks.
    window_.close();
    return interrupts_.exitStatus(status);
}

void OrderlyEnd::endProgram()
{
    if (ending_)
        return;
    ending_ = true;
    // At once when no operation runs; otherwise the operation is cut short and the close
    // follows once it has returned.
    window_.close();
    CancelModalDialogs();
    dialogCanceller_.start();
}

// A save point, not necessarily the end: the settings are the program's only data of its own.
void OrderlyEnd::commitData(QSessionManager &)
{
    SaveSettings(SettingsFilePath(window_.service().programDir()), window_.settings());
}

} // namespace ktv31
