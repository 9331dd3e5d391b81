#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class TRecordTable;

// Shows a record table in item views: one column per field titled by its DisplayLabel, one
// line per posted row, read-only; a cell shows its field's ShownText. Row and column counts are
// taken at each reset and follow the table's single-row inserts and deletes, so a view never sees
// a change that the table made while its controls were disabled, and one row more or less costs
// no reset. Does not own the table.
class TRecordTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRecordTableModel)

public:
    explicit TRecordTableModel(TRecordTable *table, QObject *parent = nullptr);

    TRecordTable *Table() const { return FTable; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Tells the views that every cell's text may have changed (the fields' text functions now
    // know more), without a reset: the current row and the column widths stay.
    void RefreshTexts();

private:
    void Reset();
    void InsertRow(int row);
    void AboutToRemoveRow(int row);
    void RemoveRow();
    void UpdateRow(int row);
    void UpdateTitle(int column);

    QPointer<TRecordTable> FTable;
    int FRowCount = 0;
    int FColumnCount = 0;
    bool FRemoving = false; // a removal announced to the views is under way
};
