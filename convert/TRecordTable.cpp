#include "convert/TRecordTable.h"

#include "convert/EDatabaseError.h"
#include "convert/TField.h"

#include <algorithm>

namespace {
const TFieldValue NullValue;
}

TRecordTable::TRecordTable(QObject *parent) : QObject(parent)
{ }

TRecordTable::~TRecordTable() = default;

void TRecordTable::CreateDataSet()
{
    Close();
    FActiveDefs = FFieldDefs;
    for (int i = 0; i < FActiveDefs.Count(); ++i)
        FFields.push_back(std::make_unique<TField>(this, i, FActiveDefs[i]));
    FState = dsBrowse;
    NotifyReset();
}

void TRecordTable::Close()
{
    const bool wasActive = Active();
    FFields.clear();
    FCells.clear();
    FRowIds.clear();
    FBuffer.clear();
    FRowCount = 0;
    FCurrent = -1;
    FEof = FBof = true;
    FState = dsInactive;
    if (wasActive)
        NotifyReset();
}

TField *TRecordTable::Fields(int index) const
{
    if (index < 0 || index >= FieldCount())
        throw EDatabaseError("List index out of bounds (" + std::to_string(index) + ")");
    return FFields[size_t(index)].get();
}

TField *TRecordTable::FindField(const QString &name) const
{
    for (const auto &field : FFields)
        if (field->FieldName() == name)
            return field.get();
    return nullptr;
}

TField *TRecordTable::FieldByName(const QString &name) const
{
    TField *field = FindField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name).toStdString());
    return field;
}

int TRecordTable::RecNo() const
{
    if (FState == dsInsert)
        return FRowCount + 1;
    return FCurrent + 1;
}

void TRecordTable::SetRecNo(int recNo)
{
    CheckActive();
    CheckBrowseMode();
    if (FRowCount == 0)
        return;
    MoveTo(std::clamp(recNo, 1, FRowCount) - 1);
}

void TRecordTable::First()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(FRowCount > 0 ? 0 : -1);
}

void TRecordTable::Last()
{
    CheckActive();
    CheckBrowseMode();
    MoveTo(FRowCount - 1);
}

void TRecordTable::Next()
{
    CheckActive();
    CheckBrowseMode();
    if (FCurrent + 1 < FRowCount) {
        MoveTo(FCurrent + 1);
    } else {
        FEof = true;
    }
}

void TRecordTable::Prior()
{
    CheckActive();
    CheckBrowseMode();
    if (FCurrent > 0) {
        MoveTo(FCurrent - 1);
    } else {
        FBof = true;
    }
}

void TRecordTable::MoveTo(int row)
{
    const bool moved = row != FCurrent;
    FCurrent = row;
    FEof = FBof = FRowCount == 0;
    if (moved)
        NotifyCurrent();
}

TBookmark TRecordTable::GetBookmark() const
{
    if (FCurrent < 0)
        return {};
    return {FRowIds[size_t(FCurrent)]};
}

bool TRecordTable::BookmarkValid(const TBookmark &bookmark) const
{
    return bookmark.RowId != 0 && std::find(FRowIds.begin(), FRowIds.end(), bookmark.RowId) != FRowIds.end();
}

void TRecordTable::GotoBookmark(const TBookmark &bookmark)
{
    CheckActive();
    CheckBrowseMode();
    const auto it = std::find(FRowIds.begin(), FRowIds.end(), bookmark.RowId);
    if (bookmark.RowId == 0 || it == FRowIds.end())
        throw EDatabaseError("Record not found");
    MoveTo(int(it - FRowIds.begin()));
}

void TRecordTable::ResetRowBuffer()
{
    FBuffer.assign(FFields.size(), TFieldValue()); // keeps its capacity from row to row
    for (size_t i = 0; i < FFields.size(); ++i) {
        if (FFields[i]->DataType() != ftDataSet)
            continue;
        auto nested = std::make_shared<TRecordTable>();
        if (const TFieldDefs *childDefs = FActiveDefs[int(i)].ChildDefsOrNull())
            nested->FieldDefs() = *childDefs;
        nested->CreateDataSet();
        FBuffer[i] = std::move(nested);
    }
}

void TRecordTable::Append()
{
    CheckActive();
    CheckBrowseMode();
    ResetRowBuffer();
    FState = dsInsert;
    emit AfterInsert(this);
}

