// Whole-process start-up on an X display (run under xvfb-run): the program, started beside a
// config.ini that points at a loopback server with a 100-entry menu, from process start until its
// main window is mapped, and its memory (PSS) once it settles; against a minimal Qt Widgets program
// showing an empty maximised window, launched alternately in the same run. The same minimal program
// showing 100 lines of text is launched too: it shows how much of the gap is the text stack alone,
// which any window showing a menu pays. With --chromium=PATH
// also the memory of a headless Chromium showing a one-line page (all its processes summed).

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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const bool quick = bench::QuickRun();
    const int runs = quick ? 1 : 7;

    TMapWatcher watcher;
    if (!watcher.Ready()) {
        bench::PrintRow("6", "start-up to main window shown", "-", "-", "-", "<= 1.20x", "SKIP (no X display)");
        return 0;
    }

    // The program beside its config.ini, pointed at a loopback server with a 100-entry menu.
    TSlowServer server;
    server.Script("/acesso/menus", {bench::Menu(100, "cadastro").dump()});
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("quorelapi"));
    QFile config(folder.filePath(QStringLiteral("config.ini")));
    if (!QFile::copy(QStringLiteral(QUOREL_APP_EXE), program) || !config.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "bench_startup: cannot prepare %s\n", qPrintable(folder.path()));
        return 1;
    }
    config.write(QStringLiteral("[config]\nservidor=http://127.0.0.1\nporta=%1\n").arg(server.Port()).toUtf8());
    config.close();

    // Alternate the programs so all meet the same machine load.
    const std::vector<std::vector<std::string>> commands = {
        {program.toStdString()}, {QUOREL_MIN_WINDOW_EXE}, {QUOREL_MIN_WINDOW_EXE, "--labels=100"}};
    std::vector<std::vector<double>> shownMs(commands.size()), pssKiB(commands.size());
    for (int i = 0; i < runs; ++i) {
        std::printf("run %d:", i + 1);
        for (std::size_t c = 0; c < commands.size(); ++c) {
            const std::optional<TLaunch> launch = Launch(watcher, commands[c]);
            if (!launch) {
                bench::PrintRow("6", "start-up to main window shown", "-", "-", "-", "<= 1.20x", "ERROR (no window)");
                return 1;
            }
            std::printf("  %s %.1f ms %ld KiB", c == 0 ? "program" : c == 1 ? "empty window" : "text window",
                        launch->ShownMs, launch->PssKiB);
            shownMs[c].push_back(launch->ShownMs);
            pssKiB[c].push_back(double(launch->PssKiB));
        }
        std::printf("\n");
    }
    const double oursPssMb = Median(pssKiB[0]) / 1024;
    bench::PrintRatioRow("6", "start to main window shown (100-entry menu) vs empty maximised Qt window",
                         Median(shownMs[0]), Median(shownMs[1]), "%.1f ms", 1.2);
    bench::PrintRatioRow("6m", "memory (PSS) of that main window vs the empty Qt window", oursPssMb,
                         Median(pssKiB[1]) / 1024, "%.1f MB", 1.3);
    // What text alone costs: the same minimal program with 100 labels, against the empty window.
    const auto textRow = [](const char *row, const char *what, double text, double empty, const char *unit) {
        bench::PrintRow(row, what, bench::Format(unit, text), bench::Format(unit, empty),
                        bench::Format("%.2fx", empty > 0 ? text / empty : 0), "-", "INFO");
    };
    textRow("6t", "text floor: the empty window with 100 labels vs the empty window, shown", Median(shownMs[2]),
            Median(shownMs[1]), "%.1f ms");
    textRow("6tm", "text floor: its memory (PSS) vs the empty window", Median(pssKiB[2]) / 1024,
            Median(pssKiB[1]) / 1024, "%.1f MB");

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
