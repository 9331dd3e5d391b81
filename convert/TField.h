#pragma once

#include "convert/TFieldType.h"
#include "convert/TFieldValue.h"

#include <QString>

#include <functional>

class QIODevice;
class TFieldDef;

// One column of a record table, read and written on the table's current row. Created and
// owned by its table; holds no value of its own.
class TField final
{
    Q_DISABLE_COPY_MOVE(TField)

public:
    TField(TRecordTable *table, int index, const TFieldDef &def);

    TRecordTable *DataSet() const { return FTable; }
    int Index() const { return FIndex; }
    const QString &FieldName() const { return FFieldName; }
    TFieldType DataType() const { return FDataType; }
    int Size() const { return FSize; }

    // The column title; the field name until set.
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString &label);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool readOnly) { FReadOnly = readOnly; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags flags) { FProviderFlags = flags; }
    const QString &Origin() const { return FOrigin; }
    void SetOrigin(const QString &origin) { FOrigin = origin; }

    const TFieldValue &Value() const;
    bool IsNull() const;
    void Clear();

    QString AsString() const;
    void SetAsString(const QString &value);
    int AsInteger() const;
    void SetAsInteger(int value);
    qint64 AsLargeInt() const;
    void SetAsLargeInt(qint64 value);
    double AsFloat() const;
    void SetAsFloat(double value);
    float AsSingle() const;
    void SetAsSingle(float value);
    // Money as a double; stored as a fixed-point value with four decimals.
    double AsCurrency() const;
    void SetAsCurrency(double value);
    // The stored fixed-point money value, in ten-thousandths.
    qint64 AsCurrencyUnits() const;
    bool AsBoolean() const;
    void SetAsBoolean(bool value);
    QDateTime AsDateTime() const;
    void SetAsDateTime(const QDateTime &value);
    // Decimal text of a numeric value, with a dot.
    QString AsBCD() const;
    QDateTime AsSQLTimeStamp() const { return AsDateTime(); }
    QByteArray AsBytes() const;
    void SetAsBytes(const QByteArray &value);
    void LoadFromStream(QIODevice &stream);
    void SaveToStream(QIODevice &stream) const;

    // The nested table of the current row (ftDataSet), or null without a current row.
    TRecordTable *NestedDataSet() const;

    // The text of a cell of this field.
    QString DisplayText(const TFieldValue &value) const;
    // What a grid shows for a cell: its text, turned by the field's text function when it has one
    // (a key shown as the name it stands for). The stored value stays as it is.
    using TGetText = std::function<QString(const QString &text)>;
    void SetOnGetText(TGetText getText) { FOnGetText = std::move(getText); }
    QString ShownText(const TFieldValue &value) const;

private:
    void Store(TFieldValue value);
    [[noreturn]] void InvalidConversion(const char *typeName) const;
    void CheckRange(qint64 value) const;

    TRecordTable *FTable;
    int FIndex;
    QString FFieldName;
    TFieldType FDataType;
    int FSize;
    QString FDisplayLabel;
    bool FReadOnly;
    TProviderFlags FProviderFlags;
    QString FOrigin;
    TGetText FOnGetText;
};
