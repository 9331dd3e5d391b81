// The back-end over HTTPS on loopback with certificates made for the run: who gets an answer, who is
// refused at the handshake, files that cannot serve, and the command line that turns it on.
#include "server/ApiServer.h"
#include "server/RecordStore.h"
#include "server/ResourceCatalog.h"
#include "server/ServerOptions.h"
#include "tests/support/TSelfSignedCertificate.h"

#include <httplib.h>

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <memory>
#include <thread>

Q_DECLARE_METATYPE(httplib::Error)

namespace {

// The real back-end over SQLite in memory, serving HTTPS on 127.0.0.1 on its own thread for the
// lifetime of the object.
class TlsServer final
{
public:
    explicit TlsServer(const TSelfSignedCertificate &certificate, std::vector<std::string> tokens = {})
        : m_catalog(ResourceCatalog::fromEmbeddedFiles()),
          m_store(RecordStore::open(":memory:")),
          m_server(m_catalog, *m_store, {certificate.CertificateFile(), certificate.KeyFile()})
    {
        m_server.requireTokens(std::move(tokens));
        m_port = m_server.bind("127.0.0.1", 0);
        m_thread = std::thread([this] { m_server.listen(); });
        // Any handshake, even a refused one, proves the accept loop runs, so stop() reaches it.
        for (int attempt = 0;
             attempt < 100 && httplib::SSLClient("127.0.0.1", m_port).Get("/").error() == httplib::Error::Connection;
             ++attempt)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ~TlsServer()
    {
        m_server.stop();
        m_thread.join();
    }
    TlsServer(const TlsServer &) = delete;
    TlsServer &operator=(const TlsServer &) = delete;

    int port() const { return m_port; }

private:
    ResourceCatalog m_catalog;
    std::unique_ptr<RecordStore> m_store;
    ApiServer m_server;
    int m_port = -1;
    std::thread m_thread;
};

// An HTTPS client that checks the server's certificate and name, trusting only caFile (the system's
// store when empty).
std::unique_ptr<httplib::SSLClient> httpsClient(const std::string &host, int port, const std::string &caFile)
{
    auto client = std::make_unique<httplib::SSLClient>(host, port);
    if (!caFile.empty())
        client->set_ca_cert_path(caFile.c_str());
    client->enable_server_certificate_verification(true);
    client->set_connection_timeout(5);
    client->set_read_timeout(10);
    return client;
}

int status(const httplib::Result &result)
{
    return result ? result->status : -1;
}

// The message ApiServer's constructor refuses with, or empty when it serves.
std::string refusal(const ApiServer::TlsFiles &files)
{
    const ResourceCatalog catalog = ResourceCatalog::fromEmbeddedFiles();
    const auto store = RecordStore::open(":memory:");
    try {
        ApiServer server(catalog, *store, files);
    } catch (const std::runtime_error &error) {
        return error.what();
    }
    return {};
}

} // namespace

class tst_ServerTls : public QObject
{
    Q_OBJECT

    // Made once for the run: what the loopback server shows, one for another host (trusted in some
    // cases; its key pairs with no other certificate) and one whose key is of another kind.
    const TSelfSignedCertificate m_loopback = TSelfSignedCertificate::Loopback();
    const TSelfSignedCertificate m_wrongHost = TSelfSignedCertificate::WrongHost();
    const TSelfSignedCertificate m_rsa {{"127.0.0.1"}, TSelfSignedCertificate::TKeyKind::Rsa};

