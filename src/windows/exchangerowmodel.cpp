// The monitor's rows: decoded once as they come, their cells composed only when shown.
#include "windows/exchangerowmodel.h"

#include <QColor>
#include <QDateTime>

#include <algorithm>

namespace ktv31 {
namespace {

// The program's red, as for a destroyed table.
const QColor kFaultColour(255, 0, 0);

// What a row holds in memory, near enough: the row itself, its texts and its bytes.
qint64 RowBytes(const DecodedRow &row)
{
    qint64 bytes = qint64(sizeof(DecodedRow)) + row.bytes.capacity() +
                   qint64(sizeof(QChar)) * row.summary.capacity();
    for (const QString &fault : row.faults)
        bytes += qint64(sizeof(QString)) + qint64(sizeof(QChar)) * fault.capacity();
    return bytes;
}
constexpr qint64 kQuarterHourMs = 15 * 60 * 1000;
constexpr qint64 kDayMs = 24 * 3600 * 1000;
// Beyond this a cell shows the start of its text: laying out a whole answer in hex at every
// paint would cost the window milliseconds. The tooltip and a screen reader get all of it.
constexpr int kShownCharacters = 120;

QString SinceLastText(const DecodedRow &row)
{
    return row.sinceLastMs >= 0
               ? QStringLiteral("+%1 мс после предыдущей строки").arg(row.sinceLastMs)
               : QString();
}

QString Shortened(const QString &text)
{
    return text.size() <= kShownCharacters ? text : text.left(kShownCharacters) + QChar(0x2026);
}

} // namespace

QString LostLinesText(qint64 lost)
{
    return QStringLiteral("Пропущено строк обмена: %1").arg(lost);
}

ExchangeRowModel::ExchangeRowModel(int capacity, qint64 byteBudget, QObject *parent)
    : QAbstractTableModel(parent), capacity_(std::max(capacity, 1)), byteBudget_(byteBudget)
{
}

int ExchangeRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int ExchangeRowModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString ExchangeRowModel::timeOfDay(qint64 msSinceEpoch) const
{
    if (const qint64 quarter = msSinceEpoch / kQuarterHourMs; quarter != offsetQuarter_) {
        offsetQuarter_ = quarter;
        offsetMs_ = qint64(QDateTime::fromMSecsSinceEpoch(msSinceEpoch).offsetFromUtc()) * 1000;
    }
    const qint64 ms = ((msSinceEpoch + offsetMs_) % kDayMs + kDayMs) % kDayMs;
    return QString::asprintf("%02d:%02d:%02d.%03d", int(ms / 3600000), int(ms / 60000 % 60),
                             int(ms / 1000 % 60), int(ms % 1000));
}

QString ExchangeRowModel::cellText(const DecodedRow &row, int column) const
{
    switch (column) {
    case TimeColumn:
        return timeOfDay(row.timeMs);
    case KindColumn:
        return RowKindLabel(row.kind);
    case SummaryColumn:
        return row.summary;
    case BytesColumn:
        return row.hex();
    default:
        return {};
    }
}

QVariant ExchangeRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const DecodedRow &shown = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return Shortened(cellText(shown, index.column()));
    case Qt::AccessibleTextRole:
        return cellText(shown, index.column());
    case Qt::ToolTipRole:
        return index.column() == TimeColumn ? QVariant(SinceLastText(shown))
                                            : cellText(shown, index.column());
    // A screen reader gets the whole row as decode-log prints it, whichever cell it is on.
    case Qt::AccessibleDescriptionRole:
        return RowText(shown);
    case Qt::ForegroundRole:
        return shown.fault ? QVariant(kFaultColour) : QVariant();
    case FaultRole:
        return shown.fault;
    default:
        return {};
    }
}

QVariant ExchangeRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case TimeColumn:
        return QStringLiteral("Время");
    case KindColumn:
        return QStringLiteral("Вид");
    case SummaryColumn:
        return QStringLiteral("Содержание");
    case BytesColumn:
        return QStringLiteral("Байты");
    default:
        return {};
    }
}

void ExchangeRowModel::appendLines(const std::vector<ExchangeLine> &lines, qint64 lost)
{
    std::vector<DecodedRow> fresh;
    fresh.reserve(lines.size() + 1);
    if (lost > 0) {
        const qint64 at =
            lines.empty() ? QDateTime::currentMSecsSinceEpoch() : lines.front().msSinceEpoch;
        fresh.push_back(decoder_.decode(
            ExchangeLine{at, LogLineKind::Note, QByteArray(), LostLinesText(lost)}));
        fresh.back().fault = true; // a fault may have been among them
    }
    for (const ExchangeLine &line : lines)
        fresh.push_back(decoder_.decode(line));
    if (fresh.empty())
        return;

    // The newest fresh rows that fit on their own (one always does)...
    qint64 freshBytes = 0;
    for (const DecodedRow &row : fresh)
        freshBytes += RowBytes(row);
    const size_t capacity = size_t(capacity_);
    size_t skipped = 0;
    while (fresh.size() - skipped > 1 &&
           (fresh.size() - skipped > capacity || freshBytes > byteBudget_))
        freshBytes -= RowBytes(fresh[skipped++]);
    if (skipped > 0) {
        beginResetModel();
        rows_.assign(std::make_move_iterator(fresh.begin() + std::ptrdiff_t(skipped)),
                     std::make_move_iterator(fresh.end()));
        bytesHeld_ = freshBytes;
        endResetModel();
        return;
    }
    // ...and as many of the held rows, the newest, as still fit beside them.
    size_t dropped = 0;
    qint64 held = bytesHeld_;
    while (dropped < rows_.size() &&
           (rows_.size() - dropped + fresh.size() > capacity || held + freshBytes > byteBudget_))
        held -= RowBytes(rows_[dropped++]);
    if (dropped > 0) {
        beginRemoveRows({}, 0, int(dropped) - 1);
        rows_.erase(rows_.begin(), rows_.begin() + std::ptrdiff_t(dropped));
        endRemoveRows();
    }
    bytesHeld_ = held + freshBytes;
    const int first = int(rows_.size());
    beginInsertRows({}, first, first + int(fresh.size()) - 1);
    rows_.insert(rows_.end(), std::make_move_iterator(fresh.begin()),
                 std::make_move_iterator(fresh.end()));
    endInsertRows();
}

void ExchangeRowModel::clear()
{
    if (rows_.empty())
        return;
    beginResetModel();
    rows_.clear();
    bytesHeld_ = 0;
    endResetModel();
}

void FaultRowFilter::setFaultsOnly(bool faultsOnly)
{
    if (faultsOnly == faultsOnly_)
        return;
    faultsOnly_ = faultsOnly;
    invalidateRowsFilter();
}

bool FaultRowFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    return !faultsOnly_ || sourceModel()
                               ->index(sourceRow, 0, sourceParent)
                               .data(ExchangeRowModel::FaultRole)
                               .toBool();
}

} // namespace ktv31
