#include "server/PostgresRecordStore.h"

#include <libpq-fe.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// A failure PostgreSQL asks to retry: a serialization conflict or a deadlock with another transaction.
class Conflict final : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

constexpr int kMaxAttempts = 16;

// Before another attempt of a transaction that lost a conflict: a random pause that grows with the
// attempts, so the transactions that collided do not meet again at once.
void pauseBeforeAttempt(int attempt)
{
    thread_local std::minstd_rand random(std::random_device {}());
    const int longest = 1 << std::min(attempt, 6); // up to 64 ms
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (longest * 1000)));
}

// One query's result, cleared when it goes out of scope. Throws on any status but a good one.
class Result
{
public:
    Result(pg_conn *db, const std::string &sql, const std::vector<std::string> &parameters = {})
    {
        std::vector<const char *> values;
        values.reserve(parameters.size());
        for (const std::string &parameter : parameters)
            values.push_back(parameter.c_str());
        m_result = PQexecParams(db, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
            nullptr, 0);
        const ExecStatusType status = PQresultStatus(m_result);
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return;
        const char *state = PQresultErrorField(m_result, PG_DIAG_SQLSTATE);
        const std::string message = std::string("postgresql: ")
            + (m_result ? PQresultErrorMessage(m_result) : PQerrorMessage(db)) + " in " + sql;
        const std::string code = state ? state : "";
        PQclear(m_result);
        m_result = nullptr;
        if (code == "40001" || code == "40P01")
            throw Conflict(message);
        throw std::runtime_error(message);
    }
    ~Result() { PQclear(m_result); }
    Result(const Result &) = delete;
    Result &operator=(const Result &) = delete;

    int rows() const { return PQntuples(m_result); }
    std::string text(int row, int column) const
    {
        return std::string(PQgetvalue(m_result, row, column), static_cast<size_t>(PQgetlength(m_result, row, column)));
    }
    long long integer(int row, int column) const { return std::stoll(text(row, column)); }
    long long changed() const
    {
        const char *tuples = PQcmdTuples(m_result);
        return tuples && *tuples ? std::stoll(tuples) : 0;
    }

private:
    PGresult *m_result = nullptr;
};

std::string table(const std::string &resource)
{
    return "\"" + resource + "\"";
}

// A text[] literal for #> and #>> from a dotted member path ("endereco.cep" -> '{"endereco","cep"}').
std::string jsonPath(const std::string &memberPath)
{
    std::string path = "'{";
    for (const std::string &part : RecordStore::memberPathParts(memberPath))
        path += (path.size() > 2 ? ",\"" : "\"") + part + "\"";
    return path + "}'";
}

// The member as a number when it is one (true and false as 1 and 0), else null: a string "5" is no
// 5, as with SQLite's json_extract.
std::string numberOf(const std::string &json, const std::string &memberPath)
{
    const std::string type = "json_typeof(" + json + " #> " + jsonPath(memberPath) + ")";
    const std::string text = "(" + json + " #>> " + jsonPath(memberPath) + ")";
    return "(CASE " + type + " WHEN 'number' THEN " + text + "::numeric WHEN 'boolean' THEN CASE " + text
        + " WHEN 'true' THEN 1 ELSE 0 END END)";
}

// Lower-cases ASCII and the Latin-1 letters, as the SQLite store's fold() does.
std::string fold(const std::string &text)
{
    return "translate(lower(" + text
        + "), 'ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ', 'àáâãäåæçèéêëìíîïðñòóôõöøùúûüýþ')";
}

// How a page is ordered by a member: as a number, or as case-folded text in byte order (as the
// SQLite store compares).
std::string orderKey(const RecordOrder &order)
{
    return order.numeric ? numberOf("dados", order.member)
                         : fold("(dados #>> " + jsonPath(order.member) + ")") + " COLLATE \"C\"";
}

std::string numberText(double number)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    return text;
}
} // namespace

PostgresRecordStore::PostgresRecordStore(const std::string &connection) : m_db(PQconnectdb(connection.c_str()))
{
    if (PQstatus(m_db) != CONNECTION_OK) {
        const std::string error = m_db ? PQerrorMessage(m_db) : "out of memory";
        PQfinish(m_db);
        throw std::runtime_error("cannot open database " + connection + ": " + error);
    }
    Result(m_db, "SET client_encoding = 'UTF8'");
    Result(m_db, "SET client_min_messages = warning");
}

PostgresRecordStore::~PostgresRecordStore()
{
    PQfinish(m_db);
}

void PostgresRecordStore::transaction(const std::function<void()> &work)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (PQstatus(m_db) != CONNECTION_OK)
        PQreset(m_db);
    for (int attempt = 1;; ++attempt) {
        try {
            Result(m_db, "BEGIN ISOLATION LEVEL SERIALIZABLE");
            try {
                work();
            } catch (...) {
                PQclear(PQexec(m_db, "ROLLBACK"));
                throw;
            }
            Result(m_db, "COMMIT"); // a COMMIT that fails ends the transaction by itself
            return;
        } catch (const Conflict &) {
            if (attempt == kMaxAttempts)
                throw;
            pauseBeforeAttempt(attempt);
        }
    }
}

void PostgresRecordStore::ensureTable(const std::string &resource)
{
    // Two processes starting at once would both create the table: the first takes the lock.
    Result(m_db, "SELECT pg_advisory_xact_lock(hashtext($1))", {resource});
    Result(m_db,
        "CREATE TABLE IF NOT EXISTS " + table(resource)
            + " (id BIGSERIAL PRIMARY KEY, dados JSON NOT NULL, versao BIGINT NOT NULL DEFAULT 1)");
    Result(m_db, "ALTER TABLE " + table(resource) + " ADD COLUMN IF NOT EXISTS versao BIGINT NOT NULL DEFAULT 1");
}