    const TSelfSignedCertificate &certificate(const QString &name) const
    {
        return name == "wrong host" ? m_wrongHost : m_loopback;
    }
    // The loopback "certificate" or "key" (EC), the wrong host's key ("other key"), an "RSA key", a
    // "missing" file, or none.
    std::string tlsFile(const QString &name) const
    {
        if (name == "certificate")
            return m_loopback.CertificateFile();
        if (name == "key")
            return m_loopback.KeyFile();
        if (name == "other key")
            return m_wrongHost.KeyFile();
        if (name == "RSA key")
            return m_rsa.KeyFile();
        return name == "missing" ? "/nonexistent/quorelapi.pem" : "";
    }

private slots:
    void handshake_data();
    void handshake();
    void plainHttpGetsNoAnswer();
    void tokensOverTls_data();
    void tokensOverTls();
    void refusesFilesThatCannotServe_data();
    void refusesFilesThatCannotServe();
    void commandLine_data();
    void commandLine();
    void executableRefuses_data();
    void executableRefuses();
    void executableServesHttps();
};

// A client that checks the certificate gets the menu only when it trusts the certificate the server
// shows and that certificate names the host it asked for.
void tst_ServerTls::handshake_data()
{
    QTest::addColumn<QString>("served");
    QTest::addColumn<QString>("trusted"); // empty: only the system's store
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("expectedStatus");
    QTest::addColumn<httplib::Error>("expectedError");

    const auto refused = httplib::Error::SSLServerVerification;
    QTest::newRow("trusted, by address") << "loopback"
                                         << "loopback"
                                         << "127.0.0.1" << 200 << httplib::Error::Success;
    QTest::newRow("trusted, by name") << "loopback"
                                      << "loopback"
                                      << "localhost" << 200 << httplib::Error::Success;
    QTest::newRow("system store only") << "loopback"
                                       << ""
                                       << "127.0.0.1" << -1 << refused;
    QTest::newRow("another certificate trusted") << "loopback"
                                                 << "wrong host"
                                                 << "127.0.0.1" << -1 << refused;
    QTest::newRow("trusted, made for another host") << "wrong host"
                                                    << "wrong host"
                                                    << "127.0.0.1" << -1 << refused;
}

void tst_ServerTls::handshake()
{
    QFETCH(QString, served);
    QFETCH(QString, trusted);
    QFETCH(QString, host);
    QFETCH(int, expectedStatus);
    QFETCH(httplib::Error, expectedError);

    TlsServer server(certificate(served));
    const std::string caFile = trusted.isEmpty() ? std::string() : certificate(trusted).CertificateFile();
    const auto result = httpsClient(host.toStdString(), server.port(), caFile)->Get("/acesso/menus");
    QCOMPARE(result.error(), expectedError);
    QCOMPARE(status(result), expectedStatus);
    if (result)
        QVERIFY(nlohmann::json::parse(result->body, nullptr, false).is_array());
}

// Plain HTTP on the HTTPS port gets nothing that parses as an answer, and the server goes on serving.
void tst_ServerTls::plainHttpGetsNoAnswer()
{
    TlsServer server(m_loopback);
    httplib::Client plain("127.0.0.1", server.port());
    plain.set_connection_timeout(5);
    plain.set_read_timeout(5);
    const auto result = plain.Get("/acesso/menus");
    QVERIFY2(!result, result ? ("answered " + std::to_string(result->status)).c_str() : "");

    const auto https = httpsClient("127.0.0.1", server.port(), m_loopback.CertificateFile());
    QCOMPARE(status(https->Get("/acesso/menus")), 200);
}

// TLS does not sign anyone in: the token is still asked for, and carried inside the encrypted channel.
void tst_ServerTls::tokensOverTls_data()
{
    QTest::addColumn<QString>("authorization"); // empty: no header
    QTest::addColumn<int>("expected");

    QTest::newRow("no token") << "" << 401;
    QTest::newRow("unknown token") << "Bearer outro" << 401;
    QTest::newRow("known token") << "Bearer segredo" << 200;
}

void tst_ServerTls::tokensOverTls()
{
    QFETCH(QString, authorization);
    QFETCH(int, expected);

    TlsServer server(m_loopback, {"segredo"});
    httplib::Headers headers;
    if (!authorization.isEmpty())
        headers.emplace("Authorization", authorization.toStdString());
    const auto result
        = httpsClient("127.0.0.1", server.port(), m_loopback.CertificateFile())->Get("/acesso/menus", headers);
    QCOMPARE(status(result), expected);
    if (expected == 401)
        QCOMPARE(result->get_header_value("WWW-Authenticate"), std::string("Bearer"));
}

// Files that cannot serve HTTPS stop the server before it listens, saying which files and why.
void tst_ServerTls::refusesFilesThatCannotServe_data()
{
    QTest::addColumn<QString>("certificateFile"); // see tlsFile()
    QTest::addColumn<QString>("keyFile");
    QTest::addColumn<QString>("reason"); // a fragment of OpenSSL's reason, empty for any

    QTest::newRow("key of another certificate") << "certificate"
                                                << "other key"
                                                << "key values mismatch";
    QTest::newRow("key of another kind") << "certificate"
                                         << "RSA key"
                                         << "";
    QTest::newRow("no such certificate file") << "missing"
                                              << "key"
                                              << "cannot read the certificate file /nonexistent";
    QTest::newRow("no such key file") << "certificate"
                                      << "missing"
                                      << "cannot read the key file /nonexistent";
    QTest::newRow("certificate and key swapped") << "key"
                                                 << "certificate"
                                                 << "no start line";
    QTest::newRow("certificate without key") << "certificate"
                                             << ""
                                             << "cannot read the key file";
    QTest::newRow("key without certificate") << ""
                                             << "key"
                                             << "cannot read the certificate file";
}

void tst_ServerTls::refusesFilesThatCannotServe()
{
    QFETCH(QString, certificateFile);
    QFETCH(QString, keyFile);
    QFETCH(QString, reason);

    const ApiServer::TlsFiles files {tlsFile(certificateFile), tlsFile(keyFile)};
    const std::string message = refusal(files);
    QVERIFY2(message.find("cannot serve HTTPS") != std::string::npos, message.c_str());
    QVERIFY2(message.find(files.certificate) != std::string::npos, message.c_str());
    QVERIFY2(message.find(reason.toStdString()) != std::string::npos, message.c_str());
}

// --tls-cert and --tls-key come together or not at all.
void tst_ServerTls::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("certificate");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("error"); // a fragment of the refusal, empty when accepted

