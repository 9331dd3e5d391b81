#pragma once

#include "convert/IJSONConverter.h"

#include <vector>

class TField;
class TFieldMatcher;

// Applies a JSON object or array to a record table, one row per object. At most one of
// fJSONObject and fJSONArray is set; when fOwns is set the converter destroys it when it
// lets go of it. fIsRecord is set only while UpdateIn runs.
class TJSONConverter final : public IJSONConverter, public std::enable_shared_from_this<TJSONConverter>
{
public:
    static std::shared_ptr<IJSONConverter> New();
    TJSONConverter() = default;
    ~TJSONConverter() override;
    TJSONConverter(const TJSONConverter &) = delete;
    TJSONConverter &operator=(const TJSONConverter &) = delete;

    using IJSONConverter::SetArray;
    using IJSONConverter::SetObject;
    std::shared_ptr<IJSONConverter> SetObject(const nlohmann::ordered_json *object, bool owns) override;
    std::shared_ptr<IJSONConverter> SetArray(const nlohmann::ordered_json *array, bool owns) override;
    void AppendTo(TRecordTable *table) override;
    void UpdateIn(TRecordTable *table) override;

private:
    void Release();
    static void ApplyArray(
        const nlohmann::ordered_json &array, TRecordTable *table, bool update, TFieldMatcher &matcher);
    static void ApplyObject(
        const nlohmann::ordered_json &object, TRecordTable *table, int recNo, bool update, TFieldMatcher &matcher);
    static void WriteField(TField &field, const nlohmann::ordered_json &value);
    static void WriteNested(TField &field, const nlohmann::ordered_json &value);

    const nlohmann::ordered_json *fJSONObject = nullptr;
    const nlohmann::ordered_json *fJSONArray = nullptr;
    bool fOwns = false;
    bool fIsRecord = false;
};
