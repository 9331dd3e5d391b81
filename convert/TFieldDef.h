#pragma once

#include "convert/TFieldType.h"

#include <QString>

#include <memory>

class TFieldDefs;

// Definition of one field of a record table: name, type, width and the attributes its field
// starts with. Nested tables (ftDataSet) take their own definitions from ChildDefs, since
// every row gets a nested table of its own.
class TFieldDef final
{
public:
    TFieldDef(const QString &name, TFieldType dataType, int size);
    TFieldDef(const TFieldDef &other);
    TFieldDef &operator=(const TFieldDef &other);
    TFieldDef(TFieldDef &&) noexcept;
    TFieldDef &operator=(TFieldDef &&) noexcept;
    ~TFieldDef();

    // Width given to a text field when the definition names none.
    static constexpr int DefaultStringSize = 20;
    // Width of a text field that keeps its whole value, however long (what a grid shows).
    static constexpr int WholeText = 0;
    // Size a decimal (BCD) definition starts with.
    static constexpr int DefaultBcdSize = 4;
    // The size a definition of the type starts with: 20 for text, 4 for BCD, otherwise 0.
    static int DefaultSize(TFieldType dataType);

    TFieldType DataType() const { return FDataType; }
    // Changes the type and resets Size to the type's default, as every change of type does.
    void SetDataType(TFieldType dataType);

    QString Name;
    int Size;
    QString DisplayLabel;
    bool ReadOnly = false;
    TProviderFlags ProviderFlags = {pfInUpdate, pfInWhere};
    QString Origin;

    TFieldDefs &ChildDefs();
    const TFieldDefs *ChildDefsOrNull() const { return FChildDefs.get(); }

private:
    TFieldType FDataType;
    std::unique_ptr<TFieldDefs> FChildDefs;
};
