#pragma once

#include "server/RecordQuery.h"

#include <nlohmann/json.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Storage of the back-end: one table per resource, each record kept as JSON text beside its integer
// id and its version (1 when stored, one more at each update). The routes, validation, paging and filters use only this interface; SqliteRecordStore keeps a
// file (or memory) and PostgresRecordStore a PostgreSQL database shared by several server processes.
// Every use goes through transaction(), so a validation and the write that follows it are atomic.
class RecordStore
{
public:
    virtual ~RecordStore() = default;

    // "postgresql://..." or "postgres://..." (any libpq URI) opens PostgreSQL; anything else is a
    // SQLite file, ":memory:" a SQLite database in memory.
    static std::unique_ptr<RecordStore> open(const std::string &database);
    static bool isPostgres(const std::string &database);

    // Runs work inside one transaction; rolls back when work throws.
    virtual void transaction(const std::function<void()> &work) = 0;

    // The operations below must run inside transaction().
    virtual void ensureTable(const std::string &resource) = 0;
    // Drops every resource table: the store starts from nothing (tests).
    virtual void dropTables() = 0;
    // The record with "id" as first member, or nothing.
    virtual std::optional<nlohmann::ordered_json> find(const std::string &resource, long long id) = 0;
    virtual bool exists(const std::string &resource, long long id) = 0;
    // The record's version, or nothing when there is no such record.
    virtual std::optional<long long> version(const std::string &resource, long long id) = 0;
    virtual long long count(const std::string &resource) = 0;
    // Stores data (without "id"); explicitId > 0 keeps that id (seeding). Returns the id.
    virtual long long insert(const std::string &resource, const nlohmann::ordered_json &data, long long explicitId = 0) = 0;
    // Replaces the record's data and raises its version by one.
    virtual bool update(const std::string &resource, long long id, const nlohmann::ordered_json &data) = 0;
    virtual bool remove(const std::string &resource, long long id) = 0;
    // The page object {"content", "totalPages", "number", "size", "totalElements"}.
    virtual nlohmann::ordered_json page(const std::string &resource, const RecordQuery &query) = 0;
    // True when a record of resource holds id at memberPath, either directly (listPath empty) or in
    // an element of the array at listPath.
    virtual bool isReferenced(
        const std::string &resource, const std::string &listPath, const std::string &memberPath, long long id) = 0;

    // The names of a dotted member path ("endereco.cep" -> endereco, cep), for a store to quote into
    // its SQL. Throws std::invalid_argument when a name holds a quote or a backslash.
    static std::vector<std::string> memberPathParts(const std::string &memberPath);

protected:
    // A stored record as the routes answer it: "id" first, then the stored members in their order.
    static nlohmann::ordered_json recordFrom(long long id, const std::string &storedJson);
    // The page object of page() around the rows of one page.
    static nlohmann::ordered_json pageObject(nlohmann::ordered_json content, long long total, const RecordQuery &query);
    // " ORDER BY ..." for a page: by id, or by the store's SQL for the ordered member (given by
    // orderKey) in the direction asked, records without it at the end, then by id.
    static std::string orderBy(
        const std::optional<RecordOrder> &order, const std::function<std::string(const RecordOrder &)> &orderKey);

    RecordStore() = default;
    RecordStore(const RecordStore &) = delete;
    RecordStore &operator=(const RecordStore &) = delete;
};
