// The detail-list editor with long lists, each against its limit in the same run:
// - row 10: one row added to a list of 10,000 rows through the pop-up (Novo, fill, Gravar, grid
//   painted), against one row loaded with LoadTableFromArray plus one row inserted in a QTableView
//   of the same size and painted; and 2,000 adds from an empty list against 1,000;
// - row 11: a record's 10,000-row list handed to the editor until the grid is painted, against
//   LoadTableFromArray of the same rows into an emptied table.
// Times are the GUI thread's CPU time (steadier than wall time on a shared machine), medians of
// samples of both sides taken in turn.

#include "bench/support/BenchSupport.h"
#include "convert/LoadTableFromArray.h"
#include "convert/TRecordTable.h"
#include "screens/TfrmTabForm.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXPanelForm.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const char *const kFields = R"([
  {"nome": "id", "label": "Código", "tipo": "long"},
  {"nome": "descricao", "label": "Descrição", "tipo": "string", "requerido": true},
  {"nome": "quantidade", "label": "Quantidade", "tipo": "long"},
  {"nome": "preco", "label": "Preço", "tipo": "double"},
  {"nome": "ativo", "label": "Ativo", "tipo": "boolean"}
])";

TJson Row(int i)
{
    return {{"id", i + 1}, {"descricao", "Item " + std::to_string(i)}, {"quantidade", i % 50},
        {"preco", i * 0.25 + 0.1}, {"ativo", i % 2 == 0}};
}

TJson Rows(int count)
{
    TJson rows = TJson::array();
    for (int i = 0; i < count; ++i)
        rows.push_back(Row(i));
    return rows;
}

double ThreadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <typename Action> double CpuMsOf(Action action)
{
    const double start = ThreadCpuMs();
    action();
    return ThreadCpuMs() - start;
}

double Median(std::vector<double> samples)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

// The editor as the record screen holds it: on a shown page, its parent record carrying the list.
struct TEditorPage
{
    std::unique_ptr<QWidget> Page = std::make_unique<QWidget>();
    TfrmTabForm *Editor = nullptr;

    TEditorPage()
    {
        Page->resize(900, 600);
        Editor = new TfrmTabForm(Page.get());
        Editor->resize(900, 600);
        Editor->SetFields(TJson::parse(kFields));
        Editor->SetFieldName(QStringLiteral("itens"));
        Editor->setParentRecord([editor = Editor] { return TJson {{"id", 7}, {"itens", editor->Values()}}; });
        Page->show();
        QCoreApplication::processEvents();
    }

    // Novo, fill the pop-up, Gravar: driven from inside the pop-up's own loop, as a user does.
    bool AddThroughPopup(int number)
    {
        const size_t before = Editor->Values().size();
        QDialog *form = Editor->panelEdit->Form();
        QTimer driver;
        driver.setInterval(0);
        QObject::connect(&driver, &QTimer::timeout, form, [&] {
            if (QApplication::activeModalWidget() != form)
                return;
            driver.stop();
            Editor->panelCadastro->findChild<QLineEdit *>(QStringLiteral("descricao"))
                ->setText(QStringLiteral("Novo item %1").arg(number));
            Editor->panelCadastro->findChild<QLineEdit *>(QStringLiteral("quantidade"))->setText(QStringLiteral("3"));
            Editor->btGravar->click();
            if (form->isVisible())
                form->reject();
        });
        driver.start();
        Editor->btNovo->click();
        QCoreApplication::processEvents(); // the grid painted
        return Editor->Values().size() == before + 1;
    }
};

// The limit of one add: the table and a plain view of the same rows, one row more each.
struct TPlainGrid
{
    TRecordTable Table;
    QStandardItemModel Model;
    QTableView View;

    explicit TPlainGrid(const TJson &rows)
    {
        for (const char *name : {"id", "descricao", "quantidade", "preco"})
            Table.FieldDefs().Add(QString::fromLatin1(name), ftString, 100);
        Table.FieldDefs().Add(QStringLiteral("ativo"), ftBoolean);
        Table.CreateDataSet();
        LoadTableFromArray(&Table, &rows);
        Model.setColumnCount(5);
        for (int r = 0; r < Table.RecordCount(); ++r)
            AppendViewRow(r);
        View.setModel(&Model);
        View.resize(900, 574);
        View.show();
        QCoreApplication::processEvents();
    }

    void AppendViewRow(int row)
    {
        QList<QStandardItem *> items;
        for (int c = 0; c < 5; ++c) {
            const TFieldValue &cell = Table.CellAt(row, c);
            items << new QStandardItem(std::holds_alternative<QString>(cell) ? std::get<QString>(cell) : QString());
        }
        Model.appendRow(items);
    }