void PostgresRecordStore::dropTables()
{
    std::vector<std::string> tables;
    {
        Result names(m_db, "SELECT tablename FROM pg_tables WHERE schemaname = current_schema()");
        for (int row = 0; row < names.rows(); ++row)
            tables.push_back(names.text(row, 0));
    }
    for (const std::string &name : tables)
        Result(m_db, "DROP TABLE " + table(name));
}

std::optional<Json> PostgresRecordStore::find(const std::string &resource, long long id)
{
    Result result(m_db, "SELECT dados FROM " + table(resource) + " WHERE id = $1", {std::to_string(id)});
    if (result.rows() == 0)
        return std::nullopt;
    return recordFrom(id, result.text(0, 0));
}

bool PostgresRecordStore::exists(const std::string &resource, long long id)
{
    return Result(m_db, "SELECT 1 FROM " + table(resource) + " WHERE id = $1", {std::to_string(id)}).rows() > 0;
}

std::optional<long long> PostgresRecordStore::version(const std::string &resource, long long id)
{
    Result result(m_db, "SELECT versao FROM " + table(resource) + " WHERE id = $1", {std::to_string(id)});
    if (result.rows() == 0)
        return std::nullopt;
    return result.integer(0, 0);
}

long long PostgresRecordStore::count(const std::string &resource)
{
    return Result(m_db, "SELECT count(*) FROM " + table(resource)).integer(0, 0);
}

long long PostgresRecordStore::insert(const std::string &resource, const Json &data, long long explicitId)
{
    if (explicitId > 0) {
        Result(m_db, "INSERT INTO " + table(resource) + " (id, dados) VALUES ($1, $2::json)",
            {std::to_string(explicitId), data.dump()});
        // The sequence goes past the kept id, so the next insert without one does not collide.
        Result(m_db, "SELECT setval(pg_get_serial_sequence($1, 'id'), GREATEST((SELECT max(id) FROM " + table(resource)
                + "), 1))",
            {table(resource)});
        return explicitId;
    }
    return Result(m_db, "INSERT INTO " + table(resource) + " (dados) VALUES ($1::json) RETURNING id", {data.dump()})
        .integer(0, 0);
}

bool PostgresRecordStore::update(const std::string &resource, long long id, const Json &data)
{
    return Result(m_db, "UPDATE " + table(resource) + " SET dados = $1::json, versao = versao + 1 WHERE id = $2",
               {data.dump(), std::to_string(id)})
               .changed()
        > 0;
}

bool PostgresRecordStore::remove(const std::string &resource, long long id)
{
    return Result(m_db, "DELETE FROM " + table(resource) + " WHERE id = $1", {std::to_string(id)}).changed() > 0;
}

Json PostgresRecordStore::page(const std::string &resource, const RecordQuery &query)
{
    std::string where;
    std::vector<std::string> parameters;
    const auto parameter = [&parameters](std::string value) {
        parameters.push_back(std::move(value));
        return "$" + std::to_string(parameters.size());
    };
    for (const RecordCondition &condition : query.conditions) {
        where += where.empty() ? " WHERE " : " AND ";
        if (condition.kind == RecordCondition::Kind::Contains) {
            const std::string text
                = condition.member == "id" ? std::string("CAST(id AS TEXT)") : "(dados #>> " + jsonPath(condition.member) + ")";
            where += "strpos(" + fold(text) + ", " + fold(parameter(condition.text) + "::text") + ") > 0";
        } else {
            where += (condition.member == "id" ? std::string("id") : numberOf("dados", condition.member)) + " IN (";
            for (size_t i = 0; i < condition.numbers.size(); ++i)
                where += (i ? "," : "") + parameter(numberText(condition.numbers[i])) + "::numeric";
            where += ")";
        }
    }
    const long long total = Result(m_db, "SELECT count(*) FROM " + table(resource) + where, parameters).integer(0, 0);

    const std::string limit = parameter(std::to_string(query.size));
    const std::string offset = parameter(std::to_string(query.page * query.size));
    Result rows(m_db, "SELECT id, dados FROM " + table(resource) + where + orderBy(query.order, orderKey) + " LIMIT " + limit + " OFFSET " + offset,
        parameters);
    Json content = Json::array();
    for (int row = 0; row < rows.rows(); ++row)
        content.push_back(recordFrom(rows.integer(row, 0), rows.text(row, 1)));

    return pageObject(std::move(content), total, query);
}

bool PostgresRecordStore::isReferenced(
    const std::string &resource, const std::string &listPath, const std::string &memberPath, long long id)
{
    const std::string sql = listPath.empty()
        ? "SELECT 1 FROM " + table(resource) + " WHERE " + numberOf("dados", memberPath) + " = $1 LIMIT 1"
        : "SELECT 1 FROM " + table(resource) + " AS registro, json_array_elements(CASE WHEN json_typeof(registro.dados #> "
            + jsonPath(listPath) + ") = 'array' THEN registro.dados #> " + jsonPath(listPath)
            + " ELSE '[]'::json END) AS elemento WHERE " + numberOf("elemento", memberPath) + " = $1 LIMIT 1";
    return Result(m_db, sql, {std::to_string(id)}).rows() > 0;
}
