#pragma once

#include "server/RecordStore.h"

#include <mutex>

struct sqlite3;

// SQLite storage: one connection shared by all request threads; transaction() holds the store's
// lock around BEGIN IMMEDIATE / COMMIT.
class SqliteRecordStore final : public RecordStore
{
public:
    // path ":memory:" keeps the database in memory.
    explicit SqliteRecordStore(const std::string &path);
    ~SqliteRecordStore() override;

    void transaction(const std::function<void()> &work) override;
    void ensureTable(const std::string &resource) override;
    void dropTables() override;
    std::optional<nlohmann::ordered_json> find(const std::string &resource, long long id) override;
    bool exists(const std::string &resource, long long id) override;
    std::optional<long long> version(const std::string &resource, long long id) override;
    long long count(const std::string &resource) override;
    long long insert(const std::string &resource, const nlohmann::ordered_json &data, long long explicitId = 0) override;
    bool update(const std::string &resource, long long id, const nlohmann::ordered_json &data) override;
    bool remove(const std::string &resource, long long id) override;
    nlohmann::ordered_json page(const std::string &resource, const RecordQuery &query) override;
    bool isReferenced(const std::string &resource, const std::string &listPath, const std::string &memberPath,
        long long id) override;

private:
    void execute(const std::string &sql);

    sqlite3 *m_db = nullptr;
    std::mutex m_mutex;
};
