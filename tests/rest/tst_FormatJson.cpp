#include "rest/FormatJson.h"
#include "rest/THttpClient.h"
#include "tests/support/TTestServer.h"

#include <QUrlQuery>
#include <QtTest>

class TestFormatJson final : public QObject
{
    Q_OBJECT

    TTestServer FServer;

    QString Format(const std::string &answer, const QString &json)
    {
        FServer.Script("POST", "/process", {200, answer, "text/html; charset=utf-8"});
        THttpClient client;
        return FormatJson(json, client, FServer.BaseUrl());
    }

private slots:
    void cutsTheServiceAnswer_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("valid, unescaped") << QByteArray("{\"jsoncopy\":\"{\\n  \\\"a\\\": 1\\n}\",\"template\":\"x\"}") << "{\r\n  \"a\": 1\r\n}";
        QTest::newRow("escaped backslash before n") << QByteArray("{\"jsoncopy\":\"a\\\\nb\",\"template\":1}") << "a\\\r\nb";
        QTest::newRow("other escapes stay") << QByteArray("{\"jsoncopy\":\"\\t\\u00e9\",\"template\":1}") << "\\t\\u00e9";
        QTest::newRow("judged invalid wins") << QByteArray("{\"jsonstandard\":\"1\",\"valid\":0,\"jsoncopy\":\"x\",\"template\":1}") << "INPUT";
        QTest::newRow("invalid on another line does not count") << QByteArray("{\"jsonstandard\"\n\"valid\":0,\"jsoncopy\":\"y\",\"template\":1}") << "y";
        QTest::newRow("greedy to last template") << QByteArray("{\"jsoncopy\":\"a\",\"template\":\"b\",\"template\":1}") << "a\",\"template\":\"b";
        QTest::newRow("nothing to cut") << QByteArray("<html>erro</html>") << "INPUT";
        QTest::newRow("empty answer") << QByteArray() << "INPUT";
    }

    void cutsTheServiceAnswer()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, formatted);
        QCOMPARE(Format(answer.toStdString(), QStringLiteral("INPUT")), formatted);
    }

    void postsTheFormInOrder()
    {
        FServer.ClearRequests();
        Format("", QStringLiteral("{\"nome\":\"João & Maria\"}"));
        const auto requests = FServer.Requests();
        QCOMPARE(requests.size(), std::size_t(1));
        QCOMPARE(requests[0].Header("content-type"), std::string("application/x-www-form-urlencoded; charset=utf-8"));
        const QByteArray body = QByteArray::fromStdString(requests[0].Body);
        QVERIFY(body.startsWith("jsondata=") && body.endsWith("&jsonstandard=1&jsontemplate=1"));
        QUrlQuery form(QString::fromUtf8(QByteArray(body).replace('+', "%20")));
        QCOMPARE(form.queryItemValue(QStringLiteral("jsondata"), QUrl::FullyDecoded), QStringLiteral("{\"nome\":\"João & Maria\"}"));
    }

    void emptyInputSendsOnlyTheFlags()
    {
        FServer.ClearRequests();
        Format("", QString());
        QCOMPARE(FServer.Requests().at(0).Body, std::string("jsonstandard=1&jsontemplate=1"));
    }

    void unreachableServiceRaisesTheClientError()
    {
        auto gone = std::make_unique<TTestServer>();
        const QString address = gone->BaseUrl();
        gone.reset();
        THttpClient client;
        QVERIFY_THROWS_EXCEPTION(EHttpClientError, FormatJson(QStringLiteral("{}"), client, address));
    }

    void formatsLocallyWithoutAService_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("formatted");
        QTest::newRow("object keeps order") << "{\"z\":1,\"a\":[true,null]}" << "{\n  \"z\": 1,\n  \"a\": [\n    true,\n    null\n  ]\n}";
        QTest::newRow("numbers as written") << "[2.50,{\"n\":1E3},-0,{},[]]"
                                            << "[\n  2.50,\n  {\n    \"n\": 1E3\n  },\n  -0,\n  {},\n  []\n]";
        QTest::newRow("invalid unchanged") << "{nao é json" << "{nao é json";
    }

    void formatsLocallyWithoutAService()
    {
        QFETCH(QString, json);
        QFETCH(QString, formatted);
        THttpClient client;
        QCOMPARE(FormatJson(json, client, QString()), formatted);
    }
};

QTEST_MAIN(TestFormatJson)
#include "tst_FormatJson.moc"
