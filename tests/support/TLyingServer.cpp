#include "tests/support/TLyingServer.h"

#include "tests/support/TLoopbackHttpServer.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <QStringList>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <random>

namespace {

using TJsonDoc = nlohmann::ordered_json;

// ---- the documents a sane back-end would answer

TJsonDoc Menu()
{
    return TJsonDoc::parse(R"([
        {"descricao": "Clientes", "resource": "clientes"},
        {"descricao": "Produtos", "resource": "produtos"},
        {"descricao": "Vendedores", "resource": "vendedores"}
    ])");
}

// Field descriptors covering every control kind: edit boxes, check box, date, enum, remote combo,
// combo with a dependent one, lookup, object group and detail lists (one with a parametrised combo).
TJsonDoc Descriptors(const std::string &resource)
{
    if (resource == "clientes")
        return TJsonDoc::parse(R"([
            {"nome": "id", "label": "Código", "tipo": "long", "idField": true},
            {"nome": "nome", "label": "Nome", "tipo": "string", "tamanho": {"max": 60}},
            {"nome": "limite", "label": "Limite", "tipo": "double"},
            {"nome": "ativo", "label": "Ativo", "tipo": "boolean"},
            {"nome": "nascimento", "label": "Nascimento", "tipo": "localdate"},
            {"nome": "tipo", "label": "Tipo", "tipo": "enum",
             "values": [{"id": "F", "descricao": "Física"}, {"id": "J", "descricao": "Jurídica"}]},
            {"nome": "cidade", "label": "Cidade", "tipo": "long", "resource": "cidades", "type": "REMOTE",
             "id": "id", "displayField": "nome", "count": 12},
            {"nome": "vendedor", "label": "Vendedor", "tipo": "long", "resource": "vendedores", "type": "REMOTE",
             "id": "id", "displayField": "nome", "count": 500},
            {"nome": "endereco", "label": "Endereço", "tipo": "object", "fields": [
                {"nome": "rua", "label": "Rua", "tipo": "string"},
                {"nome": "numero", "label": "Número", "tipo": "int"}]},
            {"nome": "contatos", "label": "Contatos", "tipo": "list", "fields": [
                {"nome": "nome", "label": "Nome", "tipo": "string", "requerido": true},
                {"nome": "telefone", "label": "Telefone", "tipo": "string"},
                {"nome": "cidade", "label": "Cidade", "tipo": "long", "resource": "cidades", "type": "REMOTE",
                 "id": "id", "displayField": "nome", "count": 12,
                 "params": [{"nome": "contato", "tipo": "string", "origem": {"source": "contatos", "field": "nome"}}]}]}
        ])");
    if (resource == "produtos")
        return TJsonDoc::parse(R"([
            {"nome": "id", "label": "Código", "tipo": "long"},
            {"nome": "descricao", "label": "Descrição", "tipo": "string"},
            {"nome": "preco", "label": "Preço", "tipo": "double"},
            {"nome": "categoria", "label": "Categoria", "tipo": "long", "resource": "categorias", "type": "REMOTE",
             "id": "id", "displayField": "nome", "count": 5,
             "subObject": {"id": "id", "displayField": "nome", "resource": "subcategorias"}},
            {"nome": "itens", "label": "Itens", "tipo": "list", "fields": [
                {"nome": "quantidade", "label": "Quantidade", "tipo": "float", "requerido": true},
                {"nome": "validade", "label": "Validade", "tipo": "localdate"},
                {"nome": "unidade", "label": "Unidade", "tipo": "enum",
                 "values": [{"id": "UN", "descricao": "Unidade"}, {"id": "CX", "descricao": "Caixa"}]}]}
        ])");
    return TJsonDoc::parse(R"([
        {"nome": "id", "label": "Código", "tipo": "long"},
        {"nome": "nome", "label": "Nome", "tipo": "string"},
        {"nome": "ativo", "label": "Ativo", "tipo": "boolean"}
    ])");
}

TJsonDoc Filters(const std::string &resource)
{
    if (resource == "clientes")
        return TJsonDoc::parse(R"([
            {"tipo": "String", "label": "Nome", "nome": "nome"},
            {"tipo": "Long", "label": "Código", "nome": "id"},
            {"tipo": "Long", "label": "Vendedor", "nome": "vendedor", "resource": "vendedores", "id": "id", "displayField": "nome"}
        ])");
    return TJsonDoc::parse(R"([{"tipo": "String", "label": "Nome", "nome": "nome"}])");
}

