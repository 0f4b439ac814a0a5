// TFormMonitor: the grid over the rows, following the newest, the fault filter, saving and
// clearing; ExchangeMonitor: the feed taken in batches, the window opened on demand.
#include "windows/monitor.h"

#include "shell/operation.h"
#include "shell/settings.h"
#include "shell/wholefile.h"
#include "ui_monitor.h"
#include "windows/glyphs.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QScrollBar>
#include <QShortcut>

#include <algorithm>

namespace ktv31 {
namespace {

const QString kSaveTitle = QStringLiteral("Сохранение журнала обмена");

QString DefaultSaveName()
{
    return QDateTime::currentDateTime().toString(
        QStringLiteral("'exchange-'yyyyMMdd-HHmmss'.txt'"));
}

} // namespace

TFormMonitor::TFormMonitor(ExchangeRowModel &rows, const QString &programDir, QWidget *parent)
    : QWidget(parent, Qt::Window), ui(new Ui::TFormMonitor), rows_(rows),
      shown_(new FaultRowFilter(this)), op_(this, nullptr), programDir_(programDir)
{
    ui->setupUi(this);
    // Closed, the window goes; the rows stay with the monitor for the next opening.
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    ui->BitBtn2->setIcon(Glyphs::Clear());
    ui->BitBtn3->setIcon(Glyphs::Exit());
    shown_->setSourceModel(&rows_);
    setUpGrid();
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TFormMonitor::CheckBox1Click);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TFormMonitor::BitBtn1Click);
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TFormMonitor::BitBtn2Click);
    connect(ui->BitBtn3, &QPushButton::clicked, this, &QWidget::close);
    connect(&OperationState::instance(), &OperationState::runningChanged, this,
            &TFormMonitor::onOperationRunning);
    onOperationRunning(OperationRunning());
    followNewestRows();
}

TFormMonitor::~TFormMonitor() = default;

void TFormMonitor::setUpGrid()
{
    QTableView *grid = ui->StringGrid1;
    grid->setModel(shown_);
    // Fixed row heights and column widths: nothing is measured over ten thousand rows.
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
    QHeaderView *columns = grid->horizontalHeader();
    columns->setStretchLastSection(true);
    const QFontMetrics metrics = grid->fontMetrics();
    columns->resizeSection(ExchangeRowModel::TimeColumn,
                           metrics.horizontalAdvance(QStringLiteral("00:00:00.000")) + 16);
    columns->resizeSection(ExchangeRowModel::KindColumn,
                           metrics.horizontalAdvance(QStringLiteral("MODEM>")) + 20);
    columns->resizeSection(ExchangeRowModel::SummaryColumn, 480);

    connect(shown_, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this] { following_ = atBottom(); });
    connect(shown_, &QAbstractItemModel::rowsInserted, this, [this] {
        if (following_)
            ui->StringGrid1->scrollToBottom();
    });
    // The oldest rows go: a person reading further down keeps the same rows in view.
    connect(shown_, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) {
                const int top = ui->StringGrid1->verticalScrollBar()->value();
                topRowKept_ = first == 0 && !atBottom() ? std::max(top - (last + 1), 0) : -1;
            });
    connect(shown_, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (topRowKept_ >= 0)
            ui->StringGrid1->verticalScrollBar()->setValue(topRowKept_);
        topRowKept_ = -1;
    });
    connect(shown_, &QAbstractItemModel::modelReset, this, &TFormMonitor::followNewestRows);
}

bool TFormMonitor::atBottom() const
{
    const QScrollBar *bar = ui->StringGrid1->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void TFormMonitor::followNewestRows()
{
    following_ = true;
    ui->StringGrid1->scrollToBottom();
}

// A save asks for a file in a modal dialog, which must not open inside a running exchange.
void TFormMonitor::onOperationRunning(bool running)
{
    ui->BitBtn1->setEnabled(!running);
    ui->BitBtn1->setToolTip(running ? QStringLiteral("Сохранить можно после окончания обмена")
                                    : QString());
}

void TFormMonitor::CheckBox1Click(bool faultsOnly)
{
    shown_->setFaultsOnly(faultsOnly);
    followNewestRows();
}

void TFormMonitor::BitBtn2Click()
{
    rows_.clear();
}

// The rows as shown, in decode-log's words: every row, or only the faults while they are shown
// alone.
QByteArray TFormMonitor::shownRowsText() const
{
    QString text;
    for (int row = 0; row < shown_->rowCount(); ++row) {
        text += RowText(rows_.row(shown_->mapToSource(shown_->index(row, 0)).row()));
        text += QLatin1Char('\n');
    }
    return text.toUtf8();
}

void TFormMonitor::BitBtn1Click()
{
    if (OperationRunning())
        return;
    OperationScope saving;
    const QByteArray text = shownRowsText();
    const QString folder = QFileInfo(ExchangeLogPath(programDir_)).absolutePath();
    QDir().mkpath(folder);
    FileChoice choice;
    choice.title = kSaveTitle;
    choice.initialFolder = folder;
    choice.fileName = DefaultSaveName();
    choice.filter = QStringLiteral("Текстовые файлы (*.txt);;Все файлы (*)");
    choice.confirmOverwrite = true;
    QPointer<TFormMonitor> self(this);
    const QString path = op_.ChooseSaveFile(choice);
    if (self && !path.isEmpty())
        saveText(path, text);
}

void TFormMonitor::saveText(const QString &path, const QByteArray &text)
{
    switch (const FileFault fault = ReplaceFile(path, text)) {
    case FileFault::None:
        op_.ShowMessageBox(MessageBoxKind::Notice, QStringLiteral("Журнал обмена"),
                           QStringLiteral("сохранен в файле %1").arg(QFileInfo(path).fileName()));
        return;
    case FileFault::WriteFailed:
    case FileFault::NoSpace:
        op_.ShowMessageBox(
            MessageBoxKind::Error, WriteFailedText(),
            QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), FileFaultText(fault)));
        return;
    default:
        op_.ShowMessageBox(MessageBoxKind::Error, OpenFailedText(), FileFaultText(fault));
        return;
    }
}

ExchangeMonitor::ExchangeMonitor(const QString &programDir, QObject *parent)
    : QObject(parent), programDir_(programDir)
{
    take_.setSingleShot(true);
    connect(&feed_, &ExchangeFeed::linesWaiting, this, &ExchangeMonitor::scheduleTake);
    connect(&take_, &QTimer::timeout, this, &ExchangeMonitor::takeLines);
}

ExchangeMonitor::~ExchangeMonitor()
{
    delete window_;
}

void ExchangeMonitor::open()
{
    if (!window_)
        window_ = new TFormMonitor(rows_, programDir_);
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

// The first line after a quiet spell is taken at the next pass of the event loop; later ones
// wait for the rest of the interval, so the exchange's own waits see at most one batch in it.
void ExchangeMonitor::scheduleTake()
{
    if (take_.isActive())
        return;
    const qint64 since = sinceTake_.isValid() ? sinceTake_.elapsed() : TakeIntervalMs;
    take_.start(int(std::clamp<qint64>(TakeIntervalMs - since, 0, TakeIntervalMs)));
}

void ExchangeMonitor::takeLines()
{
    sinceTake_.start();
    const ExchangeFeed::Batch batch = feed_.takeLines();
    rows_.appendLines(batch.lines, batch.lost);
}

} // namespace ktv31
