#include "server/SqliteRecordStore.h"

#include <sqlite3.h>

#include <stdexcept>
#include <vector>

namespace {

using Json = nlohmann::ordered_json;

// Lower-cases ASCII and the Latin-1 letters (À..Þ) of UTF-8 text, enough for Portuguese names;
// SQLite's own lower() folds ASCII only.
std::string foldCase(const unsigned char *text, int length)
{
    std::string out(reinterpret_cast<const char *>(text), static_cast<size_t>(length));
    for (size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + 32);
        } else if (c == 0xC3 && i + 1 < out.size()) {
            auto next = static_cast<unsigned char>(out[i + 1]);
            if (next >= 0x80 && next <= 0x9E && next != 0x97)
                out[i + 1] = static_cast<char>(next + 32);
            ++i;
        }
    }
    return out;
}

void sqlFold(sqlite3_context *context, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const unsigned char *text = sqlite3_value_text(argv[0]);
    const std::string folded = foldCase(text, sqlite3_value_bytes(argv[0]));
    sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

// One prepared statement, finalised when it goes out of scope.
class Statement
{
public:
    Statement(sqlite3 *db, const std::string &sql) : m_db(db)
    {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &m_stmt, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("sqlite prepare: ") + sqlite3_errmsg(db));
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    void bind(int index, long long value) { check(sqlite3_bind_int64(m_stmt, index, value)); }
    void bind(int index, double value) { check(sqlite3_bind_double(m_stmt, index, value)); }
    void bind(int index, const std::string &value)
    {
        check(sqlite3_bind_text(m_stmt, index, value.data(), static_cast<int>(value.size()), SQLITE_TRANSIENT));
    }
    // True while a row is available.
    bool step()
    {
        const int rc = sqlite3_step(m_stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string("sqlite step: ") + sqlite3_errmsg(m_db));
        return false;
    }
    long long integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    std::string text(int column) const
    {
        const auto *data = sqlite3_column_text(m_stmt, column);
        return data ? std::string(
                   reinterpret_cast<const char *>(data), static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)))
                    : std::string();
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            throw std::runtime_error(std::string("sqlite bind: ") + sqlite3_errmsg(m_db));
    }

    sqlite3 *m_db;
    sqlite3_stmt *m_stmt = nullptr;
};

std::string table(const std::string &resource)
{
    return "\"" + resource + "\"";
}

// A JSON path for json_extract from a dotted member path ("endereco.cep" -> '$."endereco"."cep"').
std::string jsonPath(const std::string &memberPath)
{
    std::string path = "'$";
    for (const std::string &part : RecordStore::memberPathParts(memberPath))
        path += ".\"" + part + "\"";
    return path + "'";
}

std::string memberExpression(const std::string &member)
{
    return member == "id" ? std::string("id") : "json_extract(dados, " + jsonPath(member) + ")";
}

// How a page is ordered by a member: as a number (true and false as 1 and 0, other values as none)
// or as case-folded text.
std::string orderKey(const RecordOrder &order)
{
    const std::string value = memberExpression(order.member);
    if (!order.numeric)
        return "fold(CAST(" + value + " AS TEXT))";
    return "CASE json_type(dados, " + jsonPath(order.member) + ") WHEN 'integer' THEN " + value + " WHEN 'real' THEN "
        + value + " WHEN 'true' THEN 1 WHEN 'false' THEN 0 END";
}
} // namespace

SqliteRecordStore::SqliteRecordStore(const std::string &path)
{
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX;
    if (sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr) != SQLITE_OK) {
        const std::string error = m_db ? sqlite3_errmsg(m_db) : "out of memory";
        sqlite3_close(m_db);
        throw std::runtime_error("cannot open database " + path + ": " + error);
    }
    sqlite3_busy_timeout(m_db, 5000);
    sqlite3_create_function(m_db, "fold", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlFold, nullptr, nullptr);
    execute("PRAGMA journal_mode=WAL");
    execute("PRAGMA foreign_keys=ON");
}

SqliteRecordStore::~SqliteRecordStore()
{
    sqlite3_close(m_db);
}

void SqliteRecordStore::transaction(const std::function<void()> &work)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    execute("BEGIN IMMEDIATE");
    try {
        work();
    } catch (...) {
        execute("ROLLBACK");
        throw;
    }
    execute("COMMIT");
}

void SqliteRecordStore::execute(const std::string &sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string text = error ? error : "unknown error";
        sqlite3_free(error);
        throw std::runtime_error("sqlite: " + text + " in " + sql);
    }
}

