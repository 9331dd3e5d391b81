#include "convert/TRecordTable.h"
#include "rest/TRequestPool.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "tests/support/TTestServer.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int kPages = 250; // of ten rows: 2,500 records

const char *const Columns = R"([{"tipo":"Long","nome":"id","label":"Código"},)"
                            R"({"tipo":"String","nome":"nome","label":"Nome"},)"
                            R"({"tipo":"Double","nome":"preco","label":"Preço"}])";

// Record n: a name with accents, quotes and the separator in it, and a price with decimals.
TJson Record(int n)
{
    return {{"id", n}, {"nome", QStringLiteral("Peça \"%1\"; nº %1").arg(n).toStdString()}, {"preco", n + 0.5}};
}

// The line record n becomes under pt_BR.
QByteArray Line(int n)
{
    return QStringLiteral("%1;\"Peça \"\"%1\"\"; nº %1\";%1,5\r\n").arg(n).toUtf8();
}

std::string Page(int page)
{
    TJson content = TJson::array();
    for (int n = page * 10 + 1; n <= page * 10 + 10; ++n)
        content.push_back(Record(n));
    return TJson {{"content", content}, {"totalPages", kPages}, {"number", page}, {"size", 10}}.dump();
}

} // namespace

// "Exportar": every page of what the search finds, in turn, into one CSV file that exists only
// when it is whole.
class TestSearchExport final : public QObject
{
    Q_OBJECT

    TTestServer FServer;
    TMessageBoxRecorder FBoxes;
    QTemporaryDir FFolder;

    // A shown window on "produtos" with "peça" typed in its filter.
    std::unique_ptr<TfrmPesquisaPadrao> OpenWindow()
    {
        auto window = std::make_unique<TfrmPesquisaPadrao>();
        window->SetPath(QStringLiteral("produtos"));
        window->show();
        [&] {
            QTRY_COMPARE(window->cdsPesquisa()->FieldCount(), 3);
            QTRY_VERIFY(window->findChild<QLineEdit *>(QStringLiteral("nome")));
        }();
        window->findChild<QLineEdit *>(QStringLiteral("nome"))->setText(QStringLiteral("peça"));
        return window;
    }

    // Page requests asked so far.
    int PagesAsked() const
    {
        int pages = 0;
        for (const TRecordedRequest &request : FServer.Requests())
            pages += request.Target.find("page=") != std::string::npos;
        return pages;
    }

    QString ExportFile() const { return FFolder.filePath(QStringLiteral("produtos.csv")); }

    // A failed or cancelled export leaves no file at all in the folder, not even a temporary one.
    void VerifyNothingWritten()
    {
        QVERIFY(!QFile::exists(ExportFile()));
        QTRY_VERIFY(QDir(FFolder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }

    void ScriptPages(int delayMs = 0)
    {
        for (int page = 0; page < kPages; ++page)
            FServer.Script("GET", "/produtos?size=10&page=" + std::to_string(page) + "&nome=pe%C3%A7a",
                           ScriptedAnswer(200, Page(page), delayMs));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        FServer.InstallAsSystemConfig();
        QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    }

    void init()
    {
        FServer.ClearRequests();
        FBoxes.clear();
        FServer.Script("GET", "/produtos/filtros", {200, R"([{"tipo":"String","label":"Nome","nome":"nome"}])"});
        FServer.Script("GET", "/produtos/campos/pesquisa", {200, Columns});
    }

    void cleanup()
    {
        QFile::remove(ExportFile());
        TRequestPool::Pool().waitForDone(5000);
    }

    void everyPageInOneFile()
    {
        ScriptPages();
        auto window = OpenWindow();
        window->Export(ExportFile());
        QTRY_COMPARE_WITH_TIMEOUT(FBoxes.size(), 1, 30000);
        QCOMPARE(FBoxes.front().Text, QStringLiteral("2500 registros exportados para %1.").arg(ExportFile()));
        QCOMPARE(PagesAsked(), kPages);

        QFile file(ExportFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QByteArray expected = QStringLiteral("\uFEFFCódigo;Nome;Preço\r\n").toUtf8();
        for (int n = 1; n <= kPages * 10; ++n)
            expected += Line(n);
        QCOMPARE(file.readAll(), expected);
        QVERIFY(!window->findChild<QProgressDialog *>() || !window->findChild<QProgressDialog *>()->isVisible());
    }

    void cancelInTheMiddleLeavesNoFile()
    {
        ScriptPages(5);
        auto window = OpenWindow();
        window->Export(ExportFile());
        QTRY_VERIFY_WITH_TIMEOUT(PagesAsked() >= 20, 30000);
        auto *progress = window->findChild<QProgressDialog *>();
        QVERIFY(progress);
        QTRY_VERIFY(progress->isVisible());
        QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
        const int asked = PagesAsked();
        QTest::qWait(200);
        QVERIFY(PagesAsked() <= asked + 1); // at most the page already on its way
        QVERIFY(PagesAsked() < kPages);
        VerifyNothingWritten();
        QVERIFY(FBoxes.isEmpty());
    }

    // The grid shows decimals in the user's format (the file too, as the other tests read).
    void gridShowsNumbersInTheUsersFormat_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("price");
        QTest::newRow("pt_BR") << "pt_BR" << "1,5";
        QTest::newRow("C") << "C" << "1.5";
    }

    void gridShowsNumbersInTheUsersFormat()
    {
        QFETCH(QString, locale);
        QFETCH(QString, price);
        QLocale::setDefault(QLocale(locale));
        ScriptPages();
        auto window = OpenWindow();
        QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("btPesquisar")), Qt::LeftButton);
        auto *grid = window->findChild<QTableView *>(QStringLiteral("gridPesquisa"));
        QTRY_COMPARE(grid->model()->rowCount(), 10);
        QCOMPARE(grid->model()->index(0, 2).data().toString(), price);
        QLocale::setDefault(QLocale(QStringLiteral("pt_BR")));
    }

    void failureInTheMiddleLeavesNoFile()
    {
        ScriptPages();
        FServer.Script("GET", "/produtos?size=10&page=7&nome=pe%C3%A7a", ScriptedAnswer(500, "[]"));
        auto window = OpenWindow();
        window->Export(ExportFile());
        QTRY_COMPARE_WITH_TIMEOUT(FBoxes.size(), 1, 30000);
        QCOMPARE(FBoxes.front().Text, QStringLiteral("Não foi possível exportar: o servidor respondeu 500."));
        QCOMPARE(PagesAsked(), 8);
        VerifyNothingWritten();
    }

    void windowClosedMidwayLeavesNoFile()
    {
        ScriptPages(5);
        auto window = OpenWindow();
        window->Export(ExportFile());
        QTRY_VERIFY_WITH_TIMEOUT(PagesAsked() >= 5, 30000);
        window.reset();
        QTest::qWait(100);
        VerifyNothingWritten();
        QVERIFY(FBoxes.isEmpty());
    }
};

QTEST_MAIN(TestSearchExport)
#include "tst_TSearchExport.moc"
