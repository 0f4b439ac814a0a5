// Cell texts of the calculator grid, from the core's rule.
#include "windows/calculatormodel.h"

#include "config/configeditor.h"
#include "config/configtexts.h"

namespace ktv31 {

CalculatorModel::CalculatorModel(ConfigRecord &record, QObject *parent)
    : QAbstractTableModel(parent), record_(record)
{
}

int CalculatorModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ShownCalculatorCount;
}

int CalculatorModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant CalculatorModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return CalculatorCells(record_, AddressOfRow(index.row()))[size_t(index.column())];
}

QVariant CalculatorModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    return EditorText::GridHeaders().value(section);
}

void CalculatorModel::refreshRow(int row)
{
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CalculatorModel::refreshAll()
{
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

} // namespace ktv31
