#include "rest/TGuiSync.h"
#include "rest/THttpVerbs.h"
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

    TResultProc For(int tag)
    {
        return [this, tag](THttpClient &, int status, const std::string &text) {
            std::lock_guard lock(mutex);
            calls.emplace_back(tag, status, text);
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
            THttpVerbs::Get(path, QStringLiteral("{\"ignored\":1}"), collector.For(0));
        else if (verb == QLatin1String("POST"))
            THttpVerbs::Post(path, text, collector.For(0));
        else if (verb == QLatin1String("PUT"))
            THttpVerbs::Put(path, text, collector.For(0));
        else
            THttpVerbs::Delete(path, collector.For(0));
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
        THttpVerbs::Get(QStringLiteral("r"), collector.For(0));
        THttpVerbs::Post(QStringLiteral("r"), QStringLiteral("{}"), collector.For(1));
        THttpVerbs::Put(QStringLiteral("r"), QStringLiteral("{}"), collector.For(2));
        THttpVerbs::Delete(QStringLiteral("r"), collector.For(3));
        QVERIFY(collector.WaitFor(4));
        QTest::qWait(50);
        QCOMPARE(collector.Count(), std::size_t(4));
        for (const auto &[tag, code, text] : collector.calls) {
            QCOMPARE(code, status);
            QCOMPARE(QByteArray::fromStdString(text), body);
        }
    }

    void declaredCharsetDecodesNonGetAnswers()
    {
        FServer.Script("POST", "/latin", {200, std::string("{\"n\":\"Jo\xE3o\"}"), "application/json; charset=iso-8859-1"});
        TCollector collector;
        THttpVerbs::Post(QStringLiteral("latin"), QStringLiteral("{}"), collector.For(0));
        QVERIFY(collector.WaitFor(1));
        QCOMPARE(QString::fromStdString(std::get<2>(collector.calls.front())), QStringLiteral("{\"n\":\"João\"}"));
    }

    void noAnswerGivesMinusOneOnce_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("connection refused") << true;
        QTest::newRow("connection dropped") << false;
    }

    void noAnswerGivesMinusOneOnce()
    {
        QFETCH(bool, refused);
        std::unique_ptr<TTestServer> closed;
        if (refused) {
            closed = std::make_unique<TTestServer>();
            closed->InstallAsSystemConfig();
            closed.reset(); // nothing listens on that port any more
        } else {
            for (const char *verb : {"GET", "POST"})
                FServer.Script(verb, "/drop", {200, "{\"a\":1}", "application/json", 0, true});
        }
        TCollector collector;
        THttpVerbs::Get(QStringLiteral("drop"), collector.For(0));
        THttpVerbs::Post(QStringLiteral("drop"), QStringLiteral("{}"), collector.For(1));
        QVERIFY(collector.WaitFor(2));
        QTest::qWait(50);
        QCOMPARE(collector.Count(), std::size_t(2));
        for (const auto &[tag, code, text] : collector.calls) {
            QCOMPARE(code, -1);
            QVERIFY(text.empty());
        }
    }

    void manyRequestsInFlightAtOnceEachAnswerOnce()
    {
        constexpr int count = 20;
        FServer.Script("GET", "/slow", {200, "{}", "application/json", 1500});
        TCollector collector;
        for (int i = 0; i < count; ++i)
            THttpVerbs::Get(QStringLiteral("slow"), collector.For(i));
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
            TResultProc proc = [received](THttpClient &, int status, const std::string &) { *received = status; };
            THttpVerbs::Get(QStringLiteral("r"), proc);
        }
        QTRY_COMPARE(received->load(), 200);
    }

    void handOffToAReleasedOwnerDoesNothing()
    {
        FServer.Script("GET", "/slow", {200, "{}", "application/json", 300});
        auto owner = std::make_unique<QObject>();
        QPointer<QObject> target = owner.get();
        std::atomic<int> ran{0};
        std::atomic<int> finished{0};
        THttpVerbs::Get(QStringLiteral("slow"), [target, &ran, &finished](THttpClient &, int, const std::string &) {
            TGuiSync::Run(target, [&ran] { ++ran; });
            ++finished;
        });
        owner.reset();
        QTRY_COMPARE(finished.load(), 1);
        QCOMPARE(ran.load(), 0);
    }

    void handOffRunsOnTheGuiThreadAndWaits()
    {
        FServer.Script("GET", "/r", {200, "x"});
        QObject owner;
        std::atomic<bool> onGuiThread{false};
        std::atomic<int> order{0};
        std::atomic<int> after{0};
        THttpVerbs::Get(QStringLiteral("r"), [&](THttpClient &, int, const std::string &) {
            TGuiSync::Run(&owner, [&] {
                onGuiThread = QThread::currentThread() == qApp->thread();
                order = 1;
            });
            after = order.load() + 1; // the worker resumes only once the work has run
        });
        QTRY_COMPARE(after.load(), 2);
        QVERIFY(onGuiThread);
    }
};

QTEST_MAIN(TestHttpVerbs)
#include "tst_THttpVerbs.moc"
