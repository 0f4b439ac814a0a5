// The exchange monitor: rows live during a real exchange, the bound, the fault filter, following
// the newest row, clearing, saving and what a screen reader reads.
#include "config/tablecaptions.h"
#include "programrig.h"
#include "samplesession.h"
#include "windows/monitor.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace ktv31;
using ktv31::test::Child;
using ktv31::test::ModalScript;

namespace {

QString Cell(const QAbstractItemModel &model, int row, int column)
{
    return model.index(row, column).data().toString();
}

// Note lines "строка 0", "строка 1" ... from `first`, one millisecond apart.
std::vector<ExchangeLine> Notes(int first, int count)
{
    std::vector<ExchangeLine> lines;
    for (int i = first; i < first + count; ++i)
        lines.push_back({1000 + i, LogLineKind::Note, {}, QStringLiteral("строка %1").arg(i)});
    return lines;
}

// The window over its own rows, shown, with the sample session in it.
struct Monitor
{
    QTemporaryDir dir;
    ExchangeRowModel rows;
    TFormMonitor window{rows, dir.path() + QLatin1Char('/')};
    QTableView &grid = *Child<QTableView>(window, "StringGrid1");

    explicit Monitor(int capacity = ExchangeRowModel::DefaultCapacity) : rows(capacity)
    {
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.resize(900, 420);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QAbstractItemModel &shown() { return *grid.model(); }
    QScrollBar &bar() { return *grid.verticalScrollBar(); }
    QString topRow() { return grid.indexAt(QPoint(2, 2)).siblingAtColumn(2).data().toString(); }
};

} // namespace

class TestMonitor : public QObject
{
    Q_OBJECT
private slots:
    void rowsArriveWhileAnExchangeRuns();
    void keepsTheNewestRows_data();
    void keepsTheNewestRows();
    void keepsTheNewestRowsWithinItsBytes();
    void faultsAloneClearAndScreenReader();
    void followsTheNewestUnlessScrolledUp();
    void savesTheShownRowsAsDecodeLogPrintsThem();
};

void TestMonitor::rowsArriveWhileAnExchangeRuns()
{
    test::Program program;
    sim::SimOptions options;
    options.thinkTimeMs = 300; // the answer comes well after the request is on the line
    QVERIFY(program.startController(options));
    program.launch();
    TFormMain &main = *program.main;
    ServiceSession &service = main.service();
    QVERIFY(service.deviceAccepted());

    auto *menuItem = main.findChild<QAction *>(QStringLiteral("NMonitor"));
    menuItem->trigger();
    auto *monitor = main.findChild<ExchangeMonitor *>();
    QPointer<TFormMonitor> window = monitor->window();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral(" Журнал обмена"));
    QVERIFY(!window->isModal());
    menuItem->trigger();
    QCOMPARE(monitor->window(), window.data()); // raised, not opened twice
    // The main window behind the wait dialog takes the monitor with it no more than a dialog.
    main.setEnabled(false);
    QVERIFY(window->isEnabled());
    main.setEnabled(true);

    QAbstractItemModel &shown = *Child<QTableView>(*window, "StringGrid1")->model();
    const auto requestShown = [&] {
        for (int row = 0; row < shown.rowCount(); ++row)
            if (Cell(shown, row, ExchangeRowModel::KindColumn) == QLatin1String("TX") &&
                Cell(shown, row, ExchangeRowModel::SummaryColumn).contains(TableCaption(0)))
                return true;
        return false;
    };
    QTRY_VERIFY2(requestShown(), "the start-up's identification is not in the window"); // so far
    Child<QPushButton>(*window, "BitBtn2")->click();
    QVERIFY(!requestShown());

    bool shownWhileRunning = false;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout,
            [&] { shownWhileRunning |= ExchangeRunning(service.exchange()) && requestShown(); });
    sampler.start(0);
    program.trigger("Nident");
    sampler.stop();
    QCOMPARE(program.dialogs, QStringList{"ktv31::TFormIdent"});
    QVERIFY2(shownWhileRunning, "the request was not shown before the exchange returned");
    QTRY_COMPARE(Cell(shown, shown.rowCount() - 1, ExchangeRowModel::KindColumn),
                 QStringLiteral("RESULT"));
    QCOMPARE(Cell(shown, shown.rowCount() - 2, ExchangeRowModel::KindColumn), QStringLiteral("RX"));
    menuItem->trigger(); // brought to the front again after the identification view
    QVERIFY(QTest::qWaitForWindowActive(window));
    QTest::keyClick(Child<QTableView>(*window, "StringGrid1"), Qt::Key_Escape);
    QTRY_VERIFY(!window);
    QVERIFY(monitor->rows().rowCount() >= 3); // kept for the next opening
}

