#include "fields/TControlKind.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "convert/TRecordTable.h"
#include "screens/TfrmCadastroPadrao.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "screens/TfrmTabForm.h"
#include "tests/support/TTestServer.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "tests/support/SaveToGallery.h"
#include "rest/TRequestPool.h"
#include "widgets/TFieldMark.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDateEdit.h"
#include "widgets/TLXSearchEdit.h"
#include "config/TSystemConfig.h"

#include <QAction>
#include <QCheckBox>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace std::string_literals;

namespace {

// A person with a name, a hidden id row, an address group and a list page.
const char *const kPessoaCampos = R"([
  {"nome": "id", "label": "Código", "tipo": "long", "idField": true},
  {"nome": "nome", "label": "Nome", "tipo": "string"},
  {"nome": "endereco", "label": "Endereço", "tipo": "object", "fields": [
    {"nome": "rua", "label": "Rua", "tipo": "string"}
  ]},
  {"nome": "itens", "label": "Itens", "tipo": "list", "fields": []}
])";

const char *const kPessoa7 = R"({"id": 7, "nome": "Bia", "endereco": {"rua": "Rua A"}, "itens": []})";

// What a back-end answers to a write over a version that is no longer the stored one.
const char *const kChangedByOtherText = "O registro foi alterado por outro usuário. Recarregue-o antes de gravar.";
const char *const kChangedByOther
    = R"([{"mensagemUsuario": "O registro foi alterado por outro usuário. Recarregue-o antes de gravar."}])";

// A name and a supplier chosen through a lookup edit (more suppliers than a combo box shows).
const char *const kPedidoCampos = R"([
  {"nome": "nome", "label": "Nome", "tipo": "string"},
  {"nome": "fornecedor", "label": "Fornecedor", "tipo": "long", "resource": "fornecedores", "type": "REMOTE",
   "id": "id", "displayField": "razao", "count": 900}
])";

// One field of each kind a record screen locks, after the id.
const char *const kEveryKindCampos = R"([
  {"nome": "id", "label": "Código", "tipo": "long", "idField": true},
  {"nome": "nome", "label": "Nome", "tipo": "string"},
  {"nome": "salario", "label": "Salário", "tipo": "double"},
  {"nome": "nascimento", "label": "Nascimento", "tipo": "localdate"},
  {"nome": "sexo", "label": "Sexo", "tipo": "enum",
   "values": [{"id": "F", "descricao": "Feminino"}, {"id": "M", "descricao": "Masculino"}]},
  {"nome": "fornecedor", "label": "Fornecedor", "tipo": "long", "resource": "fornecedores", "type": "REMOTE",
   "id": "id", "displayField": "razao", "count": 900},
  {"nome": "ativo", "label": "Ativo", "tipo": "boolean"},
  {"nome": "telefones", "label": "Telefones", "tipo": "list",
   "fields": [{"nome": "numero", "label": "Número", "tipo": "string"}]}
])";

const char *const kEveryKind7 = R"({"id": 7, "nome": "Bia Souza", "salario": 2500.5, "nascimento": "1990-04-12",
  "sexo": "F", "fornecedor": 3, "ativo": true, "telefones": [{"numero": "3333-4444"}]})";

// WCAG 2 contrast ratio of two colours (1 to 21).
double ContrastRatio(const QColor &a, const QColor &b)
{
    const auto luminance = [](const QColor &color) {
        const auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) + 0.0722 * channel(color.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The contrast of a control's text against its background, from its own palette in the state it is
// in: check boxes draw on the window, closed combo boxes on a button, the others on a base.
double TextContrastOf(const QWidget *control)
{
    const QPalette::ColorGroup group = control->isEnabled() ? QPalette::Active : QPalette::Disabled;
    auto roles = std::pair(QPalette::Text, QPalette::Base);
    if (qobject_cast<const QCheckBox *>(control))
        roles = {QPalette::WindowText, QPalette::Window};
    else if (const auto *combo = qobject_cast<const QComboBox *>(control); combo && !combo->isEditable())
        roles = {QPalette::ButtonText, QPalette::Button};
    const QPalette &palette = control->palette();
    return ContrastRatio(palette.color(group, roles.first), palette.color(group, roles.second));
}

QStringList NamesOf(const TFieldMap &map)
{
    QStringList names;
    for (const QPointer<QWidget> &control : map)
        names << (control ? control->objectName() : QStringLiteral("<gone>"));
    return names;
}

QString TextOf(const TfrmCadastroPadrao &screen, const QString &name)
{
    const auto *edit = screen.findChild<QLineEdit *>(name);
    return edit ? edit->text() : QStringLiteral("<none>");
}

void SetText(const TfrmCadastroPadrao &screen, const QString &name, const QString &text)
{
    auto *edit = screen.findChild<QLineEdit *>(name);
    QVERIFY2(edit, qPrintable(name));
    edit->setText(text);
}

// With QUOREL_GALLERY set: the screen with its marked fields above the box that named them.
void SaveMessageShot(TfrmCadastroPadrao &screen, const QString &message)
{
    if (!qEnvironmentVariableIsSet("QUOREL_GALLERY") || QTest::currentDataTag() != QByteArray("named by member"))
        return;
    QMessageBox box(QMessageBox::Critical, screen.windowTitle(), message, QMessageBox::Ok);
    box.adjustSize();
    const QPixmap form = screen.grab();
    const QPixmap dialog = box.grab();
    QPixmap both(form.width(), form.height() + dialog.height());
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, form);
    painter.drawPixmap((form.width() - dialog.width()) / 2, form.height(), dialog);
    painter.end();
    QLabel shot;
    shot.setPixmap(both);
    shot.resize(both.size());
    SaveToGallery(shot, QStringLiteral("message-naming-field"));
}

// What a GET of path answers in TRestResult::Error, from the server the test configured.
QString ErrorOfGet(const QString &path)
{
    QObject context;
    QString error;
    bool done = false;
    THttpVerbs::Get(path, &context, [&](const TRestResult &answer) {
        error = answer.Error;
        done = true;
    });
    if (!QTest::qWaitFor([&done] { return done; }, 10000))
        qWarning("no result for %s", qPrintable(path));
    return error;
}

// "G" enabled, "g" disabled, in tool-bar order: Gravar Desistir Novo Alterar Excluir Pesquisar Debug.
QString ButtonState(const TfrmCadastroPadrao &screen)
{
    const QList<QPair<QToolButton *, QChar>> buttons
        = {{screen.btGravar, u'G'}, {screen.btDesistir, u'D'}, {screen.btNovo, u'N'}, {screen.btAlterar, u'A'},
            {screen.btExcluir, u'E'}, {screen.btPesquisar, u'P'}, {screen.btDebug, u'B'}};
    QString state;
    for (const auto &[button, letter] : buttons)
        state += button->isEnabled() ? letter : letter.toLower();
    return state;
}

} // namespace

// A screen of one resource whose hooks answer as a test sets them.
class THookedScreen final : public TfrmCadastroPadrao
{
public:
    QStringList Messages;  // what ValidarRegistro returns
    QString SaveVeto;      // AntesGravar cancels with this message when not empty
    QString DeleteVeto;    // AntesExcluir cancels with this message when not empty

protected:
    QStringList ValidarRegistro() override { return Messages; }
    void AntesGravar(bool &Cancel, QString &Message) override { Veto(SaveVeto, Cancel, Message); }
    void AntesExcluir(bool &Cancel, QString &Message) override { Veto(DeleteVeto, Cancel, Message); }

private:
    static void Veto(const QString &veto, bool &cancel, QString &message)
    {
        cancel = !veto.isEmpty();
        message = veto;
    }
};