TJsonDoc Columns()
{
    return TJsonDoc::parse(R"([{"tipo": "long", "nome": "id", "label": "Código"}, {"tipo": "string", "nome": "nome", "label": "Nome"}])");
}

TJsonDoc Row(const std::string &resource, long long id)
{
    const std::string name = resource + ' ' + std::to_string(id);
    return {{"id", id}, {"nome", name}, {"descricao", name}};
}

// 25 records in pages of ten; an index outside 0..2 gives an empty page.
TJsonDoc Page(const std::string &resource, int number)
{
    constexpr int total = 25;
    TJsonDoc content = TJsonDoc::array();
    for (int id = number * 10 + 1; number >= 0 && id <= std::min(total, number * 10 + 10); ++id)
        content.push_back(Row(resource, id));
    return {{"content", content}, {"totalPages", 3}, {"number", number}, {"size", 10}, {"totalElements", total}};
}

// Options of a combo box: categories as a page whose options carry their sub-categories, the rest
// as a bare array.
TJsonDoc Options(const std::string &resource)
{
    TJsonDoc options = TJsonDoc::array();
    for (int id = 1; id <= 5; ++id) {
        TJsonDoc option = Row(resource, id);
        if (resource == "categorias")
            option["subcategorias"] = TJsonDoc::array({Row("sub", id * 10 + 1), Row("sub", id * 10 + 2)});
        options.push_back(option);
    }
    if (resource == "categorias")
        return {{"content", options}, {"totalPages", 1}, {"number", 0}};
    return options;
}

TJsonDoc Record(const std::string &resource, long long id)
{
    TJsonDoc record = Row(resource, id);
    if (resource == "clientes") {
        record["limite"] = 1500.5;
        record["ativo"] = id % 2 == 0;
        record["nascimento"] = "1990-04-12";
        record["tipo"] = "J";
        record["cidade"] = "2";
        record["vendedor"] = 3;
        record["endereco"] = {{"rua", "Rua A"}, {"numero", "12"}};
        record["contatos"] = TJsonDoc::array({{{"nome", "Ana"}, {"telefone", "555"}, {"cidade", "1"}}});
    } else if (resource == "produtos") {
        record["preco"] = "9.90";
        record["categoriaRoot"] = "1";
        record["categoria"] = "11";
        record["itens"] = TJsonDoc::array({{{"quantidade", "2"}, {"validade", "2024-03-05"}, {"unidade", "CX"}}});
    } else {
        record["ativo"] = true;
    }
    return record;
}

