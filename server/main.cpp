// quorelapi-server: the sample back-end. Serves the metadata, the records and the formatting
// service on loopback until it is interrupted.
#include "server/ApiServer.h"
#include "server/DatabaseSeeder.h"
#include "server/RecordStore.h"
#include "server/RecordValidator.h"
#include "server/ResourceCatalog.h"
#include "server/ServerOptions.h"

#include <csignal>
#include <filesystem>
#include <iostream>

namespace {

ApiServer *runningServer = nullptr;

void stopOnSignal(int)
{
    if (runningServer)
        runningServer->stop();
}

} // namespace

int main(int argc, char **argv)
{
    ServerOptions options;
    try {
        options = ServerOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument &error) {
        std::cerr << "quorelapi-server: " << error.what() << "\n" << ServerOptions::usage();
        return 2;
    }
    if (options.help) {
        std::cout << ServerOptions::usage();
        return 0;
    }
    std::vector<std::string> tokens;
    try {
        if (!options.tokenFile.empty())
            tokens = ServerOptions::readTokens(options.tokenFile);
    } catch (const std::invalid_argument &error) {
        std::cerr << "quorelapi-server: " << error.what() << "\n";
        return 2;
    }
    if (tokens.empty() && !ServerOptions::isLoopback(options.host)) {
        if (!options.insecureOpen) {
            std::cerr << "quorelapi-server: refusing to listen on " << options.host
                      << " without --token: anyone on the network could read and change every record "
                         "(--insecure-open does it anyway)\n";
            return 2;
        }
        std::cerr << "quorelapi-server: WARNING: listening on " << options.host
                  << " without --token: anyone who reaches it can read and change every record\n";
    }
    try {
        std::string database = ":memory:";
        if (!options.memory) {
            database = options.database.empty() ? ServerOptions::defaultDatabase() : options.database;
            const auto folder = std::filesystem::path(database).parent_path();
            if (!RecordStore::isPostgres(database) && !folder.empty())
                std::filesystem::create_directories(folder);
        }
        const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
        const std::unique_ptr<RecordStore> store = RecordStore::open(database);
        ApiServer server(catalog, *store, {options.tlsCertificate, options.tlsKey});
        server.requireTokens(tokens);
        if (options.seed) {
            const int seeded = DatabaseSeeder::seed(catalog, *store, RecordValidator(catalog, *store));
            if (seeded > 0)
                std::cout << "quorelapi-server: stored " << seeded << " sample records in " << database << "\n";
        }
        const int port = server.bind(options.host, options.port);
        if (port < 0) {
            std::cerr << "quorelapi-server: cannot listen on " << options.host << ":" << options.port << "\n";
            return 1;
        }
        runningServer = &server;
        std::signal(SIGINT, stopOnSignal);
        std::signal(SIGTERM, stopOnSignal);
        std::cout << "quorelapi-server: listening on " << (options.tlsCertificate.empty() ? "http" : "https") << "://"
                  << options.host << ":" << port << " (database " << database << ")" << std::endl;
        server.listen();
        runningServer = nullptr;
        return 0;
    } catch (const std::exception &error) {
        std::cerr << "quorelapi-server: " << error.what() << "\n";
        return 1;
    }
}
