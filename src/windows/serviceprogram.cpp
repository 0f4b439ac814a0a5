// RunServiceProgram: what ktv31-service does between its start and its end.
#include "windows/serviceprogram.h"

#include "shell/exchangelog.h"
#include "windows/main.h"
#include "windows/orderlyend.h"
#include "windows/qttranslations.h"

#include <QApplication>
#include <QScreen>

namespace ktv31 {

int RunServiceProgram(QApplication &app, const QString &programDir)
{
    QApplication::setApplicationName(QStringLiteral("ktv31-service"));
    QApplication::setDesktopFileName(QStringLiteral("ktv31-service"));
    LoadQtTranslations(app);
    // Outlives the window, so that the hang-up at the close is logged too.
    const auto log = StartExchangeLog(ExchangeLogPath(programDir));
    TFormMain window(programDir);
    OrderlyEnd end(window);
    // Without a window manager (a kiosk session, Xvfb) "maximised" means nothing; the screen's
    // free area is the same thing said directly.
    window.setGeometry(QApplication::primaryScreen()->availableGeometry());
    window.showMaximized();
    return end.exec();
}

} // namespace ktv31