class TestCadastroPadrao final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TTestServer> FServer;
    TMessageBoxRecorder FBoxes;

    // A shown screen for "pessoas" built from the given descriptors.
    std::unique_ptr<TfrmCadastroPadrao> OpenScreen(const std::string &campos = kPessoaCampos)
    {
        FServer->Script("GET", "/pessoas/campos", ScriptedAnswer(200, campos));
        auto screen = std::make_unique<TfrmCadastroPadrao>();
        screen->resize(800, 500);
        screen->show();
        QSignalSpy built(screen.get(), &TfrmCadastroPadrao::fieldsLoaded);
        screen->SetPath(QStringLiteral("pessoas"));
        if (!built.wait(5000))
            qWarning("the screen was not built");
        return screen;
    }

    // Waits for the next answer the screen handles.
    static bool AwaitAnswer(TfrmCadastroPadrao &screen, QSignalSpy &spy, int count = 1)
    {
        while (spy.count() < count)
            if (!spy.wait(5000))
                return false;
        Q_UNUSED(screen);
        return true;
    }

    // A screen with one field of each kind showing its record 7, in a window whose first control
    // stands for the main window's menu filter.
    struct TEveryKindWindow
    {
        std::unique_ptr<QWidget> Window = std::make_unique<QWidget>();
        QLineEdit *Filter = nullptr;
        TfrmCadastroPadrao *Screen = nullptr;
    };
    TEveryKindWindow OpenEveryKind7()
    {
        FServer->Script("GET", "/pessoas/campos", ScriptedAnswer(200, kEveryKindCampos));
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, kEveryKind7));
        FServer->Script("GET", "/fornecedores/3", ScriptedAnswer(200, R"({"id": 3, "razao": "ACME Ltda"})"));
        TEveryKindWindow opened;
        auto *layout = new QVBoxLayout(opened.Window.get());
        opened.Filter = new QLineEdit(opened.Window.get());
        layout->addWidget(opened.Filter);
        opened.Screen = new TfrmCadastroPadrao(opened.Window.get());
        layout->addWidget(opened.Screen, 1);
        opened.Window->resize(700, 420);
        opened.Window->show();
        opened.Window->activateWindow();
        if (!QTest::qWaitForWindowActive(opened.Window.get()))
            qWarning("the window did not become active");
        QSignalSpy built(opened.Screen, &TfrmCadastroPadrao::fieldsLoaded);
        opened.Screen->SetPath(QStringLiteral("pessoas"));
        if (!built.wait(5000))
            qWarning("the screen was not built");
        QSignalSpy answers(opened.Screen, &TfrmCadastroPadrao::answerHandled);
        opened.Screen->Load(7);
        if (!AwaitAnswer(*opened.Screen, answers))
            qWarning("record 7 was not loaded");
        return opened;
    }

    // A screen showing record 7.
    std::unique_ptr<TfrmCadastroPadrao> OpenRecord7()
    {
        auto screen = OpenScreen();
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, kPessoa7));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->Load(7);
        if (!AwaitAnswer(*screen, answers))
            qWarning("record 7 was not loaded");
        return screen;
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
        FServer->ClearRequests();
        FServer->InstallAsSystemConfig();
    }

    void layoutAtCreation()
    {
        TfrmCadastroPadrao screen;
        QCOMPARE(screen.windowTitle(), QStringLiteral("CadastroPadrao"));
        QCOMPARE(screen.Estado(), ceBloqueado);
        QVERIFY(!screen.Registro());
        QVERIFY(!screen.Debug());
        QCOMPARE(screen.Tabs->count(), 1);
        QCOMPARE(screen.Tabs->tabText(0), QStringLiteral("Dados"));
        QCOMPARE(screen.panelCadastro->Columns(), 24);
        QStringList captions;
        for (QToolButton *button : {screen.btGravar, screen.btDesistir, screen.btNovo, screen.btAlterar,
                 screen.btExcluir, screen.btPesquisar, screen.btDebug})
            captions << button->text();
        QCOMPARE(captions.join(u','), QStringLiteral("Gravar,Desistir,Novo,Alterar,Excluir,Pesquisar,Debug"));
        QCOMPARE(screen.lblRequest->text(), QStringLiteral("Request"));
        QCOMPARE(screen.lblResponse->text(), QStringLiteral("Response"));
        QVERIFY(screen.edtRequest->isReadOnly());
        QVERIFY(screen.edtResponse->isReadOnly());
    }

    // Insert or edit mode on the screen's record table switches the screen to editing.
    void recordTableModesUnlockTheScreen()
    {
        TfrmCadastroPadrao screen;
        screen.ResetDataSet();
        QVERIFY(screen.cdsCadastro->Active());
        screen.cdsCadastro->Append();
        QCOMPARE(screen.Estado(), ceEdicao);
        screen.cdsCadastro->Cancel();
        screen.btDesistir->click();
        screen.cdsCadastro->Edit();
        QCOMPARE(screen.Estado(), ceEdicao);
    }

    void buildsFromDescriptors_data()
    {
        QTest::addColumn<QString>("campos");
        QTest::addColumn<QString>("fieldMap");
        QTest::addColumn<QString>("groups");
        QTest::addColumn<QString>("pages");

        QTest::newRow("empty array") << "[]"
                                     << ""
                                     << ""
                                     << "Dados";
        QTest::newRow("groups and pages, any case")
            << R"([{"nome": "id", "label": "Código", "tipo": "long", "idField": true},
                  {"nome": "nome", "label": "Nome", "tipo": "String"},
                  {"nome": "endereco", "label": "Endereço", "tipo": "Object", "fields": [
                     {"nome": "rua", "label": "Rua", "tipo": "string"},
                     {"nome": "ruaId", "label": "Id", "tipo": "long", "idField": true}]},
                  {"nome": "itens", "label": "Itens", "tipo": "LIST", "fields": []},
                  {"nome": "ativo", "label": "Ativo", "tipo": "boolean"},
                  {"nome": "parcelas", "label": "Parcelas", "tipo": "list", "fields": []}])"
            << "id,nome,itens,ativo,parcelas"
            << "endereco:rua,ruaId"
            << "Dados,Itens,Parcelas";
        QTest::newRow("object with resource is one field")
            << R"([{"nome": "cidade", "label": "Cidade", "tipo": "object", "resource": "cidades",
                    "type": "LOCAL", "id": "id", "displayField": "nome", "count": 2}])"
            << "cidade"
            << ""
            << "Dados";
        QTest::newRow("descriptor without tipo stops the build")
            << R"([{"nome": "nome", "label": "Nome", "tipo": "string"}, {"nome": "x", "label": "X"},
                  {"nome": "depois", "label": "Depois", "tipo": "string"}])"
            << "nome"
            << ""
            << "Dados";
    }

    void buildsFromDescriptors()
    {
        QFETCH(QString, campos);
        QFETCH(QString, fieldMap);
        QFETCH(QString, groups);
        QFETCH(QString, pages);
        const auto screen = OpenScreen(campos.toStdString());
        QCOMPARE(NamesOf(screen->FieldMap()).join(u','), fieldMap);
        QStringList groupText;
        for (auto group = screen->Objects().cbegin(); group != screen->Objects().cend(); ++group)
            groupText << group.key() + u':' + NamesOf(group.value()).join(u',');
        QCOMPARE(groupText.join(u';'), groups);
        QStringList captions;
        for (int i = 0; i < screen->Tabs->count(); ++i)
            captions << screen->Tabs->tabText(i);
        QCOMPARE(captions.join(u','), pages);
        QCOMPARE(screen->Tabs->currentIndex(), 0);
        QVERIFY(screen->panelCadastro->isVisible());
        // Top-level id rows are put back on the screen; a group's id row stays out of it. Each
        // list field's editor fills its own page.
        for (const QPointer<QWidget> &control : screen->FieldMap()) {
            if (auto *editor = qobject_cast<TfrmTabForm *>(control.data())) {
                const int page = screen->Tabs->indexOf(editor->parentWidget());
                QVERIFY2(page > 0, qPrintable(editor->FieldName()));
                QCOMPARE(editor->ParentRecord(), screen->getRecord());
                QVERIFY(editor->isVisibleTo(screen->Tabs->widget(page)));
                continue;
            }
            QVERIFY2(control->isVisibleTo(screen.get()), qPrintable(control->objectName()));
        }
        if (auto *hidden = screen->findChild<QLineEdit *>(QStringLiteral("ruaId")))
            QVERIFY(TFieldEngine::IsRowDetached(hidden));
        // Locked at first: every control, group controls included, refuses edits.
        for (const QPointer<QWidget> &control : screen->FieldMap())
            QVERIFY(TControlKind::IsLocked(control));
        for (const TFieldMap &group : screen->Objects())
            for (const QPointer<QWidget> &control : group)
                QVERIFY(TControlKind::IsLocked(control));
    }

    // A field's dependent combo box, on a row of its own, is bound (both choices are saved) and is
    // locked and unlocked with the field.
    void dependentComboFollowsItsField()
    {
        const auto screen = OpenScreen(R"([{"nome": "subcategoria", "label": "Categoria", "tipo": "long",
            "resource": "categorias", "type": "REMOTE", "id": "id", "displayField": "nome", "count": 8,
            "subObject": {"id": "id", "displayField": "nome", "resource": "subcategorias"}}])");
        QCOMPARE(screen->FieldMap().size(), 2);
        auto *combo = qobject_cast<TResourceComboBox *>(screen->FieldMap().at(0).data());
        QVERIFY(combo && combo->SubObject());
        QCOMPARE(screen->FieldMap().at(1).data(), combo->SubObject());
        QCOMPARE(combo->objectName(), QStringLiteral("subcategoriaRoot"));
        QCOMPARE(combo->SubObject()->objectName(), QStringLiteral("subcategoria"));
        QVERIFY(!combo->isEnabled());
        QVERIFY(!combo->SubObject()->isEnabled());
        screen->btNovo->click();
        QVERIFY(combo->isEnabled());
        QVERIFY(combo->SubObject()->isEnabled());
    }

    // More rows than the page holds: the page scrolls and the last row stays reachable.
    void longFormScrolls()
    {
        std::string campos = "[";
        for (int i = 0; i < 30; ++i)
            campos += std::string(i ? "," : "") + "{\"nome\": \"campo" + std::to_string(i)
                + "\", \"label\": \"Campo\", \"tipo\": \"string\"}";
        const auto screen = OpenScreen(campos + "]");
        screen->resize(700, 400);
        QCOMPARE(screen->FieldMap().size(), 30);
        QWidget *last = TFieldEngine::RowOf(screen->FieldMap().last());
        QTRY_VERIFY(last->geometry().bottom() < screen->panelCadastro->height());
        auto *scroll = screen->findChild<QScrollArea *>(QStringLiteral("scrollCadastro"));
        QTRY_VERIFY(scroll->verticalScrollBar()->maximum() > 0);
    }

    void notFoundNotices_data()
    {
        QTest::addColumn<bool>("record");
        QTest::addColumn<QString>("message");
        QTest::newRow("descriptors") << false << QStringLiteral("Não foi possível contar o registro especificado.");
        QTest::newRow("record") << true << QStringLiteral("Não foi possível contrar o registro especificado.");
    }

    void notFoundNotices()
    {
        QFETCH(bool, record);
        QFETCH(QString, message);
        std::unique_ptr<TfrmCadastroPadrao> screen;
        if (record) {
            screen = OpenScreen();
            FServer->Script("GET", "/pessoas/99", ScriptedAnswer(404, ""));
            QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
            screen->Load(99);
            QVERIFY(AwaitAnswer(*screen, answers));
            QVERIFY(!screen->Registro());
        } else {
            FServer->Script("GET", "/pessoas/campos", ScriptedAnswer(404, ""));
            screen = std::make_unique<TfrmCadastroPadrao>();
            QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
            screen->SetPath(QStringLiteral("pessoas"));
            QVERIFY(AwaitAnswer(*screen, answers));
            QVERIFY(screen->FieldMap().isEmpty());
        }
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, message);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QCOMPARE(FBoxes[0].Title, QString());
    }

    void loadShowsRecordAndLocks()
    {
        const auto screen = OpenRecord7();
        QCOMPARE(screen->IDValue(), QStringLiteral("7"));
        QVERIFY(screen->Registro());
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        QCOMPARE(TextOf(*screen, QStringLiteral("rua")), QStringLiteral("Rua A"));
        QCOMPARE(screen->Estado(), ceBloqueado);
        QCOMPARE(ButtonState(*screen), QStringLiteral("gdNAEPB"));
        QCOMPARE(screen->edtRequest->toPlainText(), QString()); // loading writes nothing there
        QVERIFY(FBoxes.isEmpty());
    }

    void buttonTable()
    {
        const auto fresh = OpenScreen();
        QCOMPARE(ButtonState(*fresh), QStringLiteral("gdNaePB"));
        fresh->btNovo->click();
        QCOMPARE(ButtonState(*fresh), QStringLiteral("GDnaepB"));
        fresh->btDesistir->click();
        QCOMPARE(ButtonState(*fresh), QStringLiteral("gdNaePB"));

        const auto loaded = OpenRecord7();
        loaded->btAlterar->click();
        QCOMPARE(loaded->Estado(), ceEdicao);
        QCOMPARE(ButtonState(*loaded), QStringLiteral("GDnaepB"));
        loaded->btDesistir->click();
        QCOMPARE(ButtonState(*loaded), QStringLiteral("gdNAEPB"));
    }

    // A new record goes with POST to the bare path, an existing one with PUT to "path/id"; both
    // show the request before the answer and reload the record the server stored.
    void saveSendsPostOrPut_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("method");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("caption");
        QTest::newRow("new, 201") << false << 201 << "POST"
                                  << "/pessoas"
                                  << "Request POST pessoas";
        QTest::newRow("new, 200") << false << 200 << "POST"
                                  << "/pessoas"
                                  << "Request POST pessoas";
        QTest::newRow("existing, 200") << true << 200 << "PUT"
                                       << "/pessoas/7"
                                       << "Request PUT pessoas/7";
    }

    void saveSendsPostOrPut()
    {
        QFETCH(bool, existing);
        QFETCH(int, status);
        QFETCH(QString, method);
        QFETCH(QString, target);
        QFETCH(QString, caption);
        const auto screen = existing ? OpenRecord7() : OpenScreen();
        (existing ? screen->btAlterar : screen->btNovo)->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Ana"));
        SetText(*screen, QStringLiteral("rua"), QStringLiteral("Rua B"));
        FServer->Script(method.toStdString(), target.toStdString(), ScriptedAnswer(status, R"({"id": 7})", 300));
        FServer->Script(
            "GET", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7, "nome": "Ana", "endereco": {"rua": "Rua B"}})"));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);

        screen->btGravar->click();
        // Before the answer: the request is in the debug pane, the screen is busy and a second
        // press cannot send the record again.
        QCOMPARE(screen->lblRequest->text(), caption);
        const QString body = screen->edtRequest->toPlainText();
        QVERIFY(body.contains(QStringLiteral("\"nome\":\"Ana\"")));
        QVERIFY(body.contains(QStringLiteral("\"endereco\":{\"rua\":\"Rua B\"}")));
        QVERIFY(body.contains(QStringLiteral("\"itens\":[]"))); // the list field's rows travel too
        QVERIFY(screen->Busy());
        QVERIFY(screen->pbOcupado->isVisibleTo(screen.get()));
        QVERIFY(!screen->btGravar->isEnabled());
        screen->btGravar->click();
        screen->btGravarClick();

        QVERIFY(AwaitAnswer(*screen, answers, 2)); // the save, then the reload
        const auto requests = FServer->Requests();
        QCOMPARE(requests.size(), 2u);
        QCOMPARE(QString::fromStdString(requests[0].Method), method);
        QCOMPARE(QString::fromStdString(requests[0].Target), target);
        QCOMPARE(QString::fromStdString(requests[0].Body), body);
        QCOMPARE(requests[1].Target, "/pessoas/7"s);
        QCOMPARE(screen->edtResponse->toPlainText(), QStringLiteral(R"({"id": 7})"));
        QCOMPARE(screen->Estado(), ceBloqueado);
        QCOMPARE(screen->IDValue(), QStringLiteral("7"));
        QVERIFY(!screen->Busy());
        QVERIFY(!screen->pbOcupado->isVisibleTo(screen.get()));
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(screen->lblStatus->text(), QStringLiteral("Registro gravado."));
        screen->btAlterar->click(); // the next action
        QCOMPARE(screen->lblStatus->text(), QString());
    }

    // A PUT or DELETE of the record on the screen is conditional on the version its GET answer
    // named (If-Match), and on nothing when no version was named; a POST never is. Steps run in
    // order on a screen that loaded record 7 with the row's ETag.
    void writesCarryTheShownVersion_data()
    {
        QTest::addColumn<QByteArray>("etag");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("request"); // the last write sent
        QTest::addColumn<QByteArray>("ifMatch"); // empty: no If-Match header
        const QByteArray v3 = R"("3")";
        QTest::newRow("save") << v3 << QStringList {"alterar", "gravar"} << "PUT /pessoas/7" << v3;
        QTest::newRow("delete") << v3 << QStringList {"excluir"} << "DELETE /pessoas/7" << v3;
        QTest::newRow("save, no version")
            << QByteArray() << QStringList {"alterar", "gravar"} << "PUT /pessoas/7" << QByteArray();
        QTest::newRow("delete, no version")
            << QByteArray() << QStringList {"excluir"} << "DELETE /pessoas/7" << QByteArray();
        QTest::newRow("weak version") << QByteArray(R"(W/"3")") << QStringList {"alterar", "gravar"} << "PUT /pessoas/7"
                                      << QByteArray();
        QTest::newRow("new record") << v3 << QStringList {"novo", "gravar"} << "POST /pessoas" << QByteArray();
        QTest::newRow("Desistir after Novo")
            << v3 << QStringList {"novo", "desistir", "alterar", "gravar"} << "PUT /pessoas/7" << v3;
        QTest::newRow("another record, no version")
            << v3 << QStringList {"load 8", "alterar", "gravar"} << "PUT /pessoas/8" << QByteArray();
        // The save's answer names the new version; the next save carries it though the reload failed.
        QTest::newRow("after a save whose reload failed")
            << v3 << QStringList {"reload fails", "alterar", "gravar", "alterar", "gravar"} << "PUT /pessoas/7"
            << QByteArray(R"("4")");
    }

    void writesCarryTheShownVersion()
    {
        QFETCH(QByteArray, etag);
        QFETCH(QStringList, steps);
        QFETCH(QString, request);
        QFETCH(QByteArray, ifMatch);
        const auto screen = OpenScreen();
        const auto versioned = [](int status, std::string body, const QByteArray &version) {
            TScriptedAnswer answer = ScriptedAnswer(status, std::move(body));
            if (!version.isEmpty())
                answer.Headers.emplace("ETag", version.toStdString());
            return answer;
        };
        FServer->Script("GET", "/pessoas/7", versioned(200, kPessoa7, etag));
        FServer->Script("GET", "/pessoas/8", ScriptedAnswer(200, R"({"id": 8, "nome": "Caio"})"));
        FServer->Script("PUT", "/pessoas/7", versioned(200, R"({"id": 7})", R"("4")"));
        FServer->Script("PUT", "/pessoas/8", ScriptedAnswer(500, ""));
        FServer->Script("POST", "/pessoas", ScriptedAnswer(500, ""));
        FServer->Script("DELETE", "/pessoas/7", ScriptedAnswer(500, ""));
        screen->Load(7);
        QTRY_COMPARE_WITH_TIMEOUT(screen->IDValue(), QStringLiteral("7"), 5000);
        for (const QString &step : steps) {
            if (step == QLatin1String("alterar"))
                screen->btAlterar->click();
            else if (step == QLatin1String("novo"))
                screen->btNovo->click();
            else if (step == QLatin1String("desistir"))
                screen->btDesistir->click();
            else if (step == QLatin1String("gravar"))
                screen->btGravar->click();
            else if (step == QLatin1String("excluir"))
                screen->btExcluir->click();
            else if (step == QLatin1String("load 8"))
                screen->Load(8);
            else if (step == QLatin1String("reload fails"))
                FServer->Script("GET", "/pessoas/7", ScriptedAnswer(500, ""));
            else
                QFAIL(qPrintable(step));
            // A save is done once its reload is: the screen stays busy until then.
            QTRY_VERIFY_WITH_TIMEOUT(!screen->Busy(), 5000);
        }
        const auto requests = FServer->Requests();
        const auto write = std::find_if(
            requests.rbegin(), requests.rend(), [](const TRecordedRequest &sent) { return sent.Method != "GET"; });
        QVERIFY(write != requests.rend());
        const TRecordedRequest &last = *write;
        QCOMPARE(QString::fromStdString(last.Method + ' ' + last.Target), request);
        QCOMPARE(last.HasHeader("if-match"), !ifMatch.isEmpty());
        QCOMPARE(QByteArray::fromStdString(last.Header("if-match")), ifMatch);
    }

    void emptyScreenPostsEmptyObject()
    {
        const auto screen = OpenScreen("[]");
        FServer->Script("POST", "/pessoas", ScriptedAnswer(500, ""));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btNovo->click();
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(QString::fromStdString(FServer->Requests().at(0).Body), QStringLiteral("{}"));
    }

    void saveFailures_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("400, every message")
            << 400 << R"([{"mensagemUsuario": "Nome é obrigatório"}, {"mensagemUsuario": "x"}])"
            << "Nome é obrigatório\nx";
        QTest::newRow("400 empty array") << 400 << "[]"
                                         << "";
        QTest::newRow("400 not json") << 400 << "falhou"
                                      << "";
        QTest::newRow("400 without mensagemUsuario") << 400 << R"([{"erro": 1}])"
                                                     << "";
        QTest::newRow("500") << 500 << ""
                             << "Falha ao gravar o registro.";
        QTest::newRow("500 with message, one object") << 500 << R"({"mensagemUsuario": "Banco de dados indisponível."})"
                                                      << "Banco de dados indisponível.";
        QTest::newRow("204") << 204 << ""
                             << "Falha ao gravar o registro. Codigo: 204";
        QTest::newRow("404") << 404 << ""
                             << "Falha ao gravar o registro. Codigo: 404";
        QTest::newRow("412 with message") << 412 << kChangedByOther << kChangedByOtherText;
        QTest::newRow("412 without mensagemUsuario") << 412 << "[]"
                                                     << "Falha ao gravar o registro. Codigo: 412";
    }

    void saveFailures()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QString, message);
        const auto screen = OpenScreen();
        FServer->Script("POST", "/pessoas", ScriptedAnswer(status, body.toStdString()));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btNovo->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Digitado"));
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Digitado"));
        QCOMPARE(FBoxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(FBoxes[0].Text, message);
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        }
        // Still editing: the user corrects the values and saves again.
        QCOMPARE(screen->Estado(), ceEdicao);
        QVERIFY(screen->btGravar->isEnabled());
        QCOMPARE(screen->edtResponse->toPlainText(), body);
    }

    // The hooks of a screen of one resource: each stops its action before any request.
    void hooksStopTheirAction_data()
    {
        QTest::addColumn<QString>("hook");
        QTest::addColumn<bool>("record");
        QTest::addColumn<QString>("message");
        QTest::addColumn<TMessageKind>("kind");
        QTest::newRow("ValidarRegistro: silent") << "validar" << true << "" << TMessageKind::Error;
        QTest::newRow("AntesGravar veto") << "gravar" << true << "Sem permissão para gravar" << TMessageKind::Error;
        QTest::newRow("AntesExcluir veto") << "excluir" << true << "Registro em uso" << TMessageKind::Information;
        QTest::newRow("AntesExcluir without id: the id is checked first")
            << "excluir" << false << "Nenhum reigistro para ser excluído" << TMessageKind::Error;
    }

    void hooksStopTheirAction()
    {
        QFETCH(QString, hook);
        QFETCH(bool, record);
        QFETCH(QString, message);
        QFETCH(TMessageKind, kind);
        FServer->Script("GET", "/pessoas/campos", ScriptedAnswer(200, kPessoaCampos));
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, kPessoa7));
        THookedScreen screen;
        screen.show();
        QSignalSpy answers(&screen, &TfrmCadastroPadrao::answerHandled);
        screen.SetPath(QStringLiteral("pessoas"));
        QVERIFY(AwaitAnswer(screen, answers));
        if (record) {
            screen.Load(7);
            QVERIFY(AwaitAnswer(screen, answers, 2));
        }
        screen.Messages = hook == QLatin1String("validar") ? QStringList{QStringLiteral("Nome inválido")} : QStringList();
        screen.SaveVeto = hook == QLatin1String("gravar") ? message : QString();
        screen.DeleteVeto = hook == QLatin1String("excluir") ? QStringLiteral("Registro em uso") : QString();
        FServer->ClearRequests();
        if (hook == QLatin1String("excluir")) {
            screen.btExcluirClick();
        } else {
            screen.btAlterarClick();
            screen.btGravarClick();
        }
        QTest::qWait(50);
        QCOMPARE(FServer->RequestCount(), 0u);
        QCOMPARE(FBoxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(FBoxes[0].Text, message);
            QCOMPARE(FBoxes[0].Kind, kind);
        }
        QCOMPARE(screen.IDValue(), record ? QStringLiteral("7") : QString());
    }

    // A save the server accepts but answers without a record to reload: the screen locks and
    // asks for nothing more.
    void acceptedSaveWithoutRecord_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::newRow("200 array") << 200 << "[]";
        QTest::newRow("201 without id") << 201 << R"({"nome": "Bia"})";
        QTest::newRow("200 id not a number") << 200 << R"({"id": "sete"})";
        QTest::newRow("200 not json") << 200 << "gravado";
        QTest::newRow("201 empty") << 201 << "";
    }

    void acceptedSaveWithoutRecord()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        const auto screen = OpenScreen();
        FServer->Script("POST", "/pessoas", ScriptedAnswer(status, body.toStdString()));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btNovo->click();
        FServer->ClearRequests();
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        QTest::qWait(50);
        QCOMPARE(FServer->RequestCount(), 1u); // the POST, no reload
        QCOMPARE(screen->Estado(), ceBloqueado);
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(screen->edtResponse->toPlainText(), body);
    }

    // Descriptors that do not come, or are not a list: nothing is built and nothing is said.
    void descriptorFailuresBuildNothing_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("drop");
        QTest::newRow("500") << 500 << R"([{"nome": "nome", "label": "Nome", "tipo": "string"}])" << false;
        QTest::newRow("no answer (-1)") << 200 << "[]" << true;
        QTest::newRow("an object") << 200 << R"({"nome": "nome", "label": "Nome", "tipo": "string"})" << false;
        QTest::newRow("not json") << 200 << "campos" << false;
    }

    void descriptorFailuresBuildNothing()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(bool, drop);
        TScriptedAnswer answer = ScriptedAnswer(status, body.toStdString());
        answer.Drop = drop;
        FServer->Script("GET", "/pessoas/campos", answer);
        TfrmCadastroPadrao screen;
        QSignalSpy answers(&screen, &TfrmCadastroPadrao::answerHandled);
        QSignalSpy built(&screen, &TfrmCadastroPadrao::fieldsLoaded);
        screen.SetPath(QStringLiteral("pessoas"));
        QVERIFY(AwaitAnswer(screen, answers));
        QCOMPARE(answers[0][0].toInt(), drop ? -1 : status);
        QCOMPARE(built.size(), 0);
        QVERIFY(screen.FieldMap().isEmpty());
        QVERIFY(!screen.findChild<QLineEdit *>(QStringLiteral("nome")));
        QVERIFY(FBoxes.isEmpty());
    }

    // An answer of one long line (a record holding a picture as Base64) is shown unwrapped: wrapping
    // it took seconds per save (256 KB) to minutes (1 MB). Above 256 Ki characters the pane shows
    // the start and says how much it left out, while "Formatar Json" still formats the whole answer.
    void largeAnswersInTheDebugPane_data()
    {
        QTest::addColumn<int>("kilobytes");
        QTest::addColumn<bool>("cut");
        QTest::newRow("200 KB, shown whole") << 200 << false;
        QTest::newRow("2 MB, shown cut") << 2048 << true;
    }

    void largeAnswersInTheDebugPane()
    {
        QFETCH(int, kilobytes);
        QFETCH(bool, cut);
        const std::string answer = "[{\"foto\": \"" + std::string(std::size_t(kilobytes) * 1024, 'x') + "\"}]";
        const auto screen = OpenScreen();
        FServer->Script("POST", "/pessoas", ScriptedAnswer(400, answer));
        screen->btDebug->click();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btNovo->click();
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        TJsonView *view = screen->edtResponse;
        QCOMPARE(view->Json(), QString::fromStdString(answer));
        QCOMPARE(view->lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(view->toPlainText().size() < view->Json().size(), cut);
        QCOMPARE(view->toPlainText().endsWith(QStringLiteral(" caracteres não exibidos)")), cut);

        emit view->customContextMenuRequested(QPoint(5, 5));
        screen->popDebug->actions().at(0)->trigger();
        screen->popDebug->close();
        QVERIFY(view->Json().startsWith(QStringLiteral("[\n  {\n    \"foto\": \"xxx")));
        QVERIFY(view->Json().endsWith(QStringLiteral("xxx\"\n  }\n]")));

        // The next short answer is wrapped again, without laying out the long one wrapped first.
        view->SetJson(QStringLiteral("{}"));
        QCOMPARE(view->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(view->toPlainText(), QStringLiteral("{}"));
    }

    void unreachableServer()
    {
        const auto screen = OpenRecord7();
        SystemConfig->Port = 1; // nothing listens there
        const QString noAnswer = ErrorOfGet(QStringLiteral("pessoas/7"));
        QVERIFY2(noAnswer.startsWith(QStringLiteral("Não foi possível conectar ao servidor (http://127.0.0.1:1).")),
                 qPrintable(noAnswer));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btAlterar->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Digitado"));
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        // No answer keeps the edits and the editing state, as any failed save does.
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Digitado"));
        QCOMPARE(screen->Estado(), ceEdicao);
        QVERIFY(screen->HasUnsavedChanges());
        // "Desistir" puts the stored values back at once; its reload then says why it failed.
        screen->btDesistir->click();
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        QVERIFY(AwaitAnswer(*screen, answers, 2));
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        QCOMPARE(screen->Estado(), ceBloqueado);
        screen->btExcluir->click();
        QVERIFY(AwaitAnswer(*screen, answers, 3));
        screen->Load(7);
        QVERIFY(AwaitAnswer(*screen, answers, 4));
        QCOMPARE(answers.at(0).at(0).toInt(), -1);
        QStringList texts;
        for (const TMessageBoxCall &box : FBoxes)
            texts << box.Text;
        QCOMPARE(texts,
            QStringList({noAnswer, noAnswer, QStringLiteral("Deseja excluir o registro?"), noAnswer, noAnswer}));
    }

    void deleteAnswers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        QTest::newRow("204 deletes") << 204 << "" << "";
        QTest::newRow("200 is a failure") << 200 << "" << "Falha ao excluir o registro. Código: 200";
        QTest::newRow("500") << 500 << ""
                             << "Falha ao excluir o registro. Código: 500";
        QTest::newRow("500 with message") << 500 << kChangedByOther << kChangedByOtherText;
        QTest::newRow("409, used by other records")
            << 409 << R"([{"mensagemUsuario": "A pessoa é usada em 3 pedidos."}])"
            << "A pessoa é usada em 3 pedidos.";
        QTest::newRow("412 with message") << 412 << kChangedByOther << kChangedByOtherText;
        QTest::newRow("412 without mensagemUsuario") << 412 << R"([{"erro": 1}])"
                                                     << "Falha ao excluir o registro. Código: 412";
    }

    void deleteAnswers()
    {
        QFETCH(int, status);
        QFETCH(QString, body);
        QFETCH(QString, message);
        const auto screen = OpenRecord7();
        FServer->Script("DELETE", "/pessoas/7", ScriptedAnswer(status, body.toStdString(), 200));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btExcluir->click();
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Deseja excluir o registro?"));
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Question);
        QCOMPARE(screen->lblRequest->text(), QStringLiteral("Request: DELETE pessoas/7"));
        QCOMPARE(screen->edtRequest->toPlainText(), QString());
        QVERIFY(!screen->btExcluir->isEnabled()); // in flight
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(FServer->RequestCount(), 1u);
        if (status == 204) {
            QCOMPARE(FBoxes.size(), 1);
            QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QString());
            QCOMPARE(TextOf(*screen, QStringLiteral("rua")), QString());
            // The record is gone: nothing is left to change or delete again.
            QVERIFY(!screen->Registro());
            QCOMPARE(screen->IDValue(), QString());
            QCOMPARE(ButtonState(*screen), QStringLiteral("gdNaePB"));
            QCOMPARE(screen->lblStatus->text(), QStringLiteral("Registro excluído."));
        } else {
            QCOMPARE(FBoxes.size(), 2);
            QCOMPARE(FBoxes[1].Text, message);
            QCOMPARE(FBoxes[1].Kind, TMessageKind::Error);
            QCOMPARE(screen->IDValue(), QStringLiteral("7"));
            QCOMPARE(ButtonState(*screen), QStringLiteral("gdNAEPB"));
            QCOMPARE(screen->lblStatus->text(), QString());
        }
    }

    // "Novo" pressed while the delete is on its way: once the server confirms, nothing brings the
    // deleted record or its id back.
    void deletedRecordStaysGoneAfterNovo()
    {
        const auto screen = OpenRecord7();
        FServer->Script("DELETE", "/pessoas/7", ScriptedAnswer(204, "", 200));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btExcluir->click();
        screen->btNovo->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Nova"));
        QVERIFY(AwaitAnswer(*screen, answers));
        QVERIFY(!screen->Registro());
        QCOMPARE(screen->Estado(), ceEdicao); // the new record being typed stays as it is
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Nova"));
        // Nothing is stored any more: "Desistir" leaves an empty screen.
        screen->btDesistir->click();
        QCOMPARE(screen->IDValue(), QString());
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QString());
        QCOMPARE(ButtonState(*screen), QStringLiteral("gdNaePB"));
    }

    void deleteNeedsRecordAndYes()
    {
        const auto fresh = OpenScreen();
        FServer->ClearRequests();
        fresh->btExcluirClick(); // the button is off; the handler itself still refuses
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Nenhum reigistro para ser excluído"));
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);

        const auto loaded = OpenRecord7();
        FServer->ClearRequests();
        FBoxes.QuestionAnswer = TMessageResult::No;
        loaded->btExcluir->click();
        QTest::qWait(100);
        QCOMPARE(FServer->RequestCount(), 0u);
        QCOMPARE(loaded->IDValue(), QStringLiteral("7"));
    }

    // "Novo" and "Pesquisar" on a record being edited (their buttons are off then; the main window
    // and other callers reach them directly) ask before throwing typed values away, and only when
    // the record the screen would save differs from the one editing started with.
    void unsavedChangesAskFirst_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("typed"); // texts typed into "nome" in turn
        QTest::addColumn<bool>("discard");      // the answer to the question
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("nameAfter");
        QTest::newRow("novo, nothing typed") << "novo" << QStringList() << true << false << "";
        QTest::newRow("novo, changed and back") << "novo" << QStringList {"Ana", "Bia"} << true << false << "";
        QTest::newRow("novo, changed, keep") << "novo" << QStringList {"Ana"} << false << true << "Ana";
        QTest::newRow("novo, changed, discard") << "novo" << QStringList {"Ana"} << true << true << "";
        QTest::newRow("pesquisar, changed, keep") << "pesquisar" << QStringList {"Ana"} << false << true << "Ana";
        QTest::newRow("new record typed, novo, keep") << "novo again" << QStringList {"Ana"} << false << true << "Ana";
        QTest::newRow("new record untouched, novo") << "novo again" << QStringList() << true << false << "";
    }

    void unsavedChangesAskFirst()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, typed);
        QFETCH(bool, discard);
        QFETCH(bool, asked);
        QFETCH(QString, nameAfter);
        const auto screen = OpenRecord7();
        if (action == QLatin1String("novo again"))
            screen->btNovoClick();
        else
            screen->btAlterarClick();
        for (const QString &text : typed)
            SetText(*screen, QStringLiteral("nome"), text);
        QCOMPARE(screen->HasUnsavedChanges(), asked);
        FBoxes.QuestionAnswer = discard ? TMessageResult::Yes : TMessageResult::No;

        if (action == QLatin1String("pesquisar"))
            screen->btPesquisarClick(); // kept: no search window opens
        else
            screen->btNovoClick();
        QCOMPARE(FBoxes.size(), asked ? 1 : 0);
        if (asked) {
            QCOMPARE(FBoxes[0].Text, QStringLiteral("Existem alterações não gravadas. Deseja descartá-las?"));
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Question);
        }
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), nameAfter);
        QCOMPARE(screen->Estado(), ceEdicao);
        const bool cleared = action == QLatin1String("novo") && (!asked || discard);
        QCOMPARE(screen->IDValue(), cleared || action == QLatin1String("novo again") ? QString() : QStringLiteral("7"));
    }

    void desistirRestoresValuesAndId()
    {
        const auto screen = OpenRecord7();
        FServer->Script(
            "GET", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7, "nome": "Bia", "endereco": {"rua": "Rua A"}})", 200));
        screen->btNovo->click();
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QString());
        QCOMPARE(TextOf(*screen, QStringLiteral("rua")), QString()); // groups are emptied too
        QVERIFY(screen->findChild<QLineEdit *>(QStringLiteral("rua"))->isEnabled());
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Outro"));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btDesistir->click();
        // The stored values at once, then the record as the server has it now.
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        QCOMPARE(TextOf(*screen, QStringLiteral("rua")), QStringLiteral("Rua A"));
        QVERIFY(TControlKind::IsLocked(screen->findChild<QLineEdit *>(QStringLiteral("rua"))));
        QCOMPARE(screen->IDValue(), QStringLiteral("7"));
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(FServer->Requests().at(0).Target, "/pessoas/7"s);
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));

        // So "Alterar" then "Gravar" updates record 7 instead of posting a copy.
        FServer->Script("PUT", "/pessoas/7", ScriptedAnswer(500, ""));
        FServer->ClearRequests();
        screen->btAlterar->click();
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers, 2));
        QCOMPARE(FServer->Requests().at(0).Method, "PUT"s);
    }

    // The reload "Desistir" asks for comes after the user pressed "Alterar" and typed: the
    // typed values stay.
    void desistirReloadNeverOverwritesNewEdits()
    {
        const auto screen = OpenRecord7();
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7, "nome": "Servidor"})", 300));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btAlterar->click();
        screen->btDesistir->click();
        screen->btAlterar->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Digitado"));
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Digitado"));
        QCOMPARE(screen->Estado(), ceEdicao);
    }

    // "Desistir" on a record never saved goes back to the screen before "Novo": empty and
    // locked, so typed values never look stored.
    void desistirOnNewRecordEmptiesTheForm()
    {
        const auto screen = OpenScreen();
        screen->btNovo->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Digitado"));
        SetText(*screen, QStringLiteral("rua"), QStringLiteral("Rua X"));
        FServer->ClearRequests();
        screen->btDesistir->click();
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QString());
        QCOMPARE(TextOf(*screen, QStringLiteral("rua")), QString());
        QCOMPARE(screen->Estado(), ceBloqueado);
        QCOMPARE(ButtonState(*screen), QStringLiteral("gdNaePB"));
        QCOMPARE(screen->IDValue(), QString());
        QCOMPARE(FServer->RequestCount(), 0u);
        QVERIFY(FBoxes.isEmpty());
    }

    // "Pesquisar" opens the search window on this screen's path and loads the row chosen there.
    void pesquisarLoadsChosenRecord_data()
    {
        QTest::addColumn<bool>("choose");
        QTest::newRow("Selecionar") << true;
        QTest::newRow("Cancelar") << false;
    }

    void pesquisarLoadsChosenRecord()
    {
        QFETCH(bool, choose);
        const auto screen = OpenScreen();
        FServer->Script("GET", "/pessoas/filtros", ScriptedAnswer(200, "[]"));
        FServer->Script("GET", "/pessoas/campos/pesquisa",
            ScriptedAnswer(200,
                R"([{"tipo": "long", "nome": "id", "label": "Código"}, {"tipo": "string", "nome": "nome", "label": "Nome"}])"));
        FServer->Script("GET", "/pessoas?size=10&page=0",
            ScriptedAnswer(200, R"({"content": [{"id": 7, "nome": "Bia"}], "totalPages": 1, "number": 0})"));
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, kPessoa7));
        bool driven = false;
        // Polls until the modal window is up, then drives it; the window never waits on the test.
        QTimer driver;
        driver.setInterval(20);
        connect(&driver, &QTimer::timeout, this, [&] {
            auto *search = qobject_cast<TfrmPesquisaPadrao *>(QApplication::activeModalWidget());
            if (!search)
                return;
            driver.stop();
            search->findChild<QPushButton *>(QStringLiteral("btPesquisar"))->click();
            const bool found = QTest::qWaitFor([search] { return !search->cdsPesquisa()->IsEmpty(); }, 5000);
            driven = found && search->Path() == QLatin1String("pessoas");
            // Closed in every case, so a failure cannot leave the test waiting on the window.
            search
                ->findChild<QPushButton *>(
                    choose && found ? QStringLiteral("btSelecionar") : QStringLiteral("btCancelar"))
                ->click();
        });
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        driver.start();
        screen->btPesquisar->click();
        driver.stop();
        QVERIFY(driven);
        if (choose) {
            QVERIFY(AwaitAnswer(*screen, answers));
            QCOMPARE(screen->IDValue(), QStringLiteral("7"));
            QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        } else {
            QTest::qWait(100);
            QCOMPARE(screen->IDValue(), QString());
            QVERIFY(!screen->Registro());
        }
        QVERIFY(FBoxes.isEmpty());
    }

    void debugPaneSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("paneWidth");
        QTest::addColumn<int>("requestHeight");
        QTest::newRow("1000 x 600") << QSize(1000, 600) << 400 << 300;
        QTest::newRow("603 x 361") << QSize(603, 361) << 241 << 180;
    }

    void debugPaneSizes()
    {
        QFETCH(QSize, size);
        QFETCH(int, paneWidth);
        QFETCH(int, requestHeight);
        TfrmCadastroPadrao screen;
        screen.resize(size);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QVERIFY(!screen.panelDebug->isVisible());
        screen.btDebug->click();
        QVERIFY(screen.Debug());
        QVERIFY(screen.btDebug->isChecked());
        QVERIFY(screen.panelDebug->isVisible());
        QCOMPARE(screen.panelDebug->width(), paneWidth);
        QCOMPARE(screen.edtRequest->height(), requestHeight);

        screen.edtResponse->SetJson(QStringLiteral("{}"));
        screen.btDebugClick();
        QVERIFY(!screen.Debug());
        QVERIFY(!screen.panelDebug->isVisible());
        QCOMPARE(screen.edtResponse->toPlainText(), QStringLiteral("{}"));
    }

    void formatarJsonActsOnItsOwnView()
    {
        TfrmCadastroPadrao screen;
        screen.show();
        const QString request = QStringLiteral(R"({"a":1})");
        screen.edtRequest->SetJson(request);
        screen.edtResponse->SetJson(QStringLiteral(R"({"id":7,"nome":"Ana"})"));
        emit screen.edtResponse->customContextMenuRequested(QPoint(5, 5));
        QVERIFY(screen.popDebug->isVisible());
        QCOMPARE(screen.popDebug->actions().size(), 1);
        QCOMPARE(screen.popDebug->actions().at(0)->text(), QStringLiteral("Formatar Json"));
        screen.popDebug->actions().at(0)->trigger();
        screen.popDebug->close();
        QCOMPARE(screen.edtResponse->toPlainText(), QStringLiteral("{\n  \"id\": 7,\n  \"nome\": \"Ana\"\n}"));
        QCOMPARE(screen.edtRequest->toPlainText(), request);
    }

    // An error raised by a tool-bar button clicked with the mouse (here "Desistir" writes back a
    // stored record whose lookup key is no number) is one error box, caught at our own code's
    // edge: unwinding through Qt's event dispatch leaked what its frames held (LeakSanitizer).
    void toolBarErrorsBecomeOneBox()
    {
        const auto screen = OpenScreen(R"([{"nome": "id", "label": "Código", "tipo": "long", "idField": true},
            {"nome": "cliente", "label": "Cliente", "tipo": "long", "resource": "clientes", "type": "REMOTE",
             "id": "id", "displayField": "nome", "count": 500}])");
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7, "cliente": 3})"));
        FServer->Script("GET", "/clientes/3", ScriptedAnswer(200, R"({"id": 3, "nome": "Ana"})"));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->Load(7);
        QVERIFY(AwaitAnswer(*screen, answers));
        screen->btAlterar->click();
        QVERIFY(FBoxes.isEmpty());

        screen->SetRegistro(TJson({{"id", 7}, {"cliente", "abc"}}));
        QTest::mouseClick(screen->btDesistir, Qt::LeftButton);
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("'abc' is not a valid integer value"));
    }

    // A record asked for later replaces one still on its way: the earlier, slower answer is not shown.
    void laterLoadReplacesOneStillOnItsWay()
    {
        auto screen = OpenScreen();
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, kPessoa7, 400));
        FServer->Script("GET", "/pessoas/8", ScriptedAnswer(200, R"({"id": 8, "nome": "Caio"})"));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->Load(7);
        screen->Load(8);
        QVERIFY(AwaitAnswer(*screen, answers, 2));
        QCOMPARE(screen->IDValue(), QStringLiteral("8"));
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Caio"));
        QVERIFY(!screen->Busy());
    }

    // A screen of kPedidoCampos showing record 7 (supplier 3), whose supplier's description is
    // delayed by delayMs.
    std::unique_ptr<TfrmCadastroPadrao> OpenPedido7(int delayMs)
    {
        auto screen = OpenScreen(kPedidoCampos);
        FServer->Script("GET", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7, "nome": "Bia", "fornecedor": 3})"));
        FServer->Script("GET", "/fornecedores/3", ScriptedAnswer(200, R"({"id": 3, "razao": "ACME Ltda"})", delayMs));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->Load(7);
        if (!AwaitAnswer(*screen, answers))
            qWarning("record 7 was not loaded");
        return screen;
    }

    // Waits until the server has seen that many requests and every answer was handled or dropped.
    bool WaitForRequestsToEnd(std::size_t requests)
    {
        return FServer->WaitForRequests(requests, 5000)
            && QTest::qWaitFor([] { return TRequestPool::Pool().activeThreadCount() == 0; }, 10000);
    }

    // The record is on screen with the lookup's key while its description is still on its way; a
    // save then sends the key, and the description is written when it comes.
    void recordShowsBeforeLookupDescriptions()
    {
        const auto screen = OpenPedido7(800);
        auto *fornecedor = screen->findChild<TLXSearchEdit *>(QStringLiteral("fornecedor"));
        QVERIFY(fornecedor);
        QCOMPARE(screen->IDValue(), QStringLiteral("7"));
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Bia"));
        QCOMPARE(fornecedor->KeyValue(), QStringLiteral("3"));
        QCOMPARE(fornecedor->text(), QStringLiteral("3"));
        QCOMPARE(fornecedor->DisplayValue(), QString());

        FServer->Script("PUT", "/pessoas/7", ScriptedAnswer(500, ""));
        screen->btAlterar->click();
        screen->btGravar->click();
        QVERIFY(FServer->WaitForRequests(3, 5000)); // record, description, save
        QCOMPARE(fornecedor->DisplayValue(), QString()); // the save went before the description came
        const auto requests = FServer->Requests();
        QCOMPARE(requests[2].Method, "PUT"s);
        QCOMPARE(QString::fromStdString(requests[2].Body), QStringLiteral(R"({"nome":"Bia","fornecedor":"3"})"));

        QTRY_COMPARE_WITH_TIMEOUT(fornecedor->DisplayValue(), QStringLiteral("ACME Ltda"), 5000);
        QCOMPARE(fornecedor->text(), QStringLiteral("ACME Ltda"));
        QCOMPARE(fornecedor->KeyValue(), QStringLiteral("3"));
        QCOMPARE(FBoxes.size(), 1); // the failed save, nothing for the description
    }

    void lateDescriptionAfterTheScreenMovedOn_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<QString>("shown"); // what the lookup edit shows at the end
        QTest::newRow("another record") << "load 8" << "Beta SA";
        QTest::newRow("Novo") << "novo" << "";
        QTest::newRow("tab closed") << "close" << "";
    }

    // A description still on its way when the screen moved on, or was closed, does nothing.
    void lateDescriptionAfterTheScreenMovedOn()
    {
        QFETCH(QString, then);
        QFETCH(QString, shown);
        auto screen = OpenPedido7(500);
        const QPointer<TLXSearchEdit> fornecedor = screen->findChild<TLXSearchEdit *>(QStringLiteral("fornecedor"));
        std::size_t requests = 2;
        if (then == QLatin1String("load 8")) {
            FServer->Script("GET", "/pessoas/8", ScriptedAnswer(200, R"({"id": 8, "nome": "Caio", "fornecedor": 4})"));
            FServer->Script("GET", "/fornecedores/4", ScriptedAnswer(200, R"({"id": 4, "razao": "Beta SA"})"));
            QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
            screen->Load(8);
            QVERIFY(AwaitAnswer(*screen, answers));
            requests += 2;
        } else if (then == QLatin1String("novo")) {
            screen->btNovo->click();
        } else {
            screen.reset();
        }
        QVERIFY(WaitForRequestsToEnd(requests));
        QTest::qWait(20);
        QVERIFY(FBoxes.isEmpty());
        if (!screen) {
            QVERIFY(!fornecedor);
            return;
        }
        QCOMPARE(fornecedor->text(), shown);
        QCOMPARE(fornecedor->DisplayValue(), shown);
    }

    // Answers that arrive after the screen was destroyed leave it alone.
    void answersAfterCloseDoNothing()
    {
        auto screen = OpenRecord7();
        FServer->Script("GET", "/pessoas/8", ScriptedAnswer(404, "", 300));
        FServer->Script("PUT", "/pessoas/7", ScriptedAnswer(500, "", 300));
        FServer->ClearRequests();
        screen->Load(8);
        screen->btAlterar->click();
        screen->btGravar->click();
        QVERIFY(screen->Busy());
        QVERIFY(FServer->WaitForRequests(2, 5000));
        screen.reset();
        QTest::qWait(600);
        QVERIFY(FBoxes.isEmpty());
    }

    // Esc (and the other tool-bar keys) belong to the screen: a key that closes an open pop-up, or
    // that is pressed outside the screen, leaves the edit alone.
    void shortcutsLeavePopupsAndOtherWidgetsAlone_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<int>("key");
        QTest::newRow("Esc in an open combo list") << "combo" << int(Qt::Key_Escape);
        QTest::newRow("Enter in an open combo list") << "combo" << int(Qt::Key_Return);
        QTest::newRow("Esc in the debug pop-up menu") << "menu" << int(Qt::Key_Escape);
        QTest::newRow("Esc in a box outside the screen") << "outside" << int(Qt::Key_Escape);
        QTest::newRow("Ctrl+S outside the screen") << "outside" << (Qt::Key_S | Qt::ControlModifier).toCombined();
    }

    void shortcutsLeavePopupsAndOtherWidgetsAlone()
    {
        QFETCH(QString, where);
        QFETCH(int, key);
        QWidget window;
        auto *layout = new QVBoxLayout(&window);
        auto *outside = new QLineEdit(&window);
        layout->addWidget(outside);
        FServer->Script("GET", "/pessoas/campos", ScriptedAnswer(200, R"([
            {"nome": "nome", "label": "Nome", "tipo": "string"},
            {"nome": "sexo", "label": "Sexo", "tipo": "enum",
             "values": [{"id": "F", "descricao": "Feminino"}, {"id": "M", "descricao": "Masculino"}]}])"));
        auto *screen = new TfrmCadastroPadrao(&window);
        layout->addWidget(screen);
        window.resize(800, 500);
        window.show();
        QSignalSpy built(screen, &TfrmCadastroPadrao::fieldsLoaded);
        screen->SetPath(QStringLiteral("pessoas"));
        QVERIFY(built.wait(5000));
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        screen->btNovo->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("Digitado"));
        FServer->ClearRequests();

        QWidget *target = nullptr;
        if (where == QLatin1String("combo")) {
            auto *combo = screen->findChild<QComboBox *>(QStringLiteral("sexo"));
            combo->setFocus();
            combo->showPopup();
            QTRY_VERIFY(combo->view()->isVisible());
            target = combo->view();
        } else if (where == QLatin1String("menu")) {
            screen->popDebug->popup(screen->mapToGlobal(QPoint(10, 10)));
            QTRY_VERIFY(screen->popDebug->isVisible());
            target = screen->popDebug;
        } else {
            outside->setFocus();
            target = outside;
        }
        const auto keyCode = Qt::Key(key & ~Qt::KeyboardModifierMask);
        QTest::keyClick(target, keyCode, Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        if (keyCode == Qt::Key_Escape)
            QTRY_VERIFY(!QApplication::activePopupWidget()); // the pop-up took the key and closed
        QTest::qWait(50);
        QCOMPARE(screen->Estado(), ceEdicao);
        QCOMPARE(TextOf(*screen, QStringLiteral("nome")), QStringLiteral("Digitado"));
        QCOMPARE(FServer->RequestCount(), 0u);
    }

    // The id is shown and sent as loaded, and never typed into, in either state.
    void idFieldIsShownButNeverTyped()
    {
        const auto screen = OpenRecord7();
        auto *id = screen->findChild<QLineEdit *>(QStringLiteral("id"));
        QVERIFY(id->isVisibleTo(screen.get()));
        QCOMPARE(id->text(), QStringLiteral("7"));
        screen->btAlterar->click();
        QVERIFY(id->isReadOnly());
        QVERIFY(!TControlKind::IsLocked(screen->findChild<QLineEdit *>(QStringLiteral("nome"))));
        QTest::keyClicks(id, QStringLiteral("99"));
        QCOMPARE(id->text(), QStringLiteral("7"));
        FServer->Script("PUT", "/pessoas/7", ScriptedAnswer(500, ""));
        FServer->ClearRequests();
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        QVERIFY(QString::fromStdString(FServer->Requests().at(0).Body).contains(QStringLiteral("\"id\":\"7\"")));
        screen->btDesistir->click();
        screen->btNovo->click();
        QVERIFY(id->isReadOnly());
        QCOMPARE(id->text(), QString());
    }

    // After "Novo" and "Alterar" the keys go to the first field the user can type into; locking
    // never sends them out of the screen (here to the window's filter, as to the main menu's).
    void focusFollowsTheWork_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<QString>("defaultFocus");
        QTest::addColumn<QString>("focused");
        QTest::newRow("novo") << "novo"
                              << ""
                              << "nome";
        QTest::newRow("novo, DefaultFocus") << "novo"
                                            << "ativo"
                                            << "ativo";
        QTest::newRow("alterar") << "alterar"
                                 << ""
                                 << "nome";
        QTest::newRow("gravar from a check box") << "gravar"
                                                 << "ativo"
                                                 << "btAlterar";
        QTest::newRow("gravar from an edit box") << "gravar"
                                                 << "nome"
                                                 << "nome";
        QTest::newRow("desistir from a combo box") << "desistir"
                                                   << "sexo"
                                                   << "btAlterar";
    }

    void focusFollowsTheWork()
    {
        QFETCH(QString, step);
        QFETCH(QString, defaultFocus);
        QFETCH(QString, focused);
        const TEveryKindWindow opened = OpenEveryKind7();
        TfrmCadastroPadrao *screen = opened.Screen;
        QWidget *preferred = defaultFocus.isEmpty() ? nullptr : screen->findChild<QWidget *>(defaultFocus);
        opened.Filter->setFocus();
        if (step == QLatin1String("novo")) {
            screen->SetDefaultFocus(preferred);
            screen->btNovo->click();
        } else if (step == QLatin1String("alterar")) {
            screen->btAlterar->click();
        } else {
            screen->btAlterar->click();
            preferred->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), preferred);
            FServer->Script("PUT", "/pessoas/7", ScriptedAnswer(200, R"({"id": 7})"));
            QSignalSpy answers(screen, &TfrmCadastroPadrao::answerHandled);
            (step == QLatin1String("gravar") ? screen->btGravar : screen->btDesistir)->click();
            QVERIFY(AwaitAnswer(*screen, answers, step == QLatin1String("gravar") ? 2 : 1));
        }
        QTRY_VERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), focused);
        QVERIFY(screen->isAncestorOf(QApplication::focusWidget()));
    }

    // Every answer's messages for the user in one box, whatever its status; the fields they name
    // (by member in "mensagemDesenvolvedor" or by caption) are marked until their value changes.
    void userMessagesMarkTheirFields_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("marked");
        QTest::newRow("named by member")
            << R"([{"mensagemUsuario": "Preencha este campo.", "mensagemDesenvolvedor": "nome: obrigatório e vazio"},
                  {"mensagemUsuario": "Informe o endereço.", "mensagemDesenvolvedor": "endereco.rua: obrigatório e vazio"}])"
            << "Preencha este campo.\nInforme o endereço."
            << "nome,rua";
        QTest::newRow("named by caption") << "[{\"mensagemUsuario\": \"O campo \\\"Rua\\\" é obrigatório.\"}]"
                                          << "O campo \"Rua\" é obrigatório."
                                          << "rua";
        QTest::newRow("naming no field") << kChangedByOther << kChangedByOtherText << "";
    }

    void userMessagesMarkTheirFields()
    {
        QFETCH(QString, body);
        QFETCH(QString, message);
        QFETCH(QString, marked);
        const auto screen = OpenScreen();
        FServer->Script("POST", "/pessoas", ScriptedAnswer(400, body.toStdString()));
        QSignalSpy answers(screen.get(), &TfrmCadastroPadrao::answerHandled);
        screen->btNovo->click();
        SetText(*screen, QStringLiteral("nome"), QStringLiteral("A"));
        screen->btGravar->click();
        QVERIFY(AwaitAnswer(*screen, answers));
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, message);
        const auto markedNames = [&screen] {
            QStringList names;
            for (QWidget *control : screen->findChildren<QWidget *>())
                if (TFieldMark::IsMarked(control))
                    names << control->objectName();
            std::sort(names.begin(), names.end());
            return names.join(u',');
        };
        QCOMPARE(markedNames(), marked);
        if (marked.isEmpty())
            return;
        auto *first = screen->findChild<QLineEdit *>(marked.section(u',', 0, 0));
        QCOMPARE(first->palette().color(QPalette::Base), TFieldMark::MarkColor);
        QVERIFY(message.contains(first->toolTip()));
        SaveMessageShot(*screen, message);
        QTest::keyClicks(first, QStringLiteral("b")); // a change takes that mark away only
        QCOMPARE(markedNames(), marked.section(u',', 1));
        QCOMPARE(first->palette().color(QPalette::Base),
            screen->findChild<QLineEdit *>(QStringLiteral("id"))->palette().color(QPalette::Base));
        screen->btDesistir->click(); // nothing left to correct
        QCOMPARE(markedNames(), QString());
    }

    // A stored record: each kind of control shows its text at a contrast of at least 4.5:1 with
    // its background (from its own palette, in the state it is in), and refuses edits.
    void lockedRecordIsReadableAndRefusesEdits()
    {
        const TEveryKindWindow opened = OpenEveryKind7();
        TfrmCadastroPadrao *screen = opened.Screen;
        QTRY_COMPARE(screen->findChild<TLXSearchEdit *>(QStringLiteral("fornecedor"))->DisplayValue(),
            QStringLiteral("ACME Ltda"));
        const TJson before = screen->getRecord();
        QCOMPARE(screen->FieldMap().size(), 8);
        for (QWidget *control : screen->FieldMap()) {
            const QString name = control->objectName();
            QVERIFY2(TControlKind::IsLocked(control), qPrintable(name));
            const double contrast = TextContrastOf(control);
            QVERIFY2(contrast >= 4.5, qPrintable(QStringLiteral("%1: %2:1").arg(name).arg(contrast)));
            control->setFocus();
            QTest::keyClicks(control, QStringLiteral("9x "));
            for (const Qt::Key key : {Qt::Key_Delete, Qt::Key_Backspace, Qt::Key_Down, Qt::Key_Space, Qt::Key_F8})
                QTest::keyClick(control, key);
            QTest::mouseClick(control, Qt::LeftButton);
        }
        QCOMPARE(screen->getRecord(), before);
        QVERIFY(FBoxes.isEmpty());
        // Edit boxes keep their text selectable, to copy it.
        auto *nome = screen->findChild<QLineEdit *>(QStringLiteral("nome"));
        nome->selectAll();
        QCOMPARE(nome->selectedText(), QStringLiteral("Bia Souza"));
        SaveToGallery(*screen, QStringLiteral("locked-record"));
    }

    void shortcutsFollowTheButtons()
    {
        const auto screen = OpenRecord7();
        screen->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
        FServer->ClearRequests();
        QTest::keyClick(screen.get(), Qt::Key_S, Qt::ControlModifier); // "Gravar" is off when locked
        QTest::keyClick(screen.get(), Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(screen->Estado(), ceEdicao);
        QTest::keyClick(screen.get(), Qt::Key_N, Qt::ControlModifier); // "Novo" is off while editing
        QCOMPARE(screen->IDValue(), QStringLiteral("7"));
        auto *nome = screen->findChild<QLineEdit *>(QStringLiteral("nome"));
        nome->setFocus();
        QTest::keyClick(nome, Qt::Key_Escape); // from a field of the screen
        QCOMPARE(screen->Estado(), ceBloqueado);
        QTest::keyClick(screen.get(), Qt::Key_N, Qt::ControlModifier);
        QCOMPARE(screen->IDValue(), QString());
        QTest::qWait(50);
        // Nothing was written: the one request is the reload "Desistir" asks for.
        QCOMPARE(FServer->RequestCount(), 1u);
        QCOMPARE(FServer->Requests().at(0).Method, "GET"s);
    }
};

QTEST_MAIN(TestCadastroPadrao)
#include "tst_TfrmCadastroPadrao.moc"
