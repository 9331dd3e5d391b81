#include "gui/TIcons.h"
#include "fields/IDetailListEditor.h"
#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "rest/THttpClient.h"
#include "rest/TRequestPool.h"
#include "gui/TMessageBox.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TFieldMark.h"
#include "widgets/TLXSearchEdit.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QtTest>

#include <memory>

namespace {

TJson Json(const char *text)
{
    std::optional<TJson> parsed = ParseJson(std::string_view(text));
    if (!parsed)
        qFatal("bad JSON in test: %s", text);
    return *parsed;
}

QString Dump(const TJson &value) { return QString::fromStdString(value.dump()); }

// The warnings of the field engine's log category while it lives.
class TFieldsWarnings final
{
public:
    TFieldsWarnings() { FPrevious = qInstallMessageHandler(Catch); }
    ~TFieldsWarnings()
    {
        qInstallMessageHandler(FPrevious);
        FLines.clear();
    }
    static QStringList Lines() { return FLines; }

private:
    static void Catch(QtMsgType type, const QMessageLogContext &context, const QString &message)
    {
        if (type == QtWarningMsg && qstrcmp(context.category, "quorel.fields") == 0)
            FLines << message;
        else
            FPrevious(type, context, message);
    }
    static inline QtMessageHandler FPrevious = nullptr;
    static inline QStringList FLines;
};

// A detail-list editor as the field engine sees it.
class TDetailListDouble final : public QWidget, public IDetailListEditor
{
public:
    explicit TDetailListDouble(QWidget *parent) : QWidget(parent) { setObjectName(QStringLiteral("paginaItens")); }
    QString FieldName() const override { return QStringLiteral("itens"); }
    const TJson &Values() const override { return FValues; }
    void SetValues(const TJson &Values) override { FValues = Values; }

private:
    TJson FValues = TJson::array();
};

// One field of each kind, made from descriptors as a screen makes them.
const char *const kDescriptors = R"([
  {"nome":"codigo","label":"Código","tipo":"long"},
  {"nome":"nome","label":"Nome","tipo":"string","tamanho":{"max":60}},
  {"nome":"ativo","label":"Ativo","tipo":"boolean"},
  {"nome":"nascimento","label":"Nascimento","tipo":"localdate"},
  {"nome":"sexo","label":"Sexo","tipo":"enum","values":[{"id":"M","descricao":"Masculino"},{"id":"F","descricao":"Feminino"}]},
  {"nome":"cidade","label":"Cidade","tipo":"long","resource":"cidades","type":"REMOTE","id":"id","displayField":"nome","count":3},
  {"nome":"fornecedor","label":"Fornecedor","tipo":"long","resource":"fornecedores","type":"REMOTE","id":"id","displayField":"razao","count":900},
  {"nome":"salario","label":"Salário","tipo":"double"}
])";

const char *const kCidades = R"([{"id":1,"nome":"Recife"},{"id":3,"nome":"Olinda"},{"id":4,"nome":"Caruaru"}])";

} // namespace

class tst_RecordBinding final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void roundTripKeepsFieldOrderAndKinds();
    void missingMemberKeepsValueAndClearEmpties();
    void nullOrAbsentRecordLoadsNothing();
    void groupsLeftOutWhenEmpty_data();
    void groupsLeftOutWhenEmpty();
    void dataRefilledInPlace();
    void datesIgnoreTheUserLocale_data();
    void datesIgnoreTheUserLocale();
    void numbersInTheUserLocale_data();
    void numbersInTheUserLocale();
    void emptyDateMemberEmptiesTheEdit_data();
    void emptyDateMemberEmptiesTheEdit();
    void typedDateIsSavedAndEmptiedAgain();
    void comboRemembersKeyUntilOptionsArrive();
    void comboKeyWithoutOptionClearsSelection();
    void loadErrorsStopAtTheControl_data();
    void loadErrorsStopAtTheControl();
    void membersFoundByNameAmongMany();
    void lookupKeyShowsBeforeItsDescription();
    void lookupDescriptionFailuresKeepTheKey_data();
    void lookupDescriptionFailuresKeepTheKey();
    void lateDescriptionDoesNothing_data();
    void lateDescriptionDoesNothing();
    void lookupWithoutKeyClearsWithoutRequest_data();
    void lookupWithoutKeyClearsWithoutRequest();
    void typedLookupKeyBringsItsDescription_data();
    void typedLookupKeyBringsItsDescription();
    void olderTypedKeyNeverOverwrites();
    void isObjectEmpty_data();
    void isObjectEmpty();
    void validarRequeridos_data();
    void validarRequeridos();

private:
    template <typename T>
    T *Control(const char *name) const { return FContainer->findChild<T *>(QString::fromLatin1(name)); }
    void WaitForCidades();
    bool WaitForRequestsToEnd(std::size_t requests);
    void TypeKey(TLXSearchEdit *edit, const QString &key);

    std::unique_ptr<TTestServer> FServer;
    std::unique_ptr<TLXColumnPanel> FContainer;
    TFieldMap FFields;
    TDetailListDouble *FItens = nullptr;
};

