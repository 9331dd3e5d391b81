#include "convert/LoadTableFromArray.h"
#include "convert/TField.h"
#include "convert/TRecordTable.h"
#include "convert/TRecordTableCursorBinder.h"
#include "convert/TRecordTableModel.h"
#include "tests/support/SaveToGallery.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using json = nlohmann::ordered_json;

namespace {

// A result table as the search screen builds it: integer id, text nome, with titles.
void DefineResults(TRecordTable &table)
{
    table.FieldDefs().Clear();
    table.FieldDefs().Add("id", ftInteger);
    table.FieldDefs().Add("nome", ftString);
    table.CreateDataSet();
    table.FieldByName("id")->SetDisplayLabel("Código");
    table.FieldByName("nome")->SetDisplayLabel("Nome");
}

// Refills the table the way the screens do: one refresh for the whole batch.
void Reload(TRecordTable &table, const json &rows)
{
    table.DisableControls();
    try {
        table.EmptyDataSet();
        LoadTableFromArray(&table, &rows);
    } catch (...) {
        table.EnableControls();
        throw;
    }
    table.EnableControls();
}

json People(int count)
{
    json rows = json::array();
    for (int i = 1; i <= count; ++i)
        rows.push_back({{"id", i}, {"nome", "Pessoa com um nome bem comprido " + std::to_string(i)}});
    return rows;
}

} // namespace

