#include "gui/TIcons.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"
#include "tests/support/SaveToGallery.h"
#include "tests/support/TMessageBoxRecorder.h"

#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

#include <memory>

namespace {

TJson Json(const char *text) { return *ParseJson(std::string_view(text)); }

QLabel *CaptionOf(QWidget *row)
{
    const QList<QLabel *> labels = row->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
    return labels.isEmpty() ? nullptr : labels.first();
}

QStringList OptionTexts(const QComboBox *combo)
{
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

} // namespace

class tst_FillFields final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void controlPerDescriptor_data();
    void controlPerDescriptor();
    void rowIsFullWidthCell();
    void enumOptionsSortedNoneSelected();
    void resourceComboSettings_data();
    void resourceComboSettings();
    void remoteComboLoadsAtOnceUnlessParams();
    void subObjectMakesTwoRows();
    void lookupEditSettings();
    void idFieldRowIsKeptOutButControlReturned();
    void missingOrMistypedKeys_data();
    void missingOrMistypedKeys();
    void galleryOfEveryKind();

private:
    std::unique_ptr<TTestServer> FServer;
    std::unique_ptr<TLXColumnPanel> FContainer;
    TMessageBoxRecorder FBoxes;
};

void tst_FillFields::initTestCase()
{
    FServer = std::make_unique<TTestServer>();
    FServer->InstallAsSystemConfig();
    FServer->ScriptDefault({200, "[]"});
}

void tst_FillFields::init()
{
    FContainer = std::make_unique<TLXColumnPanel>();
    FContainer->resize(800, 600);
    FServer->ClearRequests();
    FBoxes.clear();
}

void tst_FillFields::cleanup()
{
    FContainer.reset();
    QVERIFY(FBoxes.isEmpty());
}

void tst_FillFields::controlPerDescriptor_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QString>("className"); // empty: no control
    QTest::addColumn<int>("maxLength");     // edit boxes only

    const int none = QLineEdit().maxLength();
    QTest::newRow("long") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long"})") << "QLineEdit" << none;
    QTest::newRow("int") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"int"})") << "QLineEdit" << none;
    QTest::newRow("float") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"float"})") << "QLineEdit" << none;
    QTest::newRow("INT in capitals") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"INT"})") << "QLineEdit" << none;
    QTest::newRow("long ignores tamanho") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","tamanho":{"max":5}})") << "QLineEdit" << none;
    QTest::newRow("string tamanho 60") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"string","tamanho":{"max":60}})") << "QLineEdit" << 60;
    QTest::newRow("string tamanho 0") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"string","tamanho":{"max":0}})") << "QLineEdit" << none;
    QTest::newRow("string without tamanho") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"String"})") << "QLineEdit" << none;
    QTest::newRow("double tamanho 12") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"double","tamanho":{"max":12}})") << "QLineEdit" << 12;
    QTest::newRow("boolean") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"boolean"})") << "QCheckBox" << 0;
    QTest::newRow("BOOLEAN") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"BOOLEAN"})") << "QCheckBox" << 0;
    QTest::newRow("localdate") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"LocalDate"})") << "TLXDateEdit" << 0;
    QTest::newRow("enum") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"ENUM","values":[]})") << "TResourceComboBox" << 0;
    QTest::newRow("local resource") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","resource":"root.itens","type":"LOCAL","id":"id","displayField":"nome"})") << "TResourceComboBox" << 0;
    QTest::newRow("type remote in small letters is local") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","resource":"root.itens","type":"remote","id":"id","displayField":"nome"})") << "TResourceComboBox" << 0;
    QTest::newRow("remote count 50") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","resource":"cidades","type":"REMOTE","id":"id","displayField":"nome","count":50})") << "TResourceComboBox" << 0;
    QTest::newRow("remote count 51") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","resource":"cidades","type":"REMOTE","id":"id","displayField":"nome","count":51})") << "TLXSearchEdit" << 0;
    QTest::newRow("remote count 51 with params") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"long","resource":"cidades","type":"REMOTE","id":"id","displayField":"nome","count":51,"params":[]})") << "TResourceComboBox" << 0;
    QTest::newRow("list") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"list","fields":[]})") << QString() << 0;
    QTest::newRow("object") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"object","fields":[]})") << QString() << 0;
    QTest::newRow("unknown tipo") << QByteArray(R"({"nome":"codigo","label":"Código","tipo":"blob"})") << QString() << 0;
}

