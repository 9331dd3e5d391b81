#pragma once

#include "server/RecordStore.h"

#include <mutex>

struct pg_conn;

// PostgreSQL storage through libpq: one connection per server process, used by one request at a
// time; several processes on one database stay consistent because each transaction() is one
// serializable transaction, run again when PostgreSQL reports a conflict with another one. Ids come
// from each table's sequence. Records are kept as json (not jsonb), which keeps their member order.
class PostgresRecordStore final : public RecordStore
{
public:
    // Any libpq connection string or URI; an empty one takes the PG* environment variables.
    explicit PostgresRecordStore(const std::string &connection);
    ~PostgresRecordStore() override;

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
    pg_conn *m_db = nullptr;
    std::mutex m_mutex;
};