void tst_RecordBinding::initTestCase()
{
    FServer = std::make_unique<TTestServer>();
    FServer->InstallAsSystemConfig();
    TMessageBox::SetHandler([](const TMessageBoxCall &call) -> TMessageResult {
        qFatal("unexpected message box: %s", qPrintable(call.Text));
    });
}

void tst_RecordBinding::init()
{
    FServer->Script("GET", "/cidades?size=50&page=0", {200, kCidades});
    FServer->Script("GET", "/fornecedores/7", {200, R"({"id":7,"razao":"ACME Ltda"})"});
    FServer->ClearRequests();
    FContainer = std::make_unique<TLXColumnPanel>();
    FFields.clear();
    for (const TJson &descriptor : Json(kDescriptors))
        FFields << TFieldEngine::FillFields(FContainer.get(), descriptor);
    FItens = new TDetailListDouble(FContainer.get());
    FFields << FItens;
}

void tst_RecordBinding::cleanup()
{
    FServer->InstallAsSystemConfig();
    FContainer.reset();
    QLocale::setDefault(QLocale::c());
}

void tst_RecordBinding::WaitForCidades()
{
    auto *cidade = Control<TResourceComboBox>("cidade");
    if (!cidade->OptionsLoaded()) {
        QSignalSpy arrived(cidade, &TResourceComboBox::OptionsArrived);
        QVERIFY(arrived.wait(10000));
    }
    QCOMPARE(cidade->count(), 3);
}

// Waits until the server has seen that many requests and every answer was handled or dropped.
bool tst_RecordBinding::WaitForRequestsToEnd(std::size_t requests)
{
    if (!FServer->WaitForRequests(requests, 10000))
        return false;
    return QTest::qWaitFor([] { return TRequestPool::Pool().activeThreadCount() == 0; }, 10000);
}

// Values come back in field order: edit boxes as strings (numbers too), check boxes as booleans,
// dates as text, combo and lookup keys as strings, the detail list as its array.
void tst_RecordBinding::roundTripKeepsFieldOrderAndKinds()
{
    WaitForCidades();
    const TJson record = Json(R"({"id":5,"salario":1234.5,"itens":[{"produto":1,"qtd":2}],"fornecedor":7,"cidade":3,"sexo":"F",
                                  "nascimento":"2024-03-05","ativo":true,"nome":"Ana Maria","codigo":12})");
    TFieldEngine::LoadRecord(record, FFields);

    QCOMPARE(Control<QLineEdit>("codigo")->text(), QStringLiteral("12"));
    QCOMPARE(Control<QDateEdit>("nascimento")->date(), QDate(2024, 3, 5));
    QCOMPARE(Control<TResourceComboBox>("sexo")->currentText(), QStringLiteral("Feminino"));
    QCOMPARE(Control<TResourceComboBox>("cidade")->currentText(), QStringLiteral("Olinda"));
    auto *fornecedor = Control<TLXSearchEdit>("fornecedor");
    QCOMPARE(fornecedor->KeyValue(), QStringLiteral("7"));
    QTRY_COMPARE(fornecedor->DisplayValue(), QStringLiteral("ACME Ltda"));
    const std::vector<TRecordedRequest> requests = FServer->Requests();
    QVERIFY(std::any_of(requests.begin(), requests.end(), [](const TRecordedRequest &r) { return r.Method == "GET" && r.Target == "/fornecedores/7"; }));

    QCOMPARE(Dump(TFieldEngine::GetRecord(FFields)),
             QStringLiteral(R"({"codigo":"12","nome":"Ana Maria","ativo":true,"nascimento":"2024-03-05","sexo":"F","cidade":"3",)"
                            R"("fornecedor":"7","salario":"1234.5","itens":[{"produto":1,"qtd":2}]})"));
}

void tst_RecordBinding::missingMemberKeepsValueAndClearEmpties()
{
    WaitForCidades();
    TFieldEngine::LoadRecord(Json(R"({"codigo":1,"nome":"Ana","ativo":true,"nascimento":"2020-01-02","sexo":"M","cidade":1,"fornecedor":7,"salario":"9","itens":[1]})"), FFields);
    TFieldEngine::LoadRecord(Json(R"({"codigo":2})"), FFields);
    QCOMPARE(Dump(TFieldEngine::GetRecord(FFields)),
             QStringLiteral(R"({"codigo":"2","nome":"Ana","ativo":true,"nascimento":"2020-01-02","sexo":"M","cidade":"1","fornecedor":"7","salario":"9","itens":[1]})"));

    TFieldEngine::LimparCampos(FFields);
    QCOMPARE(Dump(TFieldEngine::GetRecord(FFields)),
             QStringLiteral(R"({"codigo":"","nome":"","ativo":false,"nascimento":null,"sexo":"","cidade":"","fornecedor":"","salario":"","itens":[]})"));
    QCOMPARE(Control<TLXSearchEdit>("fornecedor")->DisplayValue(), QString());
    QCOMPARE(Control<QComboBox>("sexo")->currentIndex(), -1);
}

