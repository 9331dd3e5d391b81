#include "config/TSystemConfig.h"
#include "rest/RestLog.h"
#include "rest/THttpVerbs.h"
#include "rest/TLatestRequest.h"
#include "rest/TRequestPool.h"
#include "tests/support/TTestServer.h"

#include <QtTest>

#include <atomic>
#include <mutex>

namespace {

// Collects the callbacks of several requests; each answer counted once per tag.
struct TCollector
{
    std::mutex mutex;
    std::vector<std::tuple<int, int, std::string>> calls; // tag, status, text
    QStringList errors;                                    // the failure text of each call, in order

    THttpVerbs::THandler For(int tag)
    {
        return [this, tag](const TRestResult &answer) {
            std::lock_guard lock(mutex);
            calls.emplace_back(tag, answer.Status, answer.Text.toStdString());
            errors << answer.Error;
        };
    }
    std::size_t Count()
    {
        std::lock_guard lock(mutex);
        return calls.size();
    }
    bool WaitFor(std::size_t n, int ms = 10000)
    {
        QDeadlineTimer deadline(ms);
        while (Count() < n && !deadline.hasExpired())
            QTest::qWait(5);
        return Count() >= n;
    }
};

} // namespace

class TestHttpVerbs final : public QObject
{
    Q_OBJECT

    TTestServer FServer;

private slots:
    void init()
    {
        FServer.ClearRequests();
        FServer.InstallAsSystemConfig();
    }

