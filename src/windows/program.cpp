// ktv31-service: the service program of the ktv31-ar controller.
#include "shell/exchangelog.h"
#include "shell/settings.h"
#include "windows/main.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("ktv31-service"));
    QApplication::setDesktopFileName(QStringLiteral("ktv31-service"));
    const auto log = ktv31::StartExchangeLog(ktv31::ExchangeLogPath(ktv31::ProgramDir()));
    ktv31::TFormMain window;
    // Without a window manager (a kiosk session, Xvfb) "maximised" means nothing; the screen's
    // free area is the same thing said directly.
    window.setGeometry(QApplication::primaryScreen()->availableGeometry());
    window.showMaximized();
    return app.exec();
}
