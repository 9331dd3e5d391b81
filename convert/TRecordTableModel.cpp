#include "convert/TRecordTableModel.h"

#include "convert/TField.h"
#include "convert/TRecordTable.h"

TRecordTableModel::TRecordTableModel(TRecordTable *table, QObject *parent) : QAbstractTableModel(parent), FTable(table)
{
    if (!table)
        return;
    connect(table, &TRecordTable::DataReset, this, &TRecordTableModel::Reset);
    connect(table, &TRecordTable::RowInserted, this, &TRecordTableModel::InsertRow);
    connect(table, &TRecordTable::RowAboutToBeRemoved, this, &TRecordTableModel::AboutToRemoveRow);
    connect(table, &TRecordTable::RowRemoved, this, &TRecordTableModel::RemoveRow);
    connect(table, &TRecordTable::RowChanged, this, &TRecordTableModel::UpdateRow);
    connect(table, &TRecordTable::FieldChanged, this, &TRecordTableModel::UpdateTitle);
    connect(table, &QObject::destroyed, this, &TRecordTableModel::Reset);
    FRowCount = table->RecordCount();
    FColumnCount = table->FieldCount();
}

void TRecordTableModel::Reset()
{
    beginResetModel();
    FRowCount = FTable ? FTable->RecordCount() : 0;
    FColumnCount = FTable ? FTable->FieldCount() : 0;
    endResetModel();
}

// A row count that does not match the table's (a change the views missed) resets instead.
void TRecordTableModel::InsertRow(int row)
{
    if (!FTable || FTable->RecordCount() != FRowCount + 1 || row < 0 || row > FRowCount) {
        Reset();
        return;
    }
    beginInsertRows({}, row, row);
    ++FRowCount;
    endInsertRows();
}

void TRecordTableModel::AboutToRemoveRow(int row)
{
    FRemoving = FTable && FTable->RecordCount() == FRowCount && row >= 0 && row < FRowCount;
    if (FRemoving)
        beginRemoveRows({}, row, row);
}

void TRecordTableModel::RemoveRow()
{
    if (!FRemoving) {
        Reset();
        return;
    }
    FRemoving = false;
    --FRowCount;
    endRemoveRows();
}

void TRecordTableModel::UpdateRow(int row)
{
    if (row >= 0 && row < FRowCount && FColumnCount > 0)
        emit dataChanged(index(row, 0), index(row, FColumnCount - 1), {Qt::DisplayRole});
}

void TRecordTableModel::RefreshTexts()
{
    if (FRowCount > 0 && FColumnCount > 0)
        emit dataChanged(index(0, 0), index(FRowCount - 1, FColumnCount - 1), {Qt::DisplayRole});
}

void TRecordTableModel::UpdateTitle(int column)
{
    if (column >= 0 && column < FColumnCount)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

int TRecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FRowCount;
}

int TRecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : FColumnCount;
}

QVariant TRecordTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || !FTable
        || index.column() >= FTable->FieldCount())
        return {};
    const TField *field = FTable->Fields(index.column());
    return field->ShownText(FTable->CellAt(index.row(), index.column()));
}

QVariant TRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Vertical)
        return section < FRowCount ? QVariant(section + 1) : QVariant();
    if (!FTable || section >= FColumnCount || section >= FTable->FieldCount())
        return {};
    return FTable->Fields(section)->DisplayLabel();
}
