// Row 12: the sample back-end (its real executable, in processes of their own) under concurrent
// clients, in requests per second:
// - 12s: one process on a SQLite file;
// - 12p: one process on PostgreSQL, beside the SQLite figure;
// - 12p2: two processes on that same PostgreSQL database, each client's requests alternating
//   between them, beside the one-process figure.
// Each client is a thread with a keep-alive connection to every server. It sends its requests in a
// fixed order: GET a page of clientes, GET one of the records it owns, PUT that record back with a
// changed field under If-Match of the version it read. Every answer is checked; a wrong one fails the
// run. After a warm-up round the three set-ups alternate over several rounds; the medians are shown.
// PostgreSQL is the database QUOREL_TEST_POSTGRESQL names (scripts/with-postgresql.sh makes one), in
// a schema of its own that is dropped at the end.

#include "bench/support/BenchSupport.h"

#include <httplib.h>
#include <libpq-fe.h>
#include <nlohmann/json.hpp>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <latch>
#include <memory>
#include <mutex>
#include <regex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using Json = nlohmann::json;

const std::string kResource = "/clientes";
constexpr int kPageSize = 10;

// How much load a measurement puts on the servers; quick runs only prove the program works.
struct TLoad
{
    int Clients = 8;
    int Requests = 200; // per client
    int Rounds = 5; // measured, after one warm-up round
    bool WarmUp = true;
};

TLoad Load()
{
    return bench::QuickRun() ? TLoad {2, 10, 1, false} : TLoad {};
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// One quorelapi-server process on a free loopback port over the database given, for as long as the
// object lives. It is terminated when the object goes, and also when this program dies first, so a
// failed run leaves no server behind.
class TServerProcess final
{
public:
    TServerProcess(const std::string &database, bool seed)
    {
        QStringList arguments {
            QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--db"), QString::fromStdString(database)};
        if (!seed)
            arguments << QStringLiteral("--no-seed");
        const pid_t parent = getpid();
        FProcess.setChildProcessModifier([parent] {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != parent)
                _exit(1);
        });
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QStringLiteral(QUOREL_SERVER_EXE), arguments);

        const QRegularExpression listening(QStringLiteral("listening on http://127\\.0\\.0\\.1:([0-9]+)"));
        QByteArray output;
        const QDeadlineTimer deadline(60000);
        while (FPort <= 0 && FProcess.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            output += FProcess.readAllStandardOutput();
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch())
                FPort = match.captured(1).toInt();
        }
        if (FPort <= 0) {
            Stop();
            throw std::runtime_error(
                "quorelapi-server did not start on " + database + " (said: " + output.toStdString() + ")");
        }
    }
    ~TServerProcess() { Stop(); }
    TServerProcess(const TServerProcess &) = delete;
    TServerProcess &operator=(const TServerProcess &) = delete;

    int Port() const { return FPort; }

private:
    void Stop()
    {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.terminate();
        if (!FProcess.waitForFinished(5000)) {
            std::fprintf(stderr, "bench_server: a server ignored SIGTERM; killing it\n");
            FProcess.kill();
            FProcess.waitForFinished();
        }
    }

    QProcess FProcess;
    int FPort = -1;
};

// A schema of its own in the PostgreSQL database QUOREL_TEST_POSTGRESQL names: empty at the start,
// dropped at the end, so runs never pile up records.
class TPostgresSchema final
{
public:
    TPostgresSchema()
    {
        const char *base = std::getenv("QUOREL_TEST_POSTGRESQL");
        if (!base || !*base)
            throw std::runtime_error("QUOREL_TEST_POSTGRESQL names no PostgreSQL database: run this benchmark through "
                                     "scripts/with-postgresql.sh");
        FBase = base;
        FSchema = "bench_servidor_" + std::to_string(getpid());
        Query("DROP SCHEMA IF EXISTS " + FSchema + " CASCADE");
        Query("CREATE SCHEMA " + FSchema);
    }
    ~TPostgresSchema()
    {
        try {
            Query("DROP SCHEMA IF EXISTS " + FSchema + " CASCADE");
        } catch (const std::exception &error) {
            std::fprintf(stderr, "bench_server: schema %s left behind: %s\n", FSchema.c_str(), error.what());
        }
    }
    TPostgresSchema(const TPostgresSchema &) = delete;
    TPostgresSchema &operator=(const TPostgresSchema &) = delete;

