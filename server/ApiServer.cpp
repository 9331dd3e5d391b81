#include "server/ApiServer.h"

#include "server/ApiError.h"
#include "server/FieldKind.h"
#include "server/JsonFormatter.h"
#include "server/RecordStore.h"
#include "server/ResourceCatalog.h"

#include <httplib.h>
#include <openssl/err.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <stdexcept>

using Json = nlohmann::ordered_json;

namespace {

const char *const kJsonType = "application/json; charset=utf-8";
const long long kMaxPageSize = 1000;

std::vector<std::string> pathSegments(const std::string &path)
{
    std::vector<std::string> segments;
    size_t start = 0;
    while (start <= path.size()) {
        const size_t slash = path.find('/', start);
        std::string part = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty())
            segments.push_back(std::move(part));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    return segments;
}

// A record id in a path: a positive decimal number; anything else is no id.
long long recordId(const std::string &segment)
{
    static const std::regex digits("[0-9]{1,18}");
    if (!std::regex_match(segment, digits))
        return 0;
    return std::stoll(segment);
}

std::string trimmed(const std::string &text)
{
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The query parameters, decoded as forms are: percent escapes and "+" for a blank.
std::map<std::string, std::string> queryParameters(const httplib::Request &request)
{
    std::map<std::string, std::string> parameters;
    const auto mark = request.target.find('?');
    if (mark == std::string::npos)
        return parameters;
    const std::string query = request.target.substr(mark + 1);
    size_t start = 0;
    while (start <= query.size()) {
        const size_t amp = query.find('&', start);
        const std::string pair = query.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        const size_t equals = pair.find('=');
        const std::string name = httplib::detail::decode_url(pair.substr(0, equals), true);
        if (!name.empty())
            parameters.emplace(name,
                equals == std::string::npos ? std::string()
                                            : httplib::detail::decode_url(pair.substr(equals + 1), true));
        if (amp == std::string::npos)
            break;
        start = amp + 1;
    }
    return parameters;
}

long long pageParameter(
    const std::map<std::string, std::string> &parameters, const char *name, long long fallback, long long minimum)
{
    const auto it = parameters.find(name);
    if (it == parameters.end())
        return fallback;
    const std::string text = trimmed(it->second);
    static const std::regex digits("[0-9]{1,9}");
    if (!std::regex_match(text, digits) || std::stoll(text) < minimum)
        throw ApiError(400, "Parâmetro de paginação inválido.", std::string(name) + "=" + text);
    return std::stoll(text);
}

// "sort=<column>,asc|desc" (the direction optional, ascending by default): the order of a page by
// one of the columns the resource's search shows, or by id. Any other column is ignored.
std::optional<RecordOrder> sortParameter(
    const ResourceDefinition &definition, const std::map<std::string, std::string> &parameters)
{
    const auto it = parameters.find("sort");
    if (it == parameters.end())
        return std::nullopt;
    const size_t comma = it->second.find(',');
    RecordOrder order;
    order.member = trimmed(it->second.substr(0, comma));
    std::string direction = comma == std::string::npos ? std::string() : trimmed(it->second.substr(comma + 1));
    std::transform(direction.begin(), direction.end(), direction.begin(), [](unsigned char c) { return std::tolower(c); });
    order.descending = direction == "desc";
    if (order.member == "id")
        return order;
    for (const Json &column : definition.pesquisa) {
        if (!column.is_object() || column.value("nome", "") != order.member)
            continue;
        const FieldKind kind = fieldKind(column);
        order.numeric = kind == FieldKind::Integer || kind == FieldKind::Decimal || kind == FieldKind::Boolean
                     || kind == FieldKind::Remote;
        return order;
    }
    return std::nullopt;
}

// "3" or "3,5": the numbers of a numeric or lookup filter.
std::vector<double> filterNumbers(const Json &filter, const std::string &text)
{
    std::vector<double> numbers;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t comma = text.find(',', start);
        const std::string part
            = trimmed(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (!part.empty()) {
            char *end = nullptr;
            const double number = std::strtod(part.c_str(), &end);
            if (*end != '\0' || !std::isfinite(number))
                throw ApiError(400, "O filtro \"" + filter.value("label", "") + "\" deve ser numérico.",
                    filter.value("nome", "") + "=" + text);
            numbers.push_back(number);
        }
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return numbers;
}

void sendJson(httplib::Response &response, int status, const Json &body)
{
    response.status = status;
    response.set_content(body.dump(-1, ' ', false, Json::error_handler_t::replace), kJsonType);
}

// A record's version as its entity tag: a strong one, quoted.
std::string entityTag(long long version)
{
    return "\"" + std::to_string(version) + "\"";
}

// A record with its version as ETag, so a client can make its next write conditional.
void sendStored(httplib::Response &response, int status, const ApiServer::StoredRecord &stored)
{
    sendJson(response, status, stored.record);
    response.set_header("ETag", entityTag(stored.version));
}

void sendError(httplib::Response &response, const ApiError &error)
{
    sendJson(response, error.status(), error.messages());
}

ApiError notFound(const std::string &what)
{
    return ApiError(404, "Registro não encontrado.", what + " não encontrado");
}

// Whether a write may go on over the stored version: always without If-Match; with it, when it is
// "*" or lists the version's tag (a weak tag never allows a write).
bool ifMatchAllows(const httplib::Request &request, long long version)
{
    if (!request.has_header("If-Match"))
        return true;
    const std::string header = request.get_header_value("If-Match");
    const std::string tag = entityTag(version);
    for (size_t start = 0; start <= header.size();) {
        const size_t comma = header.find(',', start);
        const std::string item = trimmed(header.substr(start, comma == std::string::npos ? comma : comma - start));
        if (item == "*" || item == tag)
            return true;
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return false;
}

// Refuses a write made over a version that is no longer the stored one: someone saved in between.
void requireCurrentVersion(const httplib::Request &request, long long version)
{
    if (!ifMatchAllows(request, version))
        throw ApiError(412, "O registro foi alterado por outro usuário. Recarregue-o antes de gravar.",
            "If-Match " + request.get_header_value("If-Match") + " não corresponde à versão atual "
                + entityTag(version));
}

// Why the TLS files cannot serve: a file that cannot be read, else OpenSSL's reasons for the
// failures this thread saw since the last ERR_clear_error(), oldest first.
std::string tlsProblem(const ApiServer::TlsFiles &tls)
{
    for (const auto &[what, path] : {std::pair {"certificate", tls.certificate}, {"key", tls.key}})
        if (!std::ifstream(path))
            return std::string("cannot read the ") + what + " file" + (path.empty() ? "" : " " + path);
    std::string reasons;
    while (const unsigned long error = ERR_get_error())
        if (const char *reason = ERR_reason_error_string(error))
            reasons += (reasons.empty() ? "" : "; ") + std::string(reason);
    return reasons.empty() ? "not usable" : reasons;
}

// A plain server, or with TLS files one that speaks only HTTPS. The library's own checks leave a
// key of another kind than the certificate's unpaired, hence the explicit pairing check.
std::unique_ptr<httplib::Server> makeServer(const ApiServer::TlsFiles &tls)
{
    if (tls.certificate.empty() && tls.key.empty())
        return std::make_unique<httplib::Server>();
    ERR_clear_error();
    auto server = std::make_unique<httplib::SSLServer>(tls.certificate.c_str(), tls.key.c_str());
    if (!server->is_valid() || SSL_CTX_check_private_key(server->ssl_context()) != 1)
        throw std::runtime_error(
            "cannot serve HTTPS with certificate " + tls.certificate + " and key " + tls.key + ": " + tlsProblem(tls));
    return server;
}

} // namespace

ApiServer::ApiServer(const ResourceCatalog &catalog, RecordStore &store, const TlsFiles &tls)
    : m_catalog(catalog), m_store(store), m_validator(catalog, store), m_server(makeServer(tls))
{
    m_store.transaction([this] {
        for (const std::string &name : m_catalog.names())
            m_store.ensureTable(name);
    });
    m_server->set_payload_max_length(kMaxBodyBytes);
    // An answer's headers and body go out in two writes; without TCP_NODELAY a keep-alive client
    // waits some 40 ms for the second one. Clients keep their connection for many requests, and each
    // kept connection holds a thread while it waits, hence more threads than the library's default.
    m_server->set_tcp_nodelay(true);
    m_server->set_keep_alive_max_count(1000);
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kThreads); };
    const auto handler
        = [this](const httplib::Request &request, httplib::Response &response) { route(request, response); };
    m_server->Get(".*", handler);
    m_server->Post(".*", handler);
    m_server->Put(".*", handler);
    m_server->Delete(".*", handler);
    // Statuses the library answers itself (413 for an oversized body, 404/400 for what never reached
    // a route) get the same JSON shape as the routes' own errors.
    m_server->set_error_handler([](const httplib::Request &, httplib::Response &response) {
        if (!response.body.empty())
            return;
        const std::string user
            = response.status == 413 ? "O conteúdo enviado é grande demais." : "A requisição não pôde ser atendida.";
        sendJson(response, response.status,
            Json::array({ApiError::message(user, "HTTP " + std::to_string(response.status))}));
    });
    m_server->set_exception_handler([](const httplib::Request &, httplib::Response &response, std::exception_ptr) {
        sendJson(response, 500, Json::array({ApiError::message("Erro interno no servidor.", "exceção não tratada")}));
    });
}

ApiServer::~ApiServer()
{
    stop();
}

int ApiServer::bind(const std::string &host, int port)
{
    if (port == 0)
        return m_server->bind_to_any_port(host);
    return m_server->bind_to_port(host, port) ? port : -1;
}

bool ApiServer::listen()
{
    return m_server->listen_after_bind();
}

void ApiServer::stop()
{
    m_server->stop();
}

void ApiServer::route(const httplib::Request &request, httplib::Response &response)
{
    try {
        if (!isAuthorized(request)) {
            response.set_header("WWW-Authenticate", "Bearer");
            throw ApiError(401, "Acesso não autorizado: informe um token de acesso válido.",
                "Authorization: Bearer <token> ausente ou desconhecido");
        }
        const std::vector<std::string> segments = pathSegments(request.path);
        if (segments == std::vector<std::string> {"acesso", "menus"} && request.method == "GET")
            sendJson(response, 200, m_catalog.menu());
        else if (segments == std::vector<std::string> {"process"} && request.method == "POST")
            format(request, response);
        else if (!segments.empty())
            routeResource(request, response, segments);
        else
            throw ApiError(404, "Recurso não encontrado.", request.method + " " + request.path);
    } catch (const ApiError &error) {
        sendError(response, error);
    } catch (const std::exception &error) {
        sendJson(response, 500, Json::array({ApiError::message("Erro interno no servidor.", error.what())}));
    }
}

void ApiServer::requireTokens(std::vector<std::string> tokens)
{
    m_tokens = std::move(tokens);
}

bool ApiServer::isAuthorized(const httplib::Request &request) const
{
    if (m_tokens.empty())
        return true;
    const std::string header = request.get_header_value("Authorization");
    const std::string scheme = "bearer ";
    if (header.size() <= scheme.size()
        || !std::equal(scheme.begin(), scheme.end(), header.begin(),
            [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); }))
        return false;
    const std::string given = trimmed(header.substr(scheme.size()));
    // Compared in full whatever differs, so the time taken tells nothing of a token.
    bool known = false;
    for (const std::string &token : m_tokens) {
        unsigned char difference = token.size() == given.size() ? 0 : 1;
        for (size_t i = 0; i < token.size(); ++i)
            difference |= static_cast<unsigned char>(token[i] ^ (i < given.size() ? given[i] : 0));
        known |= difference == 0;
    }
    return known;
}

