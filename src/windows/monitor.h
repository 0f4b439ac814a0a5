// TFormMonitor: the exchange decoded, live, in a window that stays open beside the others; and
// the program's one monitor that feeds it for the whole run.
#pragma once

#include "shell/exchangefeed.h"
#include "windows/exchangerowmodel.h"
#include "windows/windowoperator.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace Ui {
class TFormMonitor;
}

namespace ktv31 {

class TFormMonitor : public QWidget
{
    Q_OBJECT
public:
    // The rows are lent for the window's life; "Сохранить..." offers the log folder of
    // `programDir`.
    TFormMonitor(ExchangeRowModel &rows, const QString &programDir, QWidget *parent = nullptr);
    ~TFormMonitor() override;

private slots:
    void CheckBox1Click(bool faultsOnly);
    void BitBtn1Click();
    void BitBtn2Click();

private:
    void setUpGrid();
    void followNewestRows();
    bool atBottom() const;
    void onOperationRunning(bool running);
    QByteArray shownRowsText() const;
    void saveText(const QString &path, const QByteArray &text);

    std::unique_ptr<Ui::TFormMonitor> ui;
    ExchangeRowModel &rows_;
    FaultRowFilter *shown_;
    WindowOperator op_;
    const QString programDir_;
    bool following_ = true; // the newest row is in view and stays there
    int topRowKept_ = -1;   // while older rows go from under a person reading
};

// Subscribes to the exchange on creation and keeps the newest rows whether the window is open or
// not, so that opening it shows the session so far. Lines are taken at most every
// TakeIntervalMs: a burst costs one batch, not a pass of the window per line. Each batch costs
// the open window one paint (about 2 ms on a slow machine), run from whatever exchange wait is
// under way; four a second look live and leave nearly every exchange alone.
class ExchangeMonitor : public QObject
{
    Q_OBJECT
public:
    static constexpr int TakeIntervalMs = 250;

    explicit ExchangeMonitor(const QString &programDir, QObject *parent = nullptr);
    ~ExchangeMonitor() override;

    ExchangeRowModel &rows() { return rows_; }
    TFormMonitor *window() const { return window_; }

    // Shows the window, or raises the one that is open.
    void open();

private:
    void scheduleTake();
    void takeLines();

    const QString programDir_;
    ExchangeFeed feed_;
    ExchangeRowModel rows_;
    QTimer take_;
    QElapsedTimer sinceTake_;
    QPointer<TFormMonitor> window_;
};

} // namespace ktv31
