#pragma once

#include "convert/IConverter.h"

// The converter facade; holds nothing.
class TConverter final : public IConverter
{
public:
    static std::shared_ptr<IConverter> New();

    using IConverter::ForJson;
    using IConverter::ForTable;
    std::shared_ptr<IDataSetConverter> ForTable(TRecordTable *table, bool owns) override;
    std::shared_ptr<IJSONConverter> ForJson(const nlohmann::ordered_json *value, bool owns) override;
};
