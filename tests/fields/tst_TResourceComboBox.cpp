#include "fields/TFieldEngine.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "rest/TRequestPool.h"
#include "tests/support/TTestServer.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "widgets/TLXColumnPanel.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const char *const StatesArray = R"([{"id":3,"nome":"Paraná","cidades":[{"id":31,"nome":"Curitiba"}]},)"
                                R"({"id":1,"nome":"acre","cidades":[{"id":11,"nome":"Rio Branco"},{"id":12,"nome":"Xapuri"}]},)"
                                R"({"id":2,"nome":"Bahia"}])";

// Two good options, then one without its key: the fill stops there.
const char *const BadArray = R"([{"id":5,"nome":"Mato Grosso"},{"id":6,"nome":"Goiás"},{"nome":"sem id"},{"id":7,"nome":"Acre"}])";

QStringList Texts(const QComboBox &combo)
{
    QStringList texts;
    for (int i = 0; i < combo.count(); ++i)
        texts << combo.itemText(i);
    return texts;
}

} // namespace

class TestResourceComboBox final : public QObject
{
    Q_OBJECT

    TTestServer FServer;
    TMessageBoxRecorder FBoxes;

    std::unique_ptr<TResourceComboBox> RemoteCombo(const QString &resource)
    {
        auto combo = std::make_unique<TResourceComboBox>();
        combo->SetResource(resource);
        combo->SetKeyField(QStringLiteral("id"));
        combo->SetDisplayField(QStringLiteral("nome"));
        combo->SetResourceType(rtRemote);
        return combo;
    }

    static bool LoadAndWait(TResourceComboBox &combo)
    {
        QSignalSpy arrived(&combo, &TResourceComboBox::OptionsArrived);
        combo.Load();
        return arrived.wait(5000);
    }

private slots:
    void initTestCase()
    {
        FServer.InstallAsSystemConfig();
    }

    void init()
    {
        FServer.ClearRequests();
        FBoxes.clear();
    }

    void requestsTheFirstPageWithEncodedParams_data()
    {
        QTest::addColumn<QStringList>("params"); // name, value, name, value...
        QTest::addColumn<QString>("target");
        QTest::newRow("no params") << QStringList() << "/estados?size=50&page=0";
        QTest::newRow("two params, one empty") << QStringList{"uf", "1,2", "ativo", ""} << "/estados?size=50&page=0&uf=1%2C2&ativo=";
        QTest::newRow("blank and ampersand") << QStringList{"nome", "são & x=1"} << "/estados?size=50&page=0&nome=s%C3%A3o%20%26%20x%3D1";
    }

    void requestsTheFirstPageWithEncodedParams()
    {
        QFETCH(QStringList, params);
        QFETCH(QString, target);
        auto combo = RemoteCombo(QStringLiteral("estados"));
        for (int i = 0; i + 1 < params.size(); i += 2)
            combo->Params().push_back(TResourceParam{QStringLiteral("string"), params[i], {}, params[i + 1]});
        FServer.Script("GET", "/estados", {200, StatesArray});
        QVERIFY(LoadAndWait(*combo));
        QCOMPARE(FServer.Requests().size(), std::size_t(1));
        QCOMPARE(QString::fromStdString(FServer.Requests()[0].Target), target);
    }

