// The main window against the loopback test server, in this process:
// - memory (PSS) of 20 open screens of 50 fields each, against the main window alone;
// - the GUI thread's longest stall, seen by a 10 ms timer, while 50 requests of several screens
//   (descriptors, records and combo options) wait for a server that answers after 200 ms,
//   against the same timer on an idle main window;
// - the same stall while records whose five lookup fields are filled are loaded from a server
//   answering in 50 ms (each lookup's description is one more request).

#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "app/TfrmPrincipal.h"
#include "bench/support/BenchSupport.h"
#include "bench/support/MixedDescriptors.h"
#include "bench/support/TSlowServer.h"
#include "rest/TRequestPool.h"
#include "screens/TfrmCadastroPadrao.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QList>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <malloc.h>
#include <memory>

namespace {

// Runs the event loop for ms milliseconds.
void Settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the condition holds or timeoutMs pass; true when it held.
template <typename Condition>
bool RunUntil(Condition condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        Settle(5);
    }
    return true;
}

std::string Options()
{
    TJson page = {{"content", TJson::array()}, {"totalPages", 1}, {"number", 0}};
    for (int i = 1; i <= 8; ++i)
        page["content"].push_back({{"id", i}, {"nome", "Categoria " + std::to_string(i)}});
    return page.dump();
}

void ScriptMenu(TSlowServer &server, const std::string &prefix)
{
    server.Script("/acesso/menus", {bench::Menu(100, prefix).dump()});
}

// ---- memory of open screens

struct TMemory
{
    long WindowKiB = 0;
    long PerScreenKiB = 0;
    long HeapPerScreenKiB = 0;    // allocated and not freed, all malloc arenas
    long TrimmedPerScreenKiB = 0; // PSS once free heap pages went back to the system
    bool Complete = false;
};

long HeapInUseKiB()
{
    const struct mallinfo2 info = mallinfo2();
    return long((info.uordblks + info.hblkhd) / 1024);
}

TMemory MeasureScreens(int screens, int fields)
{
    TSlowServer server;
    server.InstallAsSystemConfig();
    ScriptMenu(server, "memoria");
    const TSlowServer::TAnswer descriptors{bench::MixedDescriptors(fields, true).dump()};
    for (int i = 1; i <= screens; ++i)
        server.Script("/memoria" + std::to_string(i) + "/campos", descriptors);
    server.Script("/categorias", {Options()});

    TfrmPrincipal window;
    window.show();
    Settle(500);
    TMemory result;
    result.WindowKiB = bench::PssKiB(0);
    const long heapBefore = HeapInUseKiB();
    malloc_trim(0);
    const long trimmedBefore = bench::PssKiB(0);

    int built = 0;
    for (int i = 1; i <= screens; ++i) {
        window.OpenScreen(QStringLiteral("Cadastro %1").arg(i), QStringLiteral("memoria%1").arg(i));
        QObject::connect(window.CurrentScreen(), &TfrmCadastroPadrao::fieldsLoaded, &window, [&built] { ++built; });
    }
    const int combos = fields / (bench::mkLoadingCombo + 1);
    const std::size_t requests = 1 + std::size_t(screens) * (1 + combos);
    result.Complete = RunUntil([&] { return built == screens && server.RequestCount() >= requests; }, 30000);
    Settle(500); // the last options arrive and the screen on front is painted
    result.PerScreenKiB = (bench::PssKiB(0) - result.WindowKiB) / screens;
    result.HeapPerScreenKiB = (HeapInUseKiB() - heapBefore) / screens;
    malloc_trim(0);
    result.TrimmedPerScreenKiB = (bench::PssKiB(0) - trimmedBefore) / screens;
    return result;
}

// ---- the GUI thread's longest stall

