#pragma once

#include "convert/TFieldDefs.h"
#include "convert/TFieldType.h"
#include "convert/TFieldValue.h"

#include <QObject>

#include <memory>
#include <vector>

class TField;

// A remembered row; stays valid until that row is deleted.
struct TBookmark
{
    quint64 RowId = 0;
};

// In-memory table of typed fields and rows with a cursor, the browse/insert/edit states and
// counted suspension of bound views. Rows are stored flat (one cell per field); Append and
// Edit work on a row buffer that Post stores and Cancel drops. Owns its fields; nested
// ftDataSet tables are owned by the rows that hold them.
class TRecordTable final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TRecordTable)

public:
    explicit TRecordTable(QObject *parent = nullptr);
    ~TRecordTable() override;

    // Structure.
    TFieldDefs &FieldDefs() { return FFieldDefs; }
    // Closes the table and opens it again, empty, with one field per definition.
    void CreateDataSet();
    void Close();
    bool Active() const { return FState != dsInactive; }
    TDataSetState State() const { return FState; }
    int FieldCount() const { return int(FFields.size()); }
    TField *Fields(int index) const;
    TField *FindField(const QString &name) const;
    // Raises "Field '%s' not found" when no field has exactly that name.
    TField *FieldByName(const QString &name) const;

    // Rows and cursor. RecNo is 1-based and 0 on an empty table.
    int RecordCount() const { return FRowCount; }
    bool IsEmpty() const { return FRowCount == 0; }
    int RecNo() const;
    void SetRecNo(int recNo);
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return FEof; }
    bool Bof() const { return FBof; }

    TBookmark GetBookmark() const;
    bool BookmarkValid(const TBookmark &bookmark) const;
    void GotoBookmark(const TBookmark &bookmark);
    void FreeBookmark(TBookmark &bookmark) { bookmark = {}; }

    // States.
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void EmptyDataSet();

    // Views refresh once when the count returns to zero.
    void DisableControls() { ++FDisableCount; }
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }

    // Cell access for views, by 0-based row; does not move the cursor.
    const TFieldValue &CellAt(int row, int column) const;

    // Used by TField: the cell of the current row (or the row buffer while inserting/editing).
    const TFieldValue &CurrentCell(int column) const;
    void SetCurrentCell(int column, TFieldValue value);
    // Used by TField when its title changes.
    void NotifyFieldChanged(int column);

signals:
    void AfterInsert(TRecordTable *table);
    void AfterEdit(TRecordTable *table);
    // Views rebuild everything: structure, rows or a batch of changes under DisableControls.
    void DataReset();
    // One row posted at 0-based row; one row about to be deleted there, then deleted. Not sent
    // while controls are disabled.
    void RowInserted(int row);
    void RowAboutToBeRemoved(int row);
    void RowRemoved(int row);
    void RowChanged(int row);
    void FieldChanged(int column);
    void CurrentChanged();

private:
    void CheckActive() const;
    void CheckNotEmpty() const;
    void CheckBrowseMode();
    void ResetRowBuffer();
    void NumberAutoIncFields();
    void MoveTo(int row);
    void NotifyReset();
    void NotifyCurrent();

    TFieldDefs FFieldDefs;
    TFieldDefs FActiveDefs; // the definitions the open table was created from
    std::vector<std::unique_ptr<TField>> FFields;
    std::vector<TFieldValue> FCells; // FRowCount * FieldCount(), row-major
    std::vector<quint64> FRowIds; // identity of each row, for bookmarks
    std::vector<TFieldValue> FBuffer; // row being inserted or edited
    int FRowCount = 0;
    int FCurrent = -1; // 0-based current row, -1 when empty
    bool FEof = true;
    bool FBof = true;
    quint64 FNextRowId = 1;
    qint64 FNextAutoInc = 1;
    TDataSetState FState = dsInactive;
    int FDisableCount = 0;
};
