// Servers that misbehave at the transport level: answers far above the body cap, a server that
// accepts and never answers, one that drips a byte a second and one that floods headers. None of
// them may hold the GUI thread, starve other requests or grow memory with what they send.
#include "config/TSystemConfig.h"
#include "rest/FormatJson.h"
#include "rest/THttpVerbs.h"

#include <QtTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <mutex>
#include <thread>

namespace {

// A loopback server written on raw sockets, so that it can break HTTP the way a lying or dying
// server does. What it does depends on the request path:
//   /ok        200 with a small JSON body
//   /silent    reads the request, never answers
//   /drip      headers of a 1000-byte body, then one body byte a second
//   /flood     a status line followed by header lines without end (up to 64 MB)
//   /declared  a Content-Length of 70 MB, then that many bytes
//   /endless   a chunked body of up to 1 GB
//   /pieces    a chunked body of 80 blocks of 64 KB, each of one letter, 'a' to 'z' in turn
// Only the first segment of the path counts. Connections end when the client goes away or the
// server is destroyed.
class TMisbehavingServer final
{
public:
    static constexpr int PiecesBlocks = 80;

    TMisbehavingServer()
    {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int yes = 1;
        setsockopt(FListen, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        if (bind(FListen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(FListen, 128) != 0)
            qFatal("TMisbehavingServer: cannot listen on loopback");
        socklen_t length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
        FAcceptor = std::thread([this] { AcceptLoop(); });
    }

    ~TMisbehavingServer()
    {
        FStop = true;
        FAcceptor.join();
        std::lock_guard lock(FMutex);
        for (std::thread &connection : FConnections)
            connection.join();
        close(FListen);
    }

    TMisbehavingServer(const TMisbehavingServer &) = delete;
    TMisbehavingServer &operator=(const TMisbehavingServer &) = delete;

    int Port() const { return FPort; }
    int Accepted() const { return FAccepted; }

    void InstallAsSystemConfig() const
    {
        if (!SystemConfig)
            SystemConfig = new TSystemConfig;
        SystemConfig->Server = QStringLiteral("http://127.0.0.1");
        SystemConfig->Port = FPort;
    }

private:
    void AcceptLoop()
    {
        while (!FStop) {
            pollfd waiting{FListen, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0)
                continue;
            const int fd = accept(FListen, nullptr, nullptr);
            if (fd < 0)
                continue;
            ++FAccepted;
            std::lock_guard lock(FMutex);
            FConnections.emplace_back([this, fd] {
                Serve(fd);
                close(fd);
            });
        }
    }

    // Sleeps in short steps; false once the server stops.
    bool Pause(int ms) const
    {
        for (int waited = 0; waited < ms && !FStop; waited += 20)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return !FStop;
    }

    bool Send(int fd, const std::string &bytes) const
    {
        std::size_t sent = 0;
        while (sent < bytes.size()) {
            if (FStop)
                return false;
            pollfd writable{fd, POLLOUT, 0};
            if (poll(&writable, 1, 50) <= 0)
                continue;
            const ssize_t n = send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0)
                return false;
            sent += std::size_t(n);
        }
        return true;
    }

    std::string ReadRequestPath(int fd) const
    {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536 && !FStop) {
            pollfd readable{fd, POLLIN, 0};
            if (poll(&readable, 1, 50) <= 0)
                continue;
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return {};
            request.append(buffer, std::size_t(n));
        }
        const std::size_t start = request.find(' ');
        const std::size_t end = request.find(' ', start + 1);
        return start == std::string::npos || end == std::string::npos ? std::string() : request.substr(start + 1, end - start - 1);
    }

