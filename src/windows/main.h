// TFormMain: the main window, owner of the program-wide state, its menu, status bar and timers.
#pragma once

#include "config/tabletransfer.h"
#include "link/connectmodem.h"
#include "windows/programstate.h"
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

    ProgramState &state() { return state_; }
    WindowOperator &op() { return op_; }
    PanelStatusBar *StatusBar1() const { return statusBar_; }
    QTimer *TimerStart() const { return timerStart_; }
    QTimer *TimerMessage() const { return timerMessage_; }
    QTimer *TimerMoney() const { return timerMoney_; }

    // Shows every menu item, then hides the controller commands unless a device is accepted.
    void UpdateMenus();
    // Enables TimerMessage; a running count is not restarted.
    void ArmTimerMessage();

    bool ModemConnected = false;
    QDateTime CallStartTime;
    // The local date and time, replaceable for tests of the call duration.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };
    // The modem dialogue's waits; tests shorten them.
    ModemTiming modemTiming;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
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
    bool DialController();
    void dropLink();
    void startUpAccepted();
    // maincommands.cpp helpers.
    void runTableStateProcedure();
    bool readConfigurationRecord(ConfigRecord &record, bool forEditor);
    void writeEditedConfiguration(const ConfigImage &before);
    void hangUpAndDisconnect();
    // main.cpp: creation, the menu and the close.
    void FormCreate();
    void FormShow();
    void FormClose();
    void buildMenuBitmaps();
    void connectCommands();
    void placeModemPanel();
    void hideTopLevelItems();
    void showModemPanel(bool shown);
    void onOperationRunning(bool running);
    void runDeferred();
    TransferContext transferContext();

    std::unique_ptr<Ui::TFormMain> ui;
    ProgramState state_;
    PanelStatusBar *statusBar_;
    WindowOperator op_;
    QTimer *timerStart_;
    QTimer *timerMessage_;
    QTimer *timerMoney_;
    DialCancel dialCancel_;
    QShortcut *escapeCancelsDial_;
    // What the operator asked for while an operation ran; done once it has returned.
    bool closeRequested_ = false;
    bool hangUpRequested_ = false;
    bool closed_ = false;
};

// "hh:mm:ss" of the time of day in `elapsed`: whole days and milliseconds dropped.
QString CallDurationText(qint64 elapsedMs);

} // namespace ktv31