// Longest interval between two ticks of a 10 ms timer while the event loop runs for ms.
double LongestTimerGapMs(int ms)
{
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    qint64 last = 0;
    qint64 longest = 0;
    QObject::connect(&tick, &QTimer::timeout, &tick, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    clock.start();
    tick.start();
    Settle(ms);
    return double(longest) / 1e6;
}

struct TStall
{
    double BusyMs = 0;
    double IdleMs = 0;
    std::size_t Requests = 0;
};

// Each screen sends its descriptor request and a record load at once, and one options request per
// loading combo box once it is built: 10 screens of 33 fields (3 such combos) make 50 requests.
TStall MeasureStall(int screens, int fields)
{
    constexpr int delayMs = 200;
    TSlowServer server;
    server.InstallAsSystemConfig();
    ScriptMenu(server, "lento");
    const TSlowServer::TAnswer descriptors{bench::MixedDescriptors(fields, true).dump(), delayMs};
    const TSlowServer::TAnswer record{
        TJson({{"id", 1}, {"campo0", 42}, {"campo1", "texto"}, {"campo2", true}, {"campo3", "2024-05-10"}}).dump(), delayMs};
    for (int i = 1; i <= screens; ++i) {
        server.Script("/lento" + std::to_string(i) + "/campos", descriptors);
        server.Script("/lento" + std::to_string(i) + "/1", record);
    }
    server.Script("/categorias", {Options(), delayMs});

    TfrmPrincipal window;
    window.show();
    Settle(300);
    TStall result;
    result.IdleMs = LongestTimerGapMs(1500);

    server.ClearRequests();
    for (int i = 1; i <= screens; ++i) {
        window.OpenScreen(QStringLiteral("Cadastro %1").arg(i), QStringLiteral("lento%1").arg(i));
        window.CurrentScreen()->Load(1);
    }
    // Descriptors and records answer at 200 ms, the combo options 200 ms after their screen is built.
    result.BusyMs = LongestTimerGapMs(1500);
    result.Requests = server.RequestCount();
    return result;
}

// ---- the GUI thread's longest stall while records with filled lookups are loaded

// Row 8's descriptors with two more lookup edits: five in all (every eleventh field from campo7).
TJson LookupDescriptors()
{
    TJson descriptors = bench::MixedDescriptors(33, true);
    descriptors.push_back(bench::MixedDescriptor(40, true));
    descriptors.push_back(bench::MixedDescriptor(51, true));
    return descriptors;
}

// A record whose five lookup fields hold the keys 1 to 5.
TJson RecordWithLookups()
{
    TJson record = {{"id", 1}, {"campo0", 42}, {"campo1", "texto"}};
    int key = 0;
    for (const char *name : {"campo7", "campo18", "campo29", "campo40", "campo51"})
        record[name] = ++key;
    return record;
}

// The screens are built first; then each loads one record, whose five lookup descriptions are
// requested from the same 50 ms server. Only the loads are measured.
TStall MeasureLookupStall(int screens)
{
    constexpr int delayMs = 50;
    constexpr int lookups = 5;
    TSlowServer server;
    server.InstallAsSystemConfig();
    ScriptMenu(server, "consulta");
    const TSlowServer::TAnswer descriptors{LookupDescriptors().dump(), delayMs};
    const TSlowServer::TAnswer record{RecordWithLookups().dump(), delayMs};
    for (int i = 1; i <= screens; ++i) {
        server.Script("/consulta" + std::to_string(i) + "/campos", descriptors);
        server.Script("/consulta" + std::to_string(i) + "/1", record);
    }
    for (int key = 1; key <= lookups; ++key)
        server.Script("/clientes/" + std::to_string(key), {TJson({{"id", key}, {"nome", "Cliente " + std::to_string(key)}}).dump(), delayMs});
    server.Script("/categorias", {Options()});

    TfrmPrincipal window;
    window.show();
    Settle(300);
    TStall result;
    result.IdleMs = LongestTimerGapMs(1000);

    QList<TfrmCadastroPadrao *> opened;
    int built = 0;
    for (int i = 1; i <= screens; ++i) {
        window.OpenScreen(QStringLiteral("Consulta %1").arg(i), QStringLiteral("consulta%1").arg(i));
        opened << window.CurrentScreen();
        QObject::connect(opened.last(), &TfrmCadastroPadrao::fieldsLoaded, &window, [&built] { ++built; });
    }
    if (!RunUntil([&] { return built == screens; }, 30000))
        return result;
    Settle(300); // the combo options arrive
    server.ClearRequests();
    for (TfrmCadastroPadrao *screen : opened)
        screen->Load(1);
    // One blocking description after another would take screens x 5 x 50 ms; the window covers it.
    result.BusyMs = LongestTimerGapMs(1000 + screens * lookups * delayMs);
    result.Requests = server.RequestCount();
    return result;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    QTemporaryDir empty; // no config.ini: the servers below are installed directly
    dmGlobal = new TdmGlobal(empty.filePath(QStringLiteral("config.ini")), &app);
    const bool quick = bench::QuickRun();

    const int screens = quick ? 2 : 20;
    const TMemory memory = MeasureScreens(screens, quick ? 5 : 50);
    const double perScreenMb = memory.PerScreenKiB / 1024.0;
    bench::PrintRow("7", "memory of " + std::to_string(screens) + " open screens of " + std::to_string(quick ? 5 : 50)
                             + " fields, per screen",
                    bench::Format("%.2f MB/screen", perScreenMb),
                    bench::Format("%.1f MB window", memory.WindowKiB / 1024.0),
                    bench::Format("%.1f%%/screen", memory.WindowKiB > 0 ? 100.0 * memory.PerScreenKiB / memory.WindowKiB : 0),
                    "<= 1 MB/screen", memory.Complete ? bench::Verdict(perScreenMb <= 1.0) : "ERROR");

    bench::PrintRow("7h", "row 7: heap allocated and kept per screen", bench::Format("%.2f MB/screen", memory.HeapPerScreenKiB / 1024.0),
                    "-", "-", "-", "INFO");
    bench::PrintRow("7t", "row 7: PSS per screen once free heap pages are returned (malloc_trim)",
                    bench::Format("%.2f MB/screen", memory.TrimmedPerScreenKiB / 1024.0), "-", "-", "-", "INFO");

    const int stallScreens = quick ? 1 : 10;
    const TStall stall = MeasureStall(stallScreens, 33);
    const std::size_t expected = std::size_t(stallScreens) * 5;
    bench::PrintRow("8", "longest GUI stall, " + std::to_string(stall.Requests) + " requests to a 200 ms server vs idle 10 ms timer",
                    bench::Format("%.1f ms", stall.BusyMs), bench::Format("%.1f ms", stall.IdleMs),
                    bench::Format("%.2fx", stall.IdleMs > 0 ? stall.BusyMs / stall.IdleMs : 0), "<= 50 ms",
                    stall.Requests == expected ? bench::Verdict(stall.BusyMs <= 50) : "ERROR");

    const int lookupScreens = quick ? 1 : 10;
    const TStall lookups = MeasureLookupStall(lookupScreens);
    const std::size_t lookupRequests = std::size_t(lookupScreens) * 6; // the record and 5 descriptions
    bench::PrintRow("8b", "row 8 loading " + std::to_string(lookupScreens) + " records with 5 filled lookups, 50 ms server ("
                              + std::to_string(lookups.Requests) + " requests) vs idle 10 ms timer",
                    bench::Format("%.1f ms", lookups.BusyMs), bench::Format("%.1f ms", lookups.IdleMs),
                    bench::Format("%.2fx", lookups.IdleMs > 0 ? lookups.BusyMs / lookups.IdleMs : 0), "<= 50 ms",
                    lookups.Requests == lookupRequests ? bench::Verdict(lookups.BusyMs <= 50) : "ERROR");
    TRequestPool::Shutdown(2000);
    return 0;
}