void TestMonitor::keepsTheNewestRows_data()
{
    QTest::addColumn<QList<int>>("batches");
    QTest::addColumn<int>("lost");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("oldest");
    QTest::addColumn<QString>("newest");
    QTest::newRow("up to the bound") << QList<int>{4000, 4000, 2000} << 0 << 10000 << "строка 0"
                                     << "строка 9999";
    QTest::newRow("small batches past it")
        << QList<int>{6000, 4000, 3, 2} << 0 << 10000 << "строка 5"
        << "строка 10004";
    QTest::newRow("one batch past it") << QList<int>{10007} << 0 << 10000 << "строка 7"
                                       << "строка 10006";
    QTest::newRow("lines the monitor never got")
        << QList<int>{2} << 7 << 3 << LostLinesText(7) << "строка 1";
}

void TestMonitor::keepsTheNewestRows()
{
    QFETCH(QList<int>, batches);
    QFETCH(int, lost);
    QFETCH(int, rows);
    QFETCH(QString, oldest);
    QFETCH(QString, newest);
    ExchangeRowModel model;
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    int next = 0;
    for (int size : batches) {
        model.appendLines(Notes(next, size), lost);
        next += size;
    }
    QCOMPARE(model.rowCount(), rows);
    QCOMPARE(Cell(model, 0, ExchangeRowModel::SummaryColumn), oldest);
    QCOMPARE(Cell(model, rows - 1, ExchangeRowModel::SummaryColumn), newest);
    QCOMPARE(model.row(0).fault, lost > 0);
    // One change of the rows a batch, however many lines it holds.
    QCOMPARE(inserted.count() + reset.count(), batches.size());
}

// Long rows are dropped by their memory before the count is reached; the rows kept are the
// newest, in order, and the memory held comes back to nothing when they are cleared.
void TestMonitor::keepsTheNewestRowsWithinItsBytes()
{
    constexpr qint64 kBudget = 256 * 1024;
    ExchangeRowModel model(ExchangeRowModel::DefaultCapacity, kBudget);
    const QString longText(2000, u'ж');
    int next = 0;
    for (int batch = 0; batch < 40; ++batch) {
        std::vector<ExchangeLine> lines;
        for (int i = 0; i < 30; ++i, ++next)
            lines.push_back({1000 + next,
                             LogLineKind::Note,
                             {},
                             QStringLiteral("строка %1 ").arg(next) + longText});
        model.appendLines(lines);
        QVERIFY(model.bytesHeld() <= kBudget);
    }
    const int rows = model.rowCount();
    QVERIFY2(rows > 10 && rows < next, qPrintable(QString::number(rows)));
    for (int row : {0, rows - 1})
        QVERIFY(Cell(model, row, ExchangeRowModel::SummaryColumn)
                    .startsWith(QStringLiteral("строка %1 ").arg(next - rows + row)));
    model.clear();
    QCOMPARE(model.bytesHeld(), 0);
}