// Every descriptor gives one row labelled "label:"; the control, if any, is named "nome" and sits in it.
void tst_FillFields::controlPerDescriptor()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QString, className);
    QFETCH(int, maxLength);

    QWidget *control = TFieldEngine::FillFields(FContainer.get(), Json(descriptor.constData()));

    const QList<TLXColumnPanel *> rows = FContainer->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(CaptionOf(rows.first())->text(), QStringLiteral("Código:"));
    if (className.isEmpty()) {
        QVERIFY(!control);
        QCOMPARE(rows.first()->findChildren<QWidget *>().size(), 1); // the label alone
        return;
    }
    QVERIFY(control);
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), className);
    QCOMPARE(control->objectName(), QStringLiteral("codigo"));
    QCOMPARE(control->parentWidget(), rows.first());
    if (auto *edit = qobject_cast<QLineEdit *>(control); edit && className == QLatin1String("QLineEdit")) {
        QCOMPARE(edit->maxLength(), maxLength);
        QVERIFY(edit->text().isEmpty());
    }
    if (auto *check = qobject_cast<QCheckBox *>(control)) {
        QVERIFY(!check->isChecked());
        QVERIFY(check->text().isEmpty());
    }
    if (auto *combo = qobject_cast<QComboBox *>(control)) {
        QCOMPARE(combo->currentIndex(), -1);
        QVERIFY(!combo->isEditable());
    }
    if (auto *date = qobject_cast<QDateEdit *>(control)) {
        QVERIFY(date->calendarPopup());
        QCOMPARE(date->date(), QDate(1899, 12, 30));
        QCOMPARE(date->text().trimmed(), QString()); // the empty date shows blank
    }
}

// A row is a full-width auto-height cell; after a layout pass its label and control share the width.
void tst_FillFields::rowIsFullWidthCell()
{
    QWidget *first = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"a","label":"Nome","tipo":"string"})"));
    QWidget *second = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"b","label":"Data de nascimento","tipo":"localdate"})"));
    auto *row = qobject_cast<TLXColumnPanel *>(first->parentWidget());
    QVERIFY(row);
    QVERIFY(row->AutoHeight());
    for (const int span : {row->Config()->Small(), row->Config()->Medium(), row->Config()->Large(), row->Config()->ExtraLarge()})
        QCOMPARE(span, 24);

    FContainer->Loaded();
    FContainer->show();
    QVERIFY(QTest::qWaitForWindowExposed(FContainer.get()));
    QTRY_VERIFY(row->width() >= FContainer->width() - 1); // 24 spans of width / 24, truncated
    QVERIFY(second->parentWidget()->y() > row->y());
    // Labels get one common width, so both controls start at the same x.
    QTRY_VERIFY(first->x() > 0);
    QTRY_COMPARE(first->x(), second->x());
    QTRY_COMPARE(first->x() + first->width(), row->width());
}

void tst_FillFields::enumOptionsSortedNoneSelected()
{
    auto *combo = qobject_cast<TResourceComboBox *>(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"sexo","label":"Sexo","tipo":"enum","values":[{"id":"M","descricao":"Masculino"},{"id":"F","descricao":"Feminino"}]})")));
    QVERIFY(combo);
    QCOMPARE(OptionTexts(combo), QStringList({"Feminino", "Masculino"}));
    QCOMPARE(combo->currentIndex(), -1);
    QCOMPARE(combo->ValueAt(0)->KeyValue(), QStringLiteral("F"));
    QCOMPARE(combo->ValueAt(1)->KeyValue(), QStringLiteral("M"));
    QCOMPARE(combo->ResourceType(), rtNone);
}

