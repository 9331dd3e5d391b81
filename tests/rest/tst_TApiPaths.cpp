#include "rest/TApiPaths.h"

#include <QtTest>

class TestApiPaths final : public QObject
{
    Q_OBJECT

private slots:
    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        const QString r = QStringLiteral("clientes");
        QTest::newRow("menu") << TApiPaths::Menu() << "acesso/menus";
        QTest::newRow("fields") << TApiPaths::Fields(r) << "clientes/campos";
        QTest::newRow("columns") << TApiPaths::SearchColumns(r) << "clientes/campos/pesquisa";
        QTest::newRow("filters") << TApiPaths::Filters(r) << "clientes/filtros";
        QTest::newRow("record") << TApiPaths::Record(r, 7) << "clientes/7";
        QTest::newRow("page") << TApiPaths::Page(r, 2, QStringLiteral("&nome=a")) << "clientes?size=10&page=2&nome=a";
        QTest::newRow("percent in resource") << TApiPaths::Page(QStringLiteral("a%2b"), 0, QString()) << "a%2b?size=10&page=0";
        QTest::newRow("combo") << TApiPaths::ComboOptions(QStringLiteral("estados/ativos"), QString()) << "estados/ativos?size=50&page=0";
        QTest::newRow("param plain") << TApiPaths::QueryParam(QStringLiteral("nome"), QStringLiteral("ana")) << "&nome=ana";
        QTest::newRow("param blank") << TApiPaths::QueryParam(QStringLiteral("nome"), QStringLiteral("são paulo")) << "&nome=s%C3%A3o%20paulo";
        QTest::newRow("param cannot add params") << TApiPaths::QueryParam(QStringLiteral("n"), QStringLiteral("a&b=c")) << "&n=a%26b%3Dc";
        QTest::newRow("param empty value") << TApiPaths::QueryParam(QStringLiteral("ids"), QString()) << "&ids=";
    }

    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(path, expected);
    }
};

QTEST_MAIN(TestApiPaths)
#include "tst_TApiPaths.moc"
