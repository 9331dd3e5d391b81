#include "config/TSystemConfig.h"
#include "gui/TIcons.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "convert/TRecordTableModel.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "rest/TRequestPool.h"
#include "screens/TfrmCadastroPadrao.h"
#include "screens/TfrmTabForm.h"
#include "tests/server/LoopbackServer.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXPanelForm.h"
#include "tests/support/SaveToGallery.h"
#include "tests/support/TMessageBoxRecorder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <memory>

using namespace std::string_literals;

namespace {

TJson Json(const char *text) { return TJson::parse(text); }

// Items of an order: a hidden id, a required description, a quantity, a flag, a date and a
// delivery group with a required street.
const char *const kItemFields = R"([
  {"nome": "id", "label": "Código", "tipo": "long", "idField": true},
  {"nome": "descricao", "label": "Descrição", "tipo": "string", "requerido": true},
  {"nome": "quantidade", "label": "Quantidade", "tipo": "long"},
  {"nome": "ativo", "label": "Ativo", "tipo": "boolean"},
  {"nome": "entrega", "label": "Entrega", "tipo": "object", "fields": [
    {"nome": "rua", "label": "Rua", "tipo": "string", "requerido": true},
    {"nome": "numero", "label": "Número", "tipo": "string"}
  ]}
])";

const char *const kThreeItems = R"([
  {"id": 1, "descricao": "Caneta", "quantidade": 10, "ativo": true, "entrega": {"rua": "Rua A", "numero": "1"}},
  {"id": 2, "descricao": "Lápis", "quantidade": "20", "ativo": false, "extra": "sem controle",
   "entrega": {"rua": "Rua B"}},
  {"id": 3, "descricao": "Borracha", "quantidade": 30, "ativo": true, "entrega": {"rua": "Rua C"}}
])";

constexpr int kLongList = 1000;

// Rows of kItemFields, as a record's answer brings them.
TJson LongList(int count)
{
    TJson rows = TJson::array();
    for (int i = 0; i < count; ++i)
        rows.push_back({{"id", i + 1}, {"descricao", "Item " + std::to_string(i)}, {"quantidade", i},
            {"ativo", i % 2 == 0}, {"entrega", {{"rua", "Rua " + std::to_string(i)}}}});
    return rows;
}

QStringList Titles(const TfrmTabForm &editor)
{
    QStringList titles;
    for (int c = 0; c < editor.dsRegistros->columnCount(); ++c)
        titles << editor.dsRegistros->headerData(c, Qt::Horizontal).toString();
    return titles;
}

QString Cell(const TfrmTabForm &editor, int row, int column)
{
    return editor.dsRegistros->data(editor.dsRegistros->index(row, column)).toString();
}

QStringList Column(const TfrmTabForm &editor, int column)
{
    QStringList cells;
    for (int r = 0; r < editor.dsRegistros->rowCount(); ++r)
        cells << Cell(editor, r, column);
    return cells;
}

// Every cell of the grid, line by line.
QList<QStringList> GridText(const TfrmTabForm &editor)
{
    QList<QStringList> lines;
    for (int r = 0; r < editor.dsRegistros->rowCount(); ++r) {
        QStringList line;
        for (int c = 0; c < editor.dsRegistros->columnCount(); ++c)
            line << Cell(editor, r, c);
        lines << line;
    }
    return lines;
}

template <typename T>
T *Control(const TfrmTabForm &editor, const char *name)
{
    return editor.panelCadastro->findChild<T *>(QString::fromLatin1(name));
}

void SetText(const TfrmTabForm &editor, const char *name, const QString &text)
{
    auto *edit = Control<QLineEdit>(editor, name);
    QVERIFY2(edit, name);
    edit->setText(text);
}

// Runs action once the editor's pop-up is the modal window, from inside the loop ShowModal runs;
// whatever the action leaves open is then cancelled, so a test never waits on the pop-up.
// Returns the flag that tells whether the pop-up opened.
std::shared_ptr<bool> WhenPopupOpens(TfrmTabForm &editor, std::function<void(QDialog &)> action)
{
    auto opened = std::make_shared<bool>(false);
    const QPointer<QDialog> form = editor.panelEdit->Form();
    // Owned by the application, so that an action may destroy the editor with its pop-up.
    auto *timer = new QTimer(qApp);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, form, [timer, form, opened, action = std::move(action)] {
        if (!form || QApplication::activeModalWidget() != form)
            return;
        timer->stop();
        timer->deleteLater();
        *opened = true;
        action(*form);
        if (form && form->isVisible())
            form->reject();
    });
    timer->start();
    return opened;
}

} // namespace

