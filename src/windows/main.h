// TFormMain: the main window, owner of the program's settings and of its one service session,
// its menu, status bar and timers.
#pragma once

#include "service/servicesession.h"
#include "shell/settings.h"
#include "windows/windowoperator.h"

#include <QDateTime>
#include <QMainWindow>

#include <functional>
#include <memory>

class QAction;
class QShortcut;
class QTimer;

namespace Ui {
class TFormMain;
}

namespace ktv31 {

class PanelStatusBar;

class TFormMain : public QMainWindow
{
    Q_OBJECT
public:
    // `programDir` ends with '/'; the program folder unless a test gives its own.
    explicit TFormMain(const QString &programDir = ProgramDir(), QWidget *parent = nullptr);
    ~TFormMain() override;

    ServiceSession &service() { return service_; }
    ConnectionSettings &settings() { return settings_; }
    WindowOperator &op() { return op_; }
    PanelStatusBar *StatusBar1() const { return statusBar_; }
    QTimer *TimerStart() const { return timerStart_; }
    QTimer *TimerMessage() const { return timerMessage_; }
    QTimer *TimerMoney() const { return timerMoney_; }

    // Shows every menu item, then hides the controller commands unless a device is accepted.
    void UpdateMenus();
    // Enables TimerMessage; a running count is not restarted.
    void ArmTimerMessage();
    // The end when the display has gone (the process exits under the window): the call hung up,
    // the settings written and the port let go, with waits that process no events, since
    // nothing can be shown or asked any more.
    void EndWithoutDisplay();

    QDateTime CallStartTime;
    // The local date and time, replaceable for tests of the call duration.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    void TimerStartTimer();
    void TimerMessageTimer();
    void TimerMoneyTimer();
    void NconnectClick();
    void NCnfClick();
    void N3Click();
    void NexitClick();
    void NidentClick();
    void N2Click();
    void N1Click();
    void NaboutClick();
    void BitBtn3Click();

private:
    // mainstartup.cpp: the start-up connection and the device check.
    bool chooseLink();
    void dropLink();
    void onCallChanged(bool up);
    // maincommands.cpp
    void runTableStateProcedure();
    void hangUpAndDisconnect();
    // main.cpp: creation, the menu and the close.
    void FormCreate();
    void FormShow();
    // Settings that could not be written are logged, and told in a message when `tellFailure`.
    void FormClose(bool tellFailure);
    FileFault EndSession();
    void buildMenuBitmaps();
    void connectCommands();
    void placeModemPanel();
    void hideTopLevelItems();
    void showModemPanel(bool shown);
    void onOperationRunning(bool running);
    void runDeferred();

    std::unique_ptr<Ui::TFormMain> ui;
    const QString programDir_;
    QString settingsPath_;
    ConnectionSettings settings_;
    // A damaged settings file, told once when the link is first asked for.
    QStringList settingsNotice_;
    PanelStatusBar *statusBar_;
    WindowOperator op_;
    ServiceSession service_;
    QTimer *timerStart_;
    QTimer *timerMessage_;
    QTimer *timerMoney_;
    QShortcut *escapeCancelsDial_;
    // What the operator asked for while an operation ran; done once it has returned.
    bool closeRequested_ = false;
    bool hangUpRequested_ = false;
    bool closed_ = false;
};

// "hh:mm:ss" of the time of day in `elapsed`: whole days and milliseconds dropped.
QString CallDurationText(qint64 elapsedMs);

} // namespace ktv31
