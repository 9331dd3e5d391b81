#include "convert/EDatabaseError.h"
#include "convert/TField.h"
#include "convert/TFieldDef.h"
#include "convert/TRecordTable.h"
#include "tests/support/ErrorOf.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTest>

namespace {

// A table with an integer "id" and a text "nome" of the default width.
void CreatePeople(TRecordTable &table, int rows)
{
    table.FieldDefs().Add("id", ftInteger);
    table.FieldDefs().Add("nome", ftString);
    table.CreateDataSet();
    for (int i = 1; i <= rows; ++i) {
        table.Append();
        table.FieldByName("id")->SetAsInteger(i);
        table.FieldByName("nome")->SetAsString(QStringLiteral("p%1").arg(i));
        table.Post();
    }
}

} // namespace

class tst_TRecordTable final : public QObject
{
    Q_OBJECT

private slots:
    void fieldDefinitionsGiveFieldsWithDefaultSizes()
    {
        TRecordTable table;
        table.FieldDefs().Add("a", ftString);
        table.FieldDefs().Add("b", ftWideString);
        table.FieldDefs().Add("c", ftString, 5);
        table.FieldDefs().Add("d", ftInteger);
        table.FieldDefs().Add("e", ftMemo);
        table.CreateDataSet();
        QCOMPARE(table.FieldCount(), 5);
        const int sizes[] = {20, 20, 5, 0, 0};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(table.Fields(i)->Size(), sizes[i]);
        QCOMPARE(table.Fields(2)->DisplayLabel(), QStringLiteral("c")); // the name until set
        QCOMPARE(table.State(), dsBrowse);
        QVERIFY(table.IsEmpty());
    }

