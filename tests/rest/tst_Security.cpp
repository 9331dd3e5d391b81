// What requests may carry and where they may go: query values stay values, the formatting
// service over HTTPS talks only to a trusted server with the right name, and no request carries
// credentials or cookies from another one.
#include "config/TSystemConfig.h"
#include "app/TdmGlobal.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"
#include "rest/TSignIn.h"
#include "tests/support/TLoopbackHttpServer.h"
#include "tests/support/TSelfSignedCertificate.h"
#include "tests/support/TTestServer.h"

#include <QtTest>

#include <httplib.h>

#include <atomic>
#include <mutex>
#include <set>

namespace {

// Waits for the one callback of an asynchronous verb.
struct TOneAnswer
{
    std::atomic<int> status{0};
    std::mutex mutex;
    std::string text;

    THttpVerbs::THandler Proc()
    {
        return [this](const TRestResult &answer) {
            {
                std::lock_guard lock(mutex);
                text = answer.Text.toStdString();
            }
            status = answer.Status;
        };
    }
    bool Wait() { return QTest::qWaitFor([this] { return status != 0; }, 20000); }
};

// An httplib server on loopback (plain, or TLS with the given certificate) that records the
// parsed query of each request and answers with a handler the test gives.
class TRecordingServer final
{
public:
    using THandler = TLoopbackHttpServer::THandler;

    TRecordingServer(std::unique_ptr<httplib::Server> server, THandler handler)
        : FHandler(std::move(handler)),
          FHttp([this](const httplib::Request &request, httplib::Response &response) { Record(request, response); },
                std::move(server))
    {
    }
    TRecordingServer(const TRecordingServer &) = delete;
    TRecordingServer &operator=(const TRecordingServer &) = delete;

    int Port() const { return FHttp.Port(); }
    std::vector<httplib::Params> Params() const
    {
        std::lock_guard lock(FMutex);
        return FParams;
    }

private:
    void Record(const httplib::Request &request, httplib::Response &response)
    {
        {
            std::lock_guard lock(FMutex);
            FParams.push_back(request.params);
        }
        FHandler(request, response);
    }

    THandler FHandler;
    mutable std::mutex FMutex;
    std::vector<httplib::Params> FParams;
    TLoopbackHttpServer FHttp; // last: stopped before what its handler uses goes
};

// The test's certificate: for the name "localhost" only (no address), so a request to 127.0.0.1
// meets a name that does not match.
struct TSelfSigned
{
    TSelfSignedCertificate certificate {{"localhost"}};
    QString cert() const { return QString::fromStdString(certificate.CertificateFile()); }
    QString key() const { return QString::fromStdString(certificate.KeyFile()); }
    QDir dir() const { return QFileInfo(cert()).dir(); }
};

} // namespace

class TestSecurity final : public QObject
{
    Q_OBJECT

    TTestServer FServer;
    TSelfSigned FCertificate;

    // A data module whose formatting service is the given address.
    std::unique_ptr<TdmGlobal> ModuleFormattingAt(const QString &address)
    {
        QTemporaryFile ini;
        if (!ini.open())
            return {};
        ini.write("[config]\nformatador=" + address.toUtf8() + '\n');
        ini.close();
        auto module = std::make_unique<TdmGlobal>(ini.fileName(), nullptr);
        FServer.InstallAsSystemConfig();
        return module;
    }

private slots:

    void init()
    {
        FServer.ClearRequests();
        FServer.InstallAsSystemConfig();
        SystemConfig->Token.clear();
        SystemConfig->CaFile.clear();
        TSignIn::Forget();
    }