    // The libpq URI of the database with this schema as the search path.
    std::string Database() const
    {
        return FBase + (FBase.find('?') == std::string::npos ? "?" : "&") + "options=-csearch_path%3D" + FSchema;
    }

    // Transactions of the database committed and rolled back so far (server statistics).
    std::pair<long long, long long> Transactions() const
    {
        const std::string commits
            = Query("SELECT xact_commit FROM pg_stat_database WHERE datname = current_database()");
        const std::string rollbacks
            = Query("SELECT xact_rollback FROM pg_stat_database WHERE datname = current_database()");
        return {std::atoll(commits.c_str()), std::atoll(rollbacks.c_str())};
    }

private:
    // Runs sql on a connection of its own; the first value of its answer, if any.
    std::string Query(const std::string &sql) const
    {
        const std::unique_ptr<PGconn, decltype(&PQfinish)> db(PQconnectdb(FBase.c_str()), &PQfinish);
        if (PQstatus(db.get()) != CONNECTION_OK)
            throw std::runtime_error("cannot connect to PostgreSQL at " + FBase + ": " + PQerrorMessage(db.get()));
        PQclear(PQexec(db.get(), "SET client_min_messages = warning"));
        const std::unique_ptr<PGresult, decltype(&PQclear)> result(PQexec(db.get(), sql.c_str()), &PQclear);
        const ExecStatusType status = PQresultStatus(result.get());
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            throw std::runtime_error(sql + ": " + PQresultErrorMessage(result.get()));
        return PQntuples(result.get()) > 0 ? PQgetvalue(result.get(), 0, 0) : "";
    }

    std::string FBase;
    std::string FSchema;
};

const httplib::Result &Expect(const httplib::Result &answer, int status, const std::string &what)
{
    if (!answer)
        throw std::runtime_error(what + ": no answer (" + httplib::to_string(answer.error()) + ")");
    if (answer->status != status)
        throw std::runtime_error(what + ": HTTP " + std::to_string(answer->status) + " instead of "
            + std::to_string(status) + ": " + answer->body.substr(0, 300));
    return answer;
}

Json BodyOf(const httplib::Result &answer, const std::string &what)
{
    Json body = Json::parse(answer->body, nullptr, false);
    if (body.is_discarded() || !body.is_object())
        throw std::runtime_error(what + ": the answer is no JSON object: " + answer->body.substr(0, 300));
    return body;
}

// The record version an answer's ETag ("\"7\"") carries.
long long VersionOf(const httplib::Result &answer, const std::string &what)
{
    const std::string tag = answer->get_header_value("ETag");
    static const std::regex quotedNumber("\"([0-9]{1,18})\"");
    std::smatch match;
    if (!std::regex_match(tag, match, quotedNumber))
        throw std::runtime_error(what + ": no version in ETag \"" + tag + "\"");
    return std::stoll(match[1]);
}

std::unique_ptr<httplib::Client> Connection(int port)
{
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port);
    client->set_keep_alive(true);
    client->set_tcp_nodelay(true); // as libcurl, the real client, does: requests leave at once
    client->set_connection_timeout(5);
    client->set_read_timeout(30); // a stuck server fails the run instead of hanging it
    return client;
}

// The number of records of the resource, as the server at port counts them.
long long RecordCount(int port)
{
    const std::string what = "GET " + kResource + " (record count)";
    const httplib::Result answer = Connection(port)->Get((kResource + "?size=1&page=0").c_str());
    const long long count = BodyOf(Expect(answer, 200, what), what).value("totalElements", 0LL);
    if (count <= 0)
        throw std::runtime_error(what + ": no records to work on");
    return count;
}

// One client of the load: with clients in all, it owns the records whose ids fall to its index, so
// every save of it must succeed and raise the version by exactly one. Step n goes to server
// (index + n) modulo the servers; steps cycle through a page, a record of its own, and its save.
class TClient final
{
public:
    TClient(int index, int clients, const std::vector<int> &ports, long long records)
        : FIndex(index), FPages((records + kPageSize - 1) / kPageSize)
    {
        for (int port : ports)
            FServers.push_back(Connection(port));
        for (long long id = index + 1; id <= records; id += clients)
            FOwned.push_back(id);
        if (FOwned.empty())
            throw std::runtime_error("fewer records than clients: client " + std::to_string(index) + " owns none");
    }