void TRecordTable::Edit()
{
    CheckActive();
    if (FState != dsBrowse)
        return;
    if (FRowCount == 0) {
        Append();
        return;
    }
    const auto first = FCells.begin() + qsizetype(FCurrent) * FieldCount();
    FBuffer.assign(first, first + FieldCount());
    FState = dsEdit;
    emit AfterEdit(this);
}

void TRecordTable::NumberAutoIncFields()
{
    for (const auto &field : FFields) {
        TFieldValue &cell = FBuffer[size_t(field->Index())];
        if (field->DataType() == ftAutoInc && std::holds_alternative<std::monostate>(cell))
            cell = FNextAutoInc++;
        else if (field->DataType() == ftAutoInc && std::holds_alternative<qint64>(cell))
            FNextAutoInc = std::max(FNextAutoInc, std::get<qint64>(cell) + 1);
    }
}

void TRecordTable::Post()
{
    if (FState == dsInsert) {
        NumberAutoIncFields();
        std::move(FBuffer.begin(), FBuffer.end(), std::back_inserter(FCells));
        FRowIds.push_back(FNextRowId++);
        ++FRowCount;
        FCurrent = FRowCount - 1;
        FEof = FBof = false;
        FBuffer.clear();
        FState = dsBrowse;
        if (!ControlsDisabled())
            emit RowInserted(FCurrent);
        NotifyCurrent();
    } else if (FState == dsEdit) {
        std::move(FBuffer.begin(), FBuffer.end(), FCells.begin() + qsizetype(FCurrent) * FieldCount());
        FBuffer.clear();
        FState = dsBrowse;
        if (!ControlsDisabled())
            emit RowChanged(FCurrent);
    }
}

void TRecordTable::Cancel()
{
    if (FState == dsInsert || FState == dsEdit) {
        FBuffer.clear();
        FState = dsBrowse;
    }
}

void TRecordTable::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    Cancel();
    CheckNotEmpty();
    const int deleted = FCurrent;
    const bool notify = !ControlsDisabled();
    if (notify)
        emit RowAboutToBeRemoved(deleted); // a view may move its current line meanwhile
    const auto first = FCells.begin() + qsizetype(deleted) * FieldCount();
    FCells.erase(first, first + FieldCount());
    FRowIds.erase(FRowIds.begin() + deleted);
    --FRowCount;
    FCurrent = std::min(deleted, FRowCount - 1);
    FEof = FBof = FRowCount == 0;
    if (notify)
        emit RowRemoved(deleted);
    NotifyCurrent();
}

void TRecordTable::EmptyDataSet()
{
    CheckActive();
    Cancel();
    FCells.clear();
    FRowIds.clear();
    FRowCount = 0;
    FCurrent = -1;
    FEof = FBof = true;
    NotifyReset();
    NotifyCurrent();
}

void TRecordTable::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount > 0)
        return;
    emit DataReset();
    emit CurrentChanged();
}

const TFieldValue &TRecordTable::CellAt(int row, int column) const
{
    if (row < 0 || row >= FRowCount || column < 0 || column >= FieldCount())
        return NullValue;
    return FCells[size_t(row) * FFields.size() + size_t(column)];
}

const TFieldValue &TRecordTable::CurrentCell(int column) const
{
    if (FState == dsInsert || FState == dsEdit)
        return FBuffer[size_t(column)];
    return CellAt(FCurrent, column);
}

void TRecordTable::SetCurrentCell(int column, TFieldValue value)
{
    if (FState != dsInsert && FState != dsEdit)
        throw EDatabaseError("Dataset not in edit or insert mode");
    FBuffer[size_t(column)] = std::move(value);
}

void TRecordTable::NotifyFieldChanged(int column)
{
    if (!ControlsDisabled())
        emit FieldChanged(column);
}

void TRecordTable::CheckActive() const
{
    if (!Active())
        throw EDatabaseError("Cannot perform this operation on a closed dataset");
}

void TRecordTable::CheckNotEmpty() const
{
    if (FRowCount == 0)
        throw EDatabaseError("Cannot perform this operation on an empty dataset");
}

void TRecordTable::CheckBrowseMode()
{
    if (FState == dsInsert || FState == dsEdit)
        Post();
}

void TRecordTable::NotifyReset()
{
    if (!ControlsDisabled())
        emit DataReset();
}

void TRecordTable::NotifyCurrent()
{
    if (!ControlsDisabled())
        emit CurrentChanged();
}
