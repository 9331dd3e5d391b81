#pragma once

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>

class TRecordTable;

// Turns rows of a record table into JSON. Shared by reference count; see TDataSetConverter.
class IDataSetConverter
{
public:
    virtual ~IDataSetConverter() = default;

    // Lets go of the old table (releasing it when owned) and takes this one.
    virtual std::shared_ptr<IDataSetConverter> SetTable(TRecordTable *table, bool owns) = 0;
    std::shared_ptr<IDataSetConverter> SetTable(TRecordTable *table) { return SetTable(table, false); }

    // The current row as a new object; nullopt when the table has no rows.
    virtual std::optional<nlohmann::ordered_json> RowToObject() = 0;
    // Every row as a new array; nullopt when the table has no rows. The cursor is kept.
    virtual std::optional<nlohmann::ordered_json> RowsToArray() = 0;
};
