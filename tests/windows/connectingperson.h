// A person at the program's windows who connects at once and notices when the commands appear.
#pragma once

#include <QObject>

namespace ktv31::test {

// Installed on the application: presses "Связаться" the moment the connection dialog is up and
// emits commandsShown() each time the main window's "Параметры" menu comes into view, that is
// once a start-up sequence has accepted the controller.
class ConnectingPerson : public QObject
{
    Q_OBJECT
public:
    ConnectingPerson();
    ~ConnectingPerson() override;

signals:
    void commandsShown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void watchMenu(QObject *mainWindow);

    bool watching_ = false;
    bool shown_ = false;
};

} // namespace ktv31::test
