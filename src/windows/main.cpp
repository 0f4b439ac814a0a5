// TFormMain: creation of the program-wide state, the menu rule, the status bar, timers and close.
#include "windows/main.h"

#include "service/linkoperations.h"
#include "shell/clock.h"
#include "shell/operation.h"
#include "ui_main.h"
#include "windows/about.h"
#include "windows/accessiblevalue.h"
#include "windows/connpar.h"
#include "windows/glyphs.h"
#include "windows/menubarstyle.h"
#include "windows/monitor.h"
#include "windows/statusbar.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLocale>
#include <QPointer>
#include <QShortcut>
#include <QTimer>

namespace ktv31 {
namespace {

constexpr int kStartDelayMs = 100;
constexpr int kMessageClearMs = 3000;
constexpr int kCallTickMs = 1000;
constexpr int kPanelRightGap = 55;
constexpr qint64 kMsPerDay = 24 * 3600 * 1000;

QTimer *MakeTimer(QObject *parent, const char *name, int intervalMs)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(intervalMs);
    return timer;
}

} // namespace

QString CallDurationText(qint64 elapsedMs)
{
    const qint64 seconds = ((elapsedMs % kMsPerDay + kMsPerDay) % kMsPerDay) / 1000;
    return QString::asprintf("%02d:%02d:%02d", int(seconds / 3600), int(seconds / 60 % 60),
                             int(seconds % 60));
}

TFormMain::TFormMain(const QString &programDir, QWidget *parent)
    : QMainWindow(parent), ui(new Ui::TFormMain), programDir_(programDir),
      statusBar_(new PanelStatusBar(this)), op_(this, statusBar_),
      service_(settings_, op_, programDir),
      timerStart_(MakeTimer(this, "TimerStart", kStartDelayMs)),
      timerMessage_(MakeTimer(this, "TimerMessage", kMessageClearMs)),
      timerMoney_(MakeTimer(this, "TimerMoney", kCallTickMs)),
      escapeCancelsDial_(new QShortcut(Qt::Key_Escape, this))
{
    ui->setupUi(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setPanelWidths({180, 557, 80});
    setStatusBar(statusBar_);
    timerStart_->setSingleShot(true);
    buildMenuBitmaps();
    ui->BitBtn3->setIcon(Glyphs::HangUp());
    ReadAsValue(ui->pntime, ui->Label1->text());
    // Esc cancels a dialling; otherwise the key is the windows' own.
    escapeCancelsDial_->setEnabled(false);
    connect(escapeCancelsDial_, &QShortcut::activated, &service_.dialCancel(), &DialCancel::cancel);
    connect(&service_, &ServiceSession::diallingChanged, escapeCancelsDial_,
            &QShortcut::setEnabled);
    connect(&service_, &ServiceSession::callChanged, this, &TFormMain::onCallChanged);
    // The client area shrinks when the menu comes back after the start-up sequence, without the
    // window changing its size: the modem panel follows the area, not the window.
    ui->ClientArea->installEventFilter(this);
    connectCommands();
    FormCreate();
}

TFormMain::~TFormMain()
{
    // A window destroyed without being closed still leaves the settings and the line in order.
    if (!closed_)
        FormClose(false);
}

void TFormMain::connectCommands()
{
    connect(timerStart_, &QTimer::timeout, this, &TFormMain::TimerStartTimer);
    connect(timerMessage_, &QTimer::timeout, this, &TFormMain::TimerMessageTimer);
    connect(timerMoney_, &QTimer::timeout, this, &TFormMain::TimerMoneyTimer);
    connect(ui->Nconnect, &QAction::triggered, this, &TFormMain::NconnectClick);
    connect(ui->NCnfNew, &QAction::triggered, this, &TFormMain::NCnfClick);
    connect(ui->NCnfEdit, &QAction::triggered, this, &TFormMain::NCnfClick);
    connect(ui->N3, &QAction::triggered, this, &TFormMain::N3Click);
    connect(ui->Nexit, &QAction::triggered, this, &TFormMain::NexitClick);
    connect(ui->Nident, &QAction::triggered, this, &TFormMain::NidentClick);
    connect(ui->N2, &QAction::triggered, this, &TFormMain::N2Click);
    connect(ui->N1, &QAction::triggered, this, &TFormMain::N1Click);
    connect(ui->Nabout, &QAction::triggered, this, &TFormMain::NaboutClick);
    // Not an operation: the monitor opens and stays usable while one runs.
    auto *monitor = new ExchangeMonitor(programDir_, this);
    connect(ui->NMonitor, &QAction::triggered, monitor, &ExchangeMonitor::open);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &TFormMain::BitBtn3Click);
    connect(&OperationState::instance(), &OperationState::runningChanged, this,
            &TFormMain::onOperationRunning);
    ui->NCnfNew->setData(0);
    ui->NCnfEdit->setData(1);
}

void TFormMain::FormCreate()
{
    // Numbers are written with a point whatever the desktop's language.
    QLocale::setDefault(QLocale::c());
    service_.exchange().StatusPanel = StatusPanel{&op_, Panel::Exchange};
    op_.setResultText([this] { return ResultText(service_.exchange()); });
    op_.setStatusTextsDone([this] { ArmTimerMessage(); });
    op_.setAbortWait([this] { service_.cutShort(); });
    service_.reopenLostPort = true;
    CreateProgramFolders(programDir_);
    settingsPath_ = SettingsFilePath(programDir_);
    const SettingsFileRead read = ReadSettingsFile(settingsPath_);
    settings_ = read.settings;
    settingsNotice_ = KeepDamagedSettings(settingsPath_, read);
    hideTopLevelItems();
    showModemPanel(false);
    timerStart_->start();
}

