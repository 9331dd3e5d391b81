// Building a record-editing screen from field descriptors with FillFields, against creating the
// same widgets in the same parents directly in code, at 50, 200 and 800 fields. Both build into a
// hidden, loaded column panel and end with the screen's one final layout pass (a one-pixel width
// change, then show). Prints the FillFields / direct ratio at 200 fields and time(800) / time(200).

#include "bench/support/BenchSupport.h"
#include "bench/support/MixedDescriptors.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDateEdit.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <memory>
#include <vector>

namespace {

constexpr int kSmall = 50;
constexpr int kMiddle = 200;
constexpr int kLarge = 800;

// A main-window-sized screen whose data panel is set up as the record-editing screen sets it up.
struct TScreen
{
    std::unique_ptr<QWidget> Window = std::make_unique<QWidget>();
    TLXColumnPanel *Panel = nullptr;
    int Passes = 0;

    TScreen()
    {
        auto *layout = new QVBoxLayout(Window.get());
        Panel = new TLXColumnPanel(Window.get());
        Panel->setColumns(24);
        Panel->setVerticalSpace(5);
        Panel->setAutoHeight(false);
        Panel->setContentsMargins(5, 5, 5, 5);
        layout->addWidget(Panel);
        Panel->Loaded();
        Window->resize(1100, 700);
        Window->show();
        QCoreApplication::processEvents();
        QObject::connect(Panel, &TLXColumnPanel::layoutDone, Panel, [this] { ++Passes; });
    }

    // The end of a build: one pass through the one-pixel width change, made when shown again.
    void Finish()
    {
        Panel->resize(Panel->width() - 1, Panel->height());
        Panel->show();
    }
};

// ---- the same rows written by hand

TLXColumnPanel *Row(TLXColumnPanel *panel, const QString &caption)
{
    auto *row = new TLXColumnPanel(panel);
    for (TLXScreenSize size : {ssSmall, ssMedium, ssLarge, ssExtraLarge})
        row->Config()->setValue(size, 24);
    row->setAutoHeight(true);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto *label = new QLabel(caption, row);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(label);
    return row;
}

template <typename T>
T *Put(TLXColumnPanel *row, T *control, const QString &name)
{
    control->setObjectName(name);
    static_cast<QHBoxLayout *>(row->layout())->addWidget(control, 1);
    return control;
}

TResourceComboBox *Combo(TLXColumnPanel *row, const QString &name, const char *key, const char *display,
                         const char *resource, TResourceType type)
{
    auto *combo = Put(row, new TResourceComboBox(row), name);
    combo->SetKeyField(QString::fromLatin1(key));
    combo->SetDisplayField(QString::fromLatin1(display));
    combo->SetResource(QString::fromLatin1(resource));
    combo->SetResourceType(type);
    combo->ClearSelection();
    return combo;
}

QWidget *DirectRow(TLXColumnPanel *panel, int index)
{
    const QString name = QStringLiteral("campo%1").arg(index);
    TLXColumnPanel *row = Row(panel, QStringLiteral("Campo número %1:").arg(index));
    switch (index % bench::mkLoadingCombo) {
    case bench::mkLong:
    case bench::mkDouble:
    case bench::mkInt:
        return Put(row, new QLineEdit(row), name);
    case bench::mkString: {
        auto *edit = Put(row, new QLineEdit(row), name);
        edit->setMaxLength(60);
        return edit;
    }
    case bench::mkBoolean:
        return Put(row, new QCheckBox(row), name);
    case bench::mkDate:
        return Put(row, new TLXDateEdit(row), name);
    case bench::mkEnum: {
        auto *combo = Put(row, new TResourceComboBox(row), name);
        combo->AddOption(TComboValue(QStringLiteral("A"), QStringLiteral("Ativo")));
        combo->AddOption(TComboValue(QStringLiteral("I"), QStringLiteral("Inativo")));
        combo->AddOption(TComboValue(QStringLiteral("B"), QStringLiteral("Bloqueado")));
        combo->ClearSelection();
        return combo;
    }
    case bench::mkLocalCombo:
        return Combo(row, name, "codigo", "descricao", "root.entregas", rtLocal);
    case bench::mkLookup: {
        auto *edit = Put(row, new TLXSearchEdit(row), name);
        edit->setKeyValue(QString());
        edit->setDisplayValue(QString());
        edit->Config()->setKeyField(QStringLiteral("id"));
        edit->Config()->setDisplayField(QStringLiteral("nome"));
        edit->Config()->setResource(QStringLiteral("clientes"));
        return edit;
    }
    case bench::mkRemoteCombo: {
        TResourceComboBox *combo = Combo(row, name, "id", "nome", "produtos", rtRemote);
        TResourceParam param;
        param.Name = QStringLiteral("categoria");
        param.ParamType = QStringLiteral("Long");
        param.Source.Source = QStringLiteral("root.categorias");
        param.Source.Field = QStringLiteral("categoria");
        combo->Params().push_back(param);
        return combo;
    }
    }
    return nullptr;
}

// ---- the two builds; the window is made and destroyed outside the timing

template <typename Build>
void Measure(benchmark::State &state, Build build)
{
    const int fields = static_cast<int>(state.range(0));
    int passes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto screen = std::make_unique<TScreen>();
        state.ResumeTiming();
        screen->Panel->hide();
        build(screen->Panel, fields);
        screen->Finish();
        state.PauseTiming();
        passes = screen->Passes;
        if (screen->Panel->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly).size() != fields)
            state.SkipWithError("rows missing");
        screen.reset();
        state.ResumeTiming();
    }
    state.counters["passes"] = passes;
}

