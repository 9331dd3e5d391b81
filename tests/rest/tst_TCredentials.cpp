#include "rest/TCredentials.h"

#include <QtTest>

// Which challenge the program answers, and the header line credentials become.
class TestCredentials final : public QObject
{
    Q_OBJECT

private slots:
    void schemeAsked_data()
    {
        QTest::addColumn<QByteArrayList>("challenges");
        QTest::addColumn<int>("scheme");
        const int none = int(TCredentials::TScheme::None);
        const int basic = int(TCredentials::TScheme::Basic);
        const int bearer = int(TCredentials::TScheme::Bearer);
        QTest::newRow("Basic with a realm") << QByteArrayList{"Basic realm=\"empresa\""} << basic;
        QTest::newRow("bare Bearer") << QByteArrayList{"Bearer"} << bearer;
        QTest::newRow("any letter case") << QByteArrayList{"bEARER error=\"invalid_token\""} << bearer;
        QTest::newRow("Basic preferred in one line") << QByteArrayList{"Bearer realm=\"a\", Basic realm=\"b\""} << basic;
        QTest::newRow("Basic preferred across lines") << QByteArrayList{"Bearer", "Basic realm=\"b\""} << basic;
        QTest::newRow("other schemes") << QByteArrayList{"Digest realm=\"a\", nonce=\"1\"", "Negotiate"} << none;
        QTest::newRow("a scheme named inside a quoted value") << QByteArrayList{"Digest realm=\"x, Basic\""} << none;
        QTest::newRow("no challenge") << QByteArrayList{} << none;
    }

    void schemeAsked()
    {
        QFETCH(QByteArrayList, challenges);
        QFETCH(int, scheme);
        QCOMPARE(int(TCredentials::SchemeAsked(challenges)), scheme);
    }

    void authorizationHeader_data()
    {
        QTest::addColumn<TCredentials>("credentials");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("none") << TCredentials() << QByteArray();
        QTest::newRow("Basic, UTF-8, colon in the password")
            << TCredentials::Basic("zé", "a:b") << "Authorization: Basic " + QByteArray("zé:a:b").toBase64();
        QTest::newRow("Bearer") << TCredentials::Bearer("t0k.en") << QByteArray("Authorization: Bearer t0k.en");
        QTest::newRow("empty token") << TCredentials::Bearer("") << QByteArray();
        QTest::newRow("token with a line break") << TCredentials::Bearer("t\r\nX-Injected: 1") << QByteArray();
        QTest::newRow("token with a tab") << TCredentials::Bearer("t\tx") << QByteArray();
    }

    void authorizationHeader()
    {
        QFETCH(TCredentials, credentials);
        QFETCH(QByteArray, header);
        // A token left out says so.
        if (header.isEmpty() && !credentials.Token.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("token.*not sent")));
        QCOMPARE(credentials.AuthorizationHeader(), header);
    }
};

QTEST_MAIN(TestCredentials)
#include "tst_TCredentials.moc"