class tst_TfrmTabForm final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TTestServer> FServer;
    std::unique_ptr<QWidget> FParent; // stands in for the record-editing screen
    TfrmTabForm *FEditor = nullptr;
    TMessageBoxRecorder FBoxes;

    // An editor of kItemFields showing kThreeItems.
    void Build()
    {
        FEditor = new TfrmTabForm(FParent.get());
        FEditor->SetFields(Json(kItemFields));
        FEditor->SetFieldName(QStringLiteral("itens"));
        FEditor->SetValues(Json(kThreeItems));
        FParent->show();
    }

    // Selects a row and double-clicks it (or, with below, the empty area under the last row).
    void EditRow(int row, std::function<void(QDialog &)> action, bool below = false)
    {
        QTableView *grid = FEditor->gridRegistros;
        grid->selectRow(row);
        WhenPopupOpens(*FEditor, std::move(action));
        const QRect last = grid->visualRect(grid->model()->index(grid->model()->rowCount() - 1, 0));
        const QPoint at = below ? QPoint(last.center().x(), last.bottom() + 10)
                                : grid->visualRect(grid->model()->index(row, 0)).center();
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void initTestCase()
    {
        FServer = std::make_unique<TTestServer>();
        FServer->InstallAsSystemConfig();
    }

    void init()
    {
        FBoxes.clear();
        FBoxes.QuestionAnswer = TMessageResult::Yes;
        FParent = std::make_unique<QWidget>();
        FParent->resize(700, 400);
        Build();
    }

    void cleanup()
    {
        FParent.reset();
        FEditor = nullptr;
    }


    void gridShowsRowsInOrderUnderTitledColumns()
    {
        QCOMPARE(Titles(*FEditor), (QStringList{"Código", "Descrição", "Quantidade", "Ativo", "Entrega"}));
        QCOMPARE(Column(*FEditor, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(Column(*FEditor, 1), (QStringList{"Caneta", "Lápis", "Borracha"}));
        QCOMPARE(Column(*FEditor, 2), (QStringList{"10", "20", "30"}));
        QCOMPARE(FEditor->cdsRegistros->FieldByName(QStringLiteral("ativo"))->DataType(), ftBoolean);
        // The pop-up holds the top-level controls but the id's row; groups are kept apart.
        QCOMPARE(FEditor->FieldMap().size(), 4);
        QVERIFY(TFieldEngine::IsRowDetached(Control<QLineEdit>(*FEditor, "id")));
        QCOMPARE(FEditor->Objects().value(QStringLiteral("entrega")).size(), 2);
        QCOMPARE(FEditor->Requeridos().size(), 6);
        const auto *heading = FEditor->panelCadastro->findChild<QLabel *>(QStringLiteral("lblGrupo_entrega"));
        QVERIFY(heading && heading->font().bold() && heading->font().underline());
        QCOMPARE(heading->text(), QStringLiteral("Entrega"));
        QVERIFY(FEditor->btNovo->icon().cacheKey() == TIcons::Of(TIcon::New).cacheKey());
    }

    void columnTypes_data()
    {
        QTest::addColumn<QString>("tipo");
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("shown");
        QTest::newRow("long beyond 32 bits") << "long" << "5000000000" << int(ftString) << "5000000000";
        QTest::newRow("long from text") << "LONG" << R"("42")" << int(ftString) << "42";
        QTest::newRow("long left empty") << "long" << R"("")" << int(ftString) << "";
        QTest::newRow("string kept whole") << "string" << R"("Henrique Pereira Fernandes de Albuquerque Cavalcanti Moreira")"
                                           << int(ftString) << "Henrique Pereira Fernandes de Albuquerque Cavalcanti Moreira";
        QTest::newRow("boolean") << "boolean" << "true" << int(ftBoolean) << "True";
        QTest::newRow("date as text") << "localdate" << R"("2024-03-05")" << int(ftString) << "2024-03-05";
        QTest::newRow("double as text") << "double" << "1.5" << int(ftString) << "1.5";
        QTest::newRow("enum key shown as its option") << "enum" << R"("ATIVO")" << int(ftString) << "Ativo";
        QTest::newRow("enum key without option") << "enum" << R"("VELHO")" << int(ftString) << "VELHO";
        QTest::newRow("long text kept whole") << "double" << R"("1234567890.1234567890123")" << int(ftString)
                                              << "1234567890.1234567890123";
        QTest::newRow("nested list empty") << "list" << R"([{"a": 1}])" << int(ftString) << "";
    }

    void columnTypes()
    {
        QFETCH(QString, tipo);
        QFETCH(QString, value);
        QFETCH(int, type);
        QFETCH(QString, shown);
        TfrmTabForm editor;
        TJson fields = TJson::array();
        fields.push_back({{"nome", "v"}, {"label", "V"}, {"tipo", tipo.toStdString()}});
        if (tipo == QLatin1String("enum"))
            fields[0]["values"] = Json(R"([{"id": "ATIVO", "descricao": "Ativo"}])");
        editor.SetFields(fields);
        TJson rows = TJson::array();
        rows.push_back({{"v", TJson::parse(value.toStdString())}});
        editor.SetValues(rows);
        QCOMPARE(int(editor.cdsRegistros->Fields(0)->DataType()), type);
        QCOMPARE(Cell(editor, 0, 0), shown);
        QCOMPARE(editor.Values(), rows); // the array keeps the value whole
    }

    // A combo or lookup column shows the name the pop-up shows for the row's key (an option, or the
    // record the server has for the key); a key without a name shows as it is. The rows keep the keys.
    void keyColumnsShowNames_data()
    {
        QTest::addColumn<QByteArray>("descriptor");
        QTest::addColumn<QByteArray>("key"); // the row's member, as JSON
        QTest::addColumn<QString>("shown");
        const QByteArray remote = R"({"nome": "v", "label": "V", "tipo": "long", "resource": "marcas",
            "type": "REMOTE", "id": "id", "displayField": "nome", "count": 3})";
        const QByteArray lookup = R"({"nome": "v", "label": "V", "tipo": "long", "resource": "marcas",
            "type": "REMOTE", "id": "id", "displayField": "nome", "count": 500})";
        const QByteArray local = R"({"nome": "v", "label": "V", "tipo": "string", "resource": "root.entregas",
            "type": "LOCAL", "id": "codigo", "displayField": "descricao"})";
        QTest::newRow("remote combo, an option") << remote << QByteArray("2") << "Dois";
        QTest::newRow("remote combo, beyond its options") << remote << QByteArray("77") << "Setenta e sete";
        QTest::newRow("lookup") << lookup << QByteArray("5") << "Cinco";
        QTest::newRow("lookup, key as text") << lookup << QByteArray(R"("5")") << "Cinco";
        QTest::newRow("lookup, key the server lacks") << lookup << QByteArray("6") << "6";
        QTest::newRow("lookup, no key") << lookup << QByteArray(R"("")") << "";
        QTest::newRow("local combo") << local << QByteArray("1") << "Principal";
        QTest::newRow("local combo, key not in the record") << local << QByteArray("3") << "3";
    }

    void keyColumnsShowNames()
    {
        QFETCH(QByteArray, descriptor);
        QFETCH(QByteArray, key);
        QFETCH(QString, shown);
        FServer->Script("GET", "/marcas?size=50&page=0", {200, R"([{"id": 1, "nome": "Um"}, {"id": 2, "nome": "Dois"}])"});
        FServer->Script("GET", "/marcas/77", {200, R"({"id": 77, "nome": "Setenta e sete"})"});
        FServer->Script("GET", "/marcas/5", {200, R"({"id": 5, "nome": "Cinco"})"});
        FServer->Script("GET", "/marcas/6", {404, R"({"mensagemUsuario": "Não encontrado"})"});
        TfrmTabForm editor;
        editor.setParentRecord([] { return Json(R"({"entregas": [{"codigo": 1, "descricao": "Principal"}]})"); });
        TJson fields = TJson::array();
        fields.push_back(TJson::parse(descriptor.toStdString()));
        editor.SetFields(fields);
        TJson rows = TJson::array();
        rows.push_back({{"v", TJson::parse(key.toStdString())}});
        editor.SetValues(rows);
        QTRY_COMPARE(Cell(editor, 0, 0), shown);
        // Every answer in: a late one changes nothing.
        QVERIFY(QTest::qWaitFor([] { return TRequestPool::Pool().activeThreadCount() == 0; }, 5000));
        QTest::qWait(20);
        QCOMPARE(Cell(editor, 0, 0), shown);
        QCOMPARE(editor.Values(), rows);
    }

    // The sample back-end's orders and clients: the detail grids show the product, the delivery
    // address, the category and the kind of contact by name, as their pop-ups do, while the rows
    // keep the keys the back-end stores.
    void sampleBackEndGridsShowNames_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("key"); // the first row's member, as the rows keep it
        QTest::newRow("order, product") << "pedidos" << "itens" << "produto"
                                        << QStringList{"Parafuso de sêmola 500 g"} << "5";
        QTest::newRow("order, delivery") << "pedidos" << "itens" << "entrega" << QStringList{"Principal"} << "1";
        QTest::newRow("order, category") << "pedidos" << "categorias" << "categoria"
                                         << QStringList{"Alimentos", "Higiene pessoal"} << "1";
        QTest::newRow("client, kind of contact") << "clientes" << "contatos" << "tipo"
                                                 << QStringList{"Celular", "E-mail"} << "CELULAR";
    }

    void sampleBackEndGridsShowNames()
    {
        QFETCH(QString, resource);
        QFETCH(QString, list);
        QFETCH(QString, column);
        QFETCH(QStringList, shown);
        QFETCH(QString, key);
        LoopbackServer server(true);
        SystemConfig->Port = server.port();
        const auto restore = qScopeGuard([this] { FServer->InstallAsSystemConfig(); });
        TfrmCadastroPadrao screen;
        screen.resize(800, 500);
        screen.show();
        QSignalSpy built(&screen, &TfrmCadastroPadrao::fieldsLoaded);
        screen.SetPath(resource);
        QVERIFY(built.wait(5000));
        screen.Load(1);
        QTRY_COMPARE_WITH_TIMEOUT(screen.IDValue(), QStringLiteral("1"), 5000);
        auto *editor = screen.findChild<TfrmTabForm *>(list);
        QVERIFY(editor);
        const int index = editor->cdsRegistros->FieldByName(column)->Index();
        QTRY_COMPARE_WITH_TIMEOUT(Column(*editor, index).mid(0, shown.size()), shown, 5000);
        QCOMPARE(JsonValueText(editor->Values().at(0).at(column.toStdString())), key);
        if (list == QLatin1String("itens")) {
            for (QTabWidget *tabs : screen.findChildren<QTabWidget *>())
                for (int page = 0; page < tabs->count(); ++page)
                    if (tabs->widget(page)->isAncestorOf(editor))
                        tabs->setCurrentIndex(page);
            SaveToGallery(screen, QStringLiteral("detail-grid-names"));
        }
    }

    void addingAppendsOneRow()
    {
        QVERIFY(FEditor->btNovo->isEnabled());
        const auto opened = WhenPopupOpens(*FEditor, [this](QDialog &form) {
            QCOMPARE(form.windowTitle(), QStringLiteral("Editar registro"));
            QCOMPARE(FEditor->ID(), -1);
            SetText(*FEditor, "descricao", QStringLiteral("Apontador de 25 caractere"));
            SetText(*FEditor, "quantidade", QStringLiteral("5"));
            SetText(*FEditor, "rua", QStringLiteral("Rua D"));
            FEditor->btGravar->click();
            QVERIFY(!form.isVisible());
        });
        FEditor->btNovo->click();
        QVERIFY(*opened);
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(FEditor->Values().size(), 4u);
        QCOMPARE(FEditor->Values()[3], Json(R"({"id": "", "descricao": "Apontador de 25 caractere", "quantidade": "5",
                                                "ativo": false, "entrega": {"rua": "Rua D", "numero": ""}})"));
        QCOMPARE(Column(*FEditor, 1).last(), QStringLiteral("Apontador de 25 caractere"));
        QCOMPARE(FEditor->cdsRegistros->RecNo(), 4);
    }

    void addingStartsFromEmptyControls()
    {
        EditRow(0, [this](QDialog &) { FEditor->btCancelar->click(); });
        const auto opened = WhenPopupOpens(*FEditor, [this](QDialog &) {
            QCOMPARE(Control<QLineEdit>(*FEditor, "descricao")->text(), QString());
            QCOMPARE(Control<QLineEdit>(*FEditor, "rua")->text(), QString());
            QVERIFY(!Control<QCheckBox>(*FEditor, "ativo")->isChecked());
        });
        FEditor->btNovoClick();
        QVERIFY(*opened);
    }

    void editingReplacesTheRowInPlace()
    {
        const TJson before = FEditor->Values();
        EditRow(1, [this](QDialog &) {
            QCOMPARE(FEditor->ID(), 1);
            QCOMPARE(Control<QLineEdit>(*FEditor, "descricao")->text(), QStringLiteral("Lápis"));
            QCOMPARE(Control<QLineEdit>(*FEditor, "rua")->text(), QStringLiteral("Rua B"));
            SetText(*FEditor, "descricao", QStringLiteral("Lapiseira"));
            FEditor->btGravar->click();
        });
        const TJson &after = FEditor->Values();
        QCOMPARE(after.size(), 3u);
        QCOMPARE(after[0], before[0]);
        QCOMPARE(after[2], before[2]);
        // Members without a control ("extra") are gone; the row's own values come back as text.
        QCOMPARE(after[1], Json(R"({"id": "2", "descricao": "Lapiseira", "quantidade": "20", "ativo": false,
                                    "entrega": {"rua": "Rua B", "numero": ""}})"));
        QCOMPARE(Column(*FEditor, 1), (QStringList{"Caneta", "Lapiseira", "Borracha"}));
        QCOMPARE(FEditor->cdsRegistros->RecNo(), 2);
    }

    void doubleClickBelowTheRowsEditsTheCurrentRow()
    {
        bool edited = false;
        EditRow(2, [&](QDialog &) {
            edited = true;
            QCOMPARE(FEditor->ID(), 2);
            QCOMPARE(Control<QLineEdit>(*FEditor, "descricao")->text(), QStringLiteral("Borracha"));
        }, true);
        QVERIFY(edited);
    }

    void editingKeepsBothChoicesOfADependentCombo()
    {
        FServer->Script("GET", "/estados?size=50&page=0", ScriptedAnswer(200, R"([
          {"id": 1, "nome": "SP", "cidades": [{"id": 10, "nome": "Santos"}, {"id": 11, "nome": "Campinas"}]},
          {"id": 2, "nome": "RJ", "cidades": [{"id": 20, "nome": "Niterói"}]}])"));
        TfrmTabForm editor;
        editor.SetFields(Json(R"([{"nome": "cidade", "label": "Cidade", "tipo": "long", "resource": "estados",
          "type": "REMOTE", "count": 2, "id": "id", "displayField": "nome",
          "subObject": {"resource": "cidades", "id": "id", "displayField": "nome"}}])"));
        const TJson rows = Json(R"([{"cidadeRoot": "1", "cidade": "11"}])");
        editor.SetValues(rows);
        auto *estado = Control<TResourceComboBox>(editor, "cidadeRoot");
        QSignalSpy arrived(estado, &TResourceComboBox::OptionsArrived);
        QVERIFY(estado->OptionsLoaded() || arrived.wait(5000));
        editor.gridRegistros->selectRow(0);
        WhenPopupOpens(editor, [&editor](QDialog &) {
            QCOMPARE(Control<TResourceComboBox>(editor, "cidadeRoot")->currentText(), QStringLiteral("SP"));
            QCOMPARE(Control<TResourceComboBox>(editor, "cidade")->currentText(), QStringLiteral("Campinas"));
            editor.btGravarClick();
        });
        editor.gridRegistrosDblClick();
        QCOMPARE(editor.Values(), rows);
        // The grid cannot tell which state's city a row's key is: it shows the key.
        QCOMPARE(Cell(editor, 0, 0), QStringLiteral("11"));
    }

    // In a long list one row is added, changed or deleted: it lands where the user put it, the
    // grid shows what a fresh load of the rows would show without being reset, the cursor ends on
    // the same row as before, and the parent record built afterwards carries the rows in order.
    void longListChangesOneRow_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("recNo");
        QTest::newRow("add") << "add" << kLongList << kLongList + 1;
        QTest::newRow("edit in the middle") << "edit" << 500 << 501;
        QTest::newRow("delete in the middle") << "delete" << 500 << 501;
        QTest::newRow("delete the first") << "delete" << 0 << 1;
        QTest::newRow("delete the last") << "delete" << kLongList - 1 << kLongList - 1;
    }

    void longListChangesOneRow()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QFETCH(int, recNo);
        FEditor->SetValues(LongList(kLongList));
        TJson expected = FEditor->Values();
        QSignalSpy resets(FEditor->dsRegistros, &QAbstractItemModel::modelReset);
        const auto fill = [this](const QString &descricao) {
            SetText(*FEditor, "descricao", descricao);
            SetText(*FEditor, "rua", QStringLiteral("Rua Nova"));
            FEditor->btGravar->click();
        };
        if (action == QLatin1String("add")) {
            WhenPopupOpens(*FEditor, [&](QDialog &) { fill(QStringLiteral("Novo e mais longo")); });
            FEditor->btNovo->click();
            expected.push_back(Json(R"({"id": "", "descricao": "Novo e mais longo", "quantidade": "", "ativo": false,
                                        "entrega": {"rua": "Rua Nova", "numero": ""}})"));
        } else if (action == QLatin1String("edit")) {
            FEditor->gridRegistros->selectRow(row);
            WhenPopupOpens(*FEditor, [&](QDialog &) { fill(QStringLiteral("Alterado")); });
            FEditor->gridRegistrosDblClick();
            expected[size_t(row)]
                = {{"id", std::to_string(row + 1)}, {"descricao", "Alterado"}, {"quantidade", std::to_string(row)},
                    {"ativo", row % 2 == 0}, {"entrega", {{"rua", "Rua Nova"}, {"numero", ""}}}};
        } else {
            FEditor->gridRegistros->selectRow(row);
            FEditor->btExcluir->click();
            expected.erase(expected.begin() + row);
        }
        QVERIFY(FBoxes.size() == (action == QLatin1String("delete") ? 1 : 0));
        QCOMPARE(FEditor->Values(), expected);
        TfrmTabForm reloaded;
        reloaded.SetFields(Json(kItemFields));
        reloaded.SetValues(expected);
        QVERIFY(GridText(*FEditor) == GridText(reloaded));
        QCOMPARE(resets.count(), 0);
        QCOMPARE(FEditor->cdsRegistros->RecNo(), recNo);
        QCOMPARE(FEditor->gridRegistros->currentIndex().row(), recNo - 1);
        QCOMPARE(TFieldEngine::GetRecord(TFieldMap {FEditor}).at("itens"), expected);
        // The line in view shows its text whole (an added row is longer than the others).
        const QFontMetrics metrics(FEditor->gridRegistros->font());
        QVERIFY(FEditor->gridRegistros->columnWidth(1) > metrics.horizontalAdvance(Cell(*FEditor, recNo - 1, 1)));
    }

    // The row numbers' column grows with their digits, also when rows come one at a time.
    void rowNumbersWidenWithTheirDigits()
    {
        FEditor->SetValues(LongList(9));
        const QHeaderView *numbers = FEditor->gridRegistros->verticalHeader();
        const int oneDigit = numbers->sizeHint().width();
        WhenPopupOpens(*FEditor, [this](QDialog &) {
            SetText(*FEditor, "descricao", QStringLiteral("Décimo"));
            SetText(*FEditor, "rua", QStringLiteral("Rua J"));
            FEditor->btGravar->click();
        });
        FEditor->btNovo->click();
        QCOMPARE(FEditor->dsRegistros->rowCount(), 10);
        QVERIFY(numbers->sizeHint().width() > oneDigit);
    }

    // The parent's record carries every row of every list: the pop-up asks for it only when a
    // combo box takes its options from it, and then once.
    void parentRecordOnlyForCombosThatReadIt_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("asked");
        QTest::newRow("no combo box") << QString::fromUtf8(kItemFields) << 0;
        QTest::newRow("combo box of fixed values") << R"([{"nome": "situacao", "label": "Situação", "tipo": "enum",
            "values": [{"id": "A", "descricao": "Ativo"}]}])"
                                                   << 0;
        QTest::newRow("two local combo boxes") << R"([
            {"nome": "origem", "label": "Origem", "tipo": "long", "resource": "enderecos", "type": "LOCAL",
             "id": "id", "displayField": "rua"},
            {"nome": "destino", "label": "Destino", "tipo": "long", "resource": "enderecos", "type": "LOCAL",
             "id": "id", "displayField": "rua"}])"
                                               << 1;
    }

    void parentRecordOnlyForCombosThatReadIt()
    {
        QFETCH(QString, fields);
        QFETCH(int, asked);
        TfrmTabForm editor;
        editor.SetFields(TJson::parse(fields.toStdString()));
        int calls = 0;
        editor.setParentRecord([&calls] {
            ++calls;
            return Json(R"({"enderecos": [{"id": 1, "rua": "Rua A"}, {"id": 2, "rua": "Rua B"}]})");
        });
        WhenPopupOpens(editor, [](QDialog &) {});
        editor.btNovoClick();
        QCOMPARE(calls, asked);
        for (auto *combo : editor.panelCadastro->findChildren<TResourceComboBox *>())
            if (combo->ResourceType() == rtLocal)
                QCOMPARE(combo->count(), 2);
    }

    // Rows handed over are taken as they are: the editor holds the caller's elements, no copies.
    void rowsHandedOverAreNotCopied()
    {
        TJson rows = Json(kThreeItems);
        const TJson *first = &rows[0];
        FEditor->SetValues(std::move(rows));
        QCOMPARE(&FEditor->Values()[0], first);
        QCOMPARE(Column(*FEditor, 1), (QStringList {"Caneta", "Lápis", "Borracha"}));
    }

    void cancelChangesNothing()
    {
        const TJson before = FEditor->Values();
        EditRow(2, [this](QDialog &form) {
            SetText(*FEditor, "descricao", QStringLiteral("Outra"));
            FEditor->btCancelar->click();
            QVERIFY(!form.isVisible());
        });
        const auto opened = WhenPopupOpens(*FEditor, [this](QDialog &) {
            SetText(*FEditor, "descricao", QStringLiteral("Nova"));
            FEditor->btCancelarClick();
        });
        FEditor->btNovoClick();
        QVERIFY(*opened);
        QCOMPARE(FEditor->Values(), before);
        QCOMPARE(Column(*FEditor, 1), (QStringList{"Caneta", "Lápis", "Borracha"}));
    }

    void requiredEmptyFieldKeepsPopupOpen_data()
    {
        QTest::addColumn<QByteArray>("empty");
        QTest::addColumn<QString>("message");
        QTest::newRow("top level") << QByteArray("descricao") << QStringLiteral("O campo \"descrição\" é obrigatório.");
        QTest::newRow("in a group") << QByteArray("rua") << QStringLiteral("O campo \"rua\" é obrigatório.");
    }

    void requiredEmptyFieldKeepsPopupOpen()
    {
        QFETCH(QByteArray, empty);
        QFETCH(QString, message);
        const auto opened = WhenPopupOpens(*FEditor, [&](QDialog &form) {
            SetText(*FEditor, "descricao", QStringLiteral("Clipe"));
            SetText(*FEditor, "rua", QStringLiteral("Rua E"));
            SetText(*FEditor, empty.constData(), QString());
            FEditor->btGravar->click();
            QVERIFY(form.isVisible());
            QCOMPARE(FBoxes.size(), 1);
            QCOMPARE(FBoxes[0].Text, message);
            QCOMPARE(FBoxes[0].Title, QStringLiteral("Gravar"));
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Information);
            // The entry is still there, and saves once completed.
            SetText(*FEditor, empty.constData(), QStringLiteral("preenchido"));
            FEditor->btGravar->click();
            QVERIFY(!form.isVisible());
        });
        FEditor->btNovoClick();
        QVERIFY(*opened);
        QCOMPARE(FEditor->Values().size(), 4u);
        QCOMPARE(FBoxes.size(), 1);
    }

    // The pop-up is typed in from its first field: a blank typed at once is text (it used to press
    // "Cancelar" and lose the row), Tab walks the fields before "Gravar" and "Cancelar", and Enter
    // in a field means "Gravar", for a new row and for a row edited.
    void popupIsTypedInFromItsFirstField_data()
    {
        QTest::addColumn<int>("row"); // -1: a new row
        QTest::newRow("new row") << -1;
        QTest::newRow("row edited") << 1;
    }

    void popupIsTypedInFromItsFirstField()
    {
        QFETCH(int, row);
        const auto action = [this](QDialog &form) {
            auto *descricao = Control<QLineEdit>(*FEditor, "descricao");
            QCOMPARE(form.focusWidget(), descricao);
            descricao->clear();
            QTest::keyClick(form.focusWidget(), Qt::Key_Space);
            QTest::keyClicks(form.focusWidget(), QStringLiteral("Regua"));
            QVERIFY(form.isVisible());
            QStringList walked;
            for (int i = 0; i < 7; ++i) {
                QTest::keyClick(form.focusWidget(), Qt::Key_Tab);
                walked << form.focusWidget()->objectName();
            }
            QCOMPARE(walked, (QStringList{"quantidade", "ativo", "rua", "numero", "Button2", "Button1", "descricao"}));
            SetText(*FEditor, "rua", QStringLiteral("Rua E"));
            QTest::keyClick(Control<QLineEdit>(*FEditor, "numero"), Qt::Key_Return);
            QVERIFY(!form.isVisible());
        };
        if (row < 0) {
            const auto opened = WhenPopupOpens(*FEditor, action);
            FEditor->btNovo->click();
            QVERIFY(*opened);
        } else {
            EditRow(row, action);
        }
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(FEditor->Values().size(), row < 0 ? 4u : 3u);
        const TJson &saved = FEditor->Values()[row < 0 ? 3 : size_t(row)];
        QCOMPARE(saved["descricao"], TJson(" Regua"));
        QCOMPARE(saved["entrega"]["rua"], TJson("Rua E"));
    }

    void listButtonsSayWhatTheyDo()
    {
        QCOMPARE(FEditor->btNovo->toolTip(), QStringLiteral("Incluir"));
        QCOMPARE(FEditor->btExcluir->toolTip(), QStringLiteral("Excluir"));
    }

    void deleteAsksAndRemovesTheSelectedRow()
    {
        FEditor->gridRegistros->selectRow(1);
        FBoxes.QuestionAnswer = TMessageResult::No;
        FEditor->btExcluir->click();
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Deseja excluir o registro?"));
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Question);
        QCOMPARE(FEditor->Values().size(), 3u);

        FBoxes.QuestionAnswer = TMessageResult::Yes;
        FEditor->btExcluir->click();
        QCOMPARE(FEditor->Values().size(), 2u);
        QCOMPARE(Column(*FEditor, 1), (QStringList{"Caneta", "Borracha"}));
        QCOMPARE(FEditor->cdsRegistros->RecNo(), 2);
    }

    void emptyGridIgnoresDeleteAndDoubleClick()
    {
        FEditor->SetValues(TJson::array());
        QCOMPARE(FEditor->dsRegistros->rowCount(), 0);
        FEditor->btExcluirClick();
        const auto opened = WhenPopupOpens(*FEditor, [](QDialog &) {});
        QTest::mouseDClick(FEditor->gridRegistros->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(!*opened);
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(FEditor->ID(), -1);
    }

    void closingTheScreenWithThePopupOpen()
    {
        const QPointer<TfrmTabForm> editor(FEditor);
        const auto opened = WhenPopupOpens(*FEditor, [this](QDialog &) { FParent.reset(); });
        FEditor->btNovo->click();
        QVERIFY(*opened);
        QVERIFY(!editor);
        FEditor = nullptr;
    }

    void valuesThatAreNoArrayEmptyTheGrid()
    {
        QVERIFY_THROWS_EXCEPTION(std::exception, FEditor->SetValues(TJson()));
        QCOMPARE(FEditor->dsRegistros->rowCount(), 0);
        QCOMPARE(FEditor->Values(), TJson::array());
        // Rows added afterwards form an array again.
        WhenPopupOpens(*FEditor, [this](QDialog &) {
            SetText(*FEditor, "descricao", QStringLiteral("Clipe"));
            SetText(*FEditor, "rua", QStringLiteral("Rua E"));
            FEditor->btGravarClick();
        });
        FEditor->btNovoClick();
        QCOMPARE(FEditor->Values().size(), 1u);
    }

    void badDescriptorStopsTheBuild()
    {
        TfrmTabForm editor;
        QVERIFY_THROWS_EXCEPTION(EJsonException, editor.SetFields(Json(R"([{"nome": "a", "tipo": "string"}])")));
        QVERIFY(!editor.cdsRegistros->Active());
        // Rows written meanwhile are kept for a later build.
        editor.SetValues(Json(R"([{"a": "x"}])"));
        editor.SetFields(Json(R"([{"nome": "a", "label": "A", "tipo": "string"}])"));
        QCOMPARE(Column(editor, 0), QStringList{"x"});
    }

    void popupHeightFitsItsRows()
    {
        const auto measure = [](int fieldCount) {
            TfrmTabForm editor;
            TJson fields = TJson::array();
            for (int i = 0; i < fieldCount; ++i)
                fields.push_back({{"nome", "f" + std::to_string(i)}, {"label", "F"}, {"tipo", "string"}});
            editor.SetFields(fields);
            int rows = -1;
            int shown = -1;
            int height = -1;
            WhenPopupOpens(editor, [&](QDialog &form) {
                QTRY_VERIFY(form.isVisible());
                height = form.height();
                shown = editor.scrollFields->viewport()->height() - 10;
                rows = 0;
                for (QWidget *row : editor.panelCadastro->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly))
                    rows += row->height() + editor.panelCadastro->VerticalSpace();
                QCOMPARE(form.width(), 457);
            });
            editor.btNovoClick();
            return std::make_tuple(rows, shown, height);
        };
        const auto [rows2, shown2, height2] = measure(2);
        const auto [rows5, shown5, height5] = measure(5);
        QCOMPARE(shown2, rows2);
        QCOMPARE(shown5, rows5);
        QVERIFY(rows5 > rows2);
        QCOMPARE(height5 - height2, rows5 - rows2);
    }

    void plugsIntoTheRecordScreen()
    {
        FServer->Script("GET", "/pedidos/campos", ScriptedAnswer(200, R"([
          {"nome": "id", "label": "Código", "tipo": "long", "idField": true},
          {"nome": "cliente", "label": "Cliente", "tipo": "string"},
          {"nome": "enderecos", "label": "Endereços", "tipo": "list", "fields": [
            {"nome": "id", "label": "Código", "tipo": "long"},
            {"nome": "rua", "label": "Rua", "tipo": "string"}
          ]},
          {"nome": "entregas", "label": "Entregas", "tipo": "list", "fields": [
            {"nome": "endereco", "label": "Endereço", "tipo": "long", "resource": "enderecos",
             "type": "LOCAL", "id": "id", "displayField": "rua"},
            {"nome": "transportadora", "label": "Transportadora", "tipo": "long", "resource": "transportadoras",
             "type": "REMOTE", "count": 2, "id": "id", "displayField": "nome",
             "params": [{"nome": "enderecos", "tipo": "string", "origem": {"source": "enderecos", "field": "id"}},
                        {"nome": "vazio", "tipo": "string"}]},
            {"nome": "obs", "label": "Observação", "tipo": "string"}
          ]}
        ])"));
        FServer->Script("GET", "/pedidos/7", ScriptedAnswer(200, R"({"id": 7, "cliente": "Ana",
          "enderecos": [{"id": 1, "rua": "Rua A"}, {"id": 2, "rua": "Rua B"}, {"id": 3, "rua": "Rua C"}],
          "entregas": [{"endereco": "2", "transportadora": "9", "obs": "manhã"}]})"));
        FServer->Script("GET", "/transportadoras",
            ScriptedAnswer(200, R"([{"id": 8, "nome": "Lenta"}, {"id": 9, "nome": "Rápida"}])"));
        TfrmCadastroPadrao screen;
        screen.resize(800, 500);
        screen.show();
        QSignalSpy built(&screen, &TfrmCadastroPadrao::fieldsLoaded);
        screen.SetPath(QStringLiteral("pedidos"));
        QVERIFY(built.wait(5000));
        QSignalSpy answers(&screen, &TfrmCadastroPadrao::answerHandled);
        screen.Load(7);
        QVERIFY(answers.wait(5000));

        auto *enderecos = screen.findChild<TfrmTabForm *>(QStringLiteral("enderecos"));
        auto *entregas = screen.findChild<TfrmTabForm *>(QStringLiteral("entregas"));
        QVERIFY(enderecos && entregas);
        QCOMPARE(enderecos->FieldName(), QStringLiteral("enderecos"));
        QCOMPARE(enderecos->ParentRecord(), screen.getRecord());
        QVERIFY(screen.FieldMap().contains(enderecos));
        QCOMPARE(Titles(*enderecos), (QStringList{"Código", "Rua"}));
        QCOMPARE(Column(*enderecos, 1), (QStringList{"Rua A", "Rua B", "Rua C"}));
        screen.btAlterar->click();

        // Editing the delivery: the options come from the screen's addresses and, for the
        // carrier, from a request with the addresses' ids; the row's own choices stay selected
        // and are saved unchanged.
        FServer->ClearRequests();
        entregas->gridRegistros->selectRow(0);
        WhenPopupOpens(*entregas, [entregas](QDialog &) {
            auto *combo = Control<TResourceComboBox>(*entregas, "endereco");
            QCOMPARE(combo->count(), 3);
            QCOMPARE(combo->currentText(), QStringLiteral("Rua B"));
            auto *carrier = Control<TResourceComboBox>(*entregas, "transportadora");
            QSignalSpy arrived(carrier, &TResourceComboBox::OptionsArrived);
            QVERIFY(carrier->OptionsLoaded() || arrived.wait(5000));
            QCOMPARE(carrier->currentText(), QStringLiteral("Rápida"));
            SaveToGallery(*entregas->panelEdit->Form(), QStringLiteral("TfrmTabForm_popup"));
            SetText(*entregas, "obs", QStringLiteral("tarde"));
            entregas->btGravarClick();
        });
        entregas->gridRegistrosDblClick();
        // (The grid may have asked for the carrier's name, "/transportadoras/9", meanwhile.)
        std::string optionsAsked;
        for (const TRecordedRequest &request : FServer->Requests())
            if (optionsAsked.empty() && request.Target.rfind("/transportadoras?", 0) == 0)
                optionsAsked = request.Target;
        QCOMPARE(optionsAsked, "/transportadoras?size=50&page=0&enderecos=1%2C2%2C3&vazio="s);
        // Adding one: pick the first address.
        WhenPopupOpens(*entregas, [entregas](QDialog &) {
            auto *combo = Control<TResourceComboBox>(*entregas, "endereco");
            QCOMPARE(combo->currentIndex(), -1);
            combo->setCurrentIndex(0);
            SetText(*entregas, "obs", QStringLiteral("noite"));
            entregas->btGravarClick();
        });
        entregas->btNovoClick();
        QVERIFY(FBoxes.isEmpty());
        screen.Tabs->setCurrentIndex(screen.Tabs->indexOf(entregas->parentWidget()));
        SaveToGallery(screen, QStringLiteral("TfrmTabForm_grid"));

        FServer->Script("PUT", "/pedidos/7", ScriptedAnswer(200, R"({"id": 7})"));
        FServer->ClearRequests();
        screen.btGravar->click();
        QVERIFY(FServer->WaitForRequests(1, 5000));
        const TJson body = TJson::parse(FServer->Requests().at(0).Body);
        QCOMPARE(body.at("entregas"), Json(R"([{"endereco": "2", "transportadora": "9", "obs": "tarde"},
                                                 {"endereco": "1", "transportadora": "", "obs": "noite"}])"));
        QCOMPARE(body.at("enderecos").size(), 3u);
        QVERIFY(answers.wait(5000));
    }
};

QTEST_MAIN(tst_TfrmTabForm)
#include "tst_TfrmTabForm.moc"