    void Serve(int fd) const
    {
        const std::string target = ReadRequestPath(fd);
        const std::string path = target.substr(0, target.find('/', 1)); // "/silent/process" acts as "/silent"
        const std::string block(64 * 1024, 'x');
        if (path == "/ok") {
            Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 8\r\nConnection: close\r\n\r\n{\"a\":1}\n");
        } else if (path == "/silent") {
            while (Pause(1000)) {
            }
        } else if (path == "/drip") {
            if (!Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 1000\r\n\r\n"))
                return;
            while (Pause(1000) && Send(fd, " ")) {
            }
        } else if (path == "/flood") {
            if (!Send(fd, "HTTP/1.1 200 OK\r\n"))
                return;
            const std::string line = "X-Flood: " + std::string(1000, 'a') + "\r\n";
            std::string lines;
            for (int i = 0; i < 64; ++i)
                lines += line;
            for (std::size_t sent = 0; sent < 64u * 1024 * 1024 && Send(fd, lines); sent += lines.size()) {
            }
        } else if (path == "/declared") {
            constexpr std::size_t size = 70u * 1024 * 1024;
            if (!Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n"))
                return;
            for (std::size_t sent = 0; sent < size && Send(fd, block); sent += block.size()) {
            }
        } else if (path == "/pieces") {
            if (!Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n"))
                return;
            for (int i = 0; i < PiecesBlocks; ++i)
                if (!Send(fd, "10000\r\n" + std::string(block.size(), char('a' + i % 26)) + "\r\n"))
                    return;
            Send(fd, "0\r\n\r\n");
        } else if (path == "/endless") {
            if (!Send(fd, "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n"))
                return;
            const std::string chunk = "10000\r\n" + block + "\r\n";
            for (std::size_t sent = 0; sent < 1024u * 1024 * 1024 && Send(fd, chunk); sent += block.size()) {
            }
        }
    }

    int FListen = -1;
    int FPort = 0;
    std::atomic<bool> FStop{false};
    std::atomic<int> FAccepted{0};
    std::thread FAcceptor;
    mutable std::mutex FMutex;
    std::vector<std::thread> FConnections;
};

// A loopback port whose only place in the accept queue is taken and never freed: a connection
// to it is never established.
class TFullListener final
{
public:
    TFullListener()
    {
        FListen = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (bind(FListen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(FListen, 0) != 0)
            qFatal("TFullListener: cannot listen on loopback");
        socklen_t length = sizeof address;
        getsockname(FListen, reinterpret_cast<sockaddr *>(&address), &length);
        FPort = ntohs(address.sin_port);
        FFiller = socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(FFiller, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0)
            qFatal("TFullListener: cannot fill the accept queue");
    }

    ~TFullListener()
    {
        close(FFiller);
        close(FListen);
    }

    TFullListener(const TFullListener &) = delete;
    TFullListener &operator=(const TFullListener &) = delete;

    int Port() const { return FPort; }

private:
    int FListen = -1;
    int FFiller = -1;
    int FPort = 0;
};

// Outcomes of asynchronous requests, by the order they were issued.
struct TOutcomes
{
    std::mutex mutex;
    std::map<int, std::pair<int, std::size_t>> results; // tag -> status, answer length
    std::atomic<int> calls{0};

    THttpVerbs::THandler For(int tag)
    {
        return [this, tag](const TRestResult &answer) {
            std::lock_guard lock(mutex);
            results[tag] = {answer.Status, std::size_t(answer.Text.toUtf8().size())};
            ++calls;
        };
    }
    std::pair<int, std::size_t> Of(int tag)
    {
        std::lock_guard lock(mutex);
        return results.count(tag) ? results[tag] : std::pair<int, std::size_t>{0, 0};
    }
};

// Counts event-loop turns of the GUI thread through a fast timer.
struct TGuiPulse
{
    QTimer timer;
    int ticks = 0;
    TGuiPulse()
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { ++ticks; });
        timer.start();
    }
};

// Peak resident memory of this process in bytes; ResetPeak() starts a new measurement.
qint64 PeakResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stoll(line.substr(6)) * 1024;
    return -1;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

class TestRobustness final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TMisbehavingServer> FServer = std::make_unique<TMisbehavingServer>();

private slots:
    void init()
    {
        FServer->InstallAsSystemConfig();
        THttpVerbs::SyncTimeoutInUseMs = THttpVerbs::SyncTimeoutMs;
    }

    void cleanup() { THttpVerbs::SyncTimeoutInUseMs = THttpVerbs::SyncTimeoutMs; }

    // An answer above the cap is no answer, and the memory it takes stays near the cap whatever
    // the server sends (the endless body would pass 1 GB).
    void answerAboveTheCapIsNoAnswer_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("70 MB declared") << "declared";
        QTest::newRow("endless chunked") << "endless";
    }

    void answerAboveTheCapIsNoAnswer()
    {
        QFETCH(QString, path);
        TOutcomes outcomes;
        ResetPeak();
        const qint64 before = PeakResidentBytes();
        THttpVerbs::Get(path, this, outcomes.For(0));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.calls.load(), 1, 120000);
        const qint64 growth = PeakResidentBytes() - before;
        QCOMPARE(outcomes.Of(0), std::make_pair(-1, std::size_t(0)));
        qInfo("peak memory growth for %s: %lld MB (cap %lld MB)", qPrintable(path), growth >> 20,
              THttpClient::MaxBodyBytes >> 20);
        // Loose bound: the cap, plus the bookkeeping of its pieces and the sanitizer's shadow memory.
        QVERIFY2(growth < THttpClient::MaxBodyBytes * 3 / 2, qPrintable(QString::number(growth >> 20) + " MB"));
    }

    // A large answer that arrives in many pieces reaches the callback whole and in order.
    void largeAnswerArrivesWhole()
    {
        std::string expected;
        for (int i = 0; i < TMisbehavingServer::PiecesBlocks; ++i)
            expected += std::string(64 * 1024, char('a' + i % 26));
        std::string received;
        std::atomic<int> status{0};
        THttpVerbs::Get(QStringLiteral("pieces"), this, [&](const TRestResult &answer) {
            received = answer.Text.toStdString();
            status = answer.Status;
        });
        QTRY_COMPARE_WITH_TIMEOUT(status.load(), 200, 20000);
        QVERIFY(received == expected);
    }

