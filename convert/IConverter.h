#pragma once

#include "convert/IDataSetConverter.h"
#include "convert/IJSONConverter.h"

// Facade that creates converters. Shared by reference count; see TConverter.
class IConverter
{
public:
    virtual ~IConverter() = default;

    virtual std::shared_ptr<IDataSetConverter> ForTable(TRecordTable *table, bool owns) = 0;
    std::shared_ptr<IDataSetConverter> ForTable() { return ForTable(nullptr, false); }
    std::shared_ptr<IDataSetConverter> ForTable(TRecordTable *table) { return ForTable(table, false); }

    // A JSON array becomes the array source, any other value the object source.
    virtual std::shared_ptr<IJSONConverter> ForJson(const nlohmann::ordered_json *value, bool owns) = 0;
    std::shared_ptr<IJSONConverter> ForJson() { return ForJson(nullptr, false); }
    std::shared_ptr<IJSONConverter> ForJson(const nlohmann::ordered_json *value) { return ForJson(value, false); }
};
