// The back-end over real HTTP on loopback: routes, paging, filters, validation, integrity.
#include "tests/server/LoopbackServer.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sqlite3.h>

#include <atomic>
#include <set>

using Json = nlohmann::ordered_json;

namespace {

Json parse(const httplib::Result &result)
{
    return result ? Json::parse(result->body, nullptr, false) : Json();
}

int status(const httplib::Result &result)
{
    return result ? result->status : -1;
}

std::string firstUserMessage(const httplib::Result &result)
{
    const Json body = parse(result);
    return body.is_array() && !body.empty() ? body[0].value("mensagemUsuario", "") : std::string();
}

httplib::Result postJson(httplib::Client &client, const std::string &path, const Json &body)
{
    return client.Post(path.c_str(), body.dump(), "application/json");
}

// The text the client's "Formatar Json" cuts out of an answer: between jsoncopy":" and the last
// ","template" of the line, with \n and \" undone.
std::string cutFormatted(const std::string &answer)
{
    const std::string line = answer.substr(0, answer.find('\n'));
    const std::string open = "jsoncopy\":\"";
    const auto start = line.find(open);
    const auto end = line.rfind("\",\"template\"");
    if (start == std::string::npos || end == std::string::npos || end < start + open.size())
        return {};
    std::string text = line.substr(start + open.size(), end - start - open.size());
    for (const auto &[from, to] : {std::pair<std::string, std::string> {"\\n", "\n"}, {"\\\"", "\""}})
        for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    return text;
}

} // namespace

class tst_ApiServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_seeded = std::make_unique<LoopbackServer>(true); }
    void cleanupTestCase() { m_seeded.reset(); }

    void metadataRoutes_data();
    void metadataRoutes();
    void pagingArithmetic();
    void filters_data();
    void filters();
    void sortedPages_data();
    void sortedPages();
    void validation_data();
    void validation();
    void clientStyleRecordIsStoredTyped();
    void crudLifecycle();
    void deletingReferencedRecordIsRefused();
    void secondSaveOverAnOldVersionIsRefused();
    void conditionalWrites_data();
    void conditionalWrites();
    void databaseFromBeforeVersionsGetsThem();
    void tokensKeepOthersOut();
    void liveCountFollowsRecords();
    void concurrentWritesStayConsistent_data();
    void concurrentWritesStayConsistent();
    void malformedAndOversizedBodies();
    void formattingService();

private:
    std::unique_ptr<LoopbackServer> m_seeded;
};

void tst_ApiServer::metadataRoutes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("expected");
    QTest::newRow("menu") << "/acesso/menus" << 200;
    QTest::newRow("campos") << "/clientes/campos" << 200;
    QTest::newRow("pesquisa") << "/pedidos/campos/pesquisa" << 200;
    QTest::newRow("filtros") << "/cidades/filtros" << 200;
    QTest::newRow("method suffix") << "/categorias/ativas?size=50&page=0" << 200;
    QTest::newRow("doubled slashes") << "//estados//campos" << 200;
    QTest::newRow("unknown resource") << "/fornecedores/campos" << 404;
    QTest::newRow("unknown sub-path") << "/estados/campos/outra" << 404;
    QTest::newRow("unknown suffix") << "/categorias/inativas" << 404;
    QTest::newRow("missing record") << "/estados/9999" << 404;
    QTest::newRow("id not a number") << "/estados/abc" << 404;
}

void tst_ApiServer::metadataRoutes()
{
    QFETCH(QString, path);
    QFETCH(int, expected);
    const auto result = m_seeded->client()->Get(path.toStdString().c_str());
    QCOMPARE(status(result), expected);
    const Json body = parse(result);
    if (expected == 200)
        QVERIFY(body.is_array() || (body.is_object() && body.contains("content")));
    else
        QVERIFY(!firstUserMessage(result).empty());
}