void SqliteRecordStore::dropTables()
{
    std::vector<std::string> tables;
    {
        Statement stmt(m_db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'");
        while (stmt.step())
            tables.push_back(stmt.text(0));
    }
    for (const std::string &name : tables)
        execute("DROP TABLE " + table(name));
}

void SqliteRecordStore::ensureTable(const std::string &resource)
{
    execute("CREATE TABLE IF NOT EXISTS " + table(resource)
        + " (id INTEGER PRIMARY KEY AUTOINCREMENT, dados TEXT NOT NULL CHECK (json_valid(dados)),"
          " versao INTEGER NOT NULL DEFAULT 1)");
    // A database made before records had versions gets the column, every record at version 1.
    Statement columns(m_db, "SELECT 1 FROM pragma_table_info(?) WHERE name = 'versao'");
    columns.bind(1, resource);
    if (!columns.step())
        execute("ALTER TABLE " + table(resource) + " ADD COLUMN versao INTEGER NOT NULL DEFAULT 1");
}

std::optional<Json> SqliteRecordStore::find(const std::string &resource, long long id)
{
    Statement stmt(m_db, "SELECT dados FROM " + table(resource) + " WHERE id = ?");
    stmt.bind(1, id);
    if (!stmt.step())
        return std::nullopt;
    return recordFrom(id, stmt.text(0));
}

bool SqliteRecordStore::exists(const std::string &resource, long long id)
{
    Statement stmt(m_db, "SELECT 1 FROM " + table(resource) + " WHERE id = ?");
    stmt.bind(1, id);
    return stmt.step();
}

std::optional<long long> SqliteRecordStore::version(const std::string &resource, long long id)
{
    Statement stmt(m_db, "SELECT versao FROM " + table(resource) + " WHERE id = ?");
    stmt.bind(1, id);
    if (!stmt.step())
        return std::nullopt;
    return stmt.integer(0);
}

long long SqliteRecordStore::count(const std::string &resource)
{
    Statement stmt(m_db, "SELECT count(*) FROM " + table(resource));
    stmt.step();
    return stmt.integer(0);
}

long long SqliteRecordStore::insert(const std::string &resource, const Json &data, long long explicitId)
{
    if (explicitId > 0) {
        Statement stmt(m_db, "INSERT INTO " + table(resource) + " (id, dados) VALUES (?, ?)");
        stmt.bind(1, explicitId);
        stmt.bind(2, data.dump());
        stmt.step();
        return explicitId;
    }
    Statement stmt(m_db, "INSERT INTO " + table(resource) + " (dados) VALUES (?)");
    stmt.bind(1, data.dump());
    stmt.step();
    return sqlite3_last_insert_rowid(m_db);
}

bool SqliteRecordStore::update(const std::string &resource, long long id, const Json &data)
{
    Statement stmt(m_db, "UPDATE " + table(resource) + " SET dados = ?, versao = versao + 1 WHERE id = ?");
    stmt.bind(1, data.dump());
    stmt.bind(2, id);
    stmt.step();
    return sqlite3_changes(m_db) > 0;
}

bool SqliteRecordStore::remove(const std::string &resource, long long id)
{
    Statement stmt(m_db, "DELETE FROM " + table(resource) + " WHERE id = ?");
    stmt.bind(1, id);
    stmt.step();
    return sqlite3_changes(m_db) > 0;
}

Json SqliteRecordStore::page(const std::string &resource, const RecordQuery &query)
{
    std::string where;
    for (const RecordCondition &condition : query.conditions) {
        where += where.empty() ? " WHERE " : " AND ";
        const std::string expression = memberExpression(condition.member);
        if (condition.kind == RecordCondition::Kind::Contains) {
            where += "instr(fold(CAST(" + expression + " AS TEXT)), fold(?)) > 0";
        } else {
            where += expression + " IN (";
            for (size_t i = 0; i < condition.numbers.size(); ++i)
                where += i ? ",?" : "?";
            where += ")";
        }
    }
    const auto bindConditions = [&query](Statement &stmt) {
        int index = 1;
        for (const RecordCondition &condition : query.conditions) {
            if (condition.kind == RecordCondition::Kind::Contains)
                stmt.bind(index++, condition.text);
            else
                for (double number : condition.numbers)
                    stmt.bind(index++, number);
        }
        return index;
    };

    Statement counter(m_db, "SELECT count(*) FROM " + table(resource) + where);
    bindConditions(counter);
    counter.step();
    const long long total = counter.integer(0);

    Statement rows(m_db, "SELECT id, dados FROM " + table(resource) + where + orderBy(query.order, orderKey) + " LIMIT ? OFFSET ?");
    int index = bindConditions(rows);
    rows.bind(index++, query.size);
    rows.bind(index, query.page * query.size);
    Json content = Json::array();
    while (rows.step())
        content.push_back(recordFrom(rows.integer(0), rows.text(1)));

    return pageObject(std::move(content), total, query);
}

bool SqliteRecordStore::isReferenced(
    const std::string &resource, const std::string &listPath, const std::string &memberPath, long long id)
{
    const std::string sql = listPath.empty()
        ? "SELECT 1 FROM " + table(resource) + " WHERE json_extract(dados, " + jsonPath(memberPath) + ") = ? LIMIT 1"
        : "SELECT 1 FROM " + table(resource) + ", json_each(" + table(resource) + ".dados, " + jsonPath(listPath)
            + ") AS elemento WHERE json_extract(elemento.value, " + jsonPath(memberPath) + ") = ? LIMIT 1";
    Statement stmt(m_db, sql);
    stmt.bind(1, id);
    return stmt.step();
}