    void verbsSendExactHeadersAndBody_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QByteArray>("body");
        const QByteArray accented = QStringLiteral("{\"nome\":\"João Ação\"}").toUtf8();
        QTest::newRow("GET") << "GET" << false << QByteArray();
        QTest::newRow("POST") << "POST" << true << accented;
        QTest::newRow("PUT") << "PUT" << true << accented;
        QTest::newRow("DELETE") << "DELETE" << true << QByteArray();
    }

    void verbsSendExactHeadersAndBody()
    {
        QFETCH(QString, verb);
        QFETCH(bool, accept);
        QFETCH(QByteArray, body);
        TCollector collector;
        const QString text = QString::fromUtf8(body);
        const QString path = QStringLiteral("clientes/7");
        if (verb == QLatin1String("GET"))
            THttpVerbs::Get(path, this, collector.For(0));
        else if (verb == QLatin1String("POST"))
            THttpVerbs::Post(path, text, this, collector.For(0));
        else if (verb == QLatin1String("PUT"))
            THttpVerbs::Put(path, text, this, collector.For(0));
        else
            THttpVerbs::Delete(path, this, collector.For(0));
        QVERIFY(collector.WaitFor(1));

        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), std::size_t(1));
        const TRecordedRequest &request = requests.front();
        QCOMPARE(QString::fromStdString(request.Method), verb);
        QCOMPARE(request.Target, std::string("/clientes/7"));
        QCOMPARE(request.Header("content-type"), std::string("application/json;charset=utf-8"));
        QCOMPARE(request.Header("accept") == "application/json", accept);
        QCOMPARE(QByteArray::fromStdString(request.Body), body);
        QVERIFY(!request.HasHeader("authorization"));
        QVERIFY(!request.HasHeader("cookie"));
    }

    // Request lines a caller adds arrive as given; the answer's headers are read by name in any
    // letter case, and only the final answer's count after a redirect.
    void headersTravelBothWays()
    {
        TScriptedAnswer moved = ScriptedAnswer(302, "");
        moved.Headers = {{"Location", FServer.BaseUrl().toStdString() + "/destino"}, {"ETag", "\"antigo\""}};
        FServer.Script("GET", "/origem", moved);
        TScriptedAnswer final = ScriptedAnswer(200, "{}");
        final.Headers = {{"ETag", "\"7\""}, {"WWW-Authenticate", "Basic realm=\"x\""}};
        FServer.Script("GET", "/destino", final);

        THttpClient client;
        client.FollowRedirects = true;
        client.Headers = {"If-Match: \"6\"", "Authorization: Bearer abc"};
        const THttpResponse response = client.Get(FServer.BaseUrl() + QStringLiteral("/origem"));
        QCOMPARE(response.Status, 200);
        QCOMPARE(response.Header("etag"), QByteArray("\"7\""));
        QCOMPARE(response.Header("Www-Authenticate"), QByteArray("Basic realm=\"x\""));
        QVERIFY(response.Header("Location").isEmpty());
        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), std::size_t(2));
        for (const TRecordedRequest &request : requests) {
            QCOMPARE(request.Header("if-match"), std::string("\"6\""));
            QCOMPARE(request.Header("authorization"), std::string("Bearer abc"));
        }
    }

    // A write conditional on a version carries it as If-Match; an answer's ETag reaches the
    // handler; a version with a line break in it is not sent at all.
    void writesCarryTheVersionTheyAreConditionalOn_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("PUT") << "PUT" << QByteArray("\"3\"") << QByteArray("\"3\"");
        QTest::newRow("DELETE") << "DELETE" << QByteArray("W/\"x\"") << QByteArray("W/\"x\"");
        QTest::newRow("PUT, no version") << "PUT" << QByteArray() << QByteArray();
        QTest::newRow("header smuggled") << "PUT" << QByteArray("\"3\"\r\nX-Outro: 1") << QByteArray();
    }

    void writesCarryTheVersionTheyAreConditionalOn()
    {
        QFETCH(QString, verb);
        QFETCH(QByteArray, version);
        QFETCH(QByteArray, sent);
        TScriptedAnswer answer = ScriptedAnswer(200, "{}");
        answer.Headers = {{"ETag", "\"4\""}};
        FServer.Script(verb.toStdString(), "/clientes/7", answer);
        QByteArray etag;
        bool answered = false;
        const auto handler = [&](const TRestResult &result) {
            etag = result.ETag;
            answered = true;
        };
        if (verb == QLatin1String("PUT"))
            THttpVerbs::Put(QStringLiteral("clientes/7"), QStringLiteral("{}"), this, handler, version);
        else
            THttpVerbs::Delete(QStringLiteral("clientes/7"), this, handler, version);
        QTRY_VERIFY_WITH_TIMEOUT(answered, 10000);
        QCOMPARE(etag, QByteArray("\"4\""));
        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QCOMPARE(QByteArray::fromStdString(requests.front().Header("if-match")), sent);
        QVERIFY(!requests.front().HasHeader("x-outro"));
    }

    void answersReachTheCallbackWithTheirBodies_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("200 utf-8") << 200 << QStringLiteral("{\"nome\":\"São Paulo\"}").toUtf8();
        QTest::newRow("400 messages") << 400 << QByteArray("[{\"mensagemUsuario\":\"Nome obrigatório\"}]");
        QTest::newRow("404") << 404 << QByteArray("{\"erro\":\"x\"}");
        QTest::newRow("500") << 500 << QByteArray("falha");
        QTest::newRow("204 empty") << 204 << QByteArray();
    }

    void answersReachTheCallbackWithTheirBodies()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        for (const char *verb : {"GET", "POST", "PUT", "DELETE"})
            FServer.Script(verb, "/r", {status, body.toStdString()});
        TCollector collector;
        THttpVerbs::Get(QStringLiteral("r"), this, collector.For(0));
        THttpVerbs::Post(QStringLiteral("r"), QStringLiteral("{}"), this, collector.For(1));
        THttpVerbs::Put(QStringLiteral("r"), QStringLiteral("{}"), this, collector.For(2));
        THttpVerbs::Delete(QStringLiteral("r"), this, collector.For(3));
        QVERIFY(collector.WaitFor(4));
        QTest::qWait(50);
        QCOMPARE(collector.Count(), std::size_t(4));
        for (const auto &[tag, code, text] : collector.calls) {
            QCOMPARE(code, status);
            QCOMPARE(QByteArray::fromStdString(text), body);
        }
    }

    // Every message for the user an answer carries, in order, whatever the answer's shape.
    void userMessagesOfAnAnswer_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("list of two") << QStringLiteral("[{\"mensagemUsuario\":\"Nome obrigatório\"},"
                                                      "{\"mensagemUsuario\":\"CPF inválido\"}]")
                                     << QStringList{QStringLiteral("Nome obrigatório"), QStringLiteral("CPF inválido")};
        QTest::newRow("one object") << QStringLiteral("{\"mensagemUsuario\":\"Em uso\",\"mensagemDesenvolvedor\":\"fk\"}")
                                    << QStringList{QStringLiteral("Em uso")};
        QTest::newRow("blank and missing skipped")
            << QStringLiteral("[{\"mensagemUsuario\":\" \"},{\"outro\":1},3,{\"mensagemUsuario\":\"Última\"}]")
            << QStringList{QStringLiteral("Última")};
        QTest::newRow("not JSON") << QStringLiteral("falha") << QStringList{};
        QTest::newRow("empty list") << QStringLiteral("[]") << QStringList{};
    }

    void userMessagesOfAnAnswer()
    {
        QFETCH(QString, body);
        QFETCH(QStringList, messages);
        TRestResult answer;
        answer.Status = 409;
        answer.Text = body;
        answer.Json = ParseJson(body);
        QCOMPARE(answer.UserMessages(), messages);
    }

    // Other verbs' answers follow their declared charset; GET answers are UTF-8 whatever they
    // declare. The parsed JSON reads as the text does.
    void answersDecodeByVerbAndDeclaredCharset_data()
    {
        QTest::addColumn<QString>("verb");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("POST declaring latin-1") << "POST" << QByteArray("{\"n\":\"Jo\xE3o\"}");
        QTest::newRow("GET declaring latin-1 is UTF-8") << "GET" << QByteArray("{\"n\":\"Jo\xC3\xA3o\"}");
    }

    void answersDecodeByVerbAndDeclaredCharset()
    {
        QFETCH(QString, verb);
        QFETCH(QByteArray, body);
        FServer.Script(verb.toStdString(), "/latin", {200, body.toStdString(), "application/json; charset=iso-8859-1"});
        std::optional<TRestResult> result;
        const auto keep = [&result](const TRestResult &answer) { result = answer; };
        if (verb == QLatin1String("GET"))
            THttpVerbs::Get(QStringLiteral("latin"), this, keep);
        else
            THttpVerbs::Post(QStringLiteral("latin"), QStringLiteral("{}"), this, keep);
        QTRY_VERIFY(result.has_value());
        QCOMPARE(result->Text, QStringLiteral("{\"n\":\"João\"}"));
        QVERIFY(result->Object());
        QCOMPARE(GetValueText(*result->Object(), "n"), QStringLiteral("João"));
    }

    // No answer is -1 once, with a Portuguese text naming the server as configured (never curl's).
    void noAnswerGivesMinusOneOnce_data()
    {
        QTest::addColumn<QString>("server"); // "gone": nothing listens; "https": TLS asked of a plain server
        QTest::addColumn<QString>("error");  // %1: the server, scheme://host:port
        QTest::newRow("connection refused")
            << "gone" << "Não foi possível conectar ao servidor (%1). Verifique se ele está em execução.";
        QTest::newRow("connection dropped") << "" << "O servidor (%1) não enviou uma resposta completa.";
        QTest::newRow("no TLS on the other side")
            << "https" << "Não foi possível estabelecer uma conexão segura com o servidor (%1).";
    }

    void noAnswerGivesMinusOneOnce()
    {
        QFETCH(QString, server);
        QFETCH(QString, error);
        QString address = FServer.BaseUrl();
        if (server == QLatin1String("gone")) {
            const TTestServer closed;
            closed.InstallAsSystemConfig();
            address = closed.BaseUrl();
        } else if (server == QLatin1String("https")) {
            SystemConfig->Server = QStringLiteral("https://127.0.0.1"); // init() puts back the server's own
            address = QStringLiteral("https://127.0.0.1:%1").arg(FServer.Port());
        } else {
            for (const char *verb : {"GET", "POST"})
                FServer.Script(verb, "/drop", {200, "{\"a\":1}", "application/json", 0, true});
        }
        TCollector collector;
        THttpVerbs::Get(QStringLiteral("drop"), this, collector.For(0));
        THttpVerbs::Post(QStringLiteral("drop"), QStringLiteral("{}"), this, collector.For(1));
        QVERIFY(collector.WaitFor(2));
        QTest::qWait(50);
        QCOMPARE(collector.Count(), std::size_t(2));
        for (const auto &[tag, code, text] : collector.calls) {
            QCOMPARE(code, -1);
            QVERIFY(text.empty());
        }
        QCOMPARE(collector.errors, QStringList(2, error.arg(address)));
    }

    void manyRequestsInFlightAtOnceEachAnswerOnce()
    {
        constexpr int count = 20;
        FServer.Script("GET", "/slow", {200, "{}", "application/json", 1500});
        TCollector collector;
        for (int i = 0; i < count; ++i)
            THttpVerbs::Get(QStringLiteral("slow"), this, collector.For(i));
        // All requests reach the server while the first answers are still held back.
        QVERIFY(FServer.WaitForRequests(count, 1400));
        QVERIFY(collector.WaitFor(count));
        QTest::qWait(50);
        QCOMPARE(collector.Count(), std::size_t(count));
        std::vector<int> tags;
        for (const auto &call : collector.calls)
            tags.push_back(std::get<0>(call));
        std::sort(tags.begin(), tags.end());
        QCOMPARE(std::unique(tags.begin(), tags.end()) - tags.begin(), count);
    }

    void callbackKeepsItsStateAliveAfterTheCallerDropsIt()
    {
        FServer.Script("GET", "/r", {200, "ok"});
        auto received = std::make_shared<std::atomic<int>>(0);
        {
            THttpVerbs::THandler handler = [received](const TRestResult &answer) { *received = answer.Status; };
            THttpVerbs::Get(QStringLiteral("r"), this, handler);
        }
        QTRY_COMPARE(received->load(), 200);
    }

    // The answer is handled on the GUI thread while its worker waits, parsed when it is JSON.
    void handlerRunsOnTheGuiThreadWhileTheWorkerWaits()
    {
        FServer.Script("GET", "/r", {200, R"({"a":1})"});
        bool onGuiThread = false;
        int busyWorkers = 0;
        std::optional<TJson> json;
        int calls = 0;
        THttpVerbs::Get(QStringLiteral("r"), this, [&](const TRestResult &answer) {
            onGuiThread = QThread::currentThread() == qApp->thread();
            busyWorkers = TRequestPool::Pool().activeThreadCount();
            json = answer.Json;
            ++calls;
        });
        QTRY_COMPARE(calls, 1);
        QVERIFY(onGuiThread);
        QVERIFY(busyWorkers >= 1);
        QVERIFY(json && json->at("a") == 1);
    }

    void handlerOfAReleasedContextIsNotCalled()
    {
        FServer.Script("GET", "/slow", {200, "{}", "application/json", 300});
        auto context = std::make_unique<QObject>();
        int calls = 0;
        THttpVerbs::Get(QStringLiteral("slow"), context.get(), [&calls](const TRestResult &) { ++calls; });
        QVERIFY(FServer.WaitForRequests(1, 5000));
        context.reset();
        QTRY_COMPARE_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount(), 0, 20000);
        QCOMPARE(calls, 0);
    }

    // A reload that replaces an earlier one drops the earlier answer, even when it arrives last;
    // an answer handled before the reload was issued stays handled.
    void replacedRequestsAnswerIsDropped()
    {
        FServer.Script("GET", "/old", {200, "{}", "application/json", 400});
        FServer.Script("GET", "/new", {200, "{}"});
        TLatestRequest latest;
        QStringList handled;
        const auto note
            = [&handled](const QString &name) { return [&handled, name](const TRestResult &) { handled << name; }; };
        THttpVerbs::Get(QStringLiteral("new"), this, latest.Replace(note(QStringLiteral("first"))));
        QTRY_COMPARE(handled.size(), 1);
        THttpVerbs::Get(QStringLiteral("old"), this, latest.Replace(note(QStringLiteral("slow, replaced"))));
        THttpVerbs::Get(QStringLiteral("new"), this, latest.Replace(note(QStringLiteral("newest"))));
        QTRY_COMPARE_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount(), 0, 20000);
        QCOMPARE(FServer.Requests().size(), std::size_t(3));
        QCOMPARE(handled, (QStringList{"first", "newest"}));
    }

    // One debug line per request in "quorel.rest.requests": method, path, status, milliseconds;
    // none unless the category is switched on.
    void requestLogLineWhenSwitchedOn_data()
    {
        QTest::addColumn<bool>("on");
        QTest::newRow("off by default") << false;
        QTest::newRow("switched on") << true;
    }

    void requestLogLineWhenSwitchedOn()
    {
        QFETCH(bool, on);
        FServer.Script("DELETE", "/clientes/7", {204, ""});
        static std::mutex mutex;
        static QStringList lines;
        lines.clear();
        QLoggingCategory::setFilterRules(on ? QStringLiteral("quorel.rest.requests.debug=true") : QString());
        const QtMessageHandler previous
            = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &context, const QString &text) {
                  std::lock_guard lock(mutex);
                  if (QByteArray(context.category) == "quorel.rest.requests")
                      lines << text;
              });
        const auto restore = qScopeGuard([previous] {
            qInstallMessageHandler(previous);
            QLoggingCategory::setFilterRules(QString());
        });
        QCOMPARE(lcRequests().isDebugEnabled(), on);
        int calls = 0;
        THttpVerbs::Delete(QStringLiteral("clientes/7"), this, [&calls](const TRestResult &) { ++calls; });
        QTRY_COMPARE(calls, 1);
        std::lock_guard lock(mutex);
        QCOMPARE(lines.size(), on ? 1 : 0);
        if (on)
            QVERIFY2(
                QRegularExpression(QStringLiteral("^DELETE clientes/7 204 \\d+ ms$")).match(lines.front()).hasMatch(),
                qPrintable(lines.front()));
    }
};

QTEST_MAIN(TestHttpVerbs)
#include "tst_THttpVerbs.moc"
