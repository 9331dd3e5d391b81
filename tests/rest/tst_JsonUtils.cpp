#include "rest/JsonUtils.h"

#include <QDir>
#include <QFile>
#include <QtTest>

class TestJsonUtils final : public QObject
{
    Q_OBJECT

    static TJson Parsed(const char *text)
    {
        const auto value = ParseJson(std::string_view(text));
        if (!value)
            qFatal("fixture does not parse: %s", text);
        return *value;
    }

private slots:
    void parsesTheConformanceSuite()
    {
        const QDir dir(qEnvironmentVariable("QUOREL_TESTDATA") + QStringLiteral("/JSONTestSuite/test_parsing"));
        const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files);
        QVERIFY(files.size() > 300);
        QStringList wrong;
        for (const QString &name : files) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const bool parsed = ParseJson(std::string_view(bytes.constData(), std::size_t(bytes.size()))).has_value();
            if ((name.startsWith(QLatin1Char('y')) && !parsed) || (name.startsWith(QLatin1Char('n')) && parsed))
                wrong << name; // i_ files only have to be survived
        }
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char(' '))));
    }

    void refusesWhatIsNotOneJsonValue_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("lone word") << QByteArray("palavra");
        QTest::newRow("truncated object") << QByteArray("{\"a\":1");
        QTest::newRow("NUL inside") << QByteArray("{\"a\":1}\0x", 9);
        QTest::newRow("nested 1001 deep") << QByteArray(1001, '[') + QByteArray(1001, ']');
        QTest::newRow("nested 100000 deep") << QByteArray(100000, '[') + QByteArray(100000, ']');
    }

    void refusesWhatIsNotOneJsonValue()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!ParseJson(std::string_view(text.constData(), std::size_t(text.size()))));
    }

    void acceptsNestingUpToTheLimit()
    {
        const QByteArray text = QByteArray(MaxJsonDepth, '[') + QByteArray(MaxJsonDepth, ']');
        QVERIFY(ParseJson(std::string_view(text.constData(), std::size_t(text.size()))));
    }

    void firstOfDuplicateMembersWins()
    {
        const TJson value = Parsed(R"({"a":1,"b":{"x":[1,{"a":2}]},"a":{"deep":[3]},"c":[{"k":1,"k":2}],"b":0})");
        QCOMPARE(QString::fromStdString(value.dump()), QStringLiteral(R"({"a":1,"b":{"x":[1,{"a":2}]},"c":[{"k":1}]})"));
    }

    // Past a few members the names go into a hash: duplicates of names seen before and after that
    // point are dropped alike, and the order is kept.
    void firstOfDuplicateMembersWinsInAWideObject()
    {
        std::string text = "{";
        std::string expected = "{";
        for (int i = 0; i < 40; ++i) {
            const std::string member = "\"m" + std::to_string(i) + "\":" + std::to_string(i);
            text += member + ",";
            expected += (i ? "," : "") + member;
            if (i == 14 || i == 15 || i == 16 || i == 39)
                text += "\"m0\":-1,\"m" + std::to_string(i) + "\":-2,";
        }
        text += "\"m20\":-3}";
        expected += "}";
        QCOMPARE(Parsed(text.c_str()).dump(), expected);
    }

    void keepsMemberOrder()
    {
        QCOMPARE(Parsed(R"({"z":1,"a":2,"m":3})").dump(), std::string(R"({"z":1,"a":2,"m":3})"));
    }

    void getValueText_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        const QByteArray record = R"({"id":5,"nulo":null,"obj":{"a":[10,{"b":"x"}]},"s":"João","t":true,"f":false,"d":1.5,"lista":[1]})";
        QTest::newRow("number") << record << "id" << "5" << "";
        QTest::newRow("null") << record << "nulo" << "" << "";
        QTest::newRow("string") << record << "s" << "João" << "";
        QTest::newRow("true") << record << "t" << "true" << "";
        QTest::newRow("false") << record << "f" << "false" << "";
        QTest::newRow("double") << record << "d" << "1.5" << "";
        QTest::newRow("dotted with index") << record << "obj.a[1].b" << "x" << "";
        QTest::newRow("bracketed name") << record << "[\"obj\"].a[0]" << "10" << "";
        QTest::newRow("empty path") << QByteArray("\"só\"") << "" << "só" << "";
        QTest::newRow("missing") << record << "ausente" << "" << "Value 'ausente' not found";
        QTest::newRow("case matters") << record << "ID" << "" << "Value 'ID' not found";
        QTest::newRow("index out of range") << record << "lista[3]" << "" << "Value 'lista[3]' not found";
        QTest::newRow("object") << record << "obj" << "" << "Conversion from TJSONObject to string is not supported";
        QTest::newRow("array") << record << "lista" << "" << "Conversion from TJSONArray to string is not supported";
    }

    void getValueText()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, path);
        QFETCH(QString, text);
        QFETCH(QString, error);
        const TJson value = Parsed(json.constData());
        try {
            QCOMPARE(GetValueText(value, path), text);
            QVERIFY(error.isEmpty());
        } catch (const EJsonException &e) {
            QCOMPARE(QString::fromUtf8(e.what()), error);
        }
    }

    void typedReadings_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("result");
        QTest::newRow("int from number") << "int" << "n" << "42";
        QTest::newRow("int from string") << "int" << "sn" << "-7";
        QTest::newRow("int from true") << "int" << "t" << "1";
        QTest::newRow("int from fraction") << "int" << "d" << "'1.5' is not a valid integer value";
        QTest::newRow("int from word") << "int" << "w" << "'abc' is not a valid integer value";
        QTest::newRow("int from null") << "int" << "z" << "Conversion from TJSONNull to Integer is not supported";
        QTest::newRow("bool from TRUE text") << "bool" << "tt" << "true";
        QTest::newRow("bool from zero") << "bool" << "zero" << "false";
        QTest::newRow("bool from number") << "bool" << "n" << "true";
        QTest::newRow("bool from word") << "bool" << "w" << "'abc' is not a valid boolean value";
        QTest::newRow("bool from object") << "bool" << "o" << "Conversion from TJSONObject to Boolean is not supported";
        QTest::newRow("array ok") << "array" << "a" << "[1,2]";
        QTest::newRow("array from object") << "array" << "o" << "Invalid class typecast";
        QTest::newRow("object ok") << "object" << "o" << "{\"k\":1}";
        QTest::newRow("object from array") << "object" << "a" << "Invalid class typecast";
        QTest::newRow("json any") << "json" << "z" << "null";
        QTest::newRow("missing") << "json" << "nada" << "Value 'nada' not found";
    }

    void typedReadings()
    {
        QFETCH(QString, form);
        QFETCH(QString, path);
        QFETCH(QString, result);
        const TJson value = Parsed(R"({"n":42,"sn":"-7","t":true,"d":1.5,"w":"abc","z":null,"tt":"TRUE","zero":0,"o":{"k":1},"a":[1,2]})");
        QString got;
        try {
            if (form == QLatin1String("int"))
                got = QString::number(GetValueInt(value, path));
            else if (form == QLatin1String("bool"))
                got = GetValueBool(value, path) ? QStringLiteral("true") : QStringLiteral("false");
            else if (form == QLatin1String("array"))
                got = JsonToText(GetValueArray(value, path));
            else if (form == QLatin1String("object"))
                got = JsonToText(GetValueObject(value, path));
            else
                got = JsonToText(GetValueJson(value, path));
        } catch (const EJsonException &e) {
            got = QString::fromUtf8(e.what());
        }
        QCOMPARE(got, result);
    }

    // A number reads as the text it was written with, wherever it stands, and goes back to the
    // server the same way; it is still a number to the typed readings.
    void numbersKeepTheirLiteral_data()
    {
        QTest::addColumn<QByteArray>("literal");
        QTest::addColumn<QString>("integer"); // GetValueInt, or its error
        QTest::addColumn<bool>("boolean");
        const auto notInteger = [](const char *text) {
            return QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(text));
        };
        QTest::newRow("trailing zero") << QByteArray("2.50") << notInteger("2.50") << true;
        QTest::newRow("exponent") << QByteArray("1E3") << notInteger("1E3") << true;
        QTest::newRow("small, negative exponent") << QByteArray("-1.5e-7") << notInteger("-1.5e-7") << true;
        QTest::newRow("integer beyond 64 bits")
            << QByteArray("123456789012345678901234567890") << notInteger("123456789012345678901234567890") << true;
        QTest::newRow("negative zero") << QByteArray("-0") << "0" << false;
        QTest::newRow("fraction") << QByteArray("0.1") << notInteger("0.1") << true;
        QTest::newRow("integer") << QByteArray("5") << "5" << true;
    }

    void numbersKeepTheirLiteral()
    {
        QFETCH(QByteArray, literal);
        QFETCH(QString, integer);
        QFETCH(bool, boolean);
        const QString text = QString::fromLatin1(literal);
        const QByteArray document
            = R"({"n":)" + literal + R"(,"o":{"a":[1,)" + literal + R"(]},"l":[)" + literal + "]}";
        const TJson value = Parsed(document.constData());
        for (const QString path : {"n", "o.a[1]", "l[0]"}) {
            QCOMPARE(GetValueText(value, path), text);
            QCOMPARE(JsonTypeName(GetValueJson(value, path)), QStringLiteral("TJSONNumber"));
            QString readAsInteger;
            try {
                readAsInteger = QString::number(GetValueInt(value, path));
            } catch (const EJsonException &e) {
                readAsInteger = QString::fromUtf8(e.what());
            }
            QCOMPARE(readAsInteger, integer);
            QCOMPARE(GetValueBool(value, path), boolean);
        }
        QCOMPARE(GetValueText(Parsed(literal.constData()), QString()), text);
        QCOMPARE(JsonToText(value), QString::fromLatin1(document)); // what a save sends
        QCOMPARE(ParseJson(JsonToText(value)), std::optional<TJson>(value));
    }

    void containsIsExact()
    {
        const TJson value = Parsed(R"({"nome":null})");
        QVERIFY(Contains(value, QStringLiteral("nome")));
        QVERIFY(!Contains(value, QStringLiteral("Nome")));
        QVERIFY(!Contains(Parsed("[1]"), QStringLiteral("nome")));
    }

    void findJsonValue_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("found"); // compact JSON, or "-" for nothing
        const QByteArray record = R"({"itens":[{"nome":"a"},{"nome":"b"}],"dados":{"cidades":[1,2]},"x_y":3})";
        QTest::newRow("root.member") << record << "root.itens" << R"([{"nome":"a"},{"nome":"b"}])";
        QTest::newRow("ROOT in capitals") << record << "ROOT.itens" << R"([{"nome":"a"},{"nome":"b"}])";
        QTest::newRow("member of member") << record << "dados.cidades" << "[1,2]";
        QTest::newRow("index then member") << record << "itens[1].nome" << "\"b\"";
        QTest::newRow("root index on array") << QByteArray(R"([{"nome":"z"}])") << "root[0].nome" << "\"z\"";
        QTest::newRow("ends on index") << record << "itens[1]" << "-";
        QTest::newRow("ends on dot") << record << "dados." << "-";
        QTest::newRow("empty path") << record << "" << "-";
        QTest::newRow("missing member") << record << "dados.ruas" << "-";
        QTest::newRow("index out of range") << record << "itens[5].nome" << "-";
        QTest::newRow("index on object") << record << "dados[0].x" << "-";
        QTest::newRow("underscore is a name char") << record << "x_y" << "3";
        QTest::newRow("blank separates tokens, last found wins") << record << "x_y itens" << R"([{"nome":"a"},{"nome":"b"}])";
        QTest::newRow("failure keeps earlier result") << record << "x_y nada" << "3";
        QTest::newRow("case matters") << record << "Itens" << "-";
    }

    void findJsonValue()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, path);
        QFETCH(QString, found);
        const TJson value = Parsed(json.constData());
        const TJson *result = FindJsonValue(value, path);
        QCOMPARE(result ? JsonToText(*result) : QStringLiteral("-"), found);
    }
};

QTEST_MAIN(TestJsonUtils)
#include "tst_JsonUtils.moc"