    // Sends request number step; throws std::runtime_error on any answer but the expected one.
    void Send(int step)
    {
        httplib::Client &server = *FServers[size_t(FIndex + step) % FServers.size()];
        const int cycle = step / 3;
        if (step % 3 == 0)
            GetPage(server, (FIndex + cycle) % FPages);
        else if (step % 3 == 1)
            GetRecord(server, FOwned[size_t(cycle) % FOwned.size()]);
        else
            PutRecord(server, step);
    }

private:
    void GetPage(httplib::Client &server, long long page)
    {
        const std::string path = kResource + "?size=" + std::to_string(kPageSize) + "&page=" + std::to_string(page);
        const std::string what = "GET " + path;
        const Json body = BodyOf(Expect(server.Get(path.c_str()), 200, what), what);
        const Json content = body.value("content", Json());
        if (!content.is_array() || content.empty() || content.size() > size_t(kPageSize))
            throw std::runtime_error(what + ": the page holds no list of 1 to 10 records");
    }

    void GetRecord(httplib::Client &server, long long id)
    {
        const std::string path = kResource + "/" + std::to_string(id);
        const std::string what = "GET " + path;
        const httplib::Result answer = server.Get(path.c_str());
        FRecord = BodyOf(Expect(answer, 200, what), what);
        FVersion = VersionOf(answer, what);
        if (FRecord.value("id", 0LL) != id)
            throw std::runtime_error(what + ": answered another record");
        FId = id;
    }

    // Saves the record read last with a changed credit limit, conditional on the version read.
    void PutRecord(httplib::Client &server, int step)
    {
        const std::string path = kResource + "/" + std::to_string(FId);
        const std::string what = "PUT " + path;
        const double limit = 1000 + 10 * FIndex + step;
        FRecord["limiteCredito"] = limit;
        const httplib::Headers headers {{"If-Match", "\"" + std::to_string(FVersion) + "\""}};
        const httplib::Result answer = server.Put(path.c_str(), headers, FRecord.dump(), "application/json");
        const Json stored = BodyOf(Expect(answer, 200, what), what);
        if (VersionOf(answer, what) != FVersion + 1 || stored.value("limiteCredito", 0.0) != limit)
            throw std::runtime_error(what + ": the save did not store the value over the next version");
    }

    const int FIndex;
    const long long FPages;
    std::vector<std::unique_ptr<httplib::Client>> FServers;
    std::vector<long long> FOwned;
    long long FId = 0;
    long long FVersion = 0;
    Json FRecord;
};

// What one round of the load took: wall seconds from the start until the last client was done, and
// the time each request took from sending to its answer checked, in milliseconds.
struct TRound
{
    double Seconds = 0;
    std::vector<double> RequestMs;
};

// Runs every client on a thread of its own, all starting at once. Throws with the first wrong
// answer any client met.
TRound RunClients(const std::vector<int> &ports, const TLoad &load, long long records)
{
    std::vector<std::unique_ptr<TClient>> clients;
    for (int index = 0; index < load.Clients; ++index)
        clients.push_back(std::make_unique<TClient>(index, load.Clients, ports, records));

    std::latch start(load.Clients + 1);
    std::atomic<bool> failed {false};
    std::mutex errorMutex;
    std::string firstError;
    std::vector<std::vector<double>> requestMs(clients.size());
    std::vector<std::thread> threads;
    for (size_t index = 0; index < clients.size(); ++index)
        threads.emplace_back([&, index] {
            start.arrive_and_wait();
            try {
                for (int step = 0; step < load.Requests && !failed; ++step) {
                    const auto sent = std::chrono::steady_clock::now();
                    clients[index]->Send(step);
                    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - sent;
                    requestMs[index].push_back(took.count());
                }
            } catch (const std::exception &error) {
                const std::lock_guard<std::mutex> lock(errorMutex);
                if (!failed.exchange(true))
                    firstError = error.what();
            }
        });
    start.arrive_and_wait();
    const auto begin = std::chrono::steady_clock::now();
    for (std::thread &thread : threads)
        thread.join();
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - begin;
    if (failed)
        throw std::runtime_error(firstError);
    TRound round {elapsed.count(), {}};
    for (const std::vector<double> &times : requestMs)
        round.RequestMs.insert(round.RequestMs.end(), times.begin(), times.end());
    return round;
}

// One way of serving the load: its servers' ports and the rate of each measured round.
struct TSetup
{
    explicit TSetup(std::string name) : Name(std::move(name)) { }