    void arrayAndPageGiveTheSameSortedOptions_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("bare array") << QByteArray(StatesArray);
        QTest::newRow("page object") << QByteArray("{\"totalPages\":1,\"content\":") + StatesArray + "}";
    }

    void arrayAndPageGiveTheSameSortedOptions()
    {
        QFETCH(QByteArray, answer);
        auto combo = RemoteCombo(QStringLiteral("estados"));
        FServer.Script("GET", "/estados", {200, answer.toStdString()});
        QVERIFY(LoadAndWait(*combo));
        QCOMPARE(Texts(*combo), (QStringList{"acre", "Bahia", "Paraná"}));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->ValueAt(2)->KeyValue(), QStringLiteral("3"));
        QVERIFY(combo->ValueAt(0)->ObjctValue()->contains("cidades"));
    }

    void reloadReplacesOptions()
    {
        auto combo = RemoteCombo(QStringLiteral("estados"));
        FServer.Script("GET", "/estados", {200, StatesArray});
        QVERIFY(LoadAndWait(*combo));
        QVERIFY(LoadAndWait(*combo));
        QCOMPARE(combo->count(), 3);
        combo->Load(TJson::parse(R"([{"id":9,"nome":"Goiás"}])"));
        QCOMPARE(Texts(*combo), QStringList{"Goiás"});
    }

    // A load that replaces one still on its way: the earlier, slower answer is dropped.
    void laterLoadReplacesOneStillOnItsWay()
    {
        FServer.Script("GET", "/lento", {200, StatesArray, "application/json", 300});
        FServer.Script("GET", "/goias", {200, R"([{"id":9,"nome":"Goiás"}])"});
        auto combo = RemoteCombo(QStringLiteral("lento"));
        QSignalSpy arrived(combo.get(), &TResourceComboBox::OptionsArrived);
        combo->Load();
        combo->SetResource(QStringLiteral("goias"));
        combo->Load();
        QVERIFY(FServer.WaitForRequests(2, 5000));
        QTRY_COMPARE_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount(), 0, 20000); // the slow answer came meanwhile
        QCOMPARE(arrived.count(), 1);
        QCOMPARE(Texts(*combo), QStringList{"Goiás"});
    }

    void notFoundShowsOneBoxAndNoOptions()
    {
        auto combo = RemoteCombo(QStringLiteral("sumiu"));
        FServer.Script("GET", "/sumiu", {404, "{}"});
        combo->Load();
        QTRY_COMPARE(FBoxes.size(), 1);
        QTest::qWait(100);
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Não foi possível contar o registro especificado."));
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QCOMPARE(FBoxes[0].Title, QString());
        QCOMPARE(combo->count(), 0);
    }

    void unusableAnswersLeaveTheListEmpty_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("500") << 500 << QByteArray(StatesArray);
        QTest::newRow("not json") << 200 << QByteArray("[oops");
        QTest::newRow("object without content") << 200 << QByteArray("{\"itens\":[]}");
        QTest::newRow("content not an array") << 200 << QByteArray("{\"content\":5}");
    }

    void unusableAnswersLeaveTheListEmpty()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, answer);
        auto combo = RemoteCombo(QStringLiteral("ruim"));
        FServer.Script("GET", "/ruim", {status, answer.toStdString()});
        combo->Load();
        QVERIFY(FServer.WaitForRequests(1, 5000));
        QTest::qWait(100);
        QCOMPARE(combo->count(), 0);
        QVERIFY(FBoxes.isEmpty());
    }

    void choosingFillsTheDependentCombo()
    {
        TResourceComboBox main;
        TResourceComboBox cities;
        main.SetKeyField(QStringLiteral("id"));
        main.SetDisplayField(QStringLiteral("nome"));
        cities.SetKeyField(QStringLiteral("id"));
        cities.SetDisplayField(QStringLiteral("nome"));
        cities.SetResource(QStringLiteral("cidades"));
        main.SetSubObject(&cities);
        main.Load(TJson::parse(StatesArray));

        main.setCurrentIndex(0); // acre
        QCOMPARE(Texts(cities), (QStringList{"Rio Branco", "Xapuri"}));
        QCOMPARE(cities.currentIndex(), -1);
        main.setCurrentIndex(1); // Bahia has no cities: the dependent keeps its options
        QCOMPARE(Texts(cities), (QStringList{"Rio Branco", "Xapuri"}));
        main.setCurrentIndex(2); // Paraná
        QCOMPARE(Texts(cities), QStringList{"Curitiba"});
    }

    void keyAskedBeforeOptionsIsSelectedOnArrival()
    {
        auto combo = RemoteCombo(QStringLiteral("estados"));
        FServer.Script("GET", "/estados", {200, StatesArray, "application/json", 200});
        QSignalSpy arrived(combo.get(), &TResourceComboBox::OptionsArrived);
        combo->Load();
        combo->SelectKey(QStringLiteral("2"));
        QCOMPARE(combo->SelectedKey(), QStringLiteral("2")); // saved as is while options are pending
        QVERIFY(arrived.wait(5000));
        QCOMPARE(combo->currentText(), QStringLiteral("Bahia"));
        QCOMPARE(combo->SelectedKey(), QStringLiteral("2"));
    }

    void localComboRemembersKeysUntilItsArrayArrives()
    {
        TResourceComboBox combo;
        combo.SetKeyField(QStringLiteral("id"));
        combo.SetDisplayField(QStringLiteral("nome"));
        combo.SetResourceType(rtLocal);
        combo.SelectKey(QStringLiteral("1"));
        QCOMPARE(combo.SelectedKey(), QStringLiteral("1"));
        combo.Load(TJson::parse(StatesArray));
        QCOMPARE(combo.currentText(), QStringLiteral("acre"));
    }

    void unknownKeyClearsALoadedSelection()
    {
        TResourceComboBox combo;
        combo.SetKeyField(QStringLiteral("id"));
        combo.SetDisplayField(QStringLiteral("nome"));
        combo.Load(TJson::parse(StatesArray));
        combo.SelectKey(QStringLiteral("3"));
        QCOMPARE(combo.currentText(), QStringLiteral("Paraná"));
        combo.SelectKey(QStringLiteral("99"));
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.SelectedKey(), QString());
    }

    void fillStoppedByABadElementSelectsNothing_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("recordKey"); // asked for before the options came, "" for none

        for (const char *path : {"array", "remote answer", "dependent of a choice"}) {
            QTest::addRow("%s", path) << path << QString();
            QTest::addRow("%s, record key remembered", path) << path << "9";
        }
        QTest::newRow("enum values") << "enum" << QString();
    }

    // Qt selects the first option put into an empty list; every fill takes that back, also when an
    // element stops it, so the options before the bad element stay, none is selected, and a key
    // remembered from the record is still the one saved.
    void fillStoppedByABadElementSelectsNothing()
    {
        QFETCH(QString, path);
        QFETCH(QString, recordKey);

        TLXColumnPanel container;
        std::unique_ptr<TResourceComboBox> combo = RemoteCombo(QStringLiteral("maus"));
        TResourceComboBox main;
        if (path == "array") {
            combo->SetResourceType(rtLocal);
            combo->SelectKey(recordKey);
            QVERIFY_THROWS_EXCEPTION(EJsonException, combo->Load(TJson::parse(BadArray)));
        } else if (path == "remote answer") {
            FServer.Script("GET", "/maus", {200, BadArray});
            QSignalSpy arrived(combo.get(), &TResourceComboBox::OptionsArrived);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Value 'id' not found"));
            combo->Load();
            combo->SelectKey(recordKey);
            QVERIFY(arrived.wait(5000));
        } else if (path == "dependent of a choice") {
            combo->SetResourceType(rtLocal);
            combo->SetResource(QStringLiteral("cidades"));
            main.SetKeyField(QStringLiteral("id"));
            main.SetDisplayField(QStringLiteral("nome"));
            main.SetSubObject(combo.get());
            main.Load(TJson::parse(std::string(R"([{"id":1,"nome":"Centro-Oeste","cidades":)") + BadArray + "}]"));
            combo->SelectKey(recordKey);
            main.setCurrentIndex(0);
            QCOMPARE(FBoxes.size(), 1); // shown where the choice was made
            QCOMPARE(FBoxes[0].Text, QStringLiteral("Value 'id' not found"));
            FBoxes.clear();
        } else {
            QVERIFY_THROWS_EXCEPTION(EJsonException,
                TFieldEngine::FillFields(&container, TJson::parse(R"({"nome":"regiao","label":"Região","tipo":"enum","values":[)"
                    R"({"id":"5","descricao":"Mato Grosso"},{"id":"6","descricao":"Goiás"},{"descricao":"sem id"}]})")));
            combo.reset(container.findChild<TResourceComboBox *>());
            QVERIFY(combo);
            combo->setParent(nullptr);
        }
        QCOMPARE(Texts(*combo), (QStringList{"Goiás", "Mato Grosso"}));
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(combo->SelectedKey(), recordKey);
        QVERIFY(FBoxes.isEmpty());
    }

    void recordKeyOfTheFirstOptionFillsTheDependent_data()
    {
        QTest::addColumn<QString>("stateKey");
        QTest::addColumn<QString>("cityKey");
        QTest::addColumn<QStringList>("cities");

        QTest::newRow("first element of the array") << "3" << "31" << QStringList{"Curitiba"};
        QTest::newRow("a later element") << "1" << "12" << QStringList{"Rio Branco", "Xapuri"};
    }

    // A record loaded before the options: whichever option the remembered key names, choosing it
    // fills the dependent combo box, which then shows the record's own choice.
    void recordKeyOfTheFirstOptionFillsTheDependent()
    {
        QFETCH(QString, stateKey);
        QFETCH(QString, cityKey);
        QFETCH(QStringList, cities);

        TResourceComboBox main;
        TResourceComboBox dependent;
        for (TResourceComboBox *combo : {&main, &dependent}) {
            combo->SetKeyField(QStringLiteral("id"));
            combo->SetDisplayField(QStringLiteral("nome"));
            combo->SetResourceType(rtLocal);
        }
        dependent.SetResource(QStringLiteral("cidades"));
        main.SetSubObject(&dependent);
        main.SelectKey(stateKey);
        dependent.SelectKey(cityKey);
        main.Load(TJson::parse(StatesArray));

        QCOMPARE(main.SelectedKey(), stateKey);
        QCOMPARE(Texts(dependent), cities);
        QCOMPARE(dependent.currentIndex(), cities.indexOf(dependent.currentText()));
        QCOMPARE(dependent.SelectedValue() ? dependent.SelectedValue()->KeyValue() : QString(), cityKey);
    }

    void comboReleasedBeforeTheAnswerIsLeftAlone()
    {
        FServer.Script("GET", "/lento", {200, StatesArray, "application/json", 300});
        FServer.Script("GET", "/lento404", {404, "", "application/json", 300});
        for (const char *resource : {"lento", "lento404"}) {
            auto combo = RemoteCombo(QString::fromLatin1(resource));
            combo->Load();
            combo.reset();
        }
        QVERIFY(FServer.WaitForRequests(2, 5000));
        QTest::qWait(600);
        QVERIFY(FBoxes.isEmpty());
    }
};

QTEST_MAIN(TestResourceComboBox)
#include "tst_TResourceComboBox.moc"