void tst_ApiServer::pagingArithmetic()
{
    LoopbackServer server(false);
    auto client = server.client();
    for (int i = 0; i < 25; ++i) {
        const std::string sigla {char('A' + i / 5), char('A' + i % 5)};
        QCOMPARE(
            status(postJson(*client, "/estados", {{"sigla", sigla}, {"nome", "Estado " + std::to_string(i)}})), 201);
    }
    const std::vector<std::pair<int, size_t>> pages {{0, 10}, {1, 10}, {2, 5}, {3, 0}};
    for (const auto &[page, rows] : pages) {
        const Json body = parse(client->Get(("/estados?size=10&page=" + std::to_string(page)).c_str()));
        QCOMPARE(body["content"].size(), rows);
        QCOMPARE(body["totalPages"].get<int>(), 3);
        QCOMPARE(body["totalElements"].get<int>(), 25);
        QCOMPARE(body["number"].get<int>(), page);
        QCOMPARE(body["size"].get<int>(), 10);
        if (rows)
            QCOMPARE(body["content"][0]["id"].get<int>(), page * 10 + 1);
    }
    QCOMPARE(status(client->Get("/estados?size=0&page=0")), 400);
    QCOMPARE(status(client->Get("/estados?size=10&page=-1")), 400);
}

void tst_ApiServer::filters_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("expectedTotal"); // -1: any number above zero
    QTest::addColumn<QString>("everyRowHas"); // "member=value" true of every row, or empty

    QTest::newRow("text, case and accents folded, percent-encoded")
        << "/cidades?size=50&page=0&nome=S%C3%83O%20J" << 6 << "";
    QTest::newRow("text with plus as blank") << "/cidades?size=50&page=0&nome=rio+de" << 1 << "nome=Rio de Janeiro";
    QTest::newRow("numeric equality") << "/cidades?size=10&page=0&ibge=3500010" << 1 << "nome=São Paulo";
    QTest::newRow("lookup equality") << "/cidades?size=50&page=0&estado=27" << 1 << "nome=Brasília";
    QTest::newRow("combined filters") << "/cidades?size=50&page=0&estado=20&nome=santo" << 2 << "estado=20";
    QTest::newRow("unknown parameter ignored") << "/estados?size=50&page=0&cor=azul" << 27 << "";
    QTest::newRow("empty value ignored") << "/produtos?size=50&page=0&categoria=" << 40 << "";
    QTest::newRow("list of keys from a combo parameter") << "/produtos?size=50&page=0&categoria=2,3" << 14 << "";
    QTest::newRow("filter through another member")
        << "/produtos?size=50&page=0&categoria=5" << 6 << "subcategoriaRoot=5";
    QTest::newRow("fixed query of a method suffix") << "/categorias/ativas?size=50&page=0" << 7 << "ativa=true";
    QTest::newRow("nothing matches") << "/clientes?size=10&page=0&nome=zzzz" << 0 << "";
}

void tst_ApiServer::filters()
{
    QFETCH(QString, query);
    QFETCH(int, expectedTotal);
    QFETCH(QString, everyRowHas);
    const auto result = m_seeded->client()->Get(query.toStdString().c_str());
    QCOMPARE(status(result), 200);
    const Json page = parse(result);
    QCOMPARE(page["totalElements"].get<int>(), expectedTotal);
    if (everyRowHas.isEmpty())
        return;
    const auto parts = everyRowHas.split('=');
    for (const Json &row : page["content"]) {
        const Json &value = row[parts[0].toStdString()];
        const std::string text = value.is_string() ? value.get<std::string>() : value.dump();
        QCOMPARE(QString::fromStdString(text), parts[1]);
    }
}

