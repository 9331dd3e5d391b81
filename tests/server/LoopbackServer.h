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
    explicit LoopbackServer(bool seeded) : LoopbackServer(seeded, OpenEmptyStore()) { }
    // Over a database as it is (a SQLite file a test made).
    LoopbackServer(bool seeded, const std::string &database) : LoopbackServer(seeded, RecordStore::open(database)) { }

    LoopbackServer(bool seeded, std::unique_ptr<RecordStore> store)
        : m_catalog(ResourceCatalog::fromEmbeddedFiles()), m_store(std::move(store)), m_server(m_catalog, *m_store)
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
    ApiServer &api() { return m_server; }
    std::unique_ptr<httplib::Client> client() const
    {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        client->set_connection_timeout(5);
        client->set_read_timeout(10);
        client->set_url_encode(false); // tests write their queries already encoded
        return client;
    }

    static std::string TestDatabase()
    {
        const char *postgres = std::getenv("QUOREL_TEST_POSTGRESQL");
        return postgres && *postgres ? postgres : ":memory:";
    }

private:
    // Servers alive at the same time each get a schema of their own in the PostgreSQL database.
    static std::unique_ptr<RecordStore> OpenEmptyStore()
    {
        std::string database = TestDatabase();
        if (RecordStore::isPostgres(database)) {
            static int servers = 0;
            const std::string schema = "servidor_" + std::to_string(++servers);
            PGconn *admin = PQconnectdb(database.c_str());
            PQclear(PQexec(admin, ("CREATE SCHEMA IF NOT EXISTS " + schema).c_str()));
            PQfinish(admin);
            database += (database.find('?') == std::string::npos ? "?" : "&") + ("options=-csearch_path%3D" + schema);
        }
        auto store = RecordStore::open(database);
        store->transaction([&store] { store->dropTables(); });
        return store;
    }

    ResourceCatalog m_catalog;
    std::unique_ptr<RecordStore> m_store;
    ApiServer m_server;
    int m_port = -1;
    std::thread m_thread;
};