void TFormMain::buildMenuBitmaps()
{
    auto *style = new MenuBarStyle;
    style->setParent(ui->MainMenu1);
    ui->MainMenu1->setStyle(style);
    ui->NFile->menuAction()->setIcon(Glyphs::MenuFile());
    ui->NWorkPar->menuAction()->setIcon(Glyphs::MenuParameters());
    ui->Nconnect->setIcon(Glyphs::MenuLink());
    ui->NGeneral->menuAction()->setIcon(Glyphs::MenuGeneral());
}

void TFormMain::hideTopLevelItems()
{
    for (QAction *item : ui->MainMenu1->actions())
        item->setVisible(false);
}

void TFormMain::UpdateMenus()
{
    for (QAction *top : ui->MainMenu1->actions()) {
        top->setVisible(true);
        if (!top->menu())
            continue;
        for (QAction *item : top->menu()->actions()) {
            item->setVisible(true);
            if (item->menu())
                for (QAction *sub : item->menu()->actions())
                    sub->setVisible(true);
        }
    }
    if (!service_.deviceAccepted()) {
        ui->NWorkPar->menuAction()->setVisible(false);
        ui->N3->setVisible(false);
        statusBar_->setPanelText(Panel::Link, QString());
    }
}

// While an operation runs, no command may start another one inside it; a close or a hang-up
// asked for meanwhile is carried out once it has returned.
void TFormMain::onOperationRunning(bool running)
{
    for (QAction *command :
         {ui->NCnfNew, ui->NCnfEdit, ui->N3, ui->Nident, ui->N2, ui->N1, ui->Nconnect, ui->Nabout})
        command->setEnabled(!running);
    if (!running)
        QTimer::singleShot(0, this, &TFormMain::runDeferred);
}

void TFormMain::runDeferred()
{
    if (OperationRunning())
        return;
    if (hangUpRequested_) {
        hangUpRequested_ = false;
        BitBtn3Click();
    }
    if (closeRequested_)
        close();
}

void TFormMain::ArmTimerMessage()
{
    if (!timerMessage_->isActive())
        timerMessage_->start();
}

void TFormMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TFormMain::FormShow()
{
    statusBar_->setPanelWidth(
        Panel::Step, statusBar_->width() - statusBar_->panelWidth(Panel::Link) - kPanelRightGap);
}

// The window opens maximised, so its final width is known only once it has been laid out; the
// panel follows it.
void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    if (isVisible())
        FormShow();
}

bool TFormMain::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->ClientArea && event->type() == QEvent::Resize)
        placeModemPanel();
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::placeModemPanel()
{
    const QWidget *area = ui->ClientArea;
    ui->pnmodem->move(area->width() - ui->pnmodem->width() - 4,
                      area->height() - ui->pnmodem->height() - 4);
}

void TFormMain::showModemPanel(bool shown)
{
    ui->pnmodem->setVisible(shown);
    if (shown)
        placeModemPanel();
}

void TFormMain::TimerMessageTimer()
{
    timerMessage_->stop();
    statusBar_->setPanelText(Panel::Step, QString());
}

void TFormMain::TimerMoneyTimer()
{
    ui->pntime->setText(CallDurationText(CallStartTime.msecsTo(clock())));
}

void TFormMain::closeEvent(QCloseEvent *event)
{
    if (closed_) {
        event->accept();
        return;
    }
    if (OperationRunning()) {
        // Nothing the running operation uses may go: it is cut short, the close follows.
        event->ignore();
        closeRequested_ = true;
        service_.interrupt();
        return;
    }
    FormClose(true);
    event->accept();
}

void TFormMain::FormClose(bool tellFailure)
{
    if (closed_)
        return;
    FileFault reason = FileFault::None;
    {
        BusyScope busy(op_);
        reason = EndSession();
    }
    if (reason != FileFault::None && tellFailure) {
        const QStringList lines = SettingsNotSavedText(settingsPath_, reason);
        op_.ShowMessageBox(MessageBoxKind::Error, lines.value(0), lines.value(1));
    }
}

void TFormMain::EndWithoutDisplay()
{
    if (closed_)
        return;
    ClockScope sleeping(ClockWithoutEvents());
    EndSession();
}

FileFault TFormMain::EndSession()
{
    closed_ = true;
    timerStart_->stop();
    Disconnect(service_);
    FileFault reason = FileFault::None;
    SaveSettings(settingsPath_, settings_, &reason);
    // Settings lost without a word would be taken for settings kept.
    if (reason != FileFault::None)
        qCWarning(lcWindows).noquote()
            << SettingsNotSavedText(settingsPath_, reason).join(QStringLiteral(": "));
    return reason;
}

void TFormMain::NexitClick()
{
    close();
}

void TFormMain::NaboutClick()
{
    if (OperationRunning())
        return;
    OperationScope command;
    QPointer<TFormAbout> about = new TFormAbout(this);
    about->exec();
    delete about;
}

} // namespace ktv31
