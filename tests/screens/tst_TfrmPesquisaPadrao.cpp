#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "gui/TMessageBox.h"
#include "rest/TRequestPool.h"
#include "gui/TLayoutSettings.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"
#include "tests/support/SaveToGallery.h"
#include "tests/support/TMessageBoxRecorder.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

const char *const Filters = R"([{"tipo":"String","label":"Nome","nome":"nome"},)"
                            R"({"tipo":"Long","label":"Código","nome":"codigo"},)"
                            R"({"tipo":"Long","label":"Cidade","nome":"cidade","resource":"cidades","id":"id","displayField":"nome"}])";
const char *const Columns = R"([{"tipo":"Long","nome":"id","label":"Código"},{"tipo":"String","nome":"nome","label":"Nome"}])";

const QString NotFound = QStringLiteral("Não foi possível contar o registro especificado.");
const QString NoSelection = QStringLiteral("É necessário selecione um registro antes de continuar.");

// A page of the result: rows first..first+count-1 named "<prefix> <id>".
std::string Page(int first, int count, int number, int totalPages, const QString &prefix = QStringLiteral("Cliente"))
{
    QStringList rows;
    for (int id = first; id < first + count; ++id)
        rows << QStringLiteral(R"({"id":%1,"nome":"%2 %1","extra":true})").arg(id).arg(prefix);
    return QStringLiteral(R"({"content":[%1],"totalPages":%2,"number":%3,"size":10})")
        .arg(rows.join(QLatin1Char(',')))
        .arg(totalPages)
        .arg(number)
        .toStdString();
}

template <typename T>
T *Child(const QWidget &window, const char *name)
{
    return window.findChild<T *>(QLatin1String(name));
}

void Click(const QWidget &window, const char *button)
{
    QTest::mouseClick(Child<QPushButton>(window, button), Qt::LeftButton);
}

// Clicks a row; then, as asked, double-clicks it or the empty area below the last row, or presses
// Enter in the active window.
enum class TDoubleClick { None, OnRow, BelowRows, EnterKey };
void ClickRow(QWidget &window, int row, TDoubleClick doubleClick = TDoubleClick::None)
{
    auto *grid = Child<QTableView>(window, "gridPesquisa");
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
    const int lastRow = grid->model()->rowCount() - 1;
    const QPoint below(at.x(), grid->visualRect(grid->model()->index(lastRow, 0)).bottom() + 10);
    QVERIFY(below.y() < grid->viewport()->height());
    if (doubleClick == TDoubleClick::EnterKey) {
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
    } else if (doubleClick != TDoubleClick::None)
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, doubleClick == TDoubleClick::OnRow ? at : below);
}


// Inside a modal window: waits for its columns, searches and waits for rows. A window that
// does not get there is cancelled, so the modal loop always ends.
bool SearchIn(TfrmPesquisaPadrao &window, int rows)
{
    const bool ready = QTest::qWaitFor([&] { return window.cdsPesquisa()->FieldCount() == 2; }, 5000);
    if (ready)
        Click(window, "btPesquisar");
    if (ready && QTest::qWaitFor([&] { return window.cdsPesquisa()->RecordCount() == rows; }, 5000))
        return true;
    window.reject();
    return false;
}

} // namespace

Q_DECLARE_METATYPE(TDoubleClick)

class TestPesquisaPadrao final : public QObject
{
    Q_OBJECT

    TTestServer FServer;
    TMessageBoxRecorder FBoxes;

    std::vector<std::string> Targets() const
    {
        std::vector<std::string> targets;
        for (const TRecordedRequest &request : FServer.Requests())
            targets.push_back(request.Target);
        return targets;
    }

    // Page requests only (the filter and column requests run at the same time, in any order).
    std::vector<std::string> PageTargets() const
    {
        std::vector<std::string> pages;
        for (const std::string &target : Targets())
            if (target.find('?') != std::string::npos)
                pages.push_back(target);
        return pages;
    }

    // A shown window on "clientes" whose filters and columns have arrived.
    std::unique_ptr<TfrmPesquisaPadrao> OpenWindow(const QString &keyFields = {})
    {
        auto window = std::make_unique<TfrmPesquisaPadrao>();
        window->SetPath(QStringLiteral("clientes"));
        if (!keyFields.isEmpty())
            window->SetKeyFields(keyFields);
        window->show();
        [&] {
            QTRY_COMPARE(window->cdsPesquisa()->FieldCount(), 2);
            QTRY_VERIFY(Child<QLineEdit>(*window, "cidade"));
        }();
        return window;
    }

    void ScriptPages()
    {
        FServer.Script("GET", "/clientes?size=10&page=0", {200, Page(1, 10, 0, 3)});
        FServer.Script("GET", "/clientes?size=10&page=1", {200, Page(11, 10, 1, 3)});
        FServer.Script("GET", "/clientes?size=10&page=2", {200, Page(21, 5, 2, 3)});
    }

private slots:
    void initTestCase()
    {
        FServer.InstallAsSystemConfig();
    }