void tst_RecordBinding::nullOrAbsentRecordLoadsNothing()
{
    Control<QLineEdit>("nome")->setText(QStringLiteral("kept"));
    const QString before = Dump(TFieldEngine::GetRecord(FFields));
    TFieldEngine::LoadRecord(TJson(nullptr), FFields);
    TFieldEngine::LoadRecord(nullptr, FFields);
    TFieldEngine::LoadRecord(Json(R"(["nome"])"), FFields);
    QCOMPARE(Dump(TFieldEngine::GetRecord(FFields)), before);
    QCOMPARE(Control<QLineEdit>("nome")->text(), QStringLiteral("kept"));
}

void tst_RecordBinding::groupsLeftOutWhenEmpty_data()
{
    QTest::addColumn<QString>("rua");
    QTest::addColumn<bool>("withCheckBox");
    QTest::addColumn<QString>("expected");

    QTest::newRow("empty strings only") << QString() << false << R"({"codigo":""})";
    QTest::newRow("a filled member") << "Rua A" << false << R"({"codigo":"","endereco":{"rua":"Rua A","numero":""}})";
    QTest::newRow("an unchecked check box") << QString() << true << R"({"codigo":"","endereco":{"rua":"","numero":"","principal":false}})";
}

// An all-empty group adds no member; a check box's boolean always counts as a value.
void tst_RecordBinding::groupsLeftOutWhenEmpty()
{
    QFETCH(QString, rua);
    QFETCH(bool, withCheckBox);
    QFETCH(QString, expected);

    TFieldMap top{Control<QLineEdit>("codigo")};
    TFieldMap endereco;
    for (const char *name : {"rua", "numero"})
        endereco << TFieldEngine::FillFields(FContainer.get(), Json(QStringLiteral(R"({"nome":"%1","label":"x","tipo":"string"})").arg(QLatin1String(name)).toUtf8().constData()));
    if (withCheckBox)
        endereco << TFieldEngine::FillFields(FContainer.get(), Json(R"({"nome":"principal","label":"x","tipo":"boolean"})"));
    qobject_cast<QLineEdit *>(endereco.first().data())->setText(rua);
    const TGroupMap groups{{QStringLiteral("endereco"), endereco}};

    QCOMPARE(Dump(TFieldEngine::GetRecord(top, &groups)), expected);
    // Loading the group member back fills the group's controls.
    TFieldEngine::LimparCampos(endereco);
    TFieldEngine::LoadRecord(Json(expected.toUtf8().constData()).value("endereco", TJson()), endereco);
    QCOMPARE(qobject_cast<QLineEdit *>(endereco.first().data())->text(), rua);
}

// Refilling an element of an array replaces its members and leaves the element where it is.
void tst_RecordBinding::dataRefilledInPlace()
{
    TJson rows = Json(R"([{"old":1,"codigo":"x"},{"other":2}])");
    TJson &element = rows[0];
    Control<QLineEdit>("codigo")->setText(QStringLiteral("77"));
    const TFieldMap fields{Control<QLineEdit>("codigo"), Control<QCheckBox>("ativo")};
    TJson &result = TFieldEngine::GetRecord(fields, nullptr, element);
    QCOMPARE(&result, &rows[0]);
    QCOMPARE(Dump(rows), QStringLiteral(R"([{"codigo":"77","ativo":false},{"other":2}])"));

    TJson notAnObject = TJson::array();
    TFieldEngine::GetRecord(fields, nullptr, notAnObject);
    QVERIFY(notAnObject.is_object());
}

void tst_RecordBinding::datesIgnoreTheUserLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("pt_BR d/M/y") << QLocale(QLocale::Portuguese, QLocale::Brazil);
    QTest::newRow("en_US M/d/y") << QLocale(QLocale::English, QLocale::UnitedStates);
    QTest::newRow("ja_JP y/M/d") << QLocale(QLocale::Japanese, QLocale::Japan);
    QTest::newRow("de_DE d.M.y") << QLocale(QLocale::German, QLocale::Germany);
}

// The record's "yyyy-MM-dd" is read as it stands under any regional date format, with or without a time.
void tst_RecordBinding::datesIgnoreTheUserLocale()
{
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    const TFieldMap fields{Control<QDateEdit>("nascimento")};
    for (const char *text : {R"({"nascimento":"2024-03-05"})", R"({"nascimento":"2024-03-05T13:45:00.000Z"})"}) {
        TFieldEngine::LimparCampos(fields);
        TFieldEngine::LoadRecord(Json(text), fields);
        QCOMPARE(Control<QDateEdit>("nascimento")->date(), QDate(2024, 3, 5));
        QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"nascimento":"2024-03-05"})"));
    }
}