void tst_FillFields::resourceComboSettings_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<int>("resourceType");
    QTest::addColumn<QString>("resource");
    QTest::addColumn<int>("params");

    QTest::newRow("local") << QByteArray(R"({"nome":"c","label":"C","tipo":"long","resource":"root.itens","type":"LOCAL","id":"codigo","displayField":"descricao"})")
                           << int(rtLocal) << "root.itens" << 0;
    QTest::newRow("remote") << QByteArray(R"({"nome":"c","label":"C","tipo":"long","resource":"cidades","type":"REMOTE","id":"codigo","displayField":"descricao","count":3})")
                            << int(rtRemote) << "cidades" << 0;
    QTest::newRow("method appended as it is") << QByteArray(R"({"nome":"c","label":"C","tipo":"long","resource":"cidades","type":"REMOTE","id":"codigo","displayField":"descricao","count":3,"method":"/ativas"})")
                                              << int(rtRemote) << "cidades/ativas" << 0;
    QTest::newRow("params") << QByteArray(R"({"nome":"c","label":"C","tipo":"long","resource":"cidades","type":"REMOTE","id":"codigo","displayField":"descricao","count":3,
                                              "params":[{"nome":"uf","tipo":"string","origem":{"source":"root.estados","field":"sigla"}},{"nome":"ativo","tipo":"boolean"}]})")
                            << int(rtRemote) << "cidades" << 2;
}

void tst_FillFields::resourceComboSettings()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(int, resourceType);
    QFETCH(QString, resource);
    QFETCH(int, params);

    auto *combo = qobject_cast<TResourceComboBox *>(TFieldEngine::FillFields(FContainer.get(), Json(descriptor.constData())));
    QVERIFY(combo);
    QCOMPARE(int(combo->ResourceType()), resourceType);
    QCOMPARE(combo->Resource(), resource);
    QCOMPARE(combo->KeyField(), QStringLiteral("codigo"));
    QCOMPARE(combo->DisplayField(), QStringLiteral("descricao"));
    QCOMPARE(int(combo->Params().size()), params);
    if (params == 2) {
        const TResourceParam &uf = combo->Params()[0];
        QCOMPARE(uf.Name, QStringLiteral("uf"));
        QCOMPARE(uf.ParamType, QStringLiteral("string"));
        QCOMPARE(uf.Source.Source, QStringLiteral("root.estados"));
        QCOMPARE(uf.Source.Field, QStringLiteral("sigla"));
        QCOMPARE(combo->Params()[1].Name, QStringLiteral("ativo"));
        QVERIFY(combo->Params()[1].Source.Source.isEmpty());
    }
}

// Without "params" the options are requested during FillFields and arrive later; with "params" nothing is sent.
void tst_FillFields::remoteComboLoadsAtOnceUnlessParams()
{
    FServer->Script("GET", "/bairros/ativos?size=50&page=0", {200, R"([{"id":2,"nome":"Olinda"},{"id":1,"nome":"Recife"}])"});
    auto *withParams = qobject_cast<TResourceComboBox *>(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"p","label":"P","tipo":"long","resource":"ufs","type":"REMOTE","id":"id","displayField":"nome","count":3,"params":[{"nome":"x","tipo":"string"}]})")));
    auto *loaded = qobject_cast<TResourceComboBox *>(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"c","label":"C","tipo":"long","resource":"bairros","method":"/ativos","type":"REMOTE","id":"id","displayField":"nome","count":3})")));
    QVERIFY(withParams && loaded);

    QSignalSpy arrived(loaded, &TResourceComboBox::OptionsArrived);
    QVERIFY(arrived.wait(10000));
    QCOMPARE(OptionTexts(loaded), QStringList({"Olinda", "Recife"}));
    QCOMPARE(loaded->currentIndex(), -1);
    QTest::qWait(100);
    // Loads started by earlier tests may still land here: count only this test's resources.
    int bairros = 0;
    for (const TRecordedRequest &request : FServer->Requests()) {
        QVERIFY(request.Target.rfind("/ufs", 0) != 0);
        bairros += request.Target == "/bairros/ativos?size=50&page=0";
    }
    QCOMPARE(bairros, 1);
    QCOMPARE(withParams->count(), 0);
}

