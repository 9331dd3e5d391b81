#include "convert/TFieldDef.h"

#include "convert/TFieldDefs.h"

TFieldDef::TFieldDef(const QString &name, TFieldType dataType, int size)
    : Name(name), Size(size < 0 ? DefaultSize(dataType) : size), FDataType(dataType)
{ }

TFieldDef::TFieldDef(const TFieldDef &other)
    : Name(other.Name),
      Size(other.Size),
      DisplayLabel(other.DisplayLabel),
      ReadOnly(other.ReadOnly),
      ProviderFlags(other.ProviderFlags),
      Origin(other.Origin),
      FDataType(other.FDataType),
      FChildDefs(other.FChildDefs ? std::make_unique<TFieldDefs>(*other.FChildDefs) : nullptr)
{ }

TFieldDef &TFieldDef::operator=(const TFieldDef &other)
{
    if (this != &other) {
        TFieldDef copy(other);
        *this = std::move(copy);
    }
    return *this;
}

TFieldDef::TFieldDef(TFieldDef &&) noexcept = default;
TFieldDef &TFieldDef::operator=(TFieldDef &&) noexcept = default;
TFieldDef::~TFieldDef() = default;

int TFieldDef::DefaultSize(TFieldType dataType)
{
    switch (dataType) {
    case ftString:
    case ftWideString:
    case ftFixedChar:
        return DefaultStringSize;
    case ftBCD:
    case ftFMTBcd:
        return DefaultBcdSize;
    default:
        return 0;
    }
}

void TFieldDef::SetDataType(TFieldType dataType)
{
    FDataType = dataType;
    Size = DefaultSize(dataType);
}

TFieldDefs &TFieldDef::ChildDefs()
{
    if (!FChildDefs)
        FChildDefs = std::make_unique<TFieldDefs>();
    return *FChildDefs;
}