    void AddOne(int number)
    {
        TJson one = TJson::array();
        one.push_back(Row(number));
        LoadTableFromArray(&Table, &one);
        AppendViewRow(Table.RecordCount() - 1);
        View.selectRow(Model.rowCount() - 1);
        QCoreApplication::processEvents();
    }
};

void Row10(bool quick)
{
    const int listSize = quick ? 100 : 10000;
    const int samples = quick ? 1 : 25;
    const TJson rows = Rows(listSize);
    TEditorPage page;
    page.Editor->SetValues(rows);
    TPlainGrid plain(rows);
    std::vector<double> ours;
    std::vector<double> limit;
    bool ok = true;
    for (int i = 0; i < samples; ++i) {
        ours.push_back(CpuMsOf([&] { ok = page.AddThroughPopup(listSize + i) && ok; }));
        limit.push_back(CpuMsOf([&] { plain.AddOne(listSize + i); }));
    }
    const std::string what = "add one row through the pop-up to a list of " + std::to_string(listSize)
        + " rows vs LoadTableFromArray of one row + one QTableView row";
    const double o = Median(ours);
    const double l = Median(limit);
    bench::PrintRow("10", what, bench::Format("%.2f ms", o), bench::Format("%.2f ms", l),
        bench::Format("%.2fx", l > 0 ? o / l : 0), "<= 16 ms", ok ? bench::Verdict(o <= 16) : "FAIL (row not added)");
}

// Time of count adds from an empty list.
double Adds(int count, bool &ok)
{
    TEditorPage page;
    page.Editor->SetValues(TJson::array());
    return CpuMsOf([&] {
        for (int i = 0; i < count; ++i)
            ok = page.AddThroughPopup(i) && ok;
    });
}

void Row10r(bool quick)
{
    const int small = quick ? 10 : 1000;
    const int samples = quick ? 1 : 3;
    bool ok = true;
    std::vector<double> smallRuns;
    std::vector<double> largeRuns;
    for (int i = 0; i < samples; ++i) {
        smallRuns.push_back(Adds(small, ok));
        largeRuns.push_back(Adds(2 * small, ok));
    }
    const double atSmall = Median(smallRuns);
    const double atLarge = Median(largeRuns);
    const std::string what
        = "adds through the pop-up from an empty list: " + std::to_string(2 * small) + " vs " + std::to_string(small);
    if (!ok) {
        bench::PrintRow("10r", what, "-", "-", "-", "<= 2.10x", "FAIL (row not added)");
        return;
    }
    bench::PrintRatioRow("10r", what, atLarge, atSmall, "%.1f ms", 2.1);
}

void Row11(bool quick)
{
    const int listSize = quick ? 100 : 10000;
    const int samples = quick ? 1 : 9;
    const TJson rows = Rows(listSize);
    TEditorPage page;
    page.Editor->SetValues(rows);
    QCoreApplication::processEvents();
    TPlainGrid plain(TJson::array());
    std::vector<double> ours;
    std::vector<double> limit;
    bool ok = true;
    for (int i = 0; i < samples; ++i) {
        TJson record = {{"id", i}, {"itens", rows}}; // the parsed answer, made outside the timing
        ours.push_back(CpuMsOf([&] {
            page.Editor->SetValues(std::move(record["itens"]));
            QCoreApplication::processEvents(); // the grid painted
        }));
        ok = ok && page.Editor->gridRegistros->model()->rowCount() == listSize;
        limit.push_back(CpuMsOf([&] {
            plain.Table.DisableControls();
            plain.Table.EmptyDataSet();
            LoadTableFromArray(&plain.Table, &rows);
            plain.Table.EnableControls();
        }));
    }
    const std::string what = "record with a " + std::to_string(listSize)
        + "-row list to the grid painted vs LoadTableFromArray of its rows";
    if (!ok) {
        bench::PrintRow("11", what, "-", "-", "-", "<= 2.00x", "FAIL (rows missing)");
        return;
    }
    bench::PrintRatioRow("11", what, Median(ours), Median(limit), "%.2f ms", 2.0);
}

// The offscreen platform says at every pop-up that it cannot raise windows: keep the log readable.
void DropPlatformNotices(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropPlatformNotices);
    QApplication app(argc, argv);
    const bool quick = bench::QuickRun();
    Row10(quick);
    Row11(quick);
    Row10r(quick);
    return 0;
}
