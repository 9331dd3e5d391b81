// Filling a record table from a parsed page against parsing the page's text, side by side.
// Prints the ratio convert/parse of the median times; the goal is at most 0.5.

#include "convert/LoadTableFromArray.h"
#include "convert/TRecordTable.h"
#include "rest/JsonUtils.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include <cstdio>
#include <map>
#include <string>

namespace {

constexpr int Rows = 10000;

std::string PageText()
{
    TJson rows = TJson::array();
    for (int i = 0; i < Rows; ++i) {
        rows.push_back({{"id", i + 1}, {"nome", "Cliente número " + std::to_string(i)},
            {"email", "cliente" + std::to_string(i) + "@example.com"},
            {"cidade", i % 2 ? "Porto Alegre" : "Belo Horizonte"}, {"idade", 18 + i % 60}, {"ativo", i % 3 != 0},
            {"saldo", i * 1.25}, {"criado", "2024-05-" + std::to_string(10 + i % 18)}});
    }
    return rows.dump();
}

const std::string &Text()
{
    static const std::string text = PageText();
    return text;
}

void DefineFields(TRecordTable &table)
{
    table.FieldDefs().Add("id", ftInteger);
    table.FieldDefs().Add("nome", ftString);
    table.FieldDefs().Add("email", ftString, 40);
    table.FieldDefs().Add("cidade", ftString);
    table.FieldDefs().Add("idade", ftInteger);
    table.FieldDefs().Add("ativo", ftBoolean);
    table.FieldDefs().Add("saldo", ftFloat);
    table.FieldDefs().Add("criado", ftDate);
    table.CreateDataSet();
}

void BM_ParseJson(benchmark::State &state)
{
    for (auto _ : state) {
        auto value = ParseJson(std::string_view(Text()));
        benchmark::DoNotOptimize(value);
    }
}

void BM_LoadTableFromArray(benchmark::State &state)
{
    const auto rows = ParseJson(std::string_view(Text()));
    TRecordTable table;
    DefineFields(table);
    for (auto _ : state) {
        table.DisableControls();
        table.EmptyDataSet();
        LoadTableFromArray(&table, &*rows);
        table.EnableControls();
    }
    if (table.RecordCount() != Rows)
        state.SkipWithError("rows lost");
}

// One object of n members: parsing must stay linear in n (the first of duplicate names is kept).
std::string WideObjectText(int members)
{
    TJson object = TJson::object();
    for (int i = 0; i < members; ++i)
        object["campo" + std::to_string(i)] = i;
    return object.dump();
}

void BM_ParseWideObject(benchmark::State &state)
{
    const std::string text = WideObjectText(int(state.range(0)));
    for (auto _ : state) {
        auto value = ParseJson(std::string_view(text));
        benchmark::DoNotOptimize(value);
    }
}

BENCHMARK(BM_ParseWideObject)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ParseJson)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_LoadTableFromArray)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Prints as usual and keeps the median CPU and wall times of each benchmark. CPU time is the
// steadier figure on a shared machine; both are printed.
class MedianReporter final : public benchmark::ConsoleReporter
{
public:
    std::map<std::string, std::pair<double, double>> Medians;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.aggregate_name == "median")
                Medians[run.run_name.function_name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    const auto [parseCpu, parseWall] = reporter.Medians["BM_ParseJson"];
    const auto [convertCpu, convertWall] = reporter.Medians["BM_LoadTableFromArray"];
    if (parseCpu > 0 && parseWall > 0)
        std::printf("LoadTableFromArray / ParseJson (%d objects of 8 members): ratio %.2f CPU, %.2f wall "
                    "(goal <= 0.50)\n",
            Rows, convertCpu / parseCpu, convertWall / parseWall);
    return 0;
}