    std::string Name;
    std::vector<int> Ports;
    long long Records = 0;
    std::vector<double> Rates;
};

// Runs one round of the load against setup, prints its figures, and keeps its rate unless it
// is the warm-up.
void Measure(TSetup &setup, const TLoad &load, int round, bool warmUp)
{
    TRound measured = RunClients(setup.Ports, load, setup.Records);
    const double rate = load.Clients * load.Requests / measured.Seconds;
    std::sort(measured.RequestMs.begin(), measured.RequestMs.end());
    const auto percentile = [&measured](double share) {
        return measured.RequestMs[size_t(share * double(measured.RequestMs.size() - 1))];
    };
    std::printf("round %d%s: %-24s %6.0f req/s in %.3f s; a request %.1f ms (median), %.1f ms (95%%), %.1f ms (max)\n",
        round, warmUp ? " (warm-up)" : "", setup.Name.c_str(), rate, measured.Seconds, percentile(0.5),
        percentile(0.95), measured.RequestMs.back());
    if (!warmUp)
        setup.Rates.push_back(rate);
}

void PrintRows(const TLoad &load, const TSetup &sqlite, const TSetup &postgres, const TSetup &scaledOut)
{
    const std::string what = "Back-end, " + std::to_string(load.Clients) + " clients x " + std::to_string(load.Requests)
        + " (GET page, GET record, PUT): ";
    const std::string verdict = bench::QuickRun() ? "QUICK" : "INFO";
    const auto rate = [](double value) { return bench::Format("%.0f req/s", value); };
    const double s = Median(sqlite.Rates);
    const double p = Median(postgres.Rates);
    const double p2 = Median(scaledOut.Rates);
    bench::PrintRow("12s", what + "SQLite file, 1 process", rate(s), "-", "-", "-", verdict);
    bench::PrintRow("12p", what + "PostgreSQL, 1 process vs SQLite", rate(p), rate(s),
        bench::Format("%.2fx", s > 0 ? p / s : 0), "-", verdict);
    bench::PrintRow("12p2", what + "PostgreSQL, 2 processes vs 1", rate(p2), rate(p),
        bench::Format("%.2fx", p > 0 ? p2 / p : 0), "-", verdict);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const TLoad load = Load();
    try {
        const QTemporaryDir folder;
        if (!folder.isValid())
            throw std::runtime_error("no temporary folder for the SQLite file");
        const TPostgresSchema schema;
        const auto [commitsBefore, rollbacksBefore] = schema.Transactions();
        TSetup sqlite("SQLite file, 1 process");
        TSetup postgres("PostgreSQL, 1 process");
        TSetup scaledOut("PostgreSQL, 2 processes");
        {
            const TServerProcess sqliteServer(folder.filePath(QStringLiteral("quorelapi.db")).toStdString(), true);
            const TServerProcess postgresServer(schema.Database(), true);
            // The second process finds the tables filled and leaves them as they are.
            const TServerProcess secondServer(schema.Database(), false);
            sqlite.Ports = {sqliteServer.Port()};
            postgres.Ports = {postgresServer.Port()};
            scaledOut.Ports = {postgresServer.Port(), secondServer.Port()};
            for (TSetup *setup : {&sqlite, &postgres, &scaledOut})
                setup->Records = RecordCount(setup->Ports.front());

            // The set-ups take turns in a rotating order, so a change in the machine's load meets all alike.
            TSetup *const setups[] = {&sqlite, &postgres, &scaledOut};
            const int rounds = load.Rounds + (load.WarmUp ? 1 : 0);
            for (int round = 0; round < rounds; ++round) {
                for (int turn = 0; turn < 3; ++turn) {
                    TSetup &setup = *setups[(round + turn) % 3];
                    Measure(setup, load, round, load.WarmUp && round == 0);
                }
            }
        }
        // Servers gone, their statistics are flushed: rollbacks count the conflicts PostgreSQL made
        // the stores retry (no request of the load is refused).
        if (!bench::QuickRun())
            std::this_thread::sleep_for(std::chrono::seconds(2));
        const auto [commitsAfter, rollbacksAfter] = schema.Transactions();
        std::printf("PostgreSQL transactions in the run: %lld committed, %lld rolled back\n",
            commitsAfter - commitsBefore, rollbacksAfter - rollbacksBefore);
        PrintRows(load, sqlite, postgres, scaledOut);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "bench_server: %s\n", error.what());
        return 1;
    }
    return 0;
}