void tst_FillFields::subObjectMakesTwoRows()
{
    FServer->Script("GET", "/estados?size=50&page=0", {200, R"({"content":[{"sigla":"PE","nome":"Pernambuco","cidades":[{"cod":"1","nome":"Recife"}]}]})"});
    QWidget *control = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"cidade","label":"Cidade","tipo":"long","resource":"estados","type":"REMOTE",
        "id":"sigla","displayField":"nome","count":99,"subObject":{"id":"cod","displayField":"nome","resource":"cidades"}})"));
    auto *main = qobject_cast<TResourceComboBox *>(control);
    QVERIFY(main);
    QCOMPARE(main->objectName(), QStringLiteral("cidadeRoot"));
    QCOMPARE(main->ResourceType(), rtRemote);

    const QList<TLXColumnPanel *> rows = FContainer->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly);
    QCOMPARE(rows.size(), 2);
    QCOMPARE(CaptionOf(rows[0])->text(), QStringLiteral("Cidade:"));
    QCOMPARE(CaptionOf(rows[1])->text(), QString());
    TResourceComboBox *sub = main->SubObject();
    QVERIFY(sub);
    QCOMPARE(sub->parentWidget(), rows[1]);
    QCOMPARE(sub->objectName(), QStringLiteral("cidade"));
    QCOMPARE(sub->ResourceType(), rtLocal);
    QCOMPARE(sub->Resource(), QStringLiteral("cidades"));
    QCOMPARE(sub->KeyField(), QStringLiteral("cod"));

    // Choosing a main option fills the dependent one.
    QSignalSpy arrived(main, &TResourceComboBox::OptionsArrived);
    QVERIFY(arrived.wait(10000));
    main->setCurrentIndex(0);
    QCOMPARE(OptionTexts(sub), QStringList({"Recife"}));
}

void tst_FillFields::lookupEditSettings()
{
    auto *edit = qobject_cast<TLXSearchEdit *>(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"fornecedor","label":"Fornecedor","tipo":"long","resource":"fornecedores","method":"/x","type":"REMOTE","id":"codigo","displayField":"razao","count":5000})")));
    QVERIFY(edit);
    QCOMPARE(edit->objectName(), QStringLiteral("fornecedor"));
    QCOMPARE(edit->Config()->Resource(), QStringLiteral("fornecedores")); // "method" is not used
    QCOMPARE(edit->Config()->KeyField(), QStringLiteral("codigo"));
    QCOMPARE(edit->Config()->DisplayField(), QStringLiteral("razao"));
    QVERIFY(edit->KeyValue().isEmpty());
    QVERIFY(edit->DisplayValue().isEmpty());
    QVERIFY(!edit->RightButton()->icon().isNull());
    QCOMPARE(edit->RightButton()->icon().cacheKey(), TIcons::Of(TIcon::Search).cacheKey());
    QTest::qWait(50);
    QCOMPARE(FServer->RequestCount(), std::size_t(0));
}

// The row of an "idField" descriptor is neither placed nor shown, but its control comes back and
// the row can be put back in its place; the container still owns it.
void tst_FillFields::idFieldRowIsKeptOutButControlReturned()
{
    QWidget *id = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"id","label":"Id","tipo":"long","idField":true})"));
    QWidget *name = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"nome","label":"Nome","tipo":"string"})"));
    QVERIFY(id && name);
    QPointer<TLXColumnPanel> row = TFieldEngine::RowOf(id);
    QVERIFY(row);
    QVERIFY(TFieldEngine::IsRowDetached(id));
    QVERIFY(!TFieldEngine::IsRowDetached(name));
    QCOMPARE(FContainer->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly).size(), 1);

    FContainer->Loaded();
    FContainer->show();
    QVERIFY(QTest::qWaitForWindowExposed(FContainer.get()));
    QVERIFY(!id->isVisible());
    QVERIFY(name->isVisible());

    TFieldEngine::AttachRow(id);
    QVERIFY(!TFieldEngine::IsRowDetached(id));
    QCOMPARE(row->parentWidget(), FContainer.get());
    QTRY_VERIFY(id->isVisible());

    QWidget *hidden = TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"x","label":"X","tipo":"long","idField":1})"));
    QPointer<QWidget> guard(hidden);
    FContainer.reset();
    QVERIFY(!guard); // destroyed with the container although never placed
}