void tst_RecordBinding::numbersInTheUserLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("tipo");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // what the edit holds after the typing
    QTest::addColumn<QString>("saved"); // that text as the record's member
    QTest::addColumn<QString>("stored"); // a record's member (JSON) ...
    QTest::addColumn<QString>("display"); // ... as the edit shows it
    const QLocale ptBR(QLocale::Portuguese, QLocale::Brazil);
    const QLocale c = QLocale::c();
    QTest::newRow("pt_BR double") << ptBR << "double"
                                  << "12a,5b"
                                  << "12,5"
                                  << "12.5"
                                  << "1234.5"
                                  << "1234,5";
    QTest::newRow("C double") << c << "double"
                              << "12a.5b"
                              << "12.5"
                              << "12.5"
                              << "1234.5"
                              << "1234.5";
    QTest::newRow("pt_BR float, negative") << ptBR << "float"
                                           << "-0,25"
                                           << "-0,25"
                                           << "-0.25"
                                           << "-0.25"
                                           << "-0,25";
    QTest::newRow("pt_BR double, a dot typed for the comma") << ptBR << "double"
                                                             << "1.5"
                                                             << "1,5"
                                                             << "1.5"
                                                             << "0.5"
                                                             << "0,5";
    QTest::newRow("pt_BR double, text from before") << ptBR << "double"
                                                    << ""
                                                    << ""
                                                    << ""
                                                    << R"("abc")"
                                                    << "abc";
    QTest::newRow("pt_BR long") << ptBR << "long"
                                << "-1x2.3"
                                << "-123"
                                << "-123"
                                << "9007199254740993"
                                << "9007199254740993";
    QTest::newRow("C int") << c << "int"
                           << "4y2 "
                           << "42"
                           << "42"
                           << "42"
                           << "42";
}

// Number fields take only what makes a number in the user's locale as it is typed, and save it in
// the record's own form; a record's number is shown in the locale.
void tst_RecordBinding::numbersInTheUserLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, tipo);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    QFETCH(QString, stored);
    QFETCH(QString, display);
    QLocale::setDefault(locale); // before the field is made: its validator takes the locale then
    const QString descriptor = QStringLiteral(R"({"nome":"valor","label":"Valor","tipo":"%1"})").arg(tipo);
    auto *edit = qobject_cast<QLineEdit *>(TFieldEngine::FillFields(FContainer.get(), Json(qPrintable(descriptor))));
    QVERIFY(edit);
    const TFieldMap fields {edit};
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"valor":"%1"})").arg(saved));
    TFieldEngine::LoadRecord(Json(qPrintable(QStringLiteral(R"({"valor":%1})").arg(stored))), fields);
    QCOMPARE(edit->text(), display);
}

void tst_RecordBinding::emptyDateMemberEmptiesTheEdit_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("null") << QByteArray(R"({"nascimento":null})");
    QTest::newRow("empty text") << QByteArray(R"({"nascimento":""})");
}

// A record without a date shows no date (not the previous record's) and saves null.
void tst_RecordBinding::emptyDateMemberEmptiesTheEdit()
{
    QFETCH(QByteArray, record);
    const TFieldMap fields{Control<QDateEdit>("nascimento")};
    TFieldEngine::LoadRecord(Json(R"({"nascimento":"2001-02-03"})"), fields);
    TFieldEngine::LoadRecord(Json(record.constData()), fields);
    QCOMPARE(Control<QDateEdit>("nascimento")->date(), QDate(1899, 12, 30));
    QCOMPARE(Control<QDateEdit>("nascimento")->text().trimmed(), QString());
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"nascimento":null})"));
}

// A date typed in the regional short format into the empty edit is what the record saves; emptied
// again it saves null and counts as empty for a required field.
void tst_RecordBinding::typedDateIsSavedAndEmptiedAgain()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
    auto *date = qobject_cast<QDateEdit *>(TFieldEngine::FillFields(
        FContainer.get(), Json(R"({"nome":"admissao","label":"Admissão","tipo":"localdate"})")));
    QVERIFY(date);
    const TFieldMap fields{date};
    FContainer->show();
    FContainer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FContainer.get()));
    date->setFocus();
    QTest::keyClicks(date, QStringLiteral("05/03/2024"));
    Control<QLineEdit>("nome")->setFocus();
    QTRY_VERIFY(!date->hasFocus());
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"admissao":"2024-03-05"})"));
    QVERIFY(!TFieldEngine::ValidarRequeridos({{date, true}}));

    TFieldEngine::LimparCampos(fields);
    QCOMPARE(date->text().trimmed(), QString());
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"admissao":null})"));
    QCOMPARE(TFieldEngine::ValidarRequeridos({{date, true}}), date);
}

