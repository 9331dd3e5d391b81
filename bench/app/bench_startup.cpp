// Whole-process start-up on an X display (run under xvfb-run): the program, started beside a
// config.ini that points at a loopback server with a 100- or 1,000-entry menu, from process start
// until its main window is mapped, and its memory (PSS) once it settles; against the minimal Qt
// program of bench_min_window, which fetches the same menu with one synchronous libcurl GET and
// shows it as labels in a 230-pixel side bar of a maximised window, launched alternately in the
// same run. With --chromium=PATH also the memory of a headless Chromium showing a one-line page
// (all its processes summed).

#include "bench/support/BenchSupport.h"
#include "bench/support/MixedDescriptors.h"
#include "bench/support/TSlowServer.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using TClock = std::chrono::steady_clock;

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

pid_t Spawn(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    return pid;
}

void Stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 300; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Sees top-level windows being mapped on the default screen.
class TMapWatcher final
{
public:
    TMapWatcher()
    {
        FConnection = xcb_connect(nullptr, nullptr);
        if (xcb_connection_has_error(FConnection))
            return;
        FRoot = xcb_setup_roots_iterator(xcb_get_setup(FConnection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(FConnection, FRoot, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(FConnection);
        FReady = true;
    }
    ~TMapWatcher() { xcb_disconnect(FConnection); }
    TMapWatcher(const TMapWatcher &) = delete;
    TMapWatcher &operator=(const TMapWatcher &) = delete;

    bool Ready() const { return FReady; }

    void Drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection))
            free(event);
    }

    // Waits for the next ordinary top-level window to be mapped; the moment it was, or nothing.
    std::optional<TClock::time_point> WaitForMap(int timeoutMs)
    {
        const TClock::time_point deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
        pollfd descriptor{xcb_get_file_descriptor(FConnection), POLLIN, 0};
        while (TClock::now() < deadline) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(FConnection)) {
                const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                    && !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect;
                free(event);
                if (mapped)
                    return TClock::now();
            }
            poll(&descriptor, 1, 20);
        }
        return std::nullopt;
    }

private:
    xcb_connection_t *FConnection = nullptr;
    xcb_window_t FRoot = 0;
    bool FReady = false;
};

// Memory once it stops growing (first paint done, fonts loaded): read every stepMs after firstMs
// until two readings differ by less than 1%, or until lastMs.
template <typename Read>
long SettledPssKiB(Read read, int firstMs, int stepMs, int lastMs)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(firstMs));
    long previous = read();
    for (int waited = firstMs; waited < lastMs; waited += stepMs) {
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
        const long current = read();
        if (previous > 0 && std::abs(current - previous) * 100 < current)
            return current;
        previous = current;
    }
    return previous;
}

struct TLaunch
{
    double ShownMs = 0;
    long PssKiB = 0;
};

std::optional<TLaunch> Launch(TMapWatcher &watcher, const std::vector<std::string> &command)
{
    watcher.Drain();
    const TClock::time_point start = TClock::now();
    const pid_t pid = Spawn(command);
    if (pid < 0)
        return std::nullopt;
    const std::optional<TClock::time_point> shown = watcher.WaitForMap(30000);
    std::optional<TLaunch> result;
    if (shown)
        result = TLaunch{std::chrono::duration<double, std::milli>(*shown - start).count(),
                         SettledPssKiB([pid] { return bench::PssKiB(pid); }, 500, 200, 10000)};
    Stop(pid);
    return result;
}

// ---- a headless browser showing one line

std::map<long, long> ParentsOfAll()
{
    std::map<long, long> parents;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const long pid = entry.toLong(&number);
        if (!number)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // pid (name) state ppid ...: the name may hold blanks, so read after the last ')'.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            parents[pid] = fields[1].toLong();
    }
    return parents;
}

std::set<long> Tree(long root)
{
    const std::map<long, long> parents = ParentsOfAll();
    std::set<long> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        for (const auto &[pid, parent] : parents)
            if (tree.count(parent) && tree.insert(pid).second)
                grew = true;
    }
    return tree;
}

// Sum of PSS once it stops growing (the page is loaded and painted), within 20 s.
long ChromiumPssKiB(const std::string &chromium)
{
    QTemporaryDir profile;
    const pid_t pid = Spawn({chromium, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                             "--disable-background-networking", "--disable-component-update", "--disable-sync",
                             "--user-data-dir=" + profile.path().toStdString(),
                             "data:text/html,<p>QuorelApi</p>"});
    if (pid < 0)
        return 0;
    const long total = SettledPssKiB([pid] {
        long sum = 0;
        for (long member : Tree(pid))
            sum += bench::PssKiB(member);
        return sum;
    }, 3000, 1000, 20000);
    // The browser's helpers end with it; any left over are stopped too.
    const std::set<long> helpers = Tree(pid);
    Stop(pid);
    for (long helper : helpers)
        if (helper != pid && kill(pid_t(helper), 0) == 0)
            kill(pid_t(helper), SIGKILL);
    return total;
}

