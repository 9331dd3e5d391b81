#include "server/RecordStore.h"

#include <stdexcept>

#include "server/PostgresRecordStore.h"
#include "server/SqliteRecordStore.h"

bool RecordStore::isPostgres(const std::string &database)
{
    return database.rfind("postgresql://", 0) == 0 || database.rfind("postgres://", 0) == 0;
}

std::unique_ptr<RecordStore> RecordStore::open(const std::string &database)
{
    if (isPostgres(database))
        return std::make_unique<PostgresRecordStore>(database);
    return std::make_unique<SqliteRecordStore>(database);
}

nlohmann::ordered_json RecordStore::recordFrom(long long id, const std::string &storedJson)
{
    nlohmann::ordered_json record = nlohmann::ordered_json::object();
    record["id"] = id;
    nlohmann::ordered_json stored = nlohmann::ordered_json::parse(storedJson);
    for (auto &[key, value] : stored.items())
        record[key] = std::move(value);
    return record;
}

nlohmann::ordered_json RecordStore::pageObject(nlohmann::ordered_json content, long long total, const RecordQuery &query)
{
    nlohmann::ordered_json page = nlohmann::ordered_json::object();
    page["content"] = std::move(content);
    page["totalPages"] = (total + query.size - 1) / query.size;
    page["number"] = query.page;
    page["size"] = query.size;
    page["totalElements"] = total;
    return page;
}

std::string RecordStore::orderBy(
    const std::optional<RecordOrder> &order, const std::function<std::string(const RecordOrder &)> &orderKey)
{
    if (!order || order->member == "id")
        return order && order->descending ? " ORDER BY id DESC" : " ORDER BY id";
    return " ORDER BY " + orderKey(*order) + (order->descending ? " DESC NULLS FIRST" : " ASC NULLS LAST") + ", id";
}

std::vector<std::string> RecordStore::memberPathParts(const std::string &memberPath)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= memberPath.size()) {
        const size_t dot = memberPath.find('.', start);
        parts.push_back(memberPath.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (parts.back().find_first_of("'\"\\") != std::string::npos)
            throw std::invalid_argument("member path not allowed: " + memberPath);
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    return parts;
}