// "sort=<column>,<direction>" orders the pages by a column of the search: numbers by value, text
// without regard to case, records without the value last (first descending), equal values by id;
// a column the search does not show is ignored. Read two rows a page, so paging keeps the order.
void tst_ApiServer::sortedPages_data()
{
    QTest::addColumn<QString>("sort");
    QTest::addColumn<QStringList>("names");
    const QStringList byId {"beta", "Alfa", "zeta", "alfa", "Beta"};
    QTest::newRow("none") << "" << byId;
    QTest::newRow("text ascending") << "nome,asc" << QStringList {"Alfa", "alfa", "beta", "Beta", "zeta"};
    QTest::newRow("no direction") << "nome" << QStringList {"Alfa", "alfa", "beta", "Beta", "zeta"};
    QTest::newRow("text descending") << "nome,DESC" << QStringList {"zeta", "beta", "Beta", "Alfa", "alfa"};
    QTest::newRow("numbers ascending") << "ibge,asc" << QStringList {"Alfa", "Beta", "beta", "zeta", "alfa"};
    QTest::newRow("numbers descending") << "ibge,desc" << QStringList {"alfa", "zeta", "beta", "Alfa", "Beta"};
    QTest::newRow("id descending") << "id,desc" << QStringList {"Beta", "alfa", "zeta", "Alfa", "beta"};
    QTest::newRow("field not in the search") << "estado,desc" << byId;
    QTest::newRow("unknown column") << "desconhecida,asc" << byId;
}

void tst_ApiServer::sortedPages()
{
    QFETCH(QString, sort);
    QFETCH(QStringList, names);
    LoopbackServer server(false);
    auto client = server.client();
    const auto estado = postJson(*client, "/estados", {{"sigla", "PR"}, {"nome", "Paraná"}});
    QCOMPARE(status(estado), 201);
    const Json estadoId = parse(estado)["id"];
    const std::vector<std::pair<std::string, Json>> cidades {
        {"beta", 10}, {"Alfa", 9}, {"zeta", 100}, {"alfa", nullptr}, {"Beta", 9}};
    for (const auto &[nome, ibge] : cidades) {
        Json cidade {{"nome", nome}, {"estado", estadoId}};
        if (!ibge.is_null())
            cidade["ibge"] = ibge;
        QCOMPARE(status(postJson(*client, "/cidades", cidade)), 201);
    }

    const std::string query = sort.isEmpty() ? std::string() : "&sort=" + sort.toStdString();
    QStringList read;
    for (int page = 0; page < 3; ++page) {
        const Json answer = parse(client->Get(("/cidades?size=2&page=" + std::to_string(page) + query).c_str()));
        QVERIFY(answer.contains("content"));
        for (const Json &row : answer["content"])
            read << QString::fromStdString(row["nome"].get<std::string>());
    }
    QCOMPARE(read, names);
}

