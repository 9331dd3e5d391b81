#include "convert/LoadTableFromArray.h"

#include "convert/TConverter.h"

void LoadTableFromArray(TRecordTable *table, const nlohmann::ordered_json *array)
{
    TConverter::New()->ForJson()->SetArray(array)->AppendTo(table);
}