std::string ArgumentValue(int argc, char **argv, const std::string &name)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind(name + "=", 0) == 0)
            return argv[i] + name.size() + 1;
    return {};
}

// One menu size: the program beside its config.ini and the minimal window, both fed by one server.
class TMenuCase final
{
public:
    explicit TMenuCase(int entries)
    {
        FServer.Script("/acesso/menus", {bench::Menu(entries, "cadastro").dump()});
        const QString program = FFolder.filePath(QStringLiteral("quorelapi"));
        QFile config(FFolder.filePath(QStringLiteral("config.ini")));
        if (!QFile::copy(QStringLiteral(QUOREL_APP_EXE), program) || !config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("[config]\nservidor=http://127.0.0.1\nporta=%1\n").arg(FServer.Port()).toUtf8());
        Program = {program.toStdString()};
        Limit = {QUOREL_MIN_WINDOW_EXE, "--menu=" + FServer.BaseUrl().toStdString() + "/acesso/menus"};
    }

    std::vector<std::string> Program;
    std::vector<std::string> Limit;
    std::vector<double> ShownMs[2];
    std::vector<double> PssKiB[2];

private:
    TSlowServer FServer;
    QTemporaryDir FFolder;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = bench::QuickRun();
    const int runs = quick ? 1 : 7;

    TMapWatcher watcher;
    if (!watcher.Ready()) {
        bench::PrintRow("6", "start-up to main window shown", "-", "-", "-", "<= 1.10x", "SKIP (no X display)");
        return 0;
    }

    TMenuCase small(100);
    TMenuCase large(1000);
    for (TMenuCase *menu : {&small, &large})
        if (menu->Program.empty()) {
            std::fprintf(stderr, "bench_startup: cannot prepare the program's folder\n");
            return 1;
        }
    // Alternate the programs so both meet the same machine load.
    for (int i = 0; i < runs; ++i) {
        std::printf("run %d:", i + 1);
        for (TMenuCase *menu : {&small, &large})
            for (int side = 0; side < 2; ++side) {
                const std::optional<TLaunch> launch = Launch(watcher, side == 0 ? menu->Program : menu->Limit);
                if (!launch) {
                    bench::PrintRow("6", "start-up to main window shown", "-", "-", "-", "<= 1.10x", "ERROR (no window)");
                    return 1;
                }
                std::printf("  %s %s %.1f ms %ld KiB", menu == &small ? "100" : "1000", side == 0 ? "program" : "limit",
                            launch->ShownMs, launch->PssKiB);
                menu->ShownMs[side].push_back(launch->ShownMs);
                menu->PssKiB[side].push_back(double(launch->PssKiB));
            }
        std::printf("\n");
        std::fflush(stdout);
    }
    const double oursPssMb = Median(small.PssKiB[0]) / 1024;
    bench::PrintRatioRow("6", "start to main window shown, 100-entry menu, vs minimal libcurl + Qt menu window",
                         Median(small.ShownMs[0]), Median(small.ShownMs[1]), "%.1f ms", 1.10);
    bench::PrintRatioRow("6m", "memory (PSS) of that main window vs the minimal menu window", oursPssMb,
                         Median(small.PssKiB[1]) / 1024, "%.1f MB", 1.15);
    bench::PrintRatioRow("6k", "start to main window shown, 1,000-entry menu, vs the same minimal window",
                         Median(large.ShownMs[0]), Median(large.ShownMs[1]), "%.1f ms", 1.20);
    const double largePss = Median(large.PssKiB[0]) / 1024, largeLimitPss = Median(large.PssKiB[1]) / 1024;
    bench::PrintRow("6km", "memory (PSS) at 1,000 entries vs the minimal menu window", bench::Format("%.1f MB", largePss),
                    bench::Format("%.1f MB", largeLimitPss),
                    bench::Format("%.2fx", largeLimitPss > 0 ? largePss / largeLimitPss : 0), "-", "INFO");

    const std::string chromium = ArgumentValue(argc, argv, "--chromium");
    if (chromium.empty()) {
        bench::PrintRow("6b", "main window memory vs headless Chromium page", bench::Format("%.1f MB", oursPssMb), "-", "-",
                        "<= 0.15x", "SKIP (no chromium)");
        return 0;
    }
    const double chromiumMb = ChromiumPssKiB(chromium) / 1024.0;
    bench::PrintRatioRow("6b", "main window memory vs headless Chromium one-line page (all processes)", oursPssMb,
                         chromiumMb, "%.1f MB", 0.15);
    return 0;
}