void tst_ApiServer::validation_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("message");

    QTest::newRow("required missing") << "/estados" << QByteArray(R"({"nome":"Novo"})")
                                      << "O campo \"Sigla\" é obrigatório.";
    QTest::newRow("required blank") << "/estados" << QByteArray(R"({"sigla":"  ","nome":"Novo"})")
                                    << "O campo \"Sigla\" é obrigatório.";
    QTest::newRow("text too long, counted in characters")
        << "/estados" << QByteArray(R"({"sigla":"ÇÃO","nome":"Novo"})")
        << "O campo \"Sigla\" deve ter no máximo 2 caracteres.";
    QTest::newRow("reference to a missing record") << "/cidades" << QByteArray(R"({"nome":"Nova","estado":"999"})")
                                                   << "O registro informado no campo \"Estado\" não existe.";
    QTest::newRow("not an integer") << "/cidades" << QByteArray(R"({"nome":"Nova","estado":"1","ibge":"12a"})")
                                    << "O campo \"Código IBGE\" deve ser um número inteiro.";
    QTest::newRow("invalid date") << "/clientes" << QByteArray(R"({"nome":"X","tipo":"F","nascimento":"2023-02-30"})")
                                  << "O campo \"Nascimento\" deve ser uma data válida (aaaa-mm-dd).";
    QTest::newRow("enum outside its values") << "/clientes" << QByteArray(R"({"nome":"X","tipo":"Z"})")
                                             << "O campo \"Tipo\" tem um valor que não está entre as opções.";
    QTest::newRow("required inside a list")
        << "/clientes"
        << QByteArray(
               R"({"nome":"X","tipo":"F","contatos":[{"tipo":"EMAIL","valor":"a@b"},{"tipo":"EMAIL","valor":""}]})")
        << "Contatos, item 2: O campo \"Valor\" é obrigatório.";
    QTest::newRow("sub-object key outside the chosen record")
        << "/produtos" << QByteArray(R"({"nome":"X","preco":"1","subcategoriaRoot":"1","subcategoria":"9"})")
        << "O valor escolhido em \"Categoria\" não pertence ao registro selecionado.";
    QTest::newRow("local key outside the record's array")
        << "/pedidos"
        << QByteArray(
               R"({"cliente":"1","data":"2024-05-01","entregas":[{"descricao":"Casa"}],"itens":[{"produto":"1","quantidade":"1","entrega":"7"}]})")
        << "Itens, item 1: O campo \"Entrega\" tem um valor que não está entre as opções do registro.";
    QTest::newRow("array body") << "/estados" << QByteArray("[1,2]")
                                << "O conteúdo enviado não é um registro (objeto JSON).";
    QTest::newRow("not JSON") << "/estados" << QByteArray("{\"sigla\":") << "O conteúdo enviado não é um JSON válido.";
    QTest::newRow("empty body") << "/estados" << QByteArray("") << "O conteúdo enviado não é um JSON válido.";
}

void tst_ApiServer::validation()
{
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(QString, message);
    auto client = m_seeded->client();
    const auto result = client->Post(path.toStdString().c_str(), body.toStdString(), "application/json");
    QCOMPARE(status(result), 400);
    QCOMPARE(QString::fromStdString(firstUserMessage(result)), message);
    QVERIFY(parse(result)[0]["mensagemDesenvolvedor"].is_string());
    // The same body on an existing record is refused the same way and changes nothing.
    const Json before = parse(client->Get((path.toStdString() + "/1").c_str()));
    QCOMPARE(status(client->Put((path.toStdString() + "/1").c_str(), body.toStdString(), "application/json")), 400);
    QCOMPARE(parse(client->Get((path.toStdString() + "/1").c_str())), before);
}

void tst_ApiServer::clientStyleRecordIsStoredTyped()
{
    // What the client's controls send: numbers and keys as text, an empty date as 1899-12-30,
    // groups as objects, lists as arrays of objects.
    const Json sent = Json::parse(R"({"id":"","nome":"Maria Souza","tipo":"F","ativo":true,"nascimento":"1899-12-30",
    "limiteCredito":"1.500,50","cidade":"5","endereco":{"logradouro":"Rua A","numero":"10","bairro":"","cep":""},
    "contatos":[{"tipo":"EMAIL","valor":"maria@exemplo.com.br"}],"desconhecido":1})");
    auto client = m_seeded->client();
    const auto created = postJson(*client, "/clientes", sent);
    QCOMPARE(status(created), 201);
    const Json stored = parse(created);
    QVERIFY(stored["id"].is_number_integer());
    QCOMPARE(stored.begin().key(), std::string("id"));
    QCOMPARE(stored["limiteCredito"].get<double>(), 1500.5);
    QCOMPARE(stored["cidade"].get<int>(), 5);
    QVERIFY(stored["nascimento"].is_null());
    QCOMPARE(stored["endereco"]["numero"], Json("10"));
    QCOMPARE(stored["contatos"][0]["valor"], Json("maria@exemplo.com.br"));
    QVERIFY(!stored.contains("desconhecido"));
    QCOMPARE(parse(client->Get(("/clientes/" + stored["id"].dump()).c_str())), stored);

    // A sub-object pair and list elements that get their keys from the server.
    const auto produto = postJson(*client, "/produtos",
        {{"nome", "Pão de queijo"}, {"preco", "12,90"}, {"subcategoriaRoot", "6"}, {"subcategoria", "1"}});
    QCOMPARE(status(produto), 201);
    QCOMPARE(parse(produto)["subcategoria"].get<int>(), 1);
    const auto categoria = postJson(*client, "/categorias",
        Json::parse(
            R"({"nome":"Pet","subcategorias":[{"id":"","nome":"Rações"},{"id":"4","nome":"Brinquedos"},{"id":"","nome":"Higiene"}]})"));
    QCOMPARE(status(categoria), 201);
    std::vector<int> ids;
    const Json subcategorias = parse(categoria)["subcategorias"];
    for (const Json &sub : subcategorias)
        ids.push_back(sub["id"].get<int>());
    QCOMPARE(ids, (std::vector<int> {5, 4, 6}));
    QCOMPARE(status(postJson(*client, "/categorias",
                 Json::parse(R"({"nome":"Dup","subcategorias":[{"id":"1","nome":"a"},{"id":"1","nome":"b"}]})"))),
        400);
}

