#include "fields/TResourceComboBox.h"
#include "rest/TMessageBox.h"
#include "tests/support/TTestServer.h"
#include "tests/support/TMessageBoxRecorder.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

const char *const StatesArray = R"([{"id":3,"nome":"Paraná","cidades":[{"id":31,"nome":"Curitiba"}]},)"
                                R"({"id":1,"nome":"acre","cidades":[{"id":11,"nome":"Rio Branco"},{"id":12,"nome":"Xapuri"}]},)"
                                R"({"id":2,"nome":"Bahia"}])";

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

    void notFoundShowsOneBoxAndNoOptions()
    {
        auto combo = RemoteCombo(QStringLiteral("sumiu"));
        FServer.Script("GET", "/sumiu", {404, "{}"});
        combo->Load();
        QTRY_COMPARE(FBoxes.size(), 1);
        QTest::qWait(100);
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Não foi possível contar o registro especificado."));
        QCOMPARE(FBoxes[0].Flags, 16);
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

    void elementWithoutKeyStopsTheFill()
    {
        TResourceComboBox combo;
        combo.SetKeyField(QStringLiteral("id"));
        combo.SetDisplayField(QStringLiteral("nome"));
        QVERIFY_THROWS_EXCEPTION(EJsonException, combo.Load(TJson::parse(R"([{"id":1,"nome":"a"},{"nome":"b"},{"id":3,"nome":"c"}])")));
        QCOMPARE(Texts(combo), QStringList{"a"});
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
