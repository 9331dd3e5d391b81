// Cost of the column panel's layout pass and of building a screen's rows, at growing cell
// counts. Prints the time per cell at each size relative to the smallest: about 1 means linear.

#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

namespace {

const int kSizes[] = {100, 1000, 4000};

// One field row as the field engine makes it: full width, caption and edit.
void AddRow(TLXColumnPanel *top, int index)
{
    auto *row = new TLXColumnPanel(top);
    for (TLXScreenSize size : {ssSmall, ssMedium, ssLarge, ssExtraLarge})
        row->Config()->setValue(size, index % 3 == 0 ? 24 : 12);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Campo %1:").arg(index), row));
    layout->addWidget(new QLineEdit(row), 1);
}

std::unique_ptr<TLXColumnPanel> MakeScreen(int rows)
{
    auto top = std::make_unique<TLXColumnPanel>();
    top->resize(1000, 600);
    top->Loaded();
    for (int i = 0; i < rows; ++i)
        AddRow(top.get(), i);
    return top;
}

// One pass per iteration; the width alternates, so every cell moves. Within one width class
// only geometry changes; across classes fonts and label widths change as well.
void LayoutPasses(benchmark::State &state, int narrow, int wide)
{
    const int cells = static_cast<int>(state.range(0));
    auto top = MakeScreen(cells);
    top->show();
    int passes = 0;
    QObject::connect(top.get(), &TLXColumnPanel::layoutDone, top.get(), [&passes] { ++passes; });
    QCoreApplication::processEvents();
    bool isWide = false;
    for (auto _ : state) {
        isWide = !isWide;
        top->resize(isWide ? wide : narrow, 600);
        // The event loop runs between two passes in the program too; its painting is not counted.
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    if (passes != static_cast<int>(state.iterations()))
        state.SkipWithError("not one pass per resize");
    state.counters["cells"] = cells;
}

// Building every row into a loaded, hidden screen and showing it: one pass at the end.
void BM_BuildScreen(benchmark::State &state)
{
    const int cells = static_cast<int>(state.range(0));
    for (auto _ : state) {
        auto top = MakeScreen(cells);
        int passes = 0;
        QObject::connect(top.get(), &TLXColumnPanel::layoutDone, top.get(), [&passes] { ++passes; });
        top->show();
        QCoreApplication::processEvents(); // the rows' own layouts run here
        if (passes != 1)
            state.SkipWithError("building did not end in exactly one pass");
        state.PauseTiming();
        top.reset();
        state.ResumeTiming();
    }
    state.counters["cells"] = cells;
}

void BM_LayoutPass(benchmark::State &state) { LayoutPasses(state, 1000, 1150); }
void BM_LayoutPassClassChange(benchmark::State &state) { LayoutPasses(state, 1000, 1300); }

BENCHMARK(BM_LayoutPass)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayoutPassClassChange)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildScreen)->Arg(kSizes[0])->Arg(kSizes[1])->Arg(kSizes[2])->Unit(benchmark::kMillisecond);

// Keeps the per-iteration times so the ratios can be printed after the run.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            if (!run.error_occurred) // CPU time: the machines are shared, wall time is noisy
                nanosPerIteration[run.run_name.function_name][run.run_name.args] =
                    run.GetAdjustedCPUTime() * (run.time_unit == benchmark::kMillisecond ? 1e6 : 1e3);
    }

    // Per-cell time at each size divided by the per-cell time at the smallest size and at the
    // previous size: 1.00 means linear growth, the size factor (10, 4) quadratic.
    void PrintRatios() const
    {
        std::printf("\nTime per pass or build, and per-cell ratios (1.00 = linear):\n");
        for (const auto &[name, bySize] : nanosPerIteration) {
            std::printf("%-26s", name.c_str());
            double firstPerCell = 0;
            double previousPerCell = 0;
            for (int size : kSizes) {
                const auto it = bySize.find(std::to_string(size));
                if (it == bySize.end())
                    continue;
                const double perCell = it->second / size;
                if (firstPerCell == 0)
                    firstPerCell = previousPerCell = perCell;
                std::printf("  %5d cells %9.0f us (x%.2f, step x%.2f)", size, it->second / 1e3,
                            perCell / firstPerCell, perCell / previousPerCell);
                previousPerCell = perCell;
            }
            std::printf("\n");
        }
    }

private:
    std::map<std::string, std::map<std::string, double>> nanosPerIteration;
};

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