void tst_ApiServer::crudLifecycle()
{
    auto client = m_seeded->client();
    const auto created = postJson(*client, "/estados", {{"id", "3"}, {"sigla", "ZZ"}, {"nome", "Teste"}});
    QCOMPARE(status(created), 201);
    const Json record = parse(created);
    QVERIFY(record["id"].get<int>() > 27); // an id in the body is not taken
    const std::string path = "/estados/" + record["id"].dump();
    QCOMPARE(parse(client->Get(path.c_str())), record);

    const auto updated = client->Put(path.c_str(), R"({"id":"1","sigla":"ZY","nome":"Alterado"})", "application/json");
    QCOMPARE(status(updated), 200);
    QCOMPARE(parse(updated)["id"], record["id"]);
    QCOMPARE(parse(client->Get(path.c_str()))["nome"], Json("Alterado"));
    QCOMPARE(parse(client->Get("/estados/1"))["sigla"], Json("RO"));

    QCOMPARE(status(client->Put("/estados/99999", R"({"sigla":"AA","nome":"x"})", "application/json")), 404);
    QCOMPARE(status(client->Delete(path.c_str())), 204);
    QCOMPARE(status(client->Get(path.c_str())), 404);
    QCOMPARE(status(client->Delete(path.c_str())), 404);
}

// Two people open the same record and both save: the second save, made over the version both
// read, is refused and what the first one saved stays stored.
void tst_ApiServer::secondSaveOverAnOldVersionIsRefused()
{
    auto first = m_seeded->client();
    auto second = m_seeded->client();
    const auto created = postJson(*first, "/estados", {{"sigla", "VV"}, {"nome", "Versão"}});
    QCOMPARE(status(created), 201);
    const std::string path = "/estados/" + parse(created)["id"].dump();

    const auto readByFirst = first->Get(path.c_str());
    const auto readBySecond = second->Get(path.c_str());
    const std::string tag = readByFirst->get_header_value("ETag");
    QVERIFY(!tag.empty());
    QCOMPARE(readBySecond->get_header_value("ETag"), tag);

    const auto saved = first->Put(path.c_str(), {{"If-Match", tag}}, R"({"sigla":"V1","nome":"Primeiro"})",
        "application/json");
    QCOMPARE(status(saved), 200);
    QVERIFY(saved->get_header_value("ETag") != tag);

    const auto refused = second->Put(path.c_str(), {{"If-Match", tag}}, R"({"sigla":"V2","nome":"Segundo"})",
        "application/json");
    QCOMPARE(status(refused), 412);
    QCOMPARE(firstUserMessage(refused),
        std::string("O registro foi alterado por outro usuário. Recarregue-o antes de gravar."));
    QCOMPARE(parse(second->Get(path.c_str()))["nome"], Json("Primeiro"));
    QCOMPARE(status(second->Delete(path.c_str(), {{"If-Match", tag}})), 412);
    QCOMPARE(status(second->Get(path.c_str())), 200);
}

