#pragma once

// Helpers every benchmark program shares: the quick mode CI uses, the one line per result that
// scripts/bench.sh gathers into its table, a reporter that keeps median times, and the
// proportional set size of a process.

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>

namespace bench {

// QUOREL_BENCH_QUICK=1: every benchmark runs once at its smallest size, so CI proves it still
// builds and runs without spending the time a real measurement takes.
inline bool QuickRun()
{
    const char *value = std::getenv("QUOREL_BENCH_QUICK");
    return value && *value && std::string(value) != "0";
}

// One row of the final table, as a line the runner picks out of the program's output:
// ROW|row|what|ours|limit|ratio|goal|PASS or FAIL (or INFO when there is no goal to hold).
inline void PrintRow(const std::string &row, const std::string &what, const std::string &ours,
                     const std::string &limit, const std::string &ratio, const std::string &goal,
                     const std::string &verdict)
{
    std::printf("ROW|%s|%s|%s|%s|%s|%s|%s\n", row.c_str(), what.c_str(), ours.c_str(), limit.c_str(),
                ratio.c_str(), goal.c_str(), verdict.c_str());
    std::fflush(stdout);
}

inline std::string Format(const char *format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

inline std::string Verdict(bool pass) { return QuickRun() ? "QUICK" : pass ? "PASS" : "FAIL"; }

// A ratio row: ours / limit against an upper bound.
inline void PrintRatioRow(const std::string &row, const std::string &what, double ours, double limit,
                          const char *unitFormat, double goal)
{
    const double ratio = limit > 0 ? ours / limit : 0;
    PrintRow(row, what, Format(unitFormat, ours), Format(unitFormat, limit), Format("%.2fx", ratio),
             Format("<= %.2fx", goal), Verdict(limit > 0 && ratio <= goal));
}

// Prints as usual and keeps the median CPU and wall times (in nanoseconds) of every run, keyed
// by the run's full name ("BM_Build/200").
class MedianReporter final : public benchmark::ConsoleReporter
{
public:
    struct TTimes
    {
        double Cpu = 0;
        double Wall = 0;
    };
    std::map<std::string, TTimes> Medians;

    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs) {
            if (run.error_occurred)
                continue;
            // Without repetitions the single run is the median.
            const bool median = run.aggregate_name == "median";
            if (!median && run.run_type == Run::RT_Aggregate)
                continue;
            const double scale = Nanos(run.time_unit);
            const std::string name = run.run_name.function_name
                + (run.run_name.args.empty() ? std::string() : "/" + run.run_name.args);
            if (median || !Medians.count(name))
                Medians[name] = {run.GetAdjustedCPUTime() * scale, run.GetAdjustedRealTime() * scale};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    TTimes Of(const std::string &name) const
    {
        const auto it = Medians.find(name);
        return it == Medians.end() ? TTimes{} : it->second;
    }

private:
    static double Nanos(benchmark::TimeUnit unit)
    {
        switch (unit) {
        case benchmark::kSecond: return 1e9;
        case benchmark::kMillisecond: return 1e6;
        case benchmark::kMicrosecond: return 1e3;
        default: return 1;
        }
    }
};

// Proportional set size of a process in KiB (0 when it cannot be read).
inline long PssKiB(long pid)
{
    QFile file(pid > 0 ? QStringLiteral("/proc/%1/smaps_rollup").arg(pid) : QStringLiteral("/proc/self/smaps_rollup"));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').value(0).toLong();
    return 0;
}

} // namespace bench
