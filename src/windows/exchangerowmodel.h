// The exchange's decoded rows as a table model for the monitor window, and its filter of faults.
#pragma once

#include "config/exchangedecoder.h"
#include "shell/exchangeline.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <deque>
#include <vector>

namespace ktv31 {

// The newest rows of the exchange, decoded in the order their lines came: at most `capacity` of
// them and about `byteBudget` bytes of memory, so that a day of long table answers stays as
// bounded as a day of short ones. Lines are appended in batches: one insertion (and at most one
// removal of the oldest rows) per batch.
class ExchangeRowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int DefaultCapacity = 10000;
    static constexpr qint64 DefaultByteBudget = 2 * 1024 * 1024;
    enum Column
    {
        TimeColumn,
        KindColumn,
        SummaryColumn,
        BytesColumn,
        ColumnCount
    };
    // Whether the row is a fault (bool), for the filter.
    static constexpr int FaultRole = Qt::UserRole;

    explicit ExchangeRowModel(int capacity = DefaultCapacity, qint64 byteBudget = DefaultByteBudget,
                              QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // `lost` lines were dropped before these; a note row says how many.
    void appendLines(const std::vector<ExchangeLine> &lines, qint64 lost = 0);
    // Drops every row; the decoder keeps the request an answer is decoded against.
    void clear();

    const DecodedRow &row(int row) const { return rows_[size_t(row)]; }
    int capacity() const { return capacity_; }
    // The memory the rows hold, as counted against the budget.
    qint64 bytesHeld() const { return bytesHeld_; }

private:
    QString cellText(const DecodedRow &row, int column) const;
    QString timeOfDay(qint64 msSinceEpoch) const;

    const int capacity_;
    const qint64 byteBudget_;
    std::deque<DecodedRow> rows_;
    qint64 bytesHeld_ = 0;
    ExchangeDecoder decoder_;
    // The local time's offset from UTC, looked up once a quarter of an hour (the finest step a
    // time zone changes by) rather than for every cell painted.
    mutable qint64 offsetQuarter_ = -1;
    mutable qint64 offsetMs_ = 0;
};

// The note row for lines a monitor never received.
QString LostLinesText(qint64 lost);

// Shows every row, or only the faults.
class FaultRowFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setFaultsOnly(bool faultsOnly);
    bool faultsOnly() const { return faultsOnly_; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool faultsOnly_ = false;
};

} // namespace ktv31