// A record loaded before the remote options arrive is saved with its key and shows it once they arrive.
void tst_RecordBinding::comboRemembersKeyUntilOptionsArrive()
{
    FServer->Script("GET", "/lentas?size=50&page=0", {200, kCidades, "application/json", 400});
    auto *combo = qobject_cast<TResourceComboBox *>(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"lenta","label":"Lenta","tipo":"long","resource":"lentas","type":"REMOTE","id":"id","displayField":"nome","count":3})")));
    QVERIFY(combo);
    QSignalSpy arrived(combo, &TResourceComboBox::OptionsArrived);
    const TFieldMap fields{combo};
    TFieldEngine::LoadRecord(Json(R"({"lenta":4})"), fields);
    QCOMPARE(combo->count(), 0);
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"lenta":"4"})"));
    QVERIFY(!TFieldEngine::ValidarRequeridos({{combo, true}}));

    QVERIFY(arrived.wait(10000));
    QCOMPARE(combo->currentText(), QStringLiteral("Caruaru"));
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"lenta":"4"})"));
}

// A key that no loaded option has clears the selection instead of keeping the previous record's.
void tst_RecordBinding::comboKeyWithoutOptionClearsSelection()
{
    WaitForCidades();
    const TFieldMap fields{Control<TResourceComboBox>("cidade"), Control<TResourceComboBox>("sexo")};
    TFieldEngine::LoadRecord(Json(R"({"cidade":1,"sexo":"M"})"), fields);
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"cidade":"1","sexo":"M"})"));
    TFieldEngine::LoadRecord(Json(R"({"cidade":99,"sexo":null})"), fields);
    QCOMPARE(Control<QComboBox>("cidade")->currentIndex(), -1);
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"cidade":"","sexo":""})"));
}

void tst_RecordBinding::loadErrorsStopAtTheControl_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("salario"); // the field after all but the detail list

    QTest::newRow("edit box given an object") << QByteArray(R"({"codigo":1,"nome":{"a":1},"salario":2})") << "Conversion from TJSONObject to string is not supported" << QString();
    QTest::newRow("check box given text") << QByteArray(R"({"codigo":1,"ativo":"talvez","salario":2})") << "'talvez' is not a valid boolean value" << QString();
    QTest::newRow("date that is no date") << QByteArray(R"({"codigo":1,"nascimento":"2024-13-45","salario":2})") << "'2024-13-45' is not a valid date" << QString();
    QTest::newRow("lookup key not a number") << QByteArray(R"({"codigo":1,"fornecedor":"abc","salario":2})") << "'abc' is not a valid integer value" << QString();
    QTest::newRow("detail list given an object") << QByteArray(R"({"codigo":1,"itens":{},"salario":2})") << "Invalid class typecast" << "2";
}

// A member that cannot be shown raises; the controls before it keep their new values, those after are untouched.
void tst_RecordBinding::loadErrorsStopAtTheControl()
{
    QFETCH(QByteArray, record);
    QFETCH(QString, message);
    QFETCH(QString, salario);
    try {
        TFieldEngine::LoadRecord(Json(record.constData()), FFields);
        QFAIL("no error raised");
    } catch (const EJsonException &error) {
        QCOMPARE(QString::fromStdString(error.what()), message);
    }
    QCOMPARE(Control<QLineEdit>("codigo")->text(), QStringLiteral("1"));
    QCOMPARE(Control<QLineEdit>("salario")->text(), salario);
}

// Members are found by name whatever their number and order; controls of the same name are saved
// once, in the first one's place with the last one's value.
void tst_RecordBinding::membersFoundByNameAmongMany()
{
    TJson record = TJson::object();
    for (int i = 4999; i >= 0; --i) {
        record["x" + std::to_string(i)] = i;
        if (i == 2500)
            record.update(Json(R"({"salario":"9.5","nome":"Ana","codigo":3})"));
    }
    const TFieldMap fields{Control<QLineEdit>("codigo"), Control<QLineEdit>("nome"), Control<QLineEdit>("salario")};
    TFieldEngine::LoadRecord(record, fields);
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"codigo":"3","nome":"Ana","salario":"9.5"})"));

    auto *again = new QLineEdit(QStringLiteral("Bia"), FContainer.get());
    again->setObjectName(QStringLiteral("codigo"));
    QCOMPARE(Dump(TFieldEngine::GetRecord({Control<QLineEdit>("nome"), fields[0], again})), QStringLiteral(R"({"nome":"Ana","codigo":"Bia"})"));
}

