#pragma once

#include "server/ApiServer.h"
#include "server/DatabaseSeeder.h"
#include "server/RecordStore.h"
#include "server/RecordValidator.h"
#include "server/ResourceCatalog.h"

#include <httplib.h>

#include <chrono>
#include <memory>
#include <thread>

// The real back-end on 127.0.0.1 with an in-memory database, served on its own thread for the
// lifetime of the object.
class LoopbackServer final
{
public:
    explicit LoopbackServer(bool seeded)
        : m_catalog(ResourceCatalog::fromEmbeddedFiles()), m_store(":memory:"), m_server(m_catalog, m_store)
    {
        if (seeded)
            DatabaseSeeder::seed(m_catalog, m_store, RecordValidator(m_catalog, m_store));
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
    std::unique_ptr<httplib::Client> client() const
    {
        auto client = std::make_unique<httplib::Client>("127.0.0.1", m_port);
        client->set_connection_timeout(5);
        client->set_read_timeout(10);
        client->set_url_encode(false); // tests write their queries already encoded
        return client;
    }

private:
    ResourceCatalog m_catalog;
    RecordStore m_store;
    ApiServer m_server;
    int m_port = -1;
    std::thread m_thread;
};