    void init()
    {
        QFile::remove(TLayoutSettings::FileName()); // each test starts from the window's own layout
        FServer.ClearRequests();
        FBoxes.clear();
        FServer.Script("GET", "/clientes/filtros", {200, Filters});
        FServer.Script("GET", "/clientes/campos/pesquisa", {200, Columns});
    }

    void createdWindowIsEmpty()
    {
        TfrmPesquisaPadrao window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Pesquisa"));
        QCOMPARE(window.KeyFields(), QStringList{QStringLiteral("id")});
        QCOMPARE(Child<QLabel>(window, "lblPagina")->text(), QStringLiteral("Página 1/1"));
        QVERIFY(Child<QLineEdit>(window, "edtPagina")->text().isEmpty());
        QCOMPARE(window.Pagina(), 0);
        QCOMPARE(window.Paginas(), 0);
        QVERIFY(FServer.Requests().empty());
    }

    void buildsFiltersColumnsAndKeys()
    {
        auto window = OpenWindow();
        const QStringList requested{QString::fromStdString(FServer.Requests().at(0).Target),
                                    QString::fromStdString(FServer.Requests().at(1).Target)};
        QVERIFY(requested.contains(QStringLiteral("/clientes/filtros")));
        QVERIFY(requested.contains(QStringLiteral("/clientes/campos/pesquisa")));

        // Filter inputs: free text, digits only, lookup.
        auto *nome = Child<QLineEdit>(*window, "nome");
        auto *codigo = Child<QLineEdit>(*window, "codigo");
        auto *cidade = Child<TLXSearchEdit>(*window, "cidade");
        QVERIFY(nome && codigo && cidade);
        QVERIFY(!qobject_cast<TLXSearchEdit *>(nome));
        QTest::keyClicks(nome, QStringLiteral("Ana 1"));
        QTest::keyClicks(codigo, QStringLiteral("a1-2b"));
        QCOMPARE(nome->text(), QStringLiteral("Ana 1"));
        QCOMPARE(codigo->text(), QStringLiteral("12"));
        QCOMPARE(cidade->Config()->KeyField(), QStringLiteral("id"));
        QCOMPARE(cidade->Config()->DisplayField(), QStringLiteral("nome"));
        QCOMPARE(cidade->Config()->Resource(), QStringLiteral("cidades"));
        const auto *caption = nome->parentWidget()->findChild<QLabel *>();
        QCOMPARE(caption->text(), QStringLiteral("Nome:"));

        // Columns: types, titles and the key field.
        TRecordTable *table = window->cdsPesquisa();
        QCOMPARE(table->Fields(0)->FieldName(), QStringLiteral("id"));
        QCOMPARE(table->Fields(0)->DataType(), ftInteger);
        QCOMPARE(table->Fields(0)->DisplayLabel(), QStringLiteral("Código"));
        QCOMPARE(table->Fields(0)->ProviderFlags(), TProviderFlags(pfInKey));
        QCOMPARE(table->Fields(1)->DataType(), ftString);
        QCOMPARE(table->Fields(1)->DisplayLabel(), QStringLiteral("Nome"));
        QVERIFY(!table->Fields(1)->ProviderFlags().testFlag(pfInKey));
        const auto *grid = Child<QTableView>(*window, "gridPesquisa");
        QCOMPARE(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome"));

        // The filter area follows its last cell.
        const QWidget *last = cidade->parentWidget();
        QTRY_COMPARE(Child<QWidget>(*window, "panelFiltersOwner")->height(), last->y() + last->height() + 15);
    }

    void filterSpansFollowTheExactTipo_data()
    {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("lookup");
        QTest::addColumn<QList<int>>("spans");
        QTest::addColumn<bool>("digitsOnly");
        QTest::newRow("String") << "String" << "" << QList<int>{24, 12, 8, 6} << false;
        QTest::newRow("string") << "string" << "" << QList<int>{24, 6, 6, 4} << true;
        QTest::newRow("Long") << "Long" << "" << QList<int>{24, 6, 6, 4} << true;
        // A lookup shows a description, not a number: it is as wide as a text filter.
        QTest::newRow("Long lookup") << "Long" << R"(,"resource":"cidades","id":"id","displayField":"nome")"
                                     << QList<int>{24, 12, 8, 6} << false;
    }

    void filterSpansFollowTheExactTipo()
    {
        QFETCH(QString, tipo);
        QFETCH(QString, lookup);
        QFETCH(QList<int>, spans);
        QFETCH(bool, digitsOnly);
        const QString filters = QStringLiteral(R"([{"tipo":"%1","label":"F","nome":"f"%2}])").arg(tipo, lookup);
        FServer.Script("GET", "/tipos/filtros", {200, filters.toStdString()});
        TfrmPesquisaPadrao window;
        window.SetPath(QStringLiteral("tipos"));
        QTRY_VERIFY(Child<QLineEdit>(window, "f"));
        auto *edit = Child<QLineEdit>(window, "f");
        const TLXColumnConfig *config = qobject_cast<TLXColumnPanel *>(edit->parentWidget())->Config();
        QCOMPARE((QList<int>{config->Small(), config->Medium(), config->Large(), config->ExtraLarge()}), spans);
        QTest::keyClicks(edit, QStringLiteral("x7"));
        QCOMPARE(edit->text(), digitsOnly ? QStringLiteral("7") : QStringLiteral("x7"));
    }

    void badDescriptorsStopTheBuild()
    {
        // The second filter lacks "nome": the first stays, the third is not built.
        FServer.Script("GET", "/ruim/filtros", {200, R"([{"tipo":"String","label":"A","nome":"a"},)"
                                                    R"({"tipo":"String","label":"B"},)"
                                                    R"({"tipo":"String","label":"C","nome":"c"}])"});
        FServer.Script("GET", "/ruim/campos/pesquisa", {200, R"([{"tipo":"long","nome":"id","label":"Id"},{"tipo":"string"}])"});
        TfrmPesquisaPadrao window;
        window.SetPath(QStringLiteral("ruim"));
        QTRY_VERIFY(Child<QLineEdit>(window, "a"));
        QTRY_COMPARE(FServer.RequestCount(), size_t(2));
        QTest::qWait(100);
        QVERIFY(!Child<QLineEdit>(window, "c"));
        QCOMPARE(Child<TLXColumnPanel>(window, "panelFiltros")->findChildren<TLXColumnPanel *>().size(), 1);
        QVERIFY(!window.cdsPesquisa()->Active());
        QVERIFY(FBoxes.isEmpty());
    }

    void filterQueryIsEncodedInChildOrder_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QString>("codigo");
        QTest::addColumn<QString>("cidade");
        QTest::addColumn<QString>("target");
        QTest::newRow("none") << "" << "" << "" << "/clientes?size=10&page=0";
        QTest::newRow("leading zeros") << "" << "0070" << "" << "/clientes?size=10&page=0&codigo=70";
        QTest::newRow("only zeros") << "" << "000" << "" << "/clientes?size=10&page=0&codigo=0";
        QTest::newRow("long number kept whole") << "" << "12345678901234567890" << ""
                                                << "/clientes?size=10&page=0&codigo=12345678901234567890";
        QTest::newRow("blank, ampersand, equals") << "Ana & Cia=1" << "" << ""
                                                  << "/clientes?size=10&page=0&nome=Ana%20%26%20Cia%3D1";
        QTest::newRow("accents as UTF-8") << "João" << "" << "" << "/clientes?size=10&page=0&nome=Jo%C3%A3o";
        QTest::newRow("all three in order") << "ana" << "5" << "9" << "/clientes?size=10&page=0&nome=ana&codigo=5&cidade=9";
    }