// The key shows as soon as the record is loaded, without waiting for the server; the description
// takes its place when it comes.
void tst_RecordBinding::lookupKeyShowsBeforeItsDescription()
{
    FServer->Script("GET", "/fornecedores/7", ScriptedAnswer(200, R"({"id":7,"razao":"ACME Ltda"})", 300));
    TFieldEngine::LoadRecord(Json(R"({"codigo":1,"fornecedor":7,"salario":2})"), FFields);
    auto *fornecedor = Control<TLXSearchEdit>("fornecedor");
    QCOMPARE(fornecedor->KeyValue(), QStringLiteral("7"));
    QCOMPARE(fornecedor->text(), QStringLiteral("7"));
    QCOMPARE(fornecedor->DisplayValue(), QString());
    QCOMPARE(Control<QLineEdit>("salario")->text(), QStringLiteral("2"));
    QCOMPARE(Dump(TFieldEngine::GetRecord({fornecedor})), QStringLiteral(R"({"fornecedor":"7"})"));

    QTRY_COMPARE(fornecedor->text(), QStringLiteral("ACME Ltda"));
    QCOMPARE(fornecedor->DisplayValue(), QStringLiteral("ACME Ltda"));
    QCOMPARE(Dump(TFieldEngine::GetRecord({fornecedor})), QStringLiteral(R"({"fornecedor":"7"})"));
}

void tst_RecordBinding::lookupDescriptionFailuresKeepTheKey_data()
{
    QTest::addColumn<int>("status"); // 0: nothing listens
    QTest::addColumn<QByteArray>("body");

    QTest::newRow("no answer") << 0 << QByteArray();
    QTest::newRow("404") << 404 << QByteArray(R"({"erro":"não encontrado"})");
    QTest::newRow("500 with the member") << 500 << QByteArray(R"({"razao":"de um erro"})");
    QTest::newRow("not JSON") << 200 << QByteArray("<html>razao</html>");
    QTest::newRow("an array") << 200 << QByteArray(R"([{"razao":"ACME"}])");
    QTest::newRow("without the member") << 200 << QByteArray(R"({"id":7})");
    QTest::newRow("member of the wrong type") << 200 << QByteArray(R"({"razao":{"a":1}})");
}

// A description that cannot be had leaves the record loaded with the key on show, no description,
// no message, and a warning in the field engine's log.
void tst_RecordBinding::lookupDescriptionFailuresKeepTheKey()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    auto *fornecedor = Control<TLXSearchEdit>("fornecedor");
    TFieldEngine::LoadRecord(Json(R"({"fornecedor":7})"), FFields);
    QTRY_COMPARE(fornecedor->DisplayValue(), QStringLiteral("ACME Ltda"));

    std::unique_ptr<TTestServer> gone;
    if (status == 0) {
        gone = std::make_unique<TTestServer>();
        gone->InstallAsSystemConfig();
        gone.reset(); // nothing listens on that port any more
    }
    FServer->Script("GET", "/fornecedores/8", ScriptedAnswer(status, body.toStdString()));
    FServer->ClearRequests();
    const TFieldsWarnings warnings;
    TFieldEngine::LoadRecord(Json(R"({"codigo":1,"fornecedor":8,"salario":2})"), FFields);
    QCOMPARE(Control<QLineEdit>("salario")->text(), QStringLiteral("2"));
    QTRY_VERIFY(TFieldsWarnings::Lines().join(u'|').contains(QLatin1String("fornecedores/8")));
    QCOMPARE(fornecedor->KeyValue(), QStringLiteral("8"));
    QCOMPARE(fornecedor->text(), QStringLiteral("8"));
    QCOMPARE(fornecedor->DisplayValue(), QString());
}

void tst_RecordBinding::lateDescriptionDoesNothing_data()
{
    QTest::addColumn<QString>("then");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("display");

    QTest::newRow("another record") << "load 8" << "8" << "Beta SA";
    QTest::newRow("the same record again") << "load 7" << "7" << "ACME Ltda";
    QTest::newRow("emptied") << "clear" << "" << "";
    QTest::newRow("a key the user chose") << "choose" << "9" << "Escolhido";
    QTest::newRow("edit destroyed") << "destroy" << "" << "";
}

// What happens to a lookup edit after its load wins over the answer of that load still on its way.
void tst_RecordBinding::lateDescriptionDoesNothing()
{
    QFETCH(QString, then);
    QFETCH(QString, key);
    QFETCH(QString, display);
    FServer->Script("GET", "/fornecedores/7", ScriptedAnswer(200, R"({"id":7,"razao":"ACME Ltda"})", 400));
    FServer->Script("GET", "/fornecedores/8", ScriptedAnswer(200, R"({"id":8,"razao":"Beta SA"})"));
    const QPointer<TLXSearchEdit> fornecedor = Control<TLXSearchEdit>("fornecedor");
    const TFieldMap fields{Control<TLXSearchEdit>("fornecedor")};
    TFieldEngine::LoadRecord(Json(R"({"fornecedor":7})"), fields);
    std::size_t requests = 1;
    if (then == QLatin1String("load 8") || then == QLatin1String("load 7")) {
        TFieldEngine::LoadRecord(Json(then == QLatin1String("load 8") ? R"({"fornecedor":8})" : R"({"fornecedor":7})"), fields);
        ++requests;
    } else if (then == QLatin1String("clear")) {
        TFieldEngine::LimparCampos(fields);
    } else if (then == QLatin1String("choose")) {
        fornecedor->setKeyValue(QStringLiteral("9"));
        fornecedor->setDisplayValue(QStringLiteral("Escolhido"));
    } else {
        FContainer.reset();
    }
    QVERIFY(WaitForRequestsToEnd(requests));
    QTest::qWait(20);
    if (!fornecedor) {
        QCOMPARE(then, QStringLiteral("destroy"));
        return;
    }
    QCOMPARE(fornecedor->KeyValue(), key);
    QCOMPARE(fornecedor->DisplayValue(), display);
    QCOMPARE(fornecedor->text(), display);
}

