#include "convert/EDataSetConverterException.h"
#include "convert/LoadTableFromArray.h"
#include "convert/TConverter.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "tests/support/ErrorOf.h"

#include <QLocale>
#include <QPointer>
#include <QTest>

using json = nlohmann::ordered_json;

Q_DECLARE_METATYPE(TFieldType)

namespace {

// One field "f" of the type and origin, one row holding the JSON value.
void OneRow(TRecordTable &table, TFieldType type, const QString &origin, const std::string &value)
{
    table.FieldDefs().Add("f", type).Origin = origin;
    table.CreateDataSet();
    const json array = json::parse(R"([{"f":)" + value + "}]");
    LoadTableFromArray(&table, &array);
}

QString RowText(TRecordTable &table)
{
    const auto object = TConverter::New()->ForTable(&table)->RowToObject();
    return object ? QString::fromStdString(object->dump()) : QStringLiteral("<none>");
}

} // namespace

class tst_TDataSetConverter final : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale::c()); }
    void cleanupTestCase() { QLocale::setDefault(QLocale::c()); }

    void fieldsBecomeMembers_data()
    {
        QTest::addColumn<TFieldType>("type");
        QTest::addColumn<QString>("origin");
        QTest::addColumn<QString>("value"); // JSON text loaded into the field
        QTest::addColumn<QString>("member"); // the object RowToObject gives

        QTest::newRow("string") << ftString << ""
                                << R"("abc")"
                                << R"({"f":"abc"})";
        QTest::newRow("string null") << ftMemo << ""
                                     << "null"
                                     << R"({"f":""})";
        QTest::newRow("integer") << ftInteger << ""
                                 << "5"
                                 << R"({"f":5})";
        QTest::newRow("integer null") << ftSmallint << ""
                                      << "null"
                                      << R"({"f":0})";
        QTest::newRow("largeint") << ftLargeint << ""
                                  << "123456789012345"
                                  << R"({"f":123456789012345})";
        QTest::newRow("boolean") << ftBoolean << ""
                                 << "true"
                                 << R"({"f":true})";
        QTest::newRow("boolean as integer") << ftBoolean << " integer "
                                            << "true"
                                            << R"({"f":1})";
        QTest::newRow("boolean null") << ftBoolean << "Boolean"
                                      << "null"
                                      << R"({"f":false})";
        QTest::newRow("boolean null as integer") << ftBoolean << "INTEGER"
                                                 << "null"
                                                 << R"({"f":0})";
        QTest::newRow("float") << ftFloat << ""
                               << "1.5"
                               << R"({"f":1.5})";
        QTest::newRow("float null") << ftSingle << ""
                                    << "null"
                                    << R"({"f":0.0})";
        QTest::newRow("currency") << ftCurrency << ""
                                  << "12.5"
                                  << R"({"f":"12.50"})";
        QTest::newRow("currency four decimals") << ftCurrency << ""
                                                << "1.2345"
                                                << R"({"f":"1.2345"})";
        QTest::newRow("currency negative") << ftCurrency << ""
                                           << "-0.5"
                                           << R"({"f":"-0.50"})";
        QTest::newRow("currency null") << ftCurrency << ""
                                       << "null"
                                       << R"({"f":null})";
        QTest::newRow("bcd") << ftFMTBcd << ""
                             << "2.25"
                             << R"({"f":2.25})";
        QTest::newRow("bcd null") << ftBCD << ""
                                  << "null"
                                  << R"({"f":null})";
        QTest::newRow("date") << ftDate << ""
                              << R"("2024-01-02")"
                              << R"({"f":"2024-01-02"})";
        QTest::newRow("date null") << ftDate << ""
                                   << "null"
                                   << R"({"f":null})";
        QTest::newRow("time") << ftTime << ""
                              << R"("08:09:10")"
                              << R"({"f":"08:09:10"})";
        QTest::newRow("datetime") << ftDateTime << ""
                                  << R"("2024-01-02T03:04:05")"
                                  << R"({"f":"2024-01-02 03:04:05"})";
        QTest::newRow("blob") << ftBlob << ""
                              << R"("aGVsbG8=")"
                              << R"({"f":"aGVsbG8="})";
        QTest::newRow("blob null") << ftStream << ""
                                   << "null"
                                   << R"({"f":""})";
        QTest::newRow("autoinc never") << ftAutoInc << ""
                                       << "7"
                                       << "{}";
        QTest::newRow("dataset without origin") << ftDataSet << ""
                                                << "[]"
                                                << "{}";
        QTest::newRow("empty nested array") << ftDataSet << "JSONArray"
                                            << "[]"
                                            << "{}";
    }

    void fieldsBecomeMembers()
    {
        QFETCH(TFieldType, type);
        QFETCH(QString, origin);
        QFETCH(QString, value);
        QFETCH(QString, member);
        TRecordTable table;
        OneRow(table, type, origin, value.toStdString());
        QCOMPARE(RowText(table), member);
    }

    void moneyAndTimesFollowTheUsersSettings()
    {
        QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
        TRecordTable table;
        table.FieldDefs().Add("m", ftCurrency);
        table.FieldDefs().Add("t", ftTime);
        table.CreateDataSet();
        const json array = json::parse(R"([{"m":12.5,"t":"23:59:58"},{"m":3},{"m":1.2345}])");
        LoadTableFromArray(&table, &array);
        const auto rows = TConverter::New()->ForTable(&table)->RowsToArray();
        QVERIFY(rows);
        QCOMPARE(QString::fromStdString(rows->dump()),
            QStringLiteral(R"([{"m":"12,50","t":"23:59:58"},{"m":"3,00","t":null},{"m":"1,2345","t":null}])"));
    }

    void blobsAreWrittenInLinesOf76()
    {
        TRecordTable table;
        table.FieldDefs().Add("f", ftBlob);
        table.CreateDataSet();
        const QByteArray bytes(100, 'z'); // 136 Base64 characters
        table.Append();
        table.Fields(0)->SetAsBytes(bytes);
        table.Post();
        const auto object = TConverter::New()->ForTable(&table)->RowToObject();
        const std::string text = (*object)["f"];
        const QByteArray encoded = bytes.toBase64();
        QCOMPARE(QByteArray::fromStdString(text), encoded.left(76) + "\r\n" + encoded.mid(76));
        const json array = json::array({*object});
        table.EmptyDataSet();
        LoadTableFromArray(&table, &array);
        QCOMPARE(table.Fields(0)->AsBytes(), bytes); // the line breaks are skipped when decoding
    }

    void emptyTablesGiveNothingAndTheCursorStays()
    {
        TRecordTable table;
        table.FieldDefs().Add("id", ftInteger);
        table.FieldDefs().Add("", ftInteger); // nameless: never a member
        table.CreateDataSet();
        auto converter = TConverter::New()->ForTable(&table);
        QVERIFY(!converter->RowToObject());
        QVERIFY(!converter->RowsToArray());

        const json array = json::parse(R"([{"id":1},{"id":2},{"id":3}])");
        LoadTableFromArray(&table, &array);
        table.SetRecNo(2);
        QCOMPARE(QString::fromStdString(converter->RowsToArray()->dump()),
            QStringLiteral(R"([{"id":1},{"id":2},{"id":3}])"));
        QCOMPARE(table.RecNo(), 2);
    }

    void failures()
    {
        try {
            TConverter::New()->ForTable()->RowToObject();
            QFAIL("no error");
        } catch (const EDataSetConverterException &e) {
            QCOMPARE(e.what(), "DataSet Uninformed.");
        }
        QCOMPARE(ErrorOf([] { TConverter::New()->ForTable(nullptr)->RowsToArray(); }),
            QStringLiteral("DataSet Uninformed."));

        TRecordTable table;
        table.FieldDefs().Add("id", ftInteger);
        table.FieldDefs().Add("w", ftWord);
        table.CreateDataSet();
        table.Append();
        table.Post();
        table.Append();
        table.Post();
        table.First();
        QCOMPARE(ErrorOf([&] { TConverter::New()->ForTable(&table)->RowsToArray(); }),
            QStringLiteral(R"(Cannot find type for field "w")"));
        QCOMPARE(table.RecNo(), 1); // put back after the failure
    }

    void ownedTablesGoWithTheConverter()
    {
        QPointer<TRecordTable> owned = new TRecordTable;
        const auto keptTable = std::make_unique<TRecordTable>();
        QPointer<TRecordTable> kept = keptTable.get();
        auto converter = TConverter::New()->ForTable(owned, true);
        converter->SetTable(owned, true); // the same table again: kept alive
        QVERIFY(owned);
        converter->SetTable(kept);
        QVERIFY(!owned);
        converter.reset();
        QVERIFY(kept);
    }
};

QTEST_GUILESS_MAIN(tst_TDataSetConverter)
#include "tst_TDataSetConverter.moc"
