// The asynchronous verbs against bare libcurl on loopback, side by side:
// - sequential GETs as THttpVerbs::Get runs them on the request pool (answer read and parsed), each
//   from issue to its end on the worker, against the same GETs with a fresh easy handle each on the
//   calling thread; as further figures, our client alone on the calling thread, and THttpVerbs::Get
//   until its handler has run on the GUI thread;
// - 16 GETs in flight at once to an answer delayed 50 ms, against 16 bare requests on 16 threads.

#include "config/TSystemConfig.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/TSlowServer.h"
#include "rest/THttpVerbs.h"
#include "rest/TRequestPool.h"

#include <curl/curl.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QSemaphore>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kDelayMs = 50;
int Sequential = 500;
int InFlight = 16;

// The sample back-end with an in-memory database on a free port, for as long as the object lives.
class TSampleServer final
{
public:
    bool Start()
    {
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.start(QStringLiteral(QUOREL_SERVER_EXE), {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--memory")});
        const QRegularExpression listening(QStringLiteral("listening on (http://[0-9.]+:[0-9]+)"));
        QByteArray output;
        while (FProcess.waitForReadyRead(10000)) {
            output += FProcess.readAll();
            const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
            if (match.hasMatch()) {
                Url = match.captured(1);
                return true;
            }
        }
        return false;
    }
    ~TSampleServer()
    {
        FProcess.terminate();
        if (!FProcess.waitForFinished(3000))
            FProcess.kill();
    }

    QString Url; // scheme, host and port

private:
    QProcess FProcess;
};

std::unique_ptr<TSampleServer> SampleServer;
std::unique_ptr<TSlowServer> DelayedServer;
const QString kPath = QStringLiteral("acesso/menus");

void PointAt(const QString &url)
{
    const int colon = url.lastIndexOf(QLatin1Char(':'));
    SystemConfig->Server = url.left(colon);
    SystemConfig->Port = url.mid(colon + 1).toInt();
}

size_t AppendBody(char *data, size_t size, size_t count, void *body)
{
    static_cast<std::string *>(body)->append(data, size * count);
    return size * count;
}

// One GET with a fresh easy handle, as a program without our request layer would make it.
long BareGet(const std::string &url)
{
    CURL *curl = curl_easy_init();
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    long status = -1;
    if (curl_easy_perform(curl) == CURLE_OK)
        curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_cleanup(curl);
    return status;
}

void CheckAll(benchmark::State &state, int ok, int expected)
{
    if (ok != expected)
        state.SkipWithError("requests failed");
}

// ---- sequential GETs on the sample back-end

void BM_BareSequential(benchmark::State &state)
{
    PointAt(SampleServer->Url);
    const std::string url = THttpVerbs::UrlOf(kPath).toStdString();
    for (auto _ : state) {
        int ok = 0;
        for (int i = 0; i < Sequential; ++i)
            ok += BareGet(url) == 200;
        CheckAll(state, ok, Sequential);
    }
}

// The verbs' work on the pool, without the hand-back to the GUI thread (row 4+ adds it).
void BM_VerbsSequential(benchmark::State &state)
{
    PointAt(SampleServer->Url);
    QSemaphore answered;
    for (auto _ : state) {
        std::atomic<int> ok = 0;
        for (int i = 0; i < Sequential; ++i) {
            TRequestPool::Start([&] {
                ok += THttpVerbs::Perform(THttpVerbs::TVerb::Get, kPath).Is(200);
                answered.release();
            });
            answered.acquire();
        }
        CheckAll(state, ok, Sequential);
    }
}

// The request layer's client alone, on the calling thread: what the pool hand-off adds is the rest.
void BM_ClientSequential(benchmark::State &state)
{
    PointAt(SampleServer->Url);
    const QString url = THttpVerbs::UrlOf(kPath);
    for (auto _ : state) {
        int ok = 0;
        for (int i = 0; i < Sequential; ++i)
            ok += THttpVerbs::CreateRequest()->Get(url).Status == 200;
        CheckAll(state, ok, Sequential);
    }
}

// As the screens use it: the handler runs on the GUI thread while the worker waits.
void BM_VerbsSequentialHandBack(benchmark::State &state)
{
    PointAt(SampleServer->Url);
    QObject context;
    for (auto _ : state) {
        int ok = 0;
        for (int i = 0; i < Sequential; ++i) {
            QEventLoop loop;
            THttpVerbs::Get(kPath, &context, [&](const TRestResult &answer) {
                ok += answer.Is(200);
                loop.quit();
            });
            loop.exec();
        }
        CheckAll(state, ok, Sequential);
    }
}

// ---- requests in flight at once to a slow answer

void BM_BareInFlight(benchmark::State &state)
{
    const std::string url = DelayedServer->BaseUrl().toStdString() + "/lento";
    for (auto _ : state) {
        std::atomic<int> ok = 0;
        std::vector<std::thread> threads;
        for (int i = 0; i < InFlight; ++i)
            threads.emplace_back([&] { ok += BareGet(url) == 200; });
        for (std::thread &thread : threads)
            thread.join();
        CheckAll(state, ok, InFlight);
    }
}

void BM_VerbsInFlight(benchmark::State &state)
{
    DelayedServer->InstallAsSystemConfig();
    QObject context;
    for (auto _ : state) {
        int ok = 0;
        int answered = 0;
        QEventLoop loop;
        for (int i = 0; i < InFlight; ++i)
            THttpVerbs::Get(QStringLiteral("lento"), &context, [&](const TRestResult &answer) {
                ok += answer.Is(200);
                if (++answered == InFlight)
                    loop.quit();
            });
        loop.exec();
        CheckAll(state, ok, InFlight);
    }
}

void Register(bool quick)
{
    const std::pair<const char *, void (*)(benchmark::State &)> all[] = {
        {"BM_BareSequential", BM_BareSequential}, {"BM_VerbsSequential", BM_VerbsSequential},
        {"BM_ClientSequential", BM_ClientSequential},
        {"BM_VerbsSequentialHandBack", BM_VerbsSequentialHandBack},
        {"BM_BareInFlight", BM_BareInFlight}, {"BM_VerbsInFlight", BM_VerbsInFlight}};
    for (const auto &[name, function] : all) {
        auto *bm = benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond)->UseRealTime();
        if (quick)
            bm->Iterations(1);
        else if (std::string(name).find("InFlight") != std::string::npos)
            bm->Iterations(20)->Repetitions(5)->ReportAggregatesOnly(true);
        else
            bm->Iterations(1)->Repetitions(7)->ReportAggregatesOnly(true);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    curl_global_init(CURL_GLOBAL_ALL);
    benchmark::Initialize(&argc, argv);
    const bool quick = bench::QuickRun();
    if (quick) {
        Sequential = 5;
        InFlight = 2;
    }
    SystemConfig = new TSystemConfig;
    SampleServer = std::make_unique<TSampleServer>();
    if (!SampleServer->Start()) {
        std::fprintf(stderr, "bench_rest: the sample back-end did not start (%s)\n", QUOREL_SERVER_EXE);
        return 1;
    }
    DelayedServer = std::make_unique<TSlowServer>();
    DelayedServer->Script("/lento", {R"({"ok":true})", kDelayMs});

    Register(quick);
    bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // Wall time: the figures are latencies.
    const double bare = reporter.Of("BM_BareSequential").Wall / 1e6;
    bench::PrintRatioRow("4", std::to_string(Sequential) + " sequential GETs, THttpVerbs::Get vs fresh bare curl handle",
                         reporter.Of("BM_VerbsSequential").Wall / 1e6, bare, "%.1f ms", 1.3);
    const double client = reporter.Of("BM_ClientSequential").Wall / 1e6;
    bench::PrintRow("4c", "row 4 with our client on the calling thread (no pool hand-off)", bench::Format("%.1f ms", client),
                    bench::Format("%.1f ms", bare), bench::Format("%.2fx", bare > 0 ? client / bare : 0), "-", "INFO");
    const double handBack = reporter.Of("BM_VerbsSequentialHandBack").Wall / 1e6;
    bench::PrintRow("4+", "row 4 with the hand-back to the GUI thread (as screens use it)", bench::Format("%.1f ms", handBack),
                    bench::Format("%.1f ms", bare), bench::Format("%.2fx", bare > 0 ? handBack / bare : 0), "-", "INFO");
    bench::PrintRatioRow("5", std::to_string(InFlight) + " GETs in flight, answer delayed 50 ms, vs bare curl on threads",
                         reporter.Of("BM_VerbsInFlight").Wall / 1e6, reporter.Of("BM_BareInFlight").Wall / 1e6, "%.1f ms", 1.2);

    TRequestPool::Shutdown(2000);
    DelayedServer.reset();
    SampleServer.reset();
    curl_global_cleanup();
    return 0;
}
