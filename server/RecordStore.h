#pragma once

#include "server/RecordQuery.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <mutex>
#include <optional>
#include <string>

struct sqlite3;

// SQLite storage of the back-end: one table per resource, each record kept as JSON text beside its
// integer id. One connection shared by all request threads; every use goes through transaction(),
// which holds the store's lock, so a validation and the write that follows it are atomic.
class RecordStore final
{
public:
    // path ":memory:" keeps the database in memory.
    explicit RecordStore(const std::string &path);
    ~RecordStore();
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;

    // Runs work inside BEGIN IMMEDIATE / COMMIT under the lock; rolls back when work throws.
    void transaction(const std::function<void()> &work);

    // The operations below must run inside transaction().
    void ensureTable(const std::string &resource);
    // The record with "id" as first member, or nothing.
    std::optional<nlohmann::ordered_json> find(const std::string &resource, long long id);
    bool exists(const std::string &resource, long long id);
    long long count(const std::string &resource);
    // Stores data (without "id"); explicitId > 0 keeps that id (seeding). Returns the id.
    long long insert(const std::string &resource, const nlohmann::ordered_json &data, long long explicitId = 0);
    bool update(const std::string &resource, long long id, const nlohmann::ordered_json &data);
    bool remove(const std::string &resource, long long id);
    // The page object {"content", "totalPages", "number", "size", "totalElements"}.
    nlohmann::ordered_json page(const std::string &resource, const RecordQuery &query);
    // True when a record of resource holds id at memberPath, either directly (listPath empty) or in
    // an element of the array at listPath.
    bool isReferenced(
        const std::string &resource, const std::string &listPath, const std::string &memberPath, long long id);

private:
    void execute(const std::string &sql);

    sqlite3 *m_db = nullptr;
    std::mutex m_mutex;
};