void ApiServer::routeResource(
    const httplib::Request &request, httplib::Response &response, const std::vector<std::string> &segments)
{
    const ResourceDefinition *definition = m_catalog.find(segments[0]);
    const std::string &method = request.method;
    const auto unknown = [&] { return ApiError(404, "Recurso não encontrado.", method + " " + request.path); };
    if (!definition)
        throw unknown();

    if (segments.size() == 1) {
        if (method == "GET")
            return sendJson(response, 200, listPage(*definition, request, Json::object()));
        if (method == "POST")
            return sendStored(response, 201, save(*definition, request, 0));
        throw unknown();
    }
    if (segments.size() == 3 && segments[1] == "campos" && segments[2] == "pesquisa" && method == "GET")
        return sendJson(response, 200, definition->pesquisa);
    if (segments.size() != 2)
        throw unknown();

    const std::string &second = segments[1];
    if (const long long id = recordId(second)) {
        if (method == "GET") {
            StoredRecord stored;
            m_store.transaction([&] {
                if (auto record = m_store.find(definition->name, id))
                    stored = {std::move(*record), m_store.version(definition->name, id).value_or(1)};
            });
            if (stored.record.is_null())
                throw notFound(definition->name + "/" + second);
            return sendStored(response, 200, stored);
        }
        if (method == "PUT")
            return sendStored(response, 200, save(*definition, request, id));
        if (method == "DELETE") {
            remove(*definition, request, id);
            response.status = 204;
            return;
        }
        throw unknown();
    }
    if (method != "GET")
        throw unknown();
    if (second == "campos")
        return sendJson(response, 200, withLiveCounts(definition->campos));
    if (second == "filtros")
        return sendJson(response, 200, definition->filtros);
    if (definition->consultas.contains(second))
        return sendJson(response, 200, listPage(*definition, request, definition->consultas[second]));
    throw unknown();
}

