// ConnectingPerson: the connection dialog answered, the controller's menu watched.
#include "connectingperson.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

namespace ktv31::test {

ConnectingPerson::ConnectingPerson()
{
    qApp->installEventFilter(this);
}

ConnectingPerson::~ConnectingPerson()
{
    qApp->removeEventFilter(this);
}

bool ConnectingPerson::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::Show)
        return false;
    if (watched->inherits("ktv31::TFormMain") && !watching_) {
        watchMenu(watched);
    } else if (watched->inherits("ktv31::TFormConnPar")) {
        // Once the dialog's own loop runs, as a person's click would come.
        QPointer<QObject> dialog = watched;
        QTimer::singleShot(0, this, [dialog] {
            if (dialog)
                dialog->findChild<QPushButton *>(QStringLiteral("BitBtn1"))->click();
        });
    }
    return false;
}

void ConnectingPerson::watchMenu(QObject *mainWindow)
{
    auto *menu = mainWindow->findChild<QMenu *>(QStringLiteral("NWorkPar"));
    if (!menu)
        return;
    watching_ = true;
    QAction *item = menu->menuAction();
    // The menu rule shows every item before it hides those a device must be accepted for: what
    // counts is what stands once it has run.
    connect(item, &QAction::visibleChanged, this, [this, item] {
        QTimer::singleShot(0, this, [this, item] {
            const bool visible = item->isVisible();
            if (visible && !shown_)
                emit commandsShown();
            shown_ = visible;
        });
    });
}

} // namespace ktv31::test