bool IsNumber(const std::string &text)
{
    return !text.empty() && text.size() < 10 && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The query value of name, or empty.
std::string QueryValue(const std::string &query, const std::string &name)
{
    for (std::size_t at = 0; at < query.size();) {
        const std::size_t end = std::min(query.find('&', at), query.size());
        const std::string pair = query.substr(at, end - at);
        if (pair.rfind(name + '=', 0) == 0)
            return pair.substr(name.size() + 1);
        at = end + 1;
    }
    return {};
}

bool EndsWith(const std::string &text, const std::string &tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// What a sane back-end answers to a request: status and document (null for no body).
struct TExpected
{
    int Status = 200;
    TJsonDoc Document;
};

TExpected Expected(const std::string &method, const std::string &path, const std::string &query)
{
    std::string relative = path.substr(path.find_first_not_of('/') == std::string::npos ? path.size() : path.find_first_not_of('/'));
    const std::size_t slash = relative.rfind('/');
    const std::string last = slash == std::string::npos ? relative : relative.substr(slash + 1);
    const std::string parent = slash == std::string::npos ? std::string() : relative.substr(0, slash);
    if (method == "POST")
        return {201, Record(relative, 100)};
    if (method == "PUT")
        return {200, Record(parent, IsNumber(last) ? std::stoll(last) : 1)};
    if (method == "DELETE")
        return {204, nullptr};
    if (relative == "acesso/menus")
        return {200, Menu()};
    if (EndsWith(relative, "/campos/pesquisa"))
        return {200, Columns()};
    if (EndsWith(relative, "/campos"))
        return {200, Descriptors(parent)};
    if (EndsWith(relative, "/filtros"))
        return {200, Filters(parent)};
    if (QueryValue(query, "size") == "50")
        return {200, Options(relative)};
    if (!query.empty()) {
        const std::string page = QueryValue(query, "page");
        return {200, Page(relative, IsNumber(page) ? std::stoi(page) : (page.empty() ? 0 : -1))};
    }
    if (IsNumber(last))
        return {200, Record(parent, std::stoll(last))};
    return {200, Page(relative, 0)};
}

// ---- the lies

std::string WrongKind(const TJsonDoc &expected, std::mt19937 &random)
{
    static const std::array<const char *, 3> forArrays{R"({"content": "nada", "id": "x"})", "42", R"("texto")"};
    static const std::array<const char *, 4> forObjects{"[1, 2, 3]", "42", R"("texto")", "null"};
    if (expected.is_array())
        return forArrays[random() % forArrays.size()];
    return forObjects[random() % forObjects.size()];
}

std::string RandomBytes(std::mt19937 &random)
{
    std::string bytes(1 + random() % 4096, '\0');
    for (char &byte : bytes)
        byte = char(random() & 0xFF);
    return bytes;
}

// 5 MB: the expected document with a huge text either in a member nobody reads or in the first
// member that is shown ("descricao", "nome", "label", ...).
std::string FiveMegabytes(TJsonDoc document, std::mt19937 &random)
{
    const std::string huge(5 * 1024 * 1024, 'x');
    const bool shown = random() % 2 == 0;
    TJsonDoc *target = &document;
    if (document.is_array() && !document.empty() && document.front().is_object())
        target = &document.front();
    else if (document.is_object() && document.contains("content") && document["content"].is_array()
             && !document["content"].empty())
        target = &document["content"].front();
    if (!target->is_object())
        return document.dump() + std::string(huge.size(), ' ');
    if (shown)
        for (const char *member : {"descricao", "nome", "label", "mensagemUsuario"})
            if (target->contains(member) && (*target)[member].is_string()) {
                (*target)[member] = huge;
                return document.dump();
            }
    (*target)["lixo"] = huge;
    return document.dump();
}

std::string DeepNesting(std::mt19937 &random)
{
    constexpr std::size_t depth = 100000;
    std::string text;
    text.reserve(depth * 6);
    if (random() % 2 == 0) {
        text.append(depth, '[');
        text.append(depth, ']');
    } else {
        for (std::size_t i = 0; i < depth; ++i)
            text += R"({"a":)";
        text += "1";
        text.append(depth, '}');
    }
    return text;
}

// Bytes that are no UTF-8 (a lone continuation, an overlong form, 0xFF) inside the first string.
std::string InvalidUtf8(std::string text, std::mt19937 &random)
{
    static const std::array<const char *, 3> bad{"\x80", "\xC0\xAF", "\xFF\xFE"};
    const std::size_t quote = text.find('"');
    const std::string bytes = bad[random() % bad.size()];
    if (quote == std::string::npos)
        return text + bytes;
    return text.insert(quote + 1, bytes);
}

const char *BodyName(TLyingServer::TBody body)
{
    static const std::array<const char *, 8> names{"expected", "wrong-kind", "truncated", "random-bytes",
                                                    "5MB", "deep", "empty", "bad-utf8"};
    return names[std::size_t(body)];
}

std::uint32_t Hash32(const std::string &text)
{
    // FNV-1a: the same on every build, unlike std::hash.
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : text)
        hash = (hash ^ c) * 16777619u;
    return hash;
}

} // namespace

TLyingServer::TLyingServer(std::uint32_t seed)
    : FSeed(seed),
      FHttp(std::make_unique<TLoopbackHttpServer>(
          [this](const httplib::Request &request, httplib::Response &response) { Handle(request, response); }))
{
}

TLyingServer::~TLyingServer()
{
    {
        std::lock_guard lock(FMutex);
        FStopped = true;
    }
    FStopping.notify_all();
    FHttp->Stop();
}

int TLyingServer::Port() const { return FHttp->Port(); }

void TLyingServer::InstallAsSystemConfig() const { FHttp->InstallAsSystemConfig(); }

void TLyingServer::SetSanePercent(int percent)
{
    std::lock_guard lock(FMutex);
    FSanePercent = std::clamp(percent, 0, 100);
}

std::size_t TLyingServer::RequestCount() const
{
    std::lock_guard lock(FMutex);
    return FRequests;
}