Json ApiServer::listPage(const ResourceDefinition &definition, const httplib::Request &request, const Json &fixed)
{
    const auto parameters = queryParameters(request);
    RecordQuery query;
    query.size = std::min(pageParameter(parameters, "size", 20, 1), kMaxPageSize);
    query.page = pageParameter(parameters, "page", 0, 0);
    query.order = sortParameter(definition, parameters);
    for (const Json &filter : definition.filtros) {
        const auto parameter = parameters.find(filter.value("nome", ""));
        if (parameter == parameters.end())
            continue;
        const std::string name = parameter->first;
        const std::string text = trimmed(parameter->second);
        if (text.empty())
            continue;
        RecordCondition condition;
        condition.member = filter.value("campo", name);
        if (filter.value("tipo", "") == "String" && !filter.contains("resource")) {
            condition.text = text;
        } else {
            condition.kind = RecordCondition::Kind::OneOf;
            condition.numbers = filterNumbers(filter, text);
        }
        query.conditions.push_back(std::move(condition));
    }
    for (const auto &[member, value] : fixed.items()) {
        RecordCondition condition;
        condition.member = member;
        condition.kind = RecordCondition::Kind::OneOf;
        condition.numbers = {value.is_boolean() ? (value.get<bool>() ? 1.0 : 0.0) : value.get<double>()};
        query.conditions.push_back(std::move(condition));
    }
    Json page;
    m_store.transaction([&] { page = m_store.page(definition.name, query); });
    return page;
}