    QTest::newRow("neither") << QStringList {"--port", "0"} << ""
                             << ""
                             << "";
    QTest::newRow("both") << QStringList {"--tls-key", "k.pem", "--host", "::1", "--tls-cert", "c.pem"} << "c.pem"
                          << "k.pem"
                          << "";
    QTest::newRow("certificate alone") << QStringList {"--tls-cert", "c.pem"} << ""
                                       << ""
                                       << "go together";
    QTest::newRow("key alone") << QStringList {"--tls-key", "k.pem", "--memory"} << ""
                               << ""
                               << "go together";
    QTest::newRow("certificate without a value") << QStringList {"--tls-key", "k.pem", "--tls-cert"} << ""
                                                 << ""
                                                 << "--tls-cert needs a value";
}

void tst_ServerTls::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, certificate);
    QFETCH(QString, key);
    QFETCH(QString, error);

    std::vector<std::string> words;
    for (const QString &argument : arguments)
        words.push_back(argument.toStdString());
    try {
        const ServerOptions options = ServerOptions::parse(words);
        QVERIFY2(error.isEmpty(), "accepted");
        QCOMPARE(options.tlsCertificate, certificate.toStdString());
        QCOMPARE(options.tlsKey, key.toStdString());
    } catch (const std::invalid_argument &refusal) {
        QVERIFY2(!error.isEmpty() && QString(refusal.what()).contains(error), refusal.what());
    }
}

// The built server refuses to start, with the exit code and message of the other start errors.
void tst_ServerTls::executableRefuses_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    const QString certificate = QString::fromStdString(m_loopback.CertificateFile());
    const QString key = QString::fromStdString(m_loopback.KeyFile());
    QTest::newRow("TLS beyond loopback without token")
        << QStringList {"--host", "0.0.0.0", "--tls-cert", certificate, "--tls-key", key} << 2 << "without --token";
    QTest::newRow("certificate alone") << QStringList {"--tls-cert", certificate} << 2 << "go together";
    QTest::newRow("key of another certificate")
        << QStringList {"--tls-cert", certificate, "--tls-key", QString::fromStdString(m_wrongHost.KeyFile())} << 1
        << "key values mismatch";
}

void tst_ServerTls::executableRefuses()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    QProcess server;
    server.start(QUOREL_SERVER_EXECUTABLE, arguments + QStringList {"--memory", "--no-seed", "--port", "0"});
    QVERIFY2(server.waitForFinished(30000), "still running");
    const QString errors = QString::fromLocal8Bit(server.readAllStandardError());
    QCOMPARE(server.exitStatus(), QProcess::NormalExit);
    QCOMPARE(server.exitCode(), exitCode);
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

// The built server with both options says https:// at start and answers a client that trusts it.
void tst_ServerTls::executableServesHttps()
{
    QProcess server;
    server.start(QUOREL_SERVER_EXECUTABLE,
        {"--memory", "--no-seed", "--port", "0", "--tls-cert", QString::fromStdString(m_loopback.CertificateFile()),
            "--tls-key", QString::fromStdString(m_loopback.KeyFile())});
    const QRegularExpression startLine("listening on (\\w+)://127\\.0\\.0\\.1:(\\d+)");
    QRegularExpressionMatch started;
    QString output;
    while (!started.hasMatch() && server.waitForReadyRead(30000)) {
        output += QString::fromLocal8Bit(server.readAllStandardOutput());
        started = startLine.match(output);
    }
    QVERIFY2(started.hasMatch(), qPrintable(output + server.readAllStandardError()));
    QCOMPARE(started.captured(1), QString("https"));

    const auto result
        = httpsClient("127.0.0.1", started.captured(2).toInt(), m_loopback.CertificateFile())->Get("/acesso/menus");
    QCOMPARE(status(result), 200);

    server.terminate();
    QVERIFY(server.waitForFinished(10000));
    QCOMPARE(server.exitCode(), 0);
}

QTEST_GUILESS_MAIN(tst_ServerTls)
#include "tst_ServerTls.moc"
