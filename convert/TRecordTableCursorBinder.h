#pragma once

#include <QObject>
#include <QPointer>

class QItemSelectionModel;
class QModelIndex;
class TRecordTable;

// Keeps the selected line of a view over a TRecordTableModel and the table's current row in
// step, both ways: moving the cursor selects the line, selecting a line moves the cursor.
// Owns neither the selection model nor the table.
class TRecordTableCursorBinder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRecordTableCursorBinder)

public:
    TRecordTableCursorBinder(QItemSelectionModel *selection, TRecordTable *table, QObject *parent = nullptr);

private:
    void SelectCurrentRow();
    void MoveCursorTo(const QModelIndex &current);

    QPointer<QItemSelectionModel> FSelection;
    QPointer<TRecordTable> FTable;
    bool FSyncing = false;
};