void tst_RecordBinding::lookupWithoutKeyClearsWithoutRequest_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::newRow("null") << QByteArray(R"({"fornecedor":null})");
    QTest::newRow("empty text") << QByteArray(R"({"fornecedor":""})");
}

// A record without this reference empties the lookup and asks the server nothing.
void tst_RecordBinding::lookupWithoutKeyClearsWithoutRequest()
{
    QFETCH(QByteArray, record);
    const TFieldMap fields{Control<TLXSearchEdit>("fornecedor")};
    TFieldEngine::LoadRecord(Json(R"({"fornecedor":7})"), fields);
    QTRY_COMPARE(Control<TLXSearchEdit>("fornecedor")->DisplayValue(), QStringLiteral("ACME Ltda"));
    FServer->ClearRequests();
    TFieldEngine::LoadRecord(Json(record.constData()), fields);
    QCOMPARE(Control<TLXSearchEdit>("fornecedor")->KeyValue(), QString());
    QCOMPARE(Control<TLXSearchEdit>("fornecedor")->DisplayValue(), QString());
    for (const TRecordedRequest &request : FServer->Requests())
        QVERIFY(request.Target.rfind("/fornecedores", 0) != 0);
}

// Types a key into the lookup edit as a user does, replacing what it holds, and leaves it.
void tst_RecordBinding::TypeKey(TLXSearchEdit *edit, const QString &key)
{
    FContainer->show();
    FContainer->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FContainer.get()));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());
    QTest::keyClick(edit, Qt::Key_Backspace); // the key is shown selected
    QTest::keyClicks(edit, key);
    Control<QLineEdit>("salario")->setFocus();
    QTRY_VERIFY(!edit->hasFocus());
}

void tst_RecordBinding::typedLookupKeyBringsItsDescription_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("key"); // what the edit keeps and the record gets
    QTest::addColumn<int>("status"); // of the answer to "fornecedores/<key>"; 0: not asked
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("shown"); // the description, once the answer came
    QTest::addColumn<bool>("marked");

    QTest::newRow("a known key") << "8" << "8" << 200 << QByteArray(R"({"id":8,"razao":"Beta SA"})") << "Beta SA" << false;
    QTest::newRow("blanks around the key") << " 8 " << "8" << 200 << QByteArray(R"({"id":8,"razao":"Beta SA"})")
                                           << "Beta SA" << false;
    QTest::newRow("a key the server lacks")
        << "9" << "9" << 404 << QByteArray(R"({"mensagemUsuario":"Não há"})") << "" << true;
    QTest::newRow("no record in the answer") << "9" << "9" << 200 << QByteArray() << "" << true;
    QTest::newRow("server failure") << "9" << "9" << 500 << QByteArray(R"({"erro":"x"})") << "" << false;
    QTest::newRow("not a number") << "abc" << "abc" << 0 << QByteArray() << "" << true;
    QTest::newRow("key erased") << "" << "" << 0 << QByteArray() << "" << false;
}

// A key the user types replaces the description shown at once, and the new key's description
// comes from the server; the record holds the typed key. A key the server does not have shows
// no description and marks the edit, until another key is given.
void tst_RecordBinding::typedLookupKeyBringsItsDescription()
{
    QFETCH(QString, typed);
    QFETCH(QString, key);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, shown);
    QFETCH(bool, marked);
    auto *fornecedor = Control<TLXSearchEdit>("fornecedor");
    const TFieldMap fields {fornecedor};
    TFieldEngine::LoadRecord(Json(R"({"fornecedor":7})"), fields);
    QTRY_COMPARE(fornecedor->text(), QStringLiteral("ACME Ltda"));
    const std::string path = "/fornecedores/" + key.toStdString();
    if (status)
        FServer->Script("GET", path, ScriptedAnswer(status, body.toStdString(), 200));
    FServer->ClearRequests();

    TypeKey(fornecedor, typed);
    QCOMPARE(fornecedor->KeyValue(), key);
    QCOMPARE(fornecedor->text(), QString()); // the old description is gone before any answer
    QCOMPARE(Dump(TFieldEngine::GetRecord(fields)), QStringLiteral(R"({"fornecedor":"%1"})").arg(key));
    if (status)
        QVERIFY(WaitForRequestsToEnd(1));
    QTest::qWait(20);
    QCOMPARE(fornecedor->DisplayValue(), shown);
    QCOMPARE(fornecedor->text(), shown);
    QCOMPARE(TFieldMark::IsMarked(fornecedor), marked);
    QCOMPARE(FServer->RequestCount(), std::size_t(status ? 1 : 0));
    if (status)
        QCOMPARE(FServer->Requests().at(0).Target, path);

    // Another key takes the mark off; a record load fetches as before.
    TFieldEngine::LoadRecord(Json(R"({"fornecedor":7})"), fields);
    QVERIFY(!TFieldMark::IsMarked(fornecedor));
    QTRY_COMPARE(fornecedor->text(), QStringLiteral("ACME Ltda"));
}

