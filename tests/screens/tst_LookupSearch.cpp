#include "gui/TIcons.h"
#include "convert/TRecordTable.h"
#include "fields/TFieldEngine.h"
#include "gui/TMessageBox.h"
#include "screens/LookupSearch.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "tests/support/TTestServer.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXDataGrid.h"
#include "widgets/TLXSearchEdit.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

TJson Json(const char *text) { return *ParseJson(std::string_view(text)); }

// A supplier's name of 60 characters, shown whole in the grid and in the lookup.
const QString kLongName = QStringLiteral("Henrique Pereira Fernandes de Albuquerque Cavalcanti Moreira");

// Acts on the search window while its modal loop runs: step gets the window each tick and returns
// true when done. A window still open at the deadline is cancelled, so the test never hangs.
class TModalDriver final : public QObject
{
public:
    explicit TModalDriver(std::function<bool(TfrmPesquisaPadrao &)> step, QObject *parent = nullptr)
        : QObject(parent), FStep(std::move(step)), FDeadline(15000)
    {
        FTimer.setInterval(20);
        connect(&FTimer, &QTimer::timeout, this, [this] { Tick(); });
        FTimer.start();
    }
    bool TimedOut() const { return FTimedOut; }

private:
    void Tick()
    {
        auto *window = qobject_cast<TfrmPesquisaPadrao *>(QApplication::activeModalWidget());
        if (!window)
            return;
        if (FDeadline.hasExpired()) {
            FTimedOut = true;
            window->reject();
        } else if (FStep(*window)) {
            FTimer.stop();
        }
    }

    std::function<bool(TfrmPesquisaPadrao &)> FStep;
    QDeadlineTimer FDeadline;
    QTimer FTimer;
    bool FTimedOut = false;
};

QPushButton *Button(TfrmPesquisaPadrao &window, const char *name)
{
    return window.findChild<QPushButton *>(QString::fromLatin1(name));
}

} // namespace

class tst_LookupSearch final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void chosenRowFillsKeyAndDescription_data();
    void chosenRowFillsKeyAndDescription();
    void cancelLeavesTheEditAlone();

private:
    std::unique_ptr<TTestServer> FServer;
    std::unique_ptr<TLXColumnPanel> FContainer;
    TLXSearchEdit *FEdit = nullptr;
    TMessageBoxRecorder FBoxes;
};

void tst_LookupSearch::initTestCase()
{
    FServer = std::make_unique<TTestServer>();
    FServer->InstallAsSystemConfig();
    FServer->Script("GET", "/fornecedores/filtros", {200, "[]"});
    FServer->Script("GET", "/fornecedores/campos/pesquisa",
                    {200, R"([{"tipo":"long","nome":"codigo","label":"Código"},{"tipo":"string","nome":"razao","label":"Razão social"}])"});
    FServer->Script("GET", "/fornecedores?size=10&page=0",
                    {200, R"({"content":[{"codigo":31,"razao":"ACME Ltda"},{"codigo":32,"razao":"Henrique Pereira Fernandes de Albuquerque Cavalcanti Moreira"}],"totalPages":1,"number":0})"});
}

void tst_LookupSearch::init()
{
    FBoxes.clear();
    FContainer = std::make_unique<TLXColumnPanel>();
    FEdit = qobject_cast<TLXSearchEdit *>(ConnectLookupButton(TFieldEngine::FillFields(FContainer.get(),
        Json(R"({"nome":"fornecedor","label":"Fornecedor","tipo":"long","resource":"fornecedores","type":"REMOTE","id":"codigo","displayField":"razao","count":500})"))));
    QVERIFY(FEdit);
}

void tst_LookupSearch::cleanup()
{
    FContainer.reset();
    QVERIFY2(FBoxes.isEmpty(), FBoxes.isEmpty() ? "" : qPrintable(FBoxes.first().Text));
}

void tst_LookupSearch::chosenRowFillsKeyAndDescription_data()
{
    QTest::addColumn<QString>("displayField");
    QTest::addColumn<QString>("description"); // shown after the choice
    QTest::addColumn<QString>("error");       // the box raised, empty for none

    QTest::newRow("a result column") << "razao" << kLongName << QString();
    QTest::newRow("not a result column") << "fantasia" << "Antigo" << "Field 'fantasia' not found";
}

// The search button opens the search window on the edit's resource with its key field; the chosen
// row's key is taken first, then its display column, whole as the server sent it: a display field
// the result lacks is reported and leaves the description as it was, with the key already taken.
// The grid holds the long name whole, so a column widened to fit it shows all of it.
void tst_LookupSearch::chosenRowFillsKeyAndDescription()
{
    QFETCH(QString, displayField);
    QFETCH(QString, description);
    QFETCH(QString, error);

    FEdit->Config()->setDisplayField(displayField);
    FEdit->setKeyValue(QStringLiteral("5"));
    FEdit->setDisplayValue(QStringLiteral("Antigo"));
    bool searched = false;
    QString gridText;
    bool fitsWidened = false;
    QString path;
    QStringList keyFields;
    TModalDriver driver([&](TfrmPesquisaPadrao &window) {
        path = window.Path();
        keyFields = window.KeyFields();
        TRecordTable *table = window.cdsPesquisa();
        if (!searched && table->FieldCount() == 2) {
            searched = true;
            Button(window, "btPesquisar")->click();
        } else if (searched && table->RecordCount() == 2) {
            auto *grid = window.findChild<TLXDataGrid *>();
            gridText = grid->model()->index(1, 1).data().toString();
            grid->resizeColumnToContents(1);
            fitsWidened = grid->columnWidth(1) > grid->fontMetrics().horizontalAdvance(kLongName);
            table->SetRecNo(2);
            Button(window, "btSelecionar")->click();
            return true;
        }
        return false;
    });
    FEdit->RightButton()->trigger();

    QVERIFY(!driver.TimedOut());
    QCOMPARE(path, QStringLiteral("fornecedores"));
    QCOMPARE(keyFields, QStringList{"codigo"});
    QCOMPARE(gridText, kLongName);
    QVERIFY(fitsWidened);
    QCOMPARE(FEdit->KeyValue(), QStringLiteral("32"));
    QCOMPARE(FEdit->DisplayValue(), description);
    QCOMPARE(FBoxes.size(), error.isEmpty() ? 0 : 1);
    QCOMPARE(FBoxes.isEmpty() ? QString() : FBoxes.first().Text, error);
    FBoxes.clear();
    QVERIFY(!QApplication::activeModalWidget());
    for (QWidget *window : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TfrmPesquisaPadrao *>(window)); // released after use
}

void tst_LookupSearch::cancelLeavesTheEditAlone()
{
    FEdit->setKeyValue(QStringLiteral("5"));
    FEdit->setDisplayValue(QStringLiteral("Antigo"));
    TModalDriver driver([](TfrmPesquisaPadrao &window) {
        Button(window, "btCancelar")->click();
        return true;
    });
    ChooseLookupRecord(FEdit);
    QVERIFY(!driver.TimedOut());
    QCOMPARE(FEdit->KeyValue(), QStringLiteral("5"));
    QCOMPARE(FEdit->DisplayValue(), QStringLiteral("Antigo"));
}

QTEST_MAIN(tst_LookupSearch)
#include "tst_LookupSearch.moc"
