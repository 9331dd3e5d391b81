#include "convert/TConverter.h"

#include "convert/TDataSetConverter.h"
#include "convert/TJSONConverter.h"

std::shared_ptr<IConverter> TConverter::New()
{
    return std::make_shared<TConverter>();
}

std::shared_ptr<IDataSetConverter> TConverter::ForTable(TRecordTable *table, bool owns)
{
    return TDataSetConverter::New()->SetTable(table, owns);
}

std::shared_ptr<IJSONConverter> TConverter::ForJson(const nlohmann::ordered_json *value, bool owns)
{
    const auto converter = TJSONConverter::New();
    if (value && value->is_array())
        return converter->SetArray(value, owns);
    return converter->SetObject(value, owns);
}