void BM_FillFields(benchmark::State &state)
{
    const TJson descriptors = bench::MixedDescriptors(static_cast<int>(state.range(0)));
    Measure(state, [&descriptors](TLXColumnPanel *panel, int) {
        for (const TJson &descriptor : descriptors)
            TFieldEngine::FillFields(panel, descriptor);
    });
}

void BM_DirectBuild(benchmark::State &state)
{
    Measure(state, [](TLXColumnPanel *panel, int fields) {
        for (int i = 0; i < fields; ++i)
            DirectRow(panel, i);
    });
}

void Register(bool quick)
{
    const std::vector<int> sizes = quick ? std::vector<int>{kSmall} : std::vector<int>{kSmall, kMiddle, kLarge};
    const std::pair<const char *, void (*)(benchmark::State &)> all[] = {{"BM_DirectBuild", BM_DirectBuild},
                                                                        {"BM_FillFields", BM_FillFields}};
    for (const auto &[name, function] : all) {
        auto *bm = benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond);
        for (int size : sizes)
            bm->Arg(size);
        if (quick)
            bm->Iterations(1);
        else
            bm->Repetitions(5)->ReportAggregatesOnly(true);
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const bool quick = bench::QuickRun();
    Register(quick);
    bench::MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    // CPU time of the GUI thread: steadier than wall time on a shared machine.
    const int size = quick ? kSmall : kMiddle;
    const double ours = reporter.Of("BM_FillFields/" + std::to_string(size)).Cpu / 1e6;
    const double direct = reporter.Of("BM_DirectBuild/" + std::to_string(size)).Cpu / 1e6;
    bench::PrintRatioRow("1", "screen of " + std::to_string(size) + " mixed descriptors vs same widgets by hand",
                         ours, direct, "%.2f ms", 1.25);
    const int large = quick ? kSmall : kLarge;
    const double atLarge = reporter.Of("BM_FillFields/" + std::to_string(large)).Cpu / 1e6;
    bench::PrintRatioRow("2", "same build: " + std::to_string(large) + " vs " + std::to_string(size) + " descriptors",
                         atLarge, ours, "%.2f ms", 4.5);
    return 0;
}
