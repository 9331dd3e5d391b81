#pragma once

#include <QFlags>

// Data types of record-table fields. The converter handles a subset; the others exist so that
// tables can describe them and the converter can reject them by name.
enum TFieldType : int {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftDataSet,
    ftVariant,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftWideMemo,
    ftLongWord,
    ftShortint,
    ftByte,
    ftExtended,
    ftStream,
    ftSingle
};

// Flags a back-end provider reads from a field; pfInKey marks a key column.
enum TProviderFlag : int { pfInUpdate = 0x1, pfInWhere = 0x2, pfInKey = 0x4, pfHidden = 0x8 };
Q_DECLARE_FLAGS(TProviderFlags, TProviderFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TProviderFlags)

// Lifecycle states of a record table.
enum TDataSetState : int { dsInactive, dsBrowse, dsInsert, dsEdit };