void tst_FillFields::missingOrMistypedKeys_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("rows"); // rows left in the container

    QTest::newRow("no label") << QByteArray(R"({"nome":"a","tipo":"long"})") << "Value 'label' not found" << 1;
    QTest::newRow("no tipo") << QByteArray(R"({"nome":"a","label":"A"})") << "Value 'tipo' not found" << 1;
    QTest::newRow("no nome") << QByteArray(R"({"label":"A","tipo":"long"})") << "Value 'nome' not found" << 1;
    QTest::newRow("no type") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","id":"id","displayField":"d"})") << "Value 'type' not found" << 1;
    QTest::newRow("remote without count") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"REMOTE","id":"id","displayField":"d"})") << "Value 'count' not found" << 1;
    QTest::newRow("local without id") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"LOCAL","displayField":"d"})") << "Value 'id' not found" << 1;
    QTest::newRow("lookup without displayField") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"REMOTE","id":"id","count":51})") << "Value 'displayField' not found" << 1;
    QTest::newRow("enum without values") << QByteArray(R"({"nome":"a","label":"A","tipo":"enum"})") << "Value 'values' not found" << 1;
    QTest::newRow("enum value without descricao") << QByteArray(R"({"nome":"a","label":"A","tipo":"enum","values":[{"id":1}]})") << "Value 'descricao' not found" << 1;
    QTest::newRow("param without nome") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"REMOTE","id":"id","displayField":"d","count":1,"params":[{"tipo":"s"}]})") << "Value 'nome' not found" << 1;
    QTest::newRow("subObject without resource") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"REMOTE","id":"id","displayField":"d","count":1,"subObject":{"id":"i","displayField":"d"}})") << "Value 'subObject.resource' not found" << 2;
    QTest::newRow("label is an object") << QByteArray(R"({"nome":"a","label":{},"tipo":"long"})") << "Conversion from TJSONObject to string is not supported" << 1;
    QTest::newRow("count is text") << QByteArray(R"({"nome":"a","label":"A","tipo":"long","resource":"x","type":"REMOTE","id":"id","displayField":"d","count":"many"})") << "'many' is not a valid integer value" << 1;
    QTest::newRow("values is not an array") << QByteArray(R"({"nome":"a","label":"A","tipo":"enum","values":{}})") << "Invalid class typecast" << 1;
}

void tst_FillFields::missingOrMistypedKeys()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(QString, message);
    QFETCH(int, rows);

    try {
        TFieldEngine::FillFields(FContainer.get(), Json(descriptor.constData()));
        QFAIL("no error raised");
    } catch (const EJsonException &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
    QCOMPARE(FContainer->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly).size(), rows);
}

// A screen of one field of each kind, rendered for a person to look at.
void tst_FillFields::galleryOfEveryKind()
{
    const TJson descriptors = Json(R"([
      {"nome":"id","label":"Código","tipo":"long"},
      {"nome":"nome","label":"Nome","tipo":"string","tamanho":{"max":60}},
      {"nome":"ativo","label":"Ativo","tipo":"boolean"},
      {"nome":"nascimento","label":"Data de nascimento","tipo":"localdate"},
      {"nome":"sexo","label":"Sexo","tipo":"enum","values":[{"id":"M","descricao":"Masculino"},{"id":"F","descricao":"Feminino"}]},
      {"nome":"fornecedor","label":"Fornecedor","tipo":"long","resource":"fornecedores","type":"REMOTE","id":"id","displayField":"razao","count":900}
    ])");
    QList<QWidget *> controls;
    for (const TJson &descriptor : descriptors)
        controls << TFieldEngine::FillFields(FContainer.get(), descriptor);
    qobject_cast<QLineEdit *>(controls[1])->setText(QStringLiteral("Ana Maria"));
    qobject_cast<QDateEdit *>(controls[3])->setDate(QDate(2024, 3, 5));
    FContainer->Loaded();
    FContainer->resize(640, 220);
    FContainer->show();
    QVERIFY(QTest::qWaitForWindowExposed(FContainer.get()));
    QTRY_VERIFY(controls[5]->parentWidget()->y() > 100);

    SaveToGallery(*FContainer, QStringLiteral("field_engine_rows"));
}

QTEST_MAIN(tst_FillFields)
#include "tst_FillFields.moc"
