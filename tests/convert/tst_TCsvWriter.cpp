#include "convert/TCsvWriter.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

// The CSV a spreadsheet opens directly: quoting, values in the user's format, and a file that is
// whole or absent.
class TestCsvWriter final : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void fieldsAreQuotedOnlyWhenNeeded_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("field");
        QTest::newRow("plain") << "Ação Água" << "Ação Água";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("separator") << "a;b" << "\"a;b\"";
        QTest::newRow("quote") << "Sala \"A\"" << "\"Sala \"\"A\"\"\"";
        QTest::newRow("line break") << "um\ndois" << "\"um\ndois\"";
        QTest::newRow("carriage return") << "um\rdois" << "\"um\rdois\"";
        QTest::newRow("blank before") << " x" << "\" x\"";
        QTest::newRow("blank after") << "x " << "\"x \"";
        QTest::newRow("comma is no separator") << "1,5" << "1,5";
    }

    void fieldsAreQuotedOnlyWhenNeeded()
    {
        QFETCH(QString, text);
        QFETCH(QString, field);
        QCOMPARE(TCsvWriter::Field(text), field);
    }

    void valuesInTheUsersFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("text");
        QTest::newRow("decimal, pt_BR") << "pt_BR" << "3.5" << "3,5";
        QTest::newRow("negative, pt_BR") << "pt_BR" << "-0.25" << "-0,25";
        QTest::newRow("decimal, C") << "C" << "3.5" << "3.5";
        QTest::newRow("integer") << "pt_BR" << "1234567" << "1234567";
        QTest::newRow("large integer") << "pt_BR" << "9007199254740993" << "9007199254740993";
        QTest::newRow("text") << "pt_BR" << "\"3.5\"" << "3.5";
        QTest::newRow("boolean") << "pt_BR" << "true" << "true";
        QTest::newRow("null") << "pt_BR" << "null" << "";
        QTest::newRow("object") << "pt_BR" << R"({"id":1})" << R"({"id":1})";
    }

    void valuesInTheUsersFormat()
    {
        QFETCH(QString, locale);
        QFETCH(QString, json);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(TCsvWriter::TextOf(TJson::parse(json.toStdString())), text);
    }

    void fileIsWholeOrAbsent()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
        const QString fileName = folder.filePath(QStringLiteral("clientes.csv"));
        const QList<TCsvWriter::TColumn> columns {{"id", "Código"}, {"nome", "Nome"}, {"saldo", "Saldo; atual"}};
        const TJson records = TJson::array({{{"id", 1}, {"nome", "José \"Zé\""}, {"saldo", 10.5}}, {{"id", 2}, {"extra", 1}}});
        {
            TCsvWriter writer(fileName, columns);
            QVERIFY(writer.Open());
            QVERIFY(writer.AppendRecords(records));
            QVERIFY(QDir(folder.path()).entryList(QDir::Files).size() <= 1);
            QVERIFY(!QFile::exists(fileName)); // not in place before it is whole
        }
        QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());

        TCsvWriter writer(fileName, columns);
        QVERIFY(writer.Open() && writer.AppendRecords(records) && writer.Commit());
        QFile file(fileName);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QStringLiteral("\uFEFFCódigo;Nome;\"Saldo; atual\"\r\n"
                                                "1;\"José \"\"Zé\"\"\";10,5\r\n"
                                                "2;;\r\n").toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestCsvWriter)
#include "tst_TCsvWriter.moc"
