#pragma once

#include "convert/TFieldDef.h"

#include <vector>

// Ordered list of field definitions from which a record table creates its fields.
class TFieldDefs final
{
public:
    // Adds a definition; a negative size gives the type's default width (20 for text).
    TFieldDef &Add(const QString &name, TFieldType dataType, int size = -1);
    void Clear() { FItems.clear(); }
    int Count() const { return int(FItems.size()); }
    TFieldDef &operator[](int index) { return FItems.at(size_t(index)); }
    const TFieldDef &operator[](int index) const { return FItems.at(size_t(index)); }

private:
    std::vector<TFieldDef> FItems;
};