    void filterQueryIsEncodedInChildOrder()
    {
        QFETCH(QString, nome);
        QFETCH(QString, codigo);
        QFETCH(QString, cidade);
        QFETCH(QString, target);
        FServer.Script("GET", "/clientes", {200, Page(1, 1, 0, 1)});
        auto window = OpenWindow();
        Child<QLineEdit>(*window, "nome")->insert(nome); // typed text, accents included
        QTest::keyClicks(Child<QLineEdit>(*window, "codigo"), codigo);
        Child<TLXSearchEdit>(*window, "cidade")->setKeyValue(cidade);
        Click(*window, "btPesquisar");
        QTRY_COMPARE(PageTargets().size(), size_t(1));
        QCOMPARE(QString::fromStdString(PageTargets().front()), target);
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 1);
    }

    void pagingWalkOverTwentyFiveRecords()
    {
        ScriptPages();
        auto window = OpenWindow();
        const auto *label = Child<QLabel>(*window, "lblPagina");
        auto *box = Child<QLineEdit>(*window, "edtPagina");
        TRecordTable *table = window->cdsPesquisa();

        Click(*window, "btPesquisar");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 1/3"));
        QCOMPARE(box->text(), QStringLiteral("1"));
        QCOMPARE(table->RecordCount(), 10);
        SaveToGallery(*window, QStringLiteral("TfrmPesquisaPadrao"));
        Click(*window, "Button1"); // "<" on the first page
        Click(*window, "Button2"); // "<<" on the first page
        Click(*window, "Button4");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 2/3"));
        Click(*window, "Button4");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 3/3"));
        QCOMPARE(table->RecordCount(), 5);
        QCOMPARE(window->Pagina(), 2);
        Click(*window, "Button4"); // ">" on the last page
        Click(*window, "Button3"); // ">>" on the last page
        Click(*window, "Button2");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 1/3"));
        Click(*window, "Button3");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 3/3"));
        Click(*window, "Button1");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 2/3"));

        // Enter in the page box: 4 and 0 are no pages, 3 is.
        for (const char *typed : {"4", "0", "3"}) {
            box->clear();
            QTest::keyClicks(box, QLatin1String(typed));
            QTest::keyClick(box, Qt::Key_Return);
        }
        QTRY_COMPARE(label->text(), QStringLiteral("Página 3/3"));
        QVERIFY(window->isVisible());

        const std::vector<std::string> expected{"/clientes?size=10&page=0", "/clientes?size=10&page=1",
                                                "/clientes?size=10&page=2", "/clientes?size=10&page=0",
                                                "/clientes?size=10&page=2", "/clientes?size=10&page=1",
                                                "/clientes?size=10&page=2"};
        QCOMPARE(PageTargets(), expected);
        QVERIFY(FBoxes.isEmpty());
    }

    // A click on a column title orders the result on the server: ascending, descending, then
    // unordered; another column starts ascending; the pages that follow keep the order, and the
    // title shows it. Before any search a click only chooses the order the search will ask.
    void columnTitlesOrderThePages_data()
    {
        QTest::addColumn<QStringList>("clicks"); // column titles clicked in turn; ">" the next page
        QTest::addColumn<QStringList>("pages");  // the page requests' queries after "size=10&page=N"
        QTest::addColumn<int>("indicator");      // the section showing the order, -1 none
        QTest::addColumn<Qt::SortOrder>("order");
        QTest::newRow("once") << QStringList {"1"} << QStringList {"&sort=nome,asc"} << 1 << Qt::AscendingOrder;
        QTest::newRow("twice") << QStringList {"1", "1"} << QStringList {"&sort=nome,asc", "&sort=nome,desc"} << 1
                               << Qt::DescendingOrder;
        QTest::newRow("three times") << QStringList {"1", "1", "1"}
                                     << QStringList {"&sort=nome,asc", "&sort=nome,desc", ""} << -1
                                     << Qt::AscendingOrder;
        QTest::newRow("another column") << QStringList {"1", "1", "0"}
                                        << QStringList {"&sort=nome,asc", "&sort=nome,desc", "&sort=id,asc"} << 0
                                        << Qt::AscendingOrder;
        QTest::newRow("next page keeps it") << QStringList {"1", "1", ">"}
                                            << QStringList {"&sort=nome,asc", "&sort=nome,desc", "&sort=nome,desc"}
                                            << 1 << Qt::DescendingOrder;
    }

    void columnTitlesOrderThePages()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QStringList, pages);
        QFETCH(int, indicator);
        QFETCH(Qt::SortOrder, order);
        // Each order and page answers rows named after them, so the test sees which one is shown.
        const auto rowsOf = [](const QString &sort, int page) { return QStringLiteral("%1 p%2").arg(sort).arg(page); };
        for (const QString &sort : {QString(), QStringLiteral("&sort=nome,asc"), QStringLiteral("&sort=nome,desc"),
                                    QStringLiteral("&sort=id,asc")})
            for (int page : {0, 1})
                FServer.Script("GET", QStringLiteral("/clientes?size=10&page=%1%2").arg(page).arg(sort).toStdString(),
                               {200, Page(1 + 10 * page, 10, page, 2, rowsOf(sort, page))});
        auto window = OpenWindow();
        TRecordTable *table = window->cdsPesquisa();
        const auto shows = [&](const QString &sort, int page) {
            return QTest::qWaitFor([&] {
                const TField *nome = table->FindField(QStringLiteral("nome"));
                return nome && nome->AsString().startsWith(rowsOf(sort, page) + QLatin1Char(' '));
            }, 5000);
        };
        QHeaderView *titles = Child<QTableView>(*window, "gridPesquisa")->horizontalHeader();
        const auto clickTitle = [&](int section) {
            const QPoint at(titles->sectionViewportPosition(section) + titles->sectionSize(section) / 2,
                            titles->height() / 2);
            QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
        };

        // Before any search a click asks for nothing; three clicks leave the pages unordered.
        for (int i = 0; i < 3; ++i)
            clickTitle(1);
        QVERIFY(PageTargets().empty());
        Click(*window, "btPesquisar");
        QVERIFY(shows(QString(), 0));

        for (int i = 0; i < clicks.size(); ++i) {
            const bool nextPage = clicks[i] == QLatin1String(">");
            if (nextPage)
                Click(*window, "Button4");
            else
                clickTitle(clicks[i].toInt());
            QVERIFY2(shows(pages[i], nextPage ? 1 : 0), qPrintable(clicks[i]));
        }
        QStringList asked;
        const auto targets = PageTargets();
        for (size_t i = 1; i < targets.size(); ++i)
            asked << QString::fromStdString(targets[i]).remove(QRegularExpression(QStringLiteral("^/clientes\\?size=10&page=\\d")));
        QCOMPARE(asked, pages);
        QCOMPARE(titles->sortIndicatorSection(), indicator);
        if (indicator >= 0)
            QCOMPARE(titles->sortIndicatorOrder(), order);
        QVERIFY(FBoxes.isEmpty());
    }

    // The keyboard alone: Enter in a filter box searches with what it holds, Esc closes the window
    // as "Cancelar" does.
    void enterSearchesAndEscapeCancels()
    {
        FServer.Script("GET", "/clientes?size=10&page=0&nome=Ana", {200, Page(1, 3, 0, 1)});
        auto window = OpenWindow();
        auto *nome = Child<QLineEdit>(*window, "nome");
        QTest::keyClicks(nome, QStringLiteral("Ana"));
        QTest::keyClick(nome, Qt::Key_Return);
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 3);
        QCOMPARE(PageTargets(), std::vector<std::string> {"/clientes?size=10&page=0&nome=Ana"});

        QTest::keyClick(nome, Qt::Key_Escape);
        QVERIFY(!window->isVisible());
        QCOMPARE(window->result(), int(QDialog::Rejected));
        QVERIFY(window->Selected().isEmpty());
        QVERIFY(FBoxes.isEmpty());
    }

    // The window's size and the column widths the user chose come back with the next window of
    // the same resource, and stay when a page arrives; a damaged file gives the window's own layout.
    void keepsItsSizeAndColumns_data()
    {
        QTest::addColumn<bool>("damaged");
        QTest::newRow("kept") << false;
        QTest::newRow("damaged file") << true;
    }

    void keepsItsSizeAndColumns()
    {
        QFETCH(bool, damaged);
        FServer.Script("GET", "/clientes?size=10&page=0", {200, Page(1, 10, 0, 1, QStringLiteral("Um nome bem mais longo que a coluna"))});
        {
            auto window = OpenWindow();
            window->resize(700, 400);
            Child<QTableView>(*window, "gridPesquisa")->horizontalHeader()->resizeSection(1, 60); // a user's drag
            window->reject();
        }
        if (damaged) {
            QFile file(TLayoutSettings::FileName());
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("[pesquisa\n\x01\xff=\n");
        }
        auto window = OpenWindow();
        Click(*window, "btPesquisar");
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 10);
        const QHeaderView *titles = Child<QTableView>(*window, "gridPesquisa")->horizontalHeader();
        QCOMPARE(window->size(), damaged ? QSize(830, 468) : QSize(700, 400));
        if (damaged)
            QVERIFY(titles->sectionSize(1) > 60);
        else
            QCOMPARE(titles->sectionSize(1), 60);
    }

    void emptyResultLoadsNoOtherPage()
    {
        FServer.Script("GET", "/clientes?size=10&page=0", {200, R"({"content":[],"totalPages":0,"number":0})"});
        auto window = OpenWindow();
        Click(*window, "btPesquisar");
        QTRY_COMPARE(Child<QLabel>(*window, "lblPagina")->text(), QStringLiteral("Página 1/0"));
        for (const char *button : {"Button1", "Button2", "Button3", "Button4"})
            Click(*window, button);
        QTest::keyClick(Child<QLineEdit>(*window, "edtPagina"), Qt::Key_Return);
        Click(*window, "btSelecionar");
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, NoSelection);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Information);
        Click(*window, "btPesquisar");
        QTRY_COMPARE(PageTargets().size(), size_t(2));
        QCOMPARE(PageTargets()[1], std::string("/clientes?size=10&page=0"));
        QVERIFY(window->isVisible());
    }

    void emptyPageBoxReportsAndLoadsNothing()
    {
        auto window = OpenWindow();
        Click(*window, "Button4");
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QVERIFY(FBoxes[0].Text.contains(QStringLiteral("not a valid integer")));
        QCOMPARE(PageTargets().size(), size_t(0));
    }

    // A search that fails empties the grid: the rows of the earlier search would pass for its
    // result. A 400 shows every message for the user it carries; no answer says which server did
    // not answer; other failures show nothing. The window searches again afterwards.
    void failedSearchEmptiesTheGrid_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("drop");
        QTest::addColumn<QString>("box"); // %1: the server; empty: no box
        QTest::newRow("500") << 500 << R"({"content":[]})" << false << "";
        QTest::newRow("not JSON") << 200 << "<html>" << false << "";
        QTest::newRow("an array") << 200 << "[]" << false << "";
        QTest::newRow("400 with messages")
            << 400 << R"([{"mensagemUsuario":"Filtro inválido"},{"mensagemUsuario":"Data fora do período"}])" << false
            << "Filtro inválido\nData fora do período";
        QTest::newRow("400 without messages") << 400 << "{}" << false << "";
        QTest::newRow("no answer") << 200 << Page(11, 10, 1, 3).c_str() << true
                                   << "O servidor (%1) não enviou uma resposta completa.";
    }

    void failedSearchEmptiesTheGrid()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(bool, drop);
        QFETCH(QString, box);
        FServer.Script("GET", "/clientes?size=10&page=0", {200, Page(1, 10, 0, 3)});
        FServer.Script("GET", "/clientes?size=10&page=1", {status, body.toStdString(), "application/json", 0, drop});
        auto window = OpenWindow();
        const auto *label = Child<QLabel>(*window, "lblPagina");
        Click(*window, "btPesquisar");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 1/3"));
        Click(*window, "Button4"); // the failing answer
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 0);
        QCOMPARE(label->text(), QStringLiteral("Página 1/0"));
        QCOMPARE(FBoxes.size(), box.isEmpty() ? 0 : 1);
        if (!box.isEmpty()) {
            QCOMPARE(FBoxes[0].Text, QString(box).replace(QStringLiteral("%1"), FServer.BaseUrl()));
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        }
        Click(*window, "btPesquisar");
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 10);
    }

    // With the server down the window says so, once for its set-up and again for each search,
    // instead of opening blank.
    void serverDownIsSaidInPortuguese()
    {
        const QString down = [] {
            TTestServer gone;
            gone.InstallAsSystemConfig();
            return gone.BaseUrl();
        }(); // nothing listens there any more
        const auto restore = qScopeGuard([this] { FServer.InstallAsSystemConfig(); });
        const QString said
            = QStringLiteral("Não foi possível conectar ao servidor (%1). Verifique se ele está em execução.").arg(down);
        TfrmPesquisaPadrao window;
        window.show();
        window.SetPath(QStringLiteral("clientes"));
        QTRY_COMPARE(FBoxes.size(), 1);
        QTest::qWait(100);
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, said);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        Click(window, "btPesquisar");
        QTRY_COMPARE(FBoxes.size(), 2);
        QCOMPARE(FBoxes[1].Text, said);
    }

    // The window opens to be typed in: the focus is in the first filter, and Tab walks the
    // filters before the grid and the buttons.
    void filtersTakeTheFocusFirst()
    {
        auto window = OpenWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTRY_COMPARE(QApplication::focusWidget(), Child<QLineEdit>(*window, "nome"));
        QStringList walked;
        for (int i = 0; i < 4; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked, (QStringList{"codigo", "cidade", "gridPesquisa", "Button2"}));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("gridPesquisa"));
    }

    // A page asked for later replaces one still on its way: the earlier, slower answer is dropped.
    void laterPageReplacesOneStillOnItsWay()
    {
        FServer.Script("GET", "/clientes?size=10&page=0", {200, Page(1, 10, 0, 3)});
        FServer.Script("GET", "/clientes?size=10&page=1", {200, Page(11, 10, 1, 3), "application/json", 400});
        FServer.Script("GET", "/clientes?size=10&page=2", {200, Page(21, 5, 2, 3)});
        auto window = OpenWindow();
        const auto *label = Child<QLabel>(*window, "lblPagina");
        Click(*window, "btPesquisar");
        QTRY_COMPARE(label->text(), QStringLiteral("Página 1/3"));
        Click(*window, "Button4"); // the next page, slow
        Click(*window, "Button3"); // the last page, at once
        QTRY_COMPARE(label->text(), QStringLiteral("Página 3/3"));
        QTRY_COMPARE_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount(), 0, 20000); // the slow answer came meanwhile
        QCOMPARE(PageTargets().size(), size_t(3));
        QCOMPARE(label->text(), QStringLiteral("Página 3/3"));
        QCOMPARE(window->cdsPesquisa()->RecordCount(), 5);
    }

    // Filters and columns both missing are one notice (one fault, one action); a search that finds
    // no page is another.
    void notFoundNoticesHaveAnEmptyTitle()
    {
        FServer.Script("GET", "/sumiu/filtros", {404, R"({"mensagem":"não há"})"});
        FServer.Script("GET", "/sumiu/campos/pesquisa", {404, ""});
        FServer.Script("GET", "/sumiu", {404, ""});
        TfrmPesquisaPadrao window;
        window.show();
        window.SetPath(QStringLiteral("sumiu"));
        QVERIFY(FServer.WaitForRequests(2, 5000));
        QTRY_COMPARE(FBoxes.size(), 1);
        QTest::qWait(50);
        QCOMPARE(FBoxes.size(), 1);
        window.LoadPage(0);
        QTRY_COMPARE(FBoxes.size(), 2);
        for (const TMessageBoxCall &box : std::as_const(FBoxes)) {
            QCOMPARE(box.Text, NotFound);
            QCOMPARE(box.Kind, TMessageKind::Error);
            QVERIFY(box.Title.isEmpty());
        }
    }

    void searchWithoutPathAsksForOne()
    {
        TfrmPesquisaPadrao window;
        window.show();
        Click(window, "btPesquisar");
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Nenhuma url foi definada para essa pesquisa"));
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QVERIFY(FServer.Requests().empty());
    }

    void pageBeforeColumnsShowsNothing()
    {
        FServer.Script("GET", "/lento/campos/pesquisa", {200, Columns, "application/json", 600});
        FServer.Script("GET", "/lento?size=10&page=0", {200, Page(1, 10, 0, 3)});
        TfrmPesquisaPadrao window;
        window.SetPath(QStringLiteral("lento"));
        window.show();
        Click(window, "btPesquisar");
        QTRY_COMPARE(window.cdsPesquisa()->FieldCount(), 2);
        QCOMPARE(window.cdsPesquisa()->RecordCount(), 0);
        QCOMPARE(Child<QLabel>(window, "lblPagina")->text(), QStringLiteral("Página 1/1"));
    }

    void windowReleasedBeforeItsAnswersIsLeftAlone()
    {
        FServer.Script("GET", "/tarde/filtros", {200, Filters, "application/json", 300});
        FServer.Script("GET", "/tarde/campos/pesquisa", {404, "", "application/json", 300});
        auto window = std::make_unique<TfrmPesquisaPadrao>();
        window->SetPath(QStringLiteral("tarde"));
        QVERIFY(FServer.WaitForRequests(2, 5000));
        window.reset();
        QTest::qWait(600);
        QVERIFY(FBoxes.isEmpty());
    }

    void selectingReturnsTheKeyOfTheChosenRow_data()
    {
        QTest::addColumn<QString>("keyFields");
        QTest::addColumn<TDoubleClick>("doubleClick");
        QTest::addColumn<QString>("selected");
        QTest::newRow("default id") << "" << TDoubleClick::None << "3";
        QTest::newRow("double-click") << "" << TDoubleClick::OnRow << "3";
        QTest::newRow("double-click below the rows") << "" << TDoubleClick::BelowRows << "3";
        QTest::newRow("Enter on the row") << "" << TDoubleClick::EnterKey << "3";
        QTest::newRow("lookup key field") << "nome" << TDoubleClick::None << "Cliente 3";
        QTest::newRow("field order wins") << "codigo\nnome\nid" << TDoubleClick::None << "3";
    }

    void selectingReturnsTheKeyOfTheChosenRow()
    {
        QFETCH(QString, keyFields);
        QFETCH(TDoubleClick, doubleClick);
        QFETCH(QString, selected);
        ScriptPages();
        auto window = OpenWindow(keyFields);
        QSignalSpy finished(window.get(), &QDialog::finished);
        Click(*window, "btPesquisar");
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 10);
        window->resize(830, 468);
        ClickRow(*window, 2, doubleClick);
        if (doubleClick == TDoubleClick::None)
            Click(*window, "btSelecionar");
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished[0][0].toInt(), int(TfrmPesquisaPadrao::mrOk));
        QCOMPARE(window->Selected(), selected);
        QCOMPARE(window->cdsPesquisa()->RecNo(), 3);
        QVERIFY(FBoxes.isEmpty());
    }

    // One line per row, whole values and titles, buttons as wide as their captions; a column the
    // user widened keeps its width on the next page.
    void resultGridFitsWhatItShows()
    {
        const QString longName = QStringLiteral("Feijão carioca 1 kg"); // 20 characters: shown whole
        FServer.Script("GET", "/clientes?size=10&page=0",
            {200, QStringLiteral(R"({"content":[{"id":1,"nome":"%1"},{"id":123456,"nome":"Ana"}],)"
                                 R"("totalPages":2,"number":0})").arg(longName).toStdString()});
        FServer.Script("GET", "/clientes?size=10&page=1", {200, Page(11, 1, 1, 2)});
        auto window = OpenWindow();
        window->resize(830, 468);
        Click(*window, "btPesquisar");
        QTRY_COMPARE(window->cdsPesquisa()->RecordCount(), 2);
        auto *grid = Child<QTableView>(*window, "gridPesquisa");
        const QFontMetrics metrics(grid->font());
        QVERIFY(grid->columnWidth(1) > metrics.horizontalAdvance(longName));
        QVERIFY(grid->columnWidth(0) > metrics.horizontalAdvance(QStringLiteral("123456")));
        QVERIFY(grid->columnWidth(0) < grid->columnWidth(1)); // from the content, not one default
        QVERIFY(grid->rowHeight(0) < 2 * metrics.lineSpacing());
        QVERIFY(!grid->wordWrap());
        for (const char *name : {"btPesquisar", "btSelecionar", "btCancelar"}) {
            const auto *button = Child<QPushButton>(*window, name);
            QVERIFY2(button->width() >= button->sizeHint().width(), name);
        }

        grid->setColumnWidth(1, 300);
        Click(*window, "Button4");
        QTRY_COMPARE(window->Pagina(), 1);
        QCOMPARE(grid->columnWidth(1), 300);
    }

    void selectingWithoutKeyColumnKeepsTheWindowOpen()
    {
        FServer.Script("GET", "/semid/filtros", {200, "[]"});
        FServer.Script("GET", "/semid/campos/pesquisa", {200, R"([{"tipo":"string","nome":"nome","label":"Nome"}])"});
        FServer.Script("GET", "/semid?size=10&page=0", {200, Page(1, 2, 0, 1)});
        TfrmPesquisaPadrao window;
        window.SetPath(QStringLiteral("semid"));
        window.show();
        QTRY_COMPARE(window.cdsPesquisa()->FieldCount(), 1);
        Click(window, "btPesquisar");
        QTRY_COMPARE(window.cdsPesquisa()->RecordCount(), 2);
        ClickRow(window, 1);
        Click(window, "btSelecionar");
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, NoSelection);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Information);
        QVERIFY(window.isVisible());
        QVERIFY(window.Selected().isEmpty());
    }

    void modalWindowChoosesARowOrCancels_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("Selecionar") << true;
        QTest::newRow("Cancelar") << false;
    }

    void modalWindowChoosesARowOrCancels()
    {
        QFETCH(bool, choose);
        ScriptPages();
        TfrmPesquisaPadrao window;
        window.SetPath(QStringLiteral("clientes"));
        bool driven = false;
        QTimer::singleShot(0, this, [&] {
            auto *modal = qobject_cast<TfrmPesquisaPadrao *>(QApplication::activeModalWidget());
            if (!modal)
                return;
            if (!SearchIn(*modal, 10))
                return;
            ClickRow(*modal, 4);
            driven = true;
            Click(*modal, choose ? "btSelecionar" : "btCancelar");
        });
        const int result = window.ShowModal();
        QVERIFY(driven);
        QCOMPARE(result, choose ? int(TfrmPesquisaPadrao::mrOk) : int(TfrmPesquisaPadrao::mrCancel));
        QCOMPARE(window.Selected(), choose ? QStringLiteral("5") : QString());
        QCOMPARE(window.cdsPesquisa()->FieldByName(QStringLiteral("nome"))->AsString(), QStringLiteral("Cliente 5"));
    }

    void lookupFilterTakesKeyAndDisplayFromASecondWindow()
    {
        FServer.Script("GET", "/cidades/filtros", {200, "[]"});
        FServer.Script("GET", "/cidades/campos/pesquisa", {200, Columns});
        FServer.Script("GET", "/cidades?size=10&page=0", {200, Page(40, 3, 0, 1, QStringLiteral("Cidade"))});
        FServer.Script("GET", "/clientes", {200, Page(1, 1, 0, 1)});
        auto window = OpenWindow();
        auto *cidade = Child<TLXSearchEdit>(*window, "cidade");
        QString lookupPath;
        QTimer::singleShot(0, this, [&] {
            auto *lookup = qobject_cast<TfrmPesquisaPadrao *>(QApplication::activeModalWidget());
            if (!lookup)
                return;
            lookupPath = lookup->Path();
            if (!SearchIn(*lookup, 3))
                return;
            ClickRow(*lookup, 1);
            Click(*lookup, "btSelecionar");
        });
        cidade->RightButton()->trigger();
        QCOMPARE(lookupPath, QStringLiteral("cidades"));
        QCOMPARE(cidade->KeyValue(), QStringLiteral("41"));
        QCOMPARE(cidade->DisplayValue(), QStringLiteral("Cidade 41"));

        // The chosen key is what the search then sends for the lookup filter.
        Click(*window, "btPesquisar");
        QTRY_COMPARE(PageTargets().size(), size_t(2));
        QCOMPARE(PageTargets().back(), std::string("/clientes?size=10&page=0&cidade=41"));

        // A key typed over it takes its own description; the old one goes at once.
        FServer.Script("GET", "/cidades/42", {200, R"({"id": 42, "nome": "Cidade 42"})"});
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        cidade->setFocus();
        QTRY_VERIFY(cidade->hasFocus());
        QTest::keyClick(cidade, Qt::Key_Backspace); // the key is shown selected
        QTest::keyClicks(cidade, QStringLiteral("42"));
        Child<QLineEdit>(*window, "nome")->setFocus();
        QTRY_VERIFY(!cidade->hasFocus());
        QCOMPARE(cidade->KeyValue(), QStringLiteral("42"));
        QVERIFY(cidade->DisplayValue() != QStringLiteral("Cidade 41"));
        QTRY_COMPARE(cidade->DisplayValue(), QStringLiteral("Cidade 42"));
    }
};

QTEST_MAIN(TestPesquisaPadrao)
#include "tst_TfrmPesquisaPadrao.moc"
