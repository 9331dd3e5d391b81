#include "convert/TRecordTableCursorBinder.h"

#include "convert/TRecordTable.h"

#include <QAbstractItemModel>
#include <QItemSelectionModel>

TRecordTableCursorBinder::TRecordTableCursorBinder(QItemSelectionModel *selection, TRecordTable *table, QObject *parent)
    : QObject(parent), FSelection(selection), FTable(table)
{
    if (!selection || !table)
        return;
    connect(table, &TRecordTable::CurrentChanged, this, &TRecordTableCursorBinder::SelectCurrentRow);
    connect(selection, &QItemSelectionModel::currentRowChanged, this, &TRecordTableCursorBinder::MoveCursorTo);
    if (QAbstractItemModel *model = selection->model())
        connect(model, &QAbstractItemModel::modelReset, this, &TRecordTableCursorBinder::SelectCurrentRow);
    SelectCurrentRow();
}

void TRecordTableCursorBinder::SelectCurrentRow()
{
    if (!FSelection || !FTable || !FSelection->model() || FSyncing)
        return;
    const QAbstractItemModel *model = FSelection->model();
    const int row = FTable->State() == dsBrowse ? FTable->RecNo() - 1 : -1;
    FSyncing = true;
    if (row >= 0 && row < model->rowCount()) {
        FSelection->setCurrentIndex(
            model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        FSelection->clear();
    }
    FSyncing = false;
}

void TRecordTableCursorBinder::MoveCursorTo(const QModelIndex &current)
{
    if (!FTable || FSyncing || !current.isValid() || !FTable->Active())
        return;
    FSyncing = true;
    FTable->SetRecNo(current.row() + 1);
    FSyncing = false;
}
