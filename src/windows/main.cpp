// TFormMain: creation of the program-wide state, the menu rule, the status bar and the timers.
#include "windows/main.h"

#include "ui_main.h"
#include "connection/controllerlink.h"
#include "windows/about.h"
#include "windows/glyphs.h"
#include "windows/menubarstyle.h"
#include "windows/statusbar.h"

#include <QLocale>
#include <QPointer>
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
    : QMainWindow(parent), ui(new Ui::TFormMain), statusBar_(new PanelStatusBar(this)),
      op_(this, statusBar_), timerStart_(MakeTimer(this, "TimerStart", kStartDelayMs)),
      timerMessage_(MakeTimer(this, "TimerMessage", kMessageClearMs)),
      timerMoney_(MakeTimer(this, "TimerMoney", kCallTickMs))
{
    ui->setupUi(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setPanelWidths({180, 557, 80});
    setStatusBar(statusBar_);
    timerStart_->setSingleShot(true);
    buildMenuBitmaps();
    ui->BitBtn3->setIcon(Glyphs::HangUp());
    ui->pntime->setAccessibleName(ui->Label1->text());

    connect(timerStart_, &QTimer::timeout, this, &TFormMain::TimerStartTimer);
    connect(timerMessage_, &QTimer::timeout, this, &TFormMain::TimerMessageTimer);
    connect(timerMoney_, &QTimer::timeout, this, &TFormMain::TimerMoneyTimer);
    connect(ui->Nexit, &QAction::triggered, this, &TFormMain::NexitClick);
    connect(ui->Nabout, &QAction::triggered, this, &TFormMain::NaboutClick);
    ui->NCnfNew->setData(0);
    ui->NCnfEdit->setData(1);

    state_.programDir = programDir;
    FormCreate();
}

TFormMain::~TFormMain() = default;

void TFormMain::FormCreate()
{
    // Numbers are written with a point whatever the desktop's language.
    QLocale::setDefault(QLocale::c());
    InitExchangeSession(state_.session, ControllerAddress);
    state_.session.StatusPanel = StatusPanel{&op_, MainPanel::Exchange};
    op_.setResultText([this] { return ResultText(state_.session); });
    state_.image = ConfigImage();
    CreateProgramFolders(state_.programDir);
    state_.settingsPath = SettingsFilePath(state_.programDir);
    state_.settings = LoadSettings(state_.settingsPath);
    state_.files.programDir = state_.programDir;
    state_.openPort.reset();
    hideTopLevelItems();
    ModemConnected = false;
    ui->pnmodem->hide();
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
    if (!state_.deviceAccepted) {
        ui->NWorkPar->menuAction()->setVisible(false);
        ui->N3->setVisible(false);
        statusBar_->setPanelText(MainPanel::Link, QString());
    }
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
    statusBar_->setPanelWidth(MainPanel::Progress, statusBar_->width() -
                                                       statusBar_->panelWidth(MainPanel::Link) -
                                                       kPanelRightGap);
}

// The window opens maximised, so its final width is known only once it has been laid out; the
// panel follows it.
void TFormMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeModemPanel();
    if (isVisible())
        FormShow();
}

void TFormMain::placeModemPanel()
{
    const QWidget *area = ui->ClientArea;
    ui->pnmodem->move(area->width() - ui->pnmodem->width() - 4,
                      area->height() - ui->pnmodem->height() - 4);
}

void TFormMain::TimerStartTimer()
{
    timerStart_->stop();
    UpdateMenus();
}

void TFormMain::TimerMessageTimer()
{
    timerMessage_->stop();
    statusBar_->setPanelText(MainPanel::Progress, QString());
}

void TFormMain::TimerMoneyTimer()
{
    ui->pntime->setText(CallDurationText(CallStartTime.msecsTo(clock())));
}

void TFormMain::NexitClick() { close(); }

void TFormMain::NaboutClick()
{
    QPointer<TFormAbout> about = new TFormAbout(this);
    about->exec();
    delete about;
}

} // namespace ktv31
