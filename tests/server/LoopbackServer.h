#pragma once

#include "server/ApiServer.h"
#include "server/DatabaseSeeder.h"
#include "server/RecordStore.h"
#include "server/RecordValidator.h"
#include "server/ResourceCatalog.h"

#include <httplib.h>
#include <libpq-fe.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

// The real back-end on 127.0.0.1, served on its own thread for the lifetime of the object. Its
// database is a SQLite one in memory, or the PostgreSQL database QUOREL_TEST_POSTGRESQL names (a
// libpq URI), emptied first.
class LoopbackServer final
{
public:
    explicit LoopbackServer(bool seeded) : LoopbackServer(seeded, EmptyDatabase()) { }
    // Over a database as it is: a SQLite file a test made, or one another live server uses.
    LoopbackServer(bool seeded, const std::string &database)
        : m_catalog(ResourceCatalog::fromEmbeddedFiles()),
          m_database(database),
          m_store(RecordStore::open(database)),
          m_server(m_catalog, *m_store)
    {
        if (seeded)
            DatabaseSeeder::seed(m_catalog, *m_store, RecordValidator(m_catalog, *m_store));
        m_port = m_server.bind("127.0.0.1", 0);
        m_thread = std::thread([this] { m_server.listen(); });
        // A request answered proves the accept loop runs, so stop() in the destructor reaches it.
        for (int attempt = 0; attempt < 100 && !client()->Get("/acesso/menus"); ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~LoopbackServer()
    {
        m_server.stop();
        m_thread.join();
    }
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;

    int port() const { return m_port; }
    const std::string &database() const { return m_database; }
    ApiServer &api() { return m_server; }
    std::unique_ptr<httplib::Client> client() const
    {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        client->set_connection_timeout(5);
        client->set_read_timeout(10);
        client->set_url_encode(false); // tests write their queries already encoded
        return client;
    }

    // A database no other live server uses, emptied: a schema of its own in the PostgreSQL
    // database QUOREL_TEST_POSTGRESQL names, else `sqlite` (":memory:" or a file path).
    static std::string EmptyDatabase(const std::string &sqlite = ":memory:")
    {
        const char *postgres = std::getenv("QUOREL_TEST_POSTGRESQL");
        std::string database = postgres && *postgres ? postgres : sqlite;
        if (RecordStore::isPostgres(database)) {
            static int servers = 0;
            const std::string schema = "servidor_" + std::to_string(++servers);
            PGconn *admin = PQconnectdb(database.c_str());
            PQclear(PQexec(admin, ("CREATE SCHEMA IF NOT EXISTS " + schema).c_str()));
            PQfinish(admin);
            database += (database.find('?') == std::string::npos ? "?" : "&") + ("options=-csearch_path%3D" + schema);
        }
        const auto store = RecordStore::open(database);
        store->transaction([&store] { store->dropTables(); });
        return database;
    }

private:
    ResourceCatalog m_catalog;
    std::string m_database;
    std::unique_ptr<RecordStore> m_store;
    ApiServer m_server;
    int m_port = -1;
    std::thread m_thread;
};