// What If-Match allows: nothing asked (as before), the current tag, "*", a list holding it; a weak
// tag or an older one is refused. Each row saves a fresh record, then deletes it with the same
// header, which by then names the version before the save when the save went through.
void tst_ApiServer::conditionalWrites_data()
{
    QTest::addColumn<QString>("ifMatch"); // %1: the current tag, %2: the one before it
    QTest::addColumn<int>("put");
    QTest::addColumn<int>("deleteAfter");
    QTest::newRow("no If-Match") << "" << 200 << 204;
    QTest::newRow("current tag") << "%1" << 200 << 412;
    QTest::newRow("any") << "*" << 200 << 204;
    QTest::newRow("list holding it") << "\"999\", %1" << 200 << 412;
    QTest::newRow("weak current tag") << "W/%1" << 412 << 412;
    QTest::newRow("older tag") << "%2" << 412 << 412;
    QTest::newRow("not a tag") << "abc" << 412 << 412;
}

void tst_ApiServer::conditionalWrites()
{
    QFETCH(QString, ifMatch);
    QFETCH(int, put);
    QFETCH(int, deleteAfter);
    auto client = m_seeded->client();
    const auto created = postJson(*client, "/estados", {{"sigla", "CW"}, {"nome", "Condicional"}});
    const std::string path = "/estados/" + parse(created)["id"].dump();
    const std::string older = created->get_header_value("ETag");
    const auto changed = client->Put(path.c_str(), R"({"sigla":"CX","nome":"Alterado"})", "application/json");
    const std::string current = changed->get_header_value("ETag");
    QVERIFY(!older.empty() && current != older);

    httplib::Headers headers;
    if (!ifMatch.isEmpty())
        headers.emplace("If-Match", ifMatch.replace("%1", QString::fromStdString(current))
                                        .replace("%2", QString::fromStdString(older))
                                        .toStdString());
    QCOMPARE(status(client->Put(path.c_str(), headers, R"({"sigla":"CY","nome":"De novo"})", "application/json")), put);
    QCOMPARE(status(client->Delete(path.c_str(), headers)), deleteAfter);
}

// A SQLite file written before records had versions: its tables get the column, every record
// version 1, and writes go on from there.
void tst_ApiServer::databaseFromBeforeVersionsGetsThem()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const std::string file = folder.filePath("antigo.db").toStdString();
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(file.c_str(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db,
                 "CREATE TABLE estados (id INTEGER PRIMARY KEY AUTOINCREMENT, dados TEXT NOT NULL);"
                 "INSERT INTO estados (id, dados) VALUES (5, '{\"sigla\":\"AN\",\"nome\":\"Antigo\"}');",
                 nullptr, nullptr, nullptr),
        SQLITE_OK);
    sqlite3_close(db);

    LoopbackServer server(false, file);
    auto client = server.client();
    const auto read = client->Get("/estados/5");
    QCOMPARE(status(read), 200);
    QCOMPARE(parse(read)["nome"], Json("Antigo"));
    QCOMPARE(read->get_header_value("ETag"), std::string("\"1\""));
    const auto saved = client->Put("/estados/5", {{"If-Match", "\"1\""}}, R"({"sigla":"AN","nome":"Novo"})",
        "application/json");
    QCOMPARE(status(saved), 200);
    QCOMPARE(saved->get_header_value("ETag"), std::string("\"2\""));
}