class tst_TRecordTableModel final : public QObject
{
    Q_OBJECT

private slots:
    void showsTitlesAndCutValues()
    {
        TRecordTable table;
        TRecordTableModel model(&table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        DefineResults(table);
        Reload(table, People(3));
        QCOMPARE(model.columnCount(), 2);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Código"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome"));
        QCOMPARE(model.data(model.index(2, 0)).toString(), QStringLiteral("3"));
        QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("Pessoa com um nome b"));

        QSignalSpy titles(&model, &QAbstractItemModel::headerDataChanged);
        table.Fields(1)->SetDisplayLabel("Nome completo");
        QCOMPARE(titles.count(), 1);
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Nome completo"));

        table.SetRecNo(2);
        table.Edit();
        table.Fields(1)->SetAsString("Outra");
        table.Post();
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("Outra"));
        table.Delete();
        QCOMPARE(model.rowCount(), 2);
        Reload(table, json::array()); // an empty page leaves only the titles
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.columnCount(), 2);
    }

    // A field's text function changes what its cells show, never what the table holds; after
    // RefreshTexts the views repaint every cell without a reset.
    void textFunctionNamesCellsWithoutReset()
    {
        TRecordTable table;
        TRecordTableModel model(&table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        DefineResults(table);
        Reload(table, People(3));
        QHash<QString, QString> names {{"1", "Um"}};
        table.Fields(0)->SetOnGetText([&names](const QString &key) { return names.value(key, key); });
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Um"));
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("2"));
        table.SetRecNo(1);
        QCOMPARE(table.Fields(0)->AsInteger(), 1);

        names.insert("2", "Dois");
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        model.RefreshTexts();
        QCOMPARE(resets.count(), 0);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toModelIndex(), model.index(0, 0));
        QCOMPARE(changes.at(0).at(1).toModelIndex(), model.index(2, 1));
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("Dois"));
    }

    void refreshesOncePerDisableEnablePair()
    {
        TRecordTable table;
        DefineResults(table);
        TRecordTableModel model(&table);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        table.DisableControls();
        Reload(table, People(10)); // nested pair: no refresh of its own
        QCOMPARE(model.rowCount(), 0); // the view still sees the old state
        table.EnableControls();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(model.rowCount(), 10);

        Reload(table, People(4));
        QCOMPARE(resets.count(), 2);

        const json bad = json::parse(R"([{"id":1},5])");
        QVERIFY_THROWS_EXCEPTION(std::exception, Reload(table, bad));
        QCOMPARE(resets.count(), 3);
        QCOMPARE(model.rowCount(), 1); // rows converted before the failure are shown
    }

    void selectedLineFollowsTheCursorBothWays()
    {
        TRecordTable table;
        DefineResults(table);
        QTableView view;
        TRecordTableModel model(&table, &view);
        view.setModel(&model);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        TRecordTableCursorBinder binder(view.selectionModel(), &table, &view);
        view.show();
        Reload(table, People(5));

        const auto selectedRow = [&] {
            const QModelIndexList rows = view.selectionModel()->selectedRows();
            return rows.size() == 1 ? rows.first().row() : -1;
        };
        QCOMPARE(selectedRow(), 4); // the last appended row is current
        table.SetRecNo(2);
        QCOMPARE(selectedRow(), 1);
        QCOMPARE(view.currentIndex().row(), 1);

        view.selectRow(3);
        QCOMPARE(table.RecNo(), 4);
        QCOMPARE(table.FieldByName("id")->AsInteger(), 4);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(model.index(0, 1)).center());
        QCOMPARE(table.RecNo(), 1);

        Reload(table, People(2));
        QCOMPARE(selectedRow(), table.RecNo() - 1);
        Reload(table, json::array());
        QCOMPARE(selectedRow(), -1);
    }

    // One row posted or deleted reaches the view as that row, not as a reset; the selected line
    // stays on the table's current row (after a delete the next row, or the new last one).
    void oneRowMoreOrLessWithoutAReset_data()
    {
        QTest::addColumn<int>("deleted"); // RecNo deleted after appending id 6; 0 for none
        QTest::addColumn<QStringList>("ids");
        QTest::addColumn<int>("current");
        QTest::newRow("appended") << 0 << QStringList {"1", "2", "3", "4", "5", "6"} << 6;
        QTest::newRow("first deleted") << 1 << QStringList {"2", "3", "4", "5", "6"} << 1;
        QTest::newRow("middle deleted") << 3 << QStringList {"1", "2", "4", "5", "6"} << 3;
        QTest::newRow("last deleted") << 6 << QStringList {"1", "2", "3", "4", "5"} << 5;
    }

    void oneRowMoreOrLessWithoutAReset()
    {
        QFETCH(int, deleted);
        QFETCH(QStringList, ids);
        QFETCH(int, current);
        TRecordTable table;
        DefineResults(table);
        QTableView view;
        TRecordTableModel model(&table, &view);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        view.setModel(&model);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        TRecordTableCursorBinder binder(view.selectionModel(), &table, &view);
        view.show();
        Reload(table, People(5));
        table.SetRecNo(deleted > 0 ? deleted : 1);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);

        const json six = json::parse(R"([{"id": 6, "nome": "Seis"}])");
        LoadTableFromArray(&table, &six);
        if (deleted > 0) {
            table.SetRecNo(deleted);
            table.Delete();
        }
        QCOMPARE(resets.count(), 0);
        QCOMPARE(inserted.count(), 1);
        QCOMPARE(removed.count(), deleted > 0 ? 1 : 0);
        QStringList shown;
        for (int row = 0; row < model.rowCount(); ++row)
            shown << model.data(model.index(row, 0)).toString();
        QCOMPARE(shown, ids);
        QCOMPARE(table.RecNo(), current);
        QCOMPARE(view.currentIndex().row(), current - 1);
        const QModelIndexList selected = view.selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), current - 1);
    }

    void gridRenders()
    {
        TRecordTable table;
        DefineResults(table);
        QTableView view;
        TRecordTableModel model(&table, &view);
        view.setModel(&model);
        TRecordTableCursorBinder binder(view.selectionModel(), &table, &view);
        view.resize(360, 160);
        Reload(table, People(3));
        table.SetRecNo(2);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        SaveToGallery(view, QStringLiteral("convert_record_grid"));
    }
};

QTEST_MAIN(tst_TRecordTableModel)
#include "tst_TRecordTableModel.moc"