// "count" of remote fields tells the client how many records the referenced resource holds
// (above 50 it offers a search instead of a drop-down list): answer the current figure.
Json ApiServer::withLiveCounts(const Json &fields)
{
    Json result = fields;
    std::function<void(Json &)> refresh = [&](Json &list) {
        for (Json &descriptor : list) {
            if (!descriptor.is_object())
                continue;
            if (descriptor.contains("count") && descriptor.contains("resource")) {
                const std::string target = referencedResource(descriptor);
                if (m_catalog.find(target))
                    descriptor["count"] = m_store.count(target);
            }
            if (descriptor.contains("fields") && descriptor["fields"].is_array())
                refresh(descriptor["fields"]);
        }
    };
    m_store.transaction([&] { refresh(result); });
    return result;
}

ApiServer::StoredRecord ApiServer::save(const ResourceDefinition &definition, const httplib::Request &request, long long id)
{
    const Json parsed = Json::parse(request.body, nullptr, false);
    if (parsed.is_discarded())
        throw ApiError(400, "O conteúdo enviado não é um JSON válido.", "corpo da requisição não é JSON");
    StoredRecord stored;
    m_store.transaction([&] {
        if (id > 0) {
            const std::optional<long long> version = m_store.version(definition.name, id);
            if (!version)
                throw notFound(definition.name + "/" + std::to_string(id));
            requireCurrentVersion(request, *version);
        }
        const Json record = m_validator.normalize(definition, parsed);
        long long storedId = id;
        if (id > 0)
            m_store.update(definition.name, id, record);
        else
            storedId = m_store.insert(definition.name, record);
        stored = {*m_store.find(definition.name, storedId), m_store.version(definition.name, storedId).value_or(1)};
    });
    return stored;
}

void ApiServer::remove(const ResourceDefinition &definition, const httplib::Request &request, long long id)
{
    m_store.transaction([&] {
        const std::optional<long long> version = m_store.version(definition.name, id);
        if (!version)
            throw notFound(definition.name + "/" + std::to_string(id));
        requireCurrentVersion(request, *version);
        for (const RecordValidator::ReferenceSite &site : m_validator.referencesTo(definition.name)) {
            if (!m_store.isReferenced(site.resource, site.listPath, site.memberPath, id))
                continue;
            std::string where = site.resource;
            for (const Json &entry : m_catalog.menu())
                if (entry.value("resource", "") == site.resource)
                    where = entry.value("descricao", site.resource);
            throw ApiError(409,
                "O registro não pode ser excluído porque é usado em \"" + where + "\" (campo \"" + site.label + "\").",
                site.resource + "." + (site.listPath.empty() ? "" : site.listPath + "[].") + site.memberPath
                    + " referencia o registro " + std::to_string(id));
        }
        m_store.remove(definition.name, id);
    });
}

void ApiServer::format(const httplib::Request &request, httplib::Response &response)
{
    httplib::Params form = request.params;
    if (!request.has_param("jsondata") && !request.has_param("jsonstandard"))
        httplib::detail::parse_query_text(request.body, form);
    const auto field = [&form](const char *name) {
        const auto it = form.find(name);
        return it == form.end() ? std::string() : it->second;
    };
    response.status = 200;
    response.set_content(
        JsonFormatter::answer(field("jsondata"), field("jsonstandard"), field("jsontemplate")), kJsonType);
}