// With tokens every route asks for one: none, another scheme or an unknown token gets 401 and the
// Bearer challenge; a known one (any of them, any case of the scheme) gets the answer.
void tst_ApiServer::tokensKeepOthersOut()
{
    LoopbackServer server(true);
    server.api().requireTokens({"segredo-um", "segredo-dois"});
    auto client = server.client();
    const std::pair<const char *, int> cases[] = {{"", 401}, {"Basic c2VncmVkby11bQ==", 401},
        {"Bearer segredo", 401}, {"Bearer segredo-um-e-mais", 401}, {"Bearer ", 401}, {"Bearer segredo-um", 200},
        {"bearer segredo-dois", 200}};
    for (const auto &[authorization, expected] : cases) {
        httplib::Headers headers;
        if (*authorization)
            headers.emplace("Authorization", authorization);
        for (const char *path : {"/acesso/menus", "/estados/1", "/estados?size=5&page=0"}) {
            const auto result = client->Get(path, headers);
            QCOMPARE(status(result), expected);
            if (expected == 401) {
                QCOMPARE(result->get_header_value("WWW-Authenticate"), std::string("Bearer"));
                QVERIFY(firstUserMessage(result).find("não autorizado") != std::string::npos);
            }
        }
        QCOMPARE(status(client->Put("/estados/1", headers, R"({"sigla":"RO","nome":"Rondônia"})", "application/json")),
            expected);
    }
}

void tst_ApiServer::deletingReferencedRecordIsRefused()
{
    auto client = m_seeded->client();
    // An estado used by cidades, a produto used inside the itens of pedidos, a categoria used
    // through a sub-object member of produtos.
    for (const char *path : {"/estados/27", "/produtos/1", "/categorias/1"}) {
        const auto result = client->Delete(path);
        QCOMPARE(status(result), 409);
        QVERIFY(firstUserMessage(result).find("não pode ser excluído") != std::string::npos);
        QCOMPARE(status(client->Get(path)), 200);
    }
}

void tst_ApiServer::liveCountFollowsRecords()
{
    LoopbackServer server(false);
    auto client = server.client();
    const auto countOfEstado = [&] { return parse(client->Get("/cidades/campos"))[2]["count"].get<int>(); };
    QCOMPARE(countOfEstado(), 0);
    QCOMPARE(status(postJson(*client, "/estados", {{"sigla", "SP"}, {"nome", "São Paulo"}})), 201);
    QCOMPARE(countOfEstado(), 1);
}

// Clients writing at once, through one server or through two servers sharing one database (as two
// processes behind a balancer would): every record gets its own id and keeps its own values, and
// what one server wrote the other reads, with the same version.
void tst_ApiServer::concurrentWritesStayConsistent_data()
{
    QTest::addColumn<int>("servers");
    QTest::newRow("one server") << 1;
    QTest::newRow("two servers, one database") << 2;
}

void tst_ApiServer::concurrentWritesStayConsistent()
{
    QFETCH(int, servers);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    std::vector<std::unique_ptr<LoopbackServer>> running;
    running.push_back(std::make_unique<LoopbackServer>(
        false, LoopbackServer::EmptyDatabase(folder.filePath("compartilhado.db").toStdString())));
    while (int(running.size()) < servers)
        running.push_back(std::make_unique<LoopbackServer>(false, running.front()->database()));

    constexpr int threads = 4;
    constexpr int perThread = 25;
    std::atomic<int> failures {0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            auto client = running[t % servers]->client();
            for (int i = 0; i < perThread; ++i) {
                const std::string sigla {char('A' + t), char('A' + i)};
                const auto created
                    = client->Post("/estados", Json {{"sigla", sigla}, {"nome", "Estado"}}.dump(), "application/json");
                if (status(created) != 201) {
                    ++failures;
                    continue;
                }
                const std::string path = "/estados/" + parse(created)["id"].dump();
                const Json change {{"sigla", sigla}, {"nome", "Estado " + sigla}};
                if (status(client->Put(path.c_str(), change.dump(), "application/json")) != 200)
                    ++failures;
                client->Get("/estados?size=10&page=0&nome=estado");
            }
        });
    }
    for (auto &worker : workers)
        worker.join();
    QCOMPARE(failures.load(), 0);
    for (const auto &server : running) {
        const Json page = parse(server->client()->Get("/estados?size=1000&page=0"));
        QCOMPARE(page["totalElements"].get<int>(), threads * perThread);
        std::set<int> ids;
        for (const Json &row : page["content"]) {
            ids.insert(row["id"].get<int>());
            QCOMPARE(row["nome"].get<std::string>(), "Estado " + row["sigla"].get<std::string>());
        }
        QCOMPARE(int(ids.size()), threads * perThread);
    }

    // A save through the last server makes the first one's version old.
    auto first = running.front()->client();
    auto last = running.back()->client();
    const std::string path = "/estados/" + parse(first->Get("/estados?size=1&page=0"))["content"][0]["id"].dump();
    const auto readByFirst = first->Get(path.c_str());
    const std::string tag = readByFirst->get_header_value("ETag");
    QCOMPARE(last->Get(path.c_str())->get_header_value("ETag"), tag);
    QCOMPARE(status(last->Put(path.c_str(), {{"If-Match", tag}}, R"({"sigla":"ZZ","nome":"Último"})",
                 "application/json")),
        200);
    QCOMPARE(status(first->Put(path.c_str(), {{"If-Match", tag}}, R"({"sigla":"YY","nome":"Primeiro"})",
                 "application/json")),
        412);
    QCOMPARE(parse(first->Get(path.c_str()))["nome"], Json("Último"));
}