    // Each type's default width, given by AddFieldDef and again by every later change of type,
    // whatever width was set in between.
    void dataTypeResetsTheSize_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("size");
        QTest::newRow("ftString") << int(ftString) << 20;
        QTest::newRow("ftWideString") << int(ftWideString) << 20;
        QTest::newRow("ftBCD") << int(ftBCD) << 4;
        QTest::newRow("ftFMTBcd") << int(ftFMTBcd) << 4;
        QTest::newRow("ftInteger") << int(ftInteger) << 0;
        QTest::newRow("ftMemo") << int(ftMemo) << 0;
        QTest::newRow("ftFloat") << int(ftFloat) << 0;
        QTest::newRow("ftDataSet") << int(ftDataSet) << 0;
    }

    void dataTypeResetsTheSize()
    {
        QFETCH(int, type);
        QFETCH(int, size);
        const TFieldType dataType = TFieldType(type);
        TRecordTable table;
        TFieldDef &added = table.FieldDefs().Add("a", dataType);
        QCOMPARE(added.Size, size);
        TFieldDef &changed = table.FieldDefs().Add("b", ftDate);
        changed.Size = 50;
        changed.SetDataType(dataType);
        QCOMPARE(changed.Size, size);
        changed.Size = 7;
        changed.SetDataType(dataType); // the same type again still resets
        QCOMPARE(changed.Size, size);
        table.CreateDataSet();
        QCOMPARE(table.Fields(1)->Size(), size);
    }

    void fieldsAreFoundByExactName()
    {
        TRecordTable table;
        CreatePeople(table, 0);
        QCOMPARE(table.FieldByName("nome")->Index(), 1);
        QVERIFY(!table.FindField("Nome"));
        QCOMPARE(ErrorOf([&] { table.FieldByName("Nome"); }), QStringLiteral("Field 'Nome' not found"));
    }

    // Text is cut to the field's width (20 by default); memos and text fields of WholeText keep it all.
    void textIsCutToTheFieldWidth()
    {
        TRecordTable table;
        table.FieldDefs().Add("s", ftString);
        table.FieldDefs().Add("m", ftMemo);
        table.FieldDefs().Add("w", ftString, TFieldDef::WholeText);
        table.CreateDataSet();
        const QString text = QStringLiteral("abcdefghijklmnopqrstuvwxy").repeated(3); // 75 characters
        table.Append();
        for (int field = 0; field < 3; ++field)
            table.Fields(field)->SetAsString(text);
        table.Post();
        QCOMPARE(table.Fields(0)->AsString(), text.left(20));
        QCOMPARE(table.Fields(1)->AsString(), text);
        QCOMPARE(table.Fields(2)->AsString(), text);
    }

    void appendEditPostCancelAndTheirEvents()
    {
        TRecordTable table;
        CreatePeople(table, 0);
        QSignalSpy inserts(&table, &TRecordTable::AfterInsert);
        QSignalSpy edits(&table, &TRecordTable::AfterEdit);

        table.Edit(); // on an empty table it starts a new row
        QCOMPARE(table.State(), dsInsert);
        QCOMPARE(inserts.count(), 1);
        QVERIFY(table.Fields(0)->IsNull());
        table.Fields(0)->SetAsInteger(5);
        table.Post();
        QCOMPARE(table.RecordCount(), 1);
        QCOMPARE(table.State(), dsBrowse);

        table.Edit();
        table.Edit(); // already editing: nothing happens
        QCOMPARE(edits.count(), 1);
        table.Fields(0)->SetAsInteger(6);
        table.Cancel();
        QCOMPARE(table.Fields(0)->AsInteger(), 5);

        table.Append();
        table.Fields(0)->SetAsInteger(7);
        table.Cancel();
        QCOMPARE(table.RecordCount(), 1);

        QCOMPARE(
            ErrorOf([&] { table.Fields(0)->SetAsInteger(1); }), QStringLiteral("Dataset not in edit or insert mode"));
    }

    void cursorMovesAndDeletes()
    {
        TRecordTable table;
        CreatePeople(table, 3);
        QCOMPARE(table.RecNo(), 3); // the last posted row
        table.First();
        QStringList names;
        for (; !table.Eof(); table.Next())
            names << table.FieldByName("nome")->AsString();
        QCOMPARE(names, QStringList({"p1", "p2", "p3"}));

        table.SetRecNo(2);
        table.Delete();
        QCOMPARE(table.RecordCount(), 2);
        QCOMPARE(table.FieldByName("nome")->AsString(), QStringLiteral("p3"));
        table.Delete(); // the last row: the cursor goes to the new last row
        QCOMPARE(table.RecNo(), 1);
        QVERIFY(!table.Eof());
        table.Delete();
        QVERIFY(table.IsEmpty() && table.Eof());
        QCOMPARE(table.RecNo(), 0);
        QCOMPARE(ErrorOf([&] { table.Delete(); }), QStringLiteral("Cannot perform this operation on an empty dataset"));
    }

    void bookmarksFollowTheirRow()
    {
        TRecordTable table;
        CreatePeople(table, 3);
        table.SetRecNo(3);
        TBookmark third = table.GetBookmark();
        table.First();
        table.Delete();
        QVERIFY(table.BookmarkValid(third));
        table.GotoBookmark(third);
        QCOMPARE(table.FieldByName("nome")->AsString(), QStringLiteral("p3"));
        QCOMPARE(table.RecNo(), 2);
        table.Delete();
        QVERIFY(!table.BookmarkValid(third));
        table.FreeBookmark(third);
        QVERIFY(!table.BookmarkValid(third));
    }

    void controlsRefreshOnceWhenTheCountReturnsToZero()
    {
        TRecordTable table;
        CreatePeople(table, 2);
        QSignalSpy resets(&table, &TRecordTable::DataReset);
        table.DisableControls();
        table.DisableControls();
        table.EmptyDataSet();
        CreatePeople(table, 0);
        table.Append();
        table.Post();
        table.EnableControls();
        QCOMPARE(resets.count(), 0);
        table.EnableControls();
        QCOMPARE(resets.count(), 1);
        table.EnableControls(); // unbalanced: ignored
        QCOMPARE(resets.count(), 1);
    }

    void typedValuesAndBlobs()
    {
        TRecordTable table;
        table.FieldDefs().Add("money", ftCurrency);
        table.FieldDefs().Add("small", ftSmallint);
        table.FieldDefs().Add("auto", ftAutoInc);
        table.FieldDefs().Add("data", ftBlob);
        table.FieldDefs().Add("flag", ftBoolean);
        table.CreateDataSet();
        table.Append();
        table.FieldByName("money")->SetAsCurrency(1.23456);
        QBuffer in;
        in.setData(QByteArray("\x00\x01\xff", 3));
        in.open(QIODevice::ReadOnly);
        table.FieldByName("data")->LoadFromStream(in);
        table.FieldByName("flag")->SetAsString("TRUE");
        QVERIFY(!ErrorOf([&] { table.FieldByName("small")->SetAsInteger(70000); }).isEmpty());
        table.Post();
        table.Append();
        table.Post();

        table.First();
        QCOMPARE(table.FieldByName("money")->AsCurrencyUnits(), qint64(12346));
        QCOMPARE(table.FieldByName("auto")->AsInteger(), 1);
        QVERIFY(table.FieldByName("small")->IsNull());
        QVERIFY(table.FieldByName("flag")->AsBoolean());
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        table.FieldByName("data")->SaveToStream(out);
        QCOMPARE(out.data(), QByteArray("\x00\x01\xff", 3));
        table.Next();
        QCOMPARE(table.FieldByName("auto")->AsInteger(), 2);
    }

    void everyRowHasItsOwnNestedTable()
    {
        TRecordTable table;
        TFieldDef &items = table.FieldDefs().Add("itens", ftDataSet);
        items.ChildDefs().Add("x", ftInteger);
        table.CreateDataSet();
        QVERIFY(!table.Fields(0)->NestedDataSet()); // no current row
        for (int i = 0; i < 2; ++i) {
            table.Append();
            TRecordTable *nested = table.Fields(0)->NestedDataSet();
            QVERIFY(nested && nested->Active());
            for (int j = 0; j <= i; ++j) {
                nested->Append();
                nested->Fields(0)->SetAsInteger(j);
                nested->Post();
            }
            table.Post();
        }
        table.First();
        QCOMPARE(table.Fields(0)->NestedDataSet()->RecordCount(), 1);
        table.Next();
        QCOMPARE(table.Fields(0)->NestedDataSet()->RecordCount(), 2);
    }

    void recreatingRebuildsFieldsFromDefinitions()
    {
        TRecordTable table;
        CreatePeople(table, 2);
        table.FieldDefs().Clear();
        table.FieldDefs().Add("codigo", ftLargeint);
        table.CreateDataSet();
        QCOMPARE(table.FieldCount(), 1);
        QVERIFY(table.IsEmpty());
        table.Close();
        QCOMPARE(table.State(), dsInactive);
        QCOMPARE(ErrorOf([&] { table.Append(); }), QStringLiteral("Cannot perform this operation on a closed dataset"));
    }
};

QTEST_GUILESS_MAIN(tst_TRecordTable)
#include "tst_TRecordTable.moc"