    // A filter value, or a name, arrives at the server as exactly one parameter with exactly
    // that text, whatever separators it holds.
    void queryValuesCannotAddParameters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("ampersand and equals") << "nome" << "a&size=1000&page=9";
        QTest::newRow("hash and question mark") << "nome" << "x#frag?y=1";
        QTest::newRow("percent escapes") << "nome" << "%26admin%3D1";
        QTest::newRow("plus and blank") << "nome" << "a+b c";
        QTest::newRow("line break") << "nome" << "a\r\nX-Injected: 1";
        QTest::newRow("accents") << "cidade" << "São João";
        QTest::newRow("hostile name") << "n&size=1000" << "v";
    }

    void queryValuesCannotAddParameters()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        TRecordingServer server(std::make_unique<httplib::Server>(),
                                [](const httplib::Request &, httplib::Response &response) { response.set_content("[]", "application/json"); });
        if (!SystemConfig)
            SystemConfig = new TSystemConfig;
        SystemConfig->Server = QStringLiteral("http://127.0.0.1");
        SystemConfig->Port = server.Port();

        TOneAnswer answer;
        THttpVerbs::Get(
            TApiPaths::Page(QStringLiteral("clientes"), 2, TApiPaths::QueryParam(name, value)), this, answer.Proc());
        QVERIFY(answer.Wait());
        QCOMPARE(answer.status.load(), 200);
        const auto params = server.Params();
        QCOMPARE(params.size(), std::size_t(1));
        const httplib::Params expected{{"size", "10"}, {"page", "2"}, {name.toStdString(), value.toStdString()}};
        QCOMPARE(params.front(), expected);
    }

    // The formatting service over HTTPS: a certificate the system does not trust, or one for
    // another name, ends the call with an error before anything is sent; the same server with
    // its certificate trusted and its right name gets the form (so the refusals are the checks).
    void formattingServiceRefusesUntrustedOrMisnamedServers_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("trusted");
        QTest::addColumn<bool>("sent");
        QTest::newRow("untrusted certificate") << "localhost" << false << false;
        QTest::newRow("wrong host name") << "127.0.0.1" << true << false;
        QTest::newRow("trusted and right name") << "localhost" << true << true;
    }

    void formattingServiceRefusesUntrustedOrMisnamedServers()
    {
        QFETCH(QString, host);
        QFETCH(bool, trusted);
        QFETCH(bool, sent);
        std::atomic<int> received{0};
        std::string receivedJson;
        TRecordingServer server(
            std::make_unique<httplib::SSLServer>(FCertificate.cert().toLocal8Bit().constData(),
                                                 FCertificate.key().toLocal8Bit().constData()),
            [&](const httplib::Request &request, httplib::Response &response) {
                receivedJson = request.get_param_value("jsondata");
                ++received;
                response.set_content("{\"jsonstandard\":\"1\",\"jsoncopy\":\"{\\n  \\\"senha\\\": \\\"x\\\"\\n}\",\"template\":\"1\"}",
                                     "application/json");
            });
        const auto module = ModuleFormattingAt(QStringLiteral("https://%1:%2").arg(host).arg(server.Port()));
        QVERIFY(module);
        if (trusted)
            module->Client().CaCertificateFile = FCertificate.cert();

        const QString json = QStringLiteral("{\"senha\":\"x\"}");
        if (sent) {
            QCOMPARE(module->FormatJson(json), QStringLiteral("{\r\n  \"senha\": \"x\"\r\n}"));
            QCOMPARE(received.load(), 1);
            QCOMPARE(QString::fromStdString(receivedJson), json);
        } else {
            QVERIFY_THROWS_EXCEPTION(EHttpClientError, module->FormatJson(json));
            QCOMPARE(received.load(), 0);
        }
    }

    // A service reached over HTTPS that redirects elsewhere over plain HTTP does not get the form
    // sent there in the clear.
    void formattingServiceDoesNotFollowHttpsDowngrade()
    {
        TRecordingServer plain(std::make_unique<httplib::Server>(),
                               [](const httplib::Request &, httplib::Response &response) { response.set_content("{}", "application/json"); });
        const std::string target = "http://127.0.0.1:" + std::to_string(plain.Port()) + "/process";
        TRecordingServer secure(
            std::make_unique<httplib::SSLServer>(FCertificate.cert().toLocal8Bit().constData(),
                                                 FCertificate.key().toLocal8Bit().constData()),
            [&target](const httplib::Request &, httplib::Response &response) { response.set_redirect(target, 307); });
        const auto module = ModuleFormattingAt(QStringLiteral("https://localhost:%1").arg(secure.Port()));
        QVERIFY(module);
        module->Client().CaCertificateFile = FCertificate.cert();

        QVERIFY_THROWS_EXCEPTION(EHttpClientError, module->FormatJson(QStringLiteral("{\"senha\":\"x\"}")));
        QCOMPARE(secure.Params().size(), std::size_t(1));
        QVERIFY(plain.Params().empty());
    }

    // Each verb request carries only the headers its verb names; a cookie the server set on one
    // answer, or one the formatting client keeps, never travels with another request, and a
    // challenge for credentials is not answered.
    void requestsCarryNothingFromOtherRequests()
    {
        FServer.ScriptDefault({200, "{}"});
        // Sets a cookie on every answer and asks for credentials on "login".
        auto cookieServer = std::make_unique<TRecordingServer>(
            std::make_unique<httplib::Server>(), [](const httplib::Request &request, httplib::Response &response) {
                response.set_header("Set-Cookie", "sessao=segredo; Path=/");
                if (request.path == "/login") {
                    response.status = 401;
                    response.set_header("WWW-Authenticate", "Basic realm=\"x\"");
                }
                response.set_content("{}", "application/json");
            });
        // The formatting client picks up a cookie from a service on the same host.
        const auto module = ModuleFormattingAt(QStringLiteral("http://127.0.0.1:%1").arg(cookieServer->Port()));
        QVERIFY(module);
        (void)module->FormatJson(QStringLiteral("{}"));
        // So does a verb whose answer sets one.
        TOneAnswer first;
        SystemConfig->Port = cookieServer->Port();
        THttpVerbs::Get(QStringLiteral("login"), this, first.Proc());
        QVERIFY(first.Wait());
        QCOMPARE(first.status.load(), 401);
        QCOMPARE(cookieServer->Params().size(), std::size_t(2)); // the form and the GET, no retry
        FServer.InstallAsSystemConfig();

        std::vector<TOneAnswer> answers(5);
        THttpVerbs::Get(QStringLiteral("login"), this, answers[0].Proc());
        THttpVerbs::Get(QStringLiteral("clientes/1"), this, answers[1].Proc());
        THttpVerbs::Post(QStringLiteral("clientes"), QStringLiteral("{}"), this, answers[2].Proc());
        THttpVerbs::Put(QStringLiteral("clientes/1"), QStringLiteral("{}"), this, answers[3].Proc());
        THttpVerbs::Delete(QStringLiteral("clientes/1"), this, answers[4].Proc());
        for (TOneAnswer &answer : answers)
            QVERIFY(answer.Wait());
        for (TOneAnswer &answer : answers)
            QCOMPARE(answer.status.load(), 200);

        // httplib adds the connection's addresses to the headers it hands over.
        const std::set<std::string> allowed{"host", "user-agent", "accept", "content-type", "content-length",
                                            "remote_addr", "remote_port", "local_addr", "local_port"};
        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), answers.size());
        for (const TRecordedRequest &request : requests)
            for (const auto &[header, value] : request.Headers)
                QVERIFY2(allowed.count(header), (request.Method + ' ' + request.Target + " carries " + header).c_str());
    }

    // The configured token goes with every verb and never to the formatting service; a token
    // that would end the header line early is not sent at all.
    void tokenGoesToTheBackEndOnly_data()
    {
        QTest::addColumn<QString>("token");
        QTest::addColumn<QString>("authorization");
        QTest::newRow("token") << "abc.DEF-123" << "Bearer abc.DEF-123";
        QTest::newRow("line break") << "abc\r\nX-Injected: 1" << "";
        QTest::newRow("bare line feed") << "abc\nX-Injected: 1" << "";
        QTest::newRow("none") << "" << "";
    }

    void tokenGoesToTheBackEndOnly()
    {
        QFETCH(QString, token);
        QFETCH(QString, authorization);
        FServer.ScriptDefault({200, "{}"});
        const auto module = ModuleFormattingAt(FServer.BaseUrl());
        QVERIFY(module);
        SystemConfig->Token = token;
        if (authorization.isEmpty() && !token.isEmpty())
            for (int verb = 0; verb < 4; ++verb)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("token.*not sent")));

        (void)module->FormatJson(QStringLiteral("{}"));
        std::vector<TOneAnswer> answers(4);
        THttpVerbs::Get(QStringLiteral("clientes/1"), this, answers[0].Proc());
        THttpVerbs::Post(QStringLiteral("clientes"), QStringLiteral("{}"), this, answers[1].Proc());
        THttpVerbs::Put(QStringLiteral("clientes/1"), QStringLiteral("{}"), this, answers[2].Proc());
        THttpVerbs::Delete(QStringLiteral("clientes/1"), this, answers[3].Proc());
        for (TOneAnswer &answer : answers)
            QVERIFY(answer.Wait());

        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), answers.size() + 1);
        for (const TRecordedRequest &request : requests) {
            const bool formatting = request.Method == "POST" && request.Target != "/clientes";
            const std::string expected = formatting ? "" : authorization.toStdString();
            QCOMPARE(request.Header("authorization"), expected);
            QVERIFY2(!request.HasHeader("x-injected"), request.Target.c_str());
        }
    }

    // The back-end over HTTPS: trusted through the configured authority file it answers; a
    // certificate nobody vouches for, one for another name, or an authority file that cannot be
    // read end the request before it is sent, with a message that says why and curl's reason.
    void backEndOverHttpsChecksItsCertificate_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("caFile"); // "cert": the test certificate
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("errorStart");
        QTest::newRow("trusted through the file") << "localhost" << "cert" << 200 << "";
        QTest::newRow("untrusted certificate") << "localhost" << "" << -1
                                               << "O certificado do servidor não é confiável: ";
        QTest::newRow("wrong host name") << "127.0.0.1" << "cert" << -1
                                         << "O nome do servidor não confere com o certificado: ";
        QTest::newRow("unreadable authority file") << "localhost" << "/nonexistent/ca.pem" << -1
                                                   << "O arquivo de autoridades certificadoras não pôde ser usado: ";
    }

    void backEndOverHttpsChecksItsCertificate()
    {
        QFETCH(QString, host);
        QFETCH(QString, caFile);
        QFETCH(int, status);
        QFETCH(QString, errorStart);
        std::atomic<int> received{0};
        TRecordingServer server(std::make_unique<httplib::SSLServer>(FCertificate.cert().toLocal8Bit().constData(),
                                                                     FCertificate.key().toLocal8Bit().constData()),
                                [&](const httplib::Request &, httplib::Response &response) {
                                    ++received;
                                    response.set_content("[]", "application/json");
                                });
        SystemConfig->Server = QStringLiteral("https://") + host;
        SystemConfig->Port = server.Port();
        SystemConfig->CaFile = caFile == QLatin1String("cert") ? FCertificate.cert() : caFile;

        const TRestResult result = THttpVerbs::GetSync(QStringLiteral("clientes"));
        QCOMPARE(result.Status, status);
        QCOMPARE(received.load(), status == 200 ? 1 : 0);
        if (!errorStart.isEmpty()) {
            QVERIFY2(result.Error.startsWith(errorStart), qPrintable(result.Error));
            QVERIFY2(result.Error.size() > errorStart.size() + 3, qPrintable(result.Error)); // curl's reason follows
        }
    }

    // cafile= in config.ini names the authority file: a relative name beside the configuration
    // file, wherever the program runs from.
    void caFileComesFromTheConfiguration_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("beside the configuration") << true;
        QTest::newRow("absolute path") << false;
    }

    void caFileComesFromTheConfiguration()
    {
        QFETCH(bool, relative);
        TRecordingServer server(std::make_unique<httplib::SSLServer>(FCertificate.cert().toLocal8Bit().constData(),
                                                                     FCertificate.key().toLocal8Bit().constData()),
                                [](const httplib::Request &, httplib::Response &response) {
                                    response.set_content("[]", "application/json");
                                });
        QFile ini(FCertificate.dir().filePath(QStringLiteral("config.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ini.write(QStringLiteral("[config]\nservidor=https://localhost\nporta=%1\ncafile=%2\n")
                      .arg(server.Port())
                      .arg(relative ? QFileInfo(FCertificate.cert()).fileName() : FCertificate.cert())
                      .toUtf8());
        ini.close();
        const QString before = QDir::currentPath();
        QDir::setCurrent(QDir::rootPath());
        const TdmGlobal module(ini.fileName(), nullptr);
        const TRestResult result = THttpVerbs::GetSync(QStringLiteral("clientes"));
        QDir::setCurrent(before);
        QCOMPARE(SystemConfig->CaFile, FCertificate.cert());
        QCOMPARE(result.Status, 200);
    }

    // No source file switches off the certificate or host-name checks of any TLS client.
    void noSourceTurnsVerificationOff()
    {
        const QDir root(qEnvironmentVariable("QUOREL_TESTDATA") + QStringLiteral("/../.."));
        QVERIFY(root.exists(QStringLiteral("rest/THttpClient.cpp")));
        const QList<QRegularExpression> forbidden{
            QRegularExpression(QStringLiteral("CURLOPT_(PROXY_)?SSL_VERIFY(PEER|HOST)\\s*,\\s*(0|false)")),
            QRegularExpression(QStringLiteral("enable_server_certificate_verification\\s*\\(\\s*false")),
            QRegularExpression(QStringLiteral("SSL_VERIFY_NO(NE)|Verify\\s*None")),
            QRegularExpression(QStringLiteral("-{2}insecure(?![-\\w])|\\bcurl\\s+(-\\w*k\\b)")),
        };
        int scanned = 0;
        for (const char *folder : {"app", "rest", "fields", "screens", "convert", "widgets", "server", "tests", "bench", "scripts"}) {
            QDirIterator files(root.filePath(QString::fromLatin1(folder)), {"*.cpp", "*.h", "*.sh", "*.txt", "*.cmake"}, QDir::Files,
                               QDirIterator::Subdirectories);
            while (files.hasNext()) {
                QFile file(files.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                ++scanned;
                for (const QRegularExpression &pattern : forbidden)
                    QVERIFY2(!pattern.match(text).hasMatch(), qPrintable(file.fileName() + " matches " + pattern.pattern()));
            }
        }
        QVERIFY(scanned > 50);
    }
};

QTEST_MAIN(TestSecurity)
#include "tst_Security.moc"
