// The 254 calculators of a configuration record as a table model for the editor's grid.
#pragma once

#include "config/configimage.h"

#include <QAbstractTableModel>

namespace ktv31 {

// Row r is calculator address r + 1; the cells are the editor's padded texts, read straight
// from the record, so the grid always shows what the record holds.
class CalculatorModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit CalculatorModel(ConfigRecord &record, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    static int AddressOfRow(int row) { return row + 1; }
    // The record changed under the rows; the grid shows it again.
    void refreshRow(int row);
    void refreshAll();

private:
    ConfigRecord &record_;
};

} // namespace ktv31