// The answer for a key typed earlier comes after the one for the key typed since: the edit shows
// the description of the key it holds.
void tst_RecordBinding::olderTypedKeyNeverOverwrites()
{
    FServer->Script("GET", "/fornecedores/8", ScriptedAnswer(200, R"({"id":8,"razao":"Beta SA"})", 500));
    FServer->Script("GET", "/fornecedores/9", ScriptedAnswer(200, R"({"id":9,"razao":"Gama ME"})"));
    auto *fornecedor = Control<TLXSearchEdit>("fornecedor");
    TypeKey(fornecedor, QStringLiteral("8"));
    TypeKey(fornecedor, QStringLiteral("9"));
    QVERIFY(WaitForRequestsToEnd(2));
    QTest::qWait(20);
    QCOMPARE(fornecedor->KeyValue(), QStringLiteral("9"));
    QCOMPARE(fornecedor->text(), QStringLiteral("Gama ME"));
}

void tst_RecordBinding::isObjectEmpty_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("empty");

    QTest::newRow("no members") << QByteArray("{}") << true;
    QTest::newRow("empty strings, objects and arrays") << QByteArray(R"({"a":"","b":{"c":"x"},"d":[1]})") << true;
    QTest::newRow("a string") << QByteArray(R"({"a":"","b":" "})") << false;
    QTest::newRow("false") << QByteArray(R"({"a":false})") << false;
    QTest::newRow("zero") << QByteArray(R"({"a":"","b":0})") << false;
    QTest::newRow("null reads as null") << QByteArray(R"({"a":null})") << false;
}

void tst_RecordBinding::isObjectEmpty()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, empty);
    QCOMPARE(TFieldEngine::isObjectEmpty(Json(value.constData())), empty);
}

void tst_RecordBinding::validarRequeridos_data()
{
    QTest::addColumn<QStringList>("required"); // names flagged true; every control is in the map
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QString>("expected");     // name of the control returned, empty for none

    const QStringList all{"codigo", "nome", "ativo", "nascimento", "sexo", "cidade", "fornecedor", "salario"};
    const QByteArray full(R"({"codigo":1,"nome":"a","nascimento":"2020-01-01","sexo":"M","cidade":1,"fornecedor":7,"salario":1})");
    QTest::newRow("only check boxes required") << QStringList{"ativo"} << QByteArray("{}") << QString();
    QTest::newRow("nothing required") << QStringList() << QByteArray("{}") << QString();
    QTest::newRow("all filled") << all << full << QString();
    QTest::newRow("first empty in map order") << QStringList{"ativo", "salario", "nome"} << QByteArray(R"({"salario":1})") << "nome";
    QTest::newRow("empty date") << QStringList{"nascimento"} << QByteArray(R"({"nascimento":null})") << "nascimento";
    QTest::newRow("no combo option") << QStringList{"codigo", "sexo"} << QByteArray(R"({"codigo":1})") << "sexo";
    QTest::newRow("remote combo") << QStringList{"cidade"} << QByteArray(R"({"cidade":42})") << "cidade";
    QTest::newRow("lookup without key") << QStringList{"fornecedor"} << QByteArray("{}") << "fornecedor";
}

void tst_RecordBinding::validarRequeridos()
{
    QFETCH(QStringList, required);
    QFETCH(QByteArray, record);
    QFETCH(QString, expected);

    WaitForCidades();
    TFieldEngine::LimparCampos(FFields);
    TFieldEngine::LoadRecord(Json(record.constData()), FFields);
    TRequiredMap map;
    for (QWidget *control : FFields)
        map << qMakePair(QPointer<QWidget>(control), required.contains(control->objectName()));
    QWidget *found = TFieldEngine::ValidarRequeridos(map);
    QCOMPARE(found ? found->objectName() : QString(), expected);
}

QTEST_MAIN(tst_RecordBinding)
#include "tst_RecordBinding.moc"