void tst_ApiServer::malformedAndOversizedBodies()
{
    auto client = m_seeded->client();
    const std::vector<std::string> bodies {std::string("\x00\xff\xfe{", 4), "{\"sigla\":\"\xc3\x28\"}",
        std::string(100000, '['), "{\"sigla\":{\"a\":[1,2,{}]},\"nome\":null}", "null", "\"texto\""};
    for (const std::string &body : bodies) {
        const auto result = client->Post("/estados", body, "application/json");
        QCOMPARE(status(result), 400);
    }
    const auto oversized = client->Post("/estados", std::string(ApiServer::kMaxBodyBytes + 1, ' '), "application/json");
    QCOMPARE(status(oversized), 413);
    QVERIFY(!firstUserMessage(oversized).empty());
    QCOMPARE(status(m_seeded->client()->Get("/acesso/menus")), 200);
}

void tst_ApiServer::formattingService()
{
    auto client = m_seeded->client();
    // The answer is one JSON line; its "jsoncopy" is the pretty-printed input.
    const std::string input = R"({"nome":"São \"Paulo\"","itens":[1,2.5,true,null]})";
    const auto valid
        = client->Post("/process", httplib::Params {{"jsondata", input}, {"jsonstandard", "1"}, {"jsontemplate", "1"}});
    QCOMPARE(status(valid), 200);
    const Json answer = Json::parse(valid->body);
    QCOMPARE(Json::parse(answer["jsoncopy"].get<std::string>()), Json::parse(input));
    QVERIFY(valid->body.find("\"valid\":0") == std::string::npos);

    // Cut as the client cuts it (only \n and \" undone), text without escapes comes back whole.
    const std::string plain = R"({"cidade":"Brasília","pedido":{"itens":[1,2.5,true,null]}})";
    const std::string formatted = cutFormatted(client->Post("/process", httplib::Params {{"jsondata", plain}})->body);
    QVERIFY(formatted.find("\n    \"cidade\"") != std::string::npos);
    QCOMPARE(Json::parse(formatted), Json::parse(plain));

    const std::regex invalidMark("jsonstandard\".*\"valid\":0");
    for (const std::string bad : {"{\"a\":", "palavra", ""}) {
        httplib::Params badForm {{"jsonstandard", "1"}, {"jsontemplate", "1"}};
        if (!bad.empty())
            badForm.emplace("jsondata", bad);
        const auto invalid = client->Post("/process", badForm);
        QCOMPARE(status(invalid), 200);
        QVERIFY(std::regex_search(invalid->body.substr(0, invalid->body.find('\n')), invalidMark));
    }
}

QTEST_GUILESS_MAIN(tst_ApiServer)
#include "tst_ApiServer.moc"
