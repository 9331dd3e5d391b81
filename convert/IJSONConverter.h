#pragma once

#include <nlohmann/json.hpp>

#include <memory>

class TRecordTable;

// Turns a JSON object or array into rows of a record table. Shared by reference count; see
// TJSONConverter.
class IJSONConverter
{
public:
    virtual ~IJSONConverter() = default;

    // Each lets go of the old source (releasing it when owned) and takes the new one.
    virtual std::shared_ptr<IJSONConverter> SetObject(const nlohmann::ordered_json *object, bool owns) = 0;
    virtual std::shared_ptr<IJSONConverter> SetArray(const nlohmann::ordered_json *array, bool owns) = 0;
    std::shared_ptr<IJSONConverter> SetObject(const nlohmann::ordered_json *object) { return SetObject(object, false); }
    std::shared_ptr<IJSONConverter> SetArray(const nlohmann::ordered_json *array) { return SetArray(array, false); }

    // Appends one row per object of the source.
    virtual void AppendTo(TRecordTable *table) = 0;
    // Updates the current row (object source) or row by row (array source).
    virtual void UpdateIn(TRecordTable *table) = 0;
};