    // Requests to a server that never answers (or drips, or floods headers) leave the GUI thread
    // turning and the pool free for a healthy request issued after them.
    void stuckRequestsHoldNeitherTheGuiNorOtherRequests()
    {
        constexpr int stuck = 24;
        const QStringList kinds{QStringLiteral("silent"), QStringLiteral("drip"), QStringLiteral("flood")};
        TGuiPulse pulse;
        TOutcomes outcomes;
        for (int tag = 0; tag < stuck; ++tag)
            THttpVerbs::Get(kinds[tag % kinds.size()], this, outcomes.For(tag));
        QTRY_VERIFY_WITH_TIMEOUT(FServer->Accepted() >= stuck, 20000);
        THttpVerbs::Get(QStringLiteral("ok"), this, outcomes.For(stuck));
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.Of(stuck).first, 200, 20000);
        const int ticksBefore = pulse.ticks;
        QTest::qWait(300);
        QVERIFY(pulse.ticks > ticksBefore); // still turning with every stuck request in flight
        // The flood ends as a failure once it passes the client's header limit or its own end.
        for (int tag = 2; tag < stuck; tag += 3)
            QTRY_COMPARE_WITH_TIMEOUT(outcomes.Of(tag).first, -1, 60000);
        QCOMPARE(outcomes.calls.load(), 1 + stuck / 3);

        // Silent and dripping requests end with their connections: each is then no answer.
        FServer.reset();
        QTRY_COMPARE_WITH_TIMEOUT(outcomes.calls.load(), stuck + 1, 20000);
        for (int tag = 0; tag < stuck; ++tag)
            QCOMPARE(outcomes.Of(tag).first, -1);
        FServer = std::make_unique<TMisbehavingServer>();
    }

    // The requests made synchronously on the GUI thread (a server GET, the formatting service)
    // end at their bound on a server that never answers and on one that sends a byte a second.
    // Connecting and answering have a bound each, and the whole request ends at the answer's
    // bound, not at the sum of both. The margins are wide: this checks a bound, not speed.
    void synchronousRequestsEndAtTheirBound_data()
    {
        QTest::addColumn<bool>("formatter");
        QTest::addColumn<QString>("path"); // "unaccepted": a port that never completes the connection
        QTest::addColumn<int>("connectMs");
        QTest::addColumn<int>("responseMs");
        QTest::addColumn<int>("endsAfterMs");
        QTest::newRow("GET, silent") << false << "silent" << 1000 << 1000 << 1000;
        QTest::newRow("GET, drip") << false << "drip" << 1000 << 1000 << 1000;
        QTest::newRow("formatter, silent") << true << "silent" << 1000 << 1000 << 1000;
        QTest::newRow("formatter, drip") << true << "drip" << 1000 << 1000 << 1000;
        QTest::newRow("formatter, never connected") << true << "unaccepted" << 500 << 1500 << 500;
    }

    void synchronousRequestsEndAtTheirBound()
    {
        QFETCH(bool, formatter);
        QFETCH(QString, path);
        QFETCH(int, connectMs);
        QFETCH(int, responseMs);
        QFETCH(int, endsAfterMs);
        const TFullListener full;
        QString error;
        QElapsedTimer elapsed;
        elapsed.start();
        if (formatter) {
            // The service's address is its base; the program posts to "<base>/process".
            THttpClient client;
            client.ConnectTimeoutMs = connectMs;
            client.ResponseTimeoutMs = responseMs;
            const int port = path == QLatin1String("unaccepted") ? full.Port() : FServer->Port();
            const QString base = QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(path);
            try {
                (void)FormatJson(QStringLiteral("{}"), client, base);
                QFAIL("the formatting service did not answer, yet no error was raised");
            } catch (const EHttpClientError &failure) {
                error = QString::fromStdString(failure.what());
            }
        } else {
            QCOMPARE(connectMs, responseMs); // one setting bounds both
            THttpVerbs::SyncTimeoutInUseMs = responseMs;
            const TRestResult response = THttpVerbs::GetSync(path);
            QCOMPARE(response.Status, -1);
            QVERIFY(response.Text.isEmpty());
            error = response.Error;
        }
        const qint64 ms = elapsed.elapsed();
        // A server that took the connection and kept silent did not answer in time; one that
        // never took it could not be reached. Either way in Portuguese, naming the server.
        static const QRegularExpression timeOut(
            QStringLiteral("^(O servidor \\(http://127\\.0\\.0\\.1:\\d+\\) não respondeu a tempo\\.|"
                           "Não foi possível conectar ao servidor \\(http://127\\.0\\.0\\.1:\\d+\\)\\. "
                           "Verifique se ele está em execução\\.)$"));
        QVERIFY2(error.contains(timeOut), qPrintable(error));
        QVERIFY2(ms >= endsAfterMs * 9 / 10 && ms < endsAfterMs * 19 / 10,
            qPrintable(QStringLiteral("ended after %1 ms").arg(ms)));
    }
};

QTEST_MAIN(TestRobustness)
#include "tst_Robustness.moc"