QString TLyingServer::Summary() const
{
    std::lock_guard lock(FMutex);
    QStringList parts;
    for (const auto &[name, count] : FTally)
        parts << QStringLiteral("%1 %2").arg(QString::fromStdString(name)).arg(count);
    return QStringLiteral("%1 requests: %2").arg(FRequests).arg(parts.join(QStringLiteral(", ")));
}

TLyingServer::TAnswer TLyingServer::Choose(
    const std::string &method, const std::string &target, const std::string &path, std::uint64_t occurrence) const
{
    const std::string line = method + ' ' + target;
    std::seed_seq sequence{FSeed, Hash32(line), std::uint32_t(occurrence), std::uint32_t(occurrence >> 32)};
    std::mt19937 random(sequence);
    const auto percent = [&random] { return int(random() % 100); };

    const std::string query = target.size() > path.size() ? target.substr(path.size() + 1) : std::string();
    const TExpected expected = Expected(method, path, query);
    int sanePercent = 0;
    {
        std::lock_guard lock(FMutex);
        sanePercent = FSanePercent;
    }
    // The menu and the metadata of screens are answered sanely more often, so that screens get
    // built and the steps reach their records, searches and lists.
    if (path == "/acesso/menus")
        sanePercent = std::max(sanePercent, 80);
    else if (method == "GET" && (EndsWith(path, "/campos") || EndsWith(path, "/campos/pesquisa") || EndsWith(path, "/filtros")))
        sanePercent = std::max(sanePercent, 70);

    TAnswer answer;
    // Most answers come at once, some after a while, a few after up to 2 s.
    const int delayRoll = percent();
    answer.DelayMs = delayRoll < 50 ? 0 : delayRoll < 85 ? int(1 + random() % 150) : int(150 + random() % 1851);

    if (percent() < sanePercent) {
        answer.Status = expected.Status;
        answer.Text = expected.Document.is_null() ? std::string() : expected.Document.dump();
        return answer;
    }
    static const std::array<int, 8> statuses{200, 201, 204, 302, 400, 404, 500, 0};
    answer.Status = statuses[random() % statuses.size()];
    answer.Body = TBody(random() % 8);
    // A 400 that follows the rules carries the validation messages.
    const TJsonDoc document = answer.Status == 400 ? TJsonDoc::parse(R"([{"mensagemUsuario": "Campo inválido"}])")
                              : expected.Document.is_null() ? TJsonDoc::object()
                                                             : expected.Document;
    const std::string text = document.dump();
    switch (answer.Body) {
    case TBody::Expected: answer.Text = text; break;
    case TBody::WrongKind: answer.Text = WrongKind(document, random); break;
    case TBody::Truncated: answer.Text = text.substr(0, random() % text.size()); break;
    case TBody::RandomBytes: answer.Text = RandomBytes(random); break;
    case TBody::FiveMegabytes: answer.Text = FiveMegabytes(document, random); break;
    case TBody::DeepNesting: answer.Text = DeepNesting(random); break;
    case TBody::Empty: break;
    case TBody::InvalidUtf8: answer.Text = InvalidUtf8(text, random); break;
    }
    return answer;
}

void TLyingServer::Delay(int milliseconds)
{
    std::unique_lock lock(FMutex);
    FStopping.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return FStopped; });
}

void TLyingServer::Handle(const httplib::Request &request, httplib::Response &response)
{
    const std::string line = request.method + ' ' + request.target;
    std::uint64_t occurrence = 0;
    {
        std::lock_guard lock(FMutex);
        occurrence = FSeen[line]++;
        ++FRequests;
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    const TAnswer answer = Choose(request.method, request.target, path, occurrence);
    {
        std::lock_guard lock(FMutex);
        ++FTally[answer.Status == 0 ? std::string("dropped") : std::to_string(answer.Status)];
        ++FTally[BodyName(answer.Body)];
    }
    if (answer.DelayMs > 0)
        Delay(answer.DelayMs);

    const std::string contentType = "application/json; charset=utf-8";
    if (answer.Status == 0) {
        // Headers promise more than ever comes: the connection closes before the body.
        response.status = 200;
        response.set_content_provider(answer.Text.size() + 1000, contentType,
                                      [](size_t, size_t, httplib::DataSink &) { return false; });
        return;
    }
    response.status = answer.Status;
    if (answer.Status == 302)
        response.set_header("Location", request.target);
    if (!answer.Text.empty() || answer.Status != 204)
        response.set_content(answer.Text, contentType);
}