void TestMonitor::faultsAloneClearAndScreenReader()
{
    Monitor monitor;
    const std::vector<ExchangeLine> session = test::SampleSession(1718350215000);
    monitor.rows.appendLines(session);
    QCOMPARE(monitor.shown().rowCount(), int(session.size()));

    Child<QCheckBox>(monitor.window, "CheckBox1")->click();
    QList<int> faults;
    for (int row : test::SampleSessionFaults)
        faults << row;
    QCOMPARE(monitor.shown().rowCount(), faults.size());
    for (int row = 0; row < faults.size(); ++row) {
        QCOMPARE(Cell(monitor.shown(), row, ExchangeRowModel::TimeColumn),
                 Cell(monitor.rows, faults[row], ExchangeRowModel::TimeColumn));
        QCOMPARE(monitor.shown().index(row, 0).data(Qt::ForegroundRole).value<QColor>(),
                 QColor(255, 0, 0));
    }
    QCOMPARE(monitor.rows.index(0, 0).data(Qt::ForegroundRole), QVariant());

    // A screen reader reads each cell whole, where the cell shows the start of a long text, and
    // the row as decode-log prints it.
    const DecodedRow &badCrc = monitor.rows.row(faults[0]);
    const QStringList whole{Cell(monitor.shown(), 0, ExchangeRowModel::TimeColumn), "RX",
                            badCrc.summary, badCrc.hex()};
    QVERIFY(Cell(monitor.shown(), 0, ExchangeRowModel::SummaryColumn).size() <
            badCrc.summary.size());
    QAccessibleInterface *grid = QAccessible::queryAccessibleInterface(&monitor.grid);
    QVERIFY(grid && grid->tableInterface());
    QCOMPARE(grid->tableInterface()->rowCount(), faults.size());
    for (int column = 0; column < ExchangeRowModel::ColumnCount; ++column) {
        QAccessibleInterface *cell = grid->tableInterface()->cellAt(0, column);
        QVERIFY(cell);
        QCOMPARE(cell->text(QAccessible::Name), whole[column]);
        QCOMPARE(cell->text(QAccessible::Description), RowText(badCrc));
    }
    QAccessibleInterface *close =
        QAccessible::queryAccessibleInterface(Child<QPushButton>(monitor.window, "BitBtn3"));
    QCOMPARE(close->text(QAccessible::Name), QStringLiteral("Закрыть"));

    Child<QPushButton>(monitor.window, "BitBtn2")->click();
    QCOMPARE(monitor.rows.rowCount(), 0);
    QCOMPARE(monitor.shown().rowCount(), 0);
    monitor.rows.appendLines({session[4], session[3]}); // a fault and a request after the clear
    QCOMPARE(monitor.shown().rowCount(), 1);
}

void TestMonitor::followsTheNewestUnlessScrolledUp()
{
    Monitor monitor(300);
    monitor.rows.appendLines(Notes(0, 200));
    QTRY_VERIFY(monitor.bar().maximum() > 0);
    QCOMPARE(monitor.bar().value(), monitor.bar().maximum());

    // Scrolled up: new rows do not move the view, nor do the oldest rows going from under it.
    monitor.bar().setValue(150);
    const QString reading = monitor.topRow();
    QCOMPARE(reading, QStringLiteral("строка 150"));
    monitor.rows.appendLines(Notes(200, 50));
    QCOMPARE(monitor.topRow(), reading);
    monitor.rows.appendLines(Notes(250, 100)); // 50 of the oldest go
    QCOMPARE(monitor.rows.rowCount(), 300);
    QCOMPARE(monitor.topRow(), reading);
    QVERIFY(monitor.bar().value() < monitor.bar().maximum());

    // Back at the bottom, it follows again.
    monitor.bar().setValue(monitor.bar().maximum());
    monitor.rows.appendLines(Notes(350, 20));
    QCOMPARE(monitor.bar().value(), monitor.bar().maximum());
    const QModelIndex last = monitor.shown().index(monitor.shown().rowCount() - 1, 0);
    QVERIFY(monitor.grid.viewport()->rect().contains(monitor.grid.visualRect(last)));
}

void TestMonitor::savesTheShownRowsAsDecodeLogPrintsThem()
{
    Monitor monitor;
    ModalScript script;
    QStringList questions;
    script.onDialog = [&](QDialog *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY(box);
        questions << box->text();
        box->button(QMessageBox::Yes)->click();
    };
    const std::vector<ExchangeLine> session = test::SampleSession(1718350215000);
    monitor.rows.appendLines(session);
    const QString path = monitor.dir.filePath(QStringLiteral("exchange.txt"));
    auto *save = Child<QPushButton>(monitor.window, "BitBtn1");
    const auto savedLines = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n')
                                              : QStringList();
    };

    script.queueFile(path);
    save->click();
    QStringList all;
    for (int row = 0; row < monitor.rows.rowCount(); ++row)
        all << RowText(monitor.rows.row(row));
    QCOMPARE(savedLines(), all + QStringList{QString()});
    QCOMPARE(script.boxes.last().lines,
             (QStringList{"Журнал обмена", "сохранен в файле exchange.txt"}));
    QVERIFY(questions.isEmpty());

    // With the faults alone shown, only they are saved; replacing the file is asked first.
    Child<QCheckBox>(monitor.window, "CheckBox1")->click();
    script.queueFile(path);
    save->click();
    QCOMPARE(questions.size(), 1);
    QStringList faults;
    for (int row : test::SampleSessionFaults)
        faults << all[row];
    QCOMPARE(savedLines(), faults + QStringList{QString()});

    // Inside a running exchange a modal file dialog would hold it up.
    OperationScope running;
    QVERIFY(!save->isEnabled());
}

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
