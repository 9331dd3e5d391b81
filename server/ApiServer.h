#pragma once

#include "server/RecordValidator.h"

#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace httplib {
class Server;
struct Request;
struct Response;
} // namespace httplib
class RecordStore;
class ResourceCatalog;
struct ResourceDefinition;

// The back-end's HTTP interface over a catalog and a store (neither owned). Routes:
//   GET acesso/menus; GET X/campos, X/campos/pesquisa, X/filtros;
//   GET X?size&page&<filtros>, GET X/<consulta>?...; GET/PUT/DELETE X/{id}; POST X;
//   a record's answer carries its version as ETag, and PUT/DELETE with If-Match are conditional on it;
//   POST /process (the JSON formatting service).
// Errors answer a JSON array of {"mensagemUsuario", "mensagemDesenvolvedor"}.
// It owns the listening server: plain HTTP, or only HTTPS when given a certificate and its key.
class ApiServer final
{
public:
    static constexpr size_t kMaxBodyBytes = 1024 * 1024;
    // Connections served at once (each kept-alive connection holds one while it is open).
    static constexpr size_t kThreads = 64;

    // PEM files: the certificate (with its chain, if any) and its private key. Both empty: plain HTTP.
    struct TlsFiles
    {
        std::string certificate;
        std::string key;
    };

    // Throws std::runtime_error, saying why, when TLS files are given but cannot serve (unreadable,
    // not PEM, or a key that does not belong to the certificate).
    ApiServer(const ResourceCatalog &catalog, RecordStore &store, const TlsFiles &tls = {});
    ~ApiServer();
    ApiServer(const ApiServer &) = delete;
    ApiServer &operator=(const ApiServer &) = delete;

    // From now on every request must carry "Authorization: Bearer <one of tokens>"; others are
    // answered 401 with "WWW-Authenticate: Bearer". Call before listen(); empty keeps it open.
    void requireTokens(std::vector<std::string> tokens);
    // Binds host:port (port 0 picks a free one); returns the port bound, or -1.
    int bind(const std::string &host, int port);
    // Serves until stop(); call after bind().
    bool listen();
    void stop();

    // A record as stored, with its version.
    struct StoredRecord
    {
        nlohmann::ordered_json record;
        long long version = 0;
    };

private:
    void route(const httplib::Request &request, httplib::Response &response);
    void routeResource(
        const httplib::Request &request, httplib::Response &response, const std::vector<std::string> &segments);
    nlohmann::ordered_json listPage(
        const ResourceDefinition &definition, const httplib::Request &request, const nlohmann::ordered_json &fixed);
    nlohmann::ordered_json withLiveCounts(const nlohmann::ordered_json &fields);
    // POST (id 0) or PUT; a PUT with If-Match over an older version is refused with 412.
    StoredRecord save(const ResourceDefinition &definition, const httplib::Request &request, long long id);
    // DELETE; with If-Match over an older version refused with 412.
    void remove(const ResourceDefinition &definition, const httplib::Request &request, long long id);
    void format(const httplib::Request &request, httplib::Response &response);
    bool isAuthorized(const httplib::Request &request) const;

    const ResourceCatalog &m_catalog;
    RecordStore &m_store;
    RecordValidator m_validator;
    std::unique_ptr<httplib::Server> m_server;
    std::vector<std::string> m_tokens;
};
