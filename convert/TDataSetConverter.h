#pragma once

#include "convert/IDataSetConverter.h"

class TField;

// Converts the rows of a source table to JSON objects and arrays. When fOwns is set the
// converter destroys the table when it lets go of it.
class TDataSetConverter final : public IDataSetConverter, public std::enable_shared_from_this<TDataSetConverter>
{
public:
    static std::shared_ptr<IDataSetConverter> New();
    TDataSetConverter() = default;
    ~TDataSetConverter() override;
    TDataSetConverter(const TDataSetConverter &) = delete;
    TDataSetConverter &operator=(const TDataSetConverter &) = delete;

    using IDataSetConverter::SetTable;
    std::shared_ptr<IDataSetConverter> SetTable(TRecordTable *table, bool owns) override;
    std::optional<nlohmann::ordered_json> RowToObject() override;
    std::optional<nlohmann::ordered_json> RowsToArray() override;

private:
    void Release();
    TRecordTable &Source() const;
    static std::optional<nlohmann::ordered_json> ObjectOfRow(TRecordTable &table);
    static std::optional<nlohmann::ordered_json> ArrayOfRows(TRecordTable &table);
    // nullopt when the field gives no member.
    static std::optional<nlohmann::ordered_json> MemberValue(const TField &field);

    TRecordTable *fDataSet = nullptr;
    bool fOwns = false;
};
