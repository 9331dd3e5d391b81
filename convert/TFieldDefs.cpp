#include "convert/TFieldDefs.h"

TFieldDef &TFieldDefs::Add(const QString &name, TFieldType dataType, int size)
{
    return FItems.emplace_back(name, dataType, size);
}
