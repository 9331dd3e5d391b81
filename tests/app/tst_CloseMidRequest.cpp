#include "app/RunMainWindow.h"
#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "app/TfrmPrincipal.h"
#include "convert/TRecordTable.h"
#include "fields/TResourceComboBox.h"
#include "gui/TMessageBox.h"
#include "rest/TRequestPool.h"
#include "screens/TfrmCadastroPadrao.h"
#include "screens/TfrmPesquisaPadrao.h"
#include "screens/TfrmTabForm.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"
#include "widgets/TLXSearchEdit.h"

#include <QAction>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStackedWidget>
#include <QTabBar>
#include <QThreadPool>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <functional>
#include <memory>

// Closing screens and quitting the program while requests are in flight. Answers that land after
// a screen is gone must not touch it (AddressSanitizer proves it in the sanitizer build), and the
// program must end promptly however many requests still wait for the server.

namespace {

// ---- the back-end's documents

const char *const kMenu = R"([{"descricao": "Clientes", "resource": "clientes"}])";

// A text field, a remote combo box, a lookup edit (more records than a combo box shows) and a
// detail list: every kind of control that issues or receives requests.
const char *const kFields = R"([
  {"nome": "id", "label": "Id", "tipo": "long"},
  {"nome": "nome", "label": "Nome", "tipo": "string"},
  {"nome": "cidade", "label": "Cidade", "tipo": "long", "resource": "cidades", "type": "REMOTE",
   "id": "id", "displayField": "nome", "count": 3},
  {"nome": "vendedor", "label": "Vendedor", "tipo": "long", "resource": "vendedores", "type": "REMOTE",
   "id": "id", "displayField": "nome", "count": 900},
  {"nome": "itens", "label": "Itens", "tipo": "list",
   "fields": [{"nome": "descricao", "label": "Descrição", "tipo": "string"}]}
])";

const char *const kRecord = R"({"id": 1, "nome": "Ana", "cidade": 2, "vendedor": 3, "itens": [{"descricao": "caixa"}]})";
const char *const kCities = R"({"content": [{"id": 1, "nome": "Lisboa"}, {"id": 2, "nome": "Porto"}], "totalPages": 1, "number": 0})";
const char *const kFilters = R"([{"nome": "nome", "label": "Nome", "tipo": "String"}])";
const char *const kColumns = R"([{"nome": "id", "label": "Id", "tipo": "long"}, {"nome": "nome", "label": "Nome", "tipo": "string"}])";
const char *const kClientsPage = R"({"content": [{"id": 1, "nome": "Ana"}], "totalPages": 1, "number": 0})";
const char *const kSellersPage = R"({"content": [{"id": 3, "nome": "Rui"}], "totalPages": 1, "number": 0})";

struct TDocument
{
    const char *Method;
    const char *Target; // query strings fall back to the path (TTestServer)
    int Status;
    const char *Body;
};

// Everything one screen asks for; the menu is fetched once, when the window is made.
const TDocument kScreenDocuments[] = {
    {"GET", "/clientes/campos", 200, kFields},
    {"GET", "/clientes/1", 200, kRecord},
    {"POST", "/clientes", 201, R"({"id": 1})"},
    {"PUT", "/clientes/1", 200, R"({"id": 1})"},
    {"GET", "/cidades", 200, kCities},
    {"GET", "/vendedores/3", 200, R"({"id": 3, "nome": "Rui"})"},
    {"GET", "/clientes/filtros", 200, kFilters},
    {"GET", "/clientes/campos/pesquisa", 200, kColumns},
    {"GET", "/clientes", 200, kClientsPage},
    {"GET", "/vendedores/filtros", 200, kFilters},
    {"GET", "/vendedores/campos/pesquisa", 200, kColumns},
    {"GET", "/vendedores", 200, kSellersPage},
};

// Answer delays, so answers land before, during and after the close.
constexpr int kDelaysMs[] = {0, 5, 20, 50, 100};

TScriptedAnswer Answer(int status, const char *body, int delayMs = 0)
{
    TScriptedAnswer answer;
    answer.Status = status;
    answer.Body = body;
    answer.DelayMs = delayMs;
    return answer;
}

int EnvInt(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}

// ---- the quitting program, run as a child process of this test

const char *const kQuitChild = "QUOREL_QUIT_CHILD"; // "<first answer delay ms>,<step ms>,<stuck task 0/1>"
constexpr int kRequestsAtQuit = 16;

// The monotonic clock, which every process of the machine shares.
qint64 MonotonicNowMs()
{
    QElapsedTimer timer;
    timer.start();
    return timer.msecsSinceReference();
}

void Say(const QByteArray &line)
{
    std::fputs((line + '\n').constData(), stdout);
    std::fflush(stdout);
}

// Starts like the program (application object, data module, then the program's own main-window
// run), opens kRequestsAtQuit screens, each of its own resource whose descriptors come after
// firstDelayMs + i * stepMs, and once all their requests reached the server closes the window.
// With stuck, a task that no shutdown can cancel is also running. Reports the moment it starts
// quitting on the clock every process shares.
int RunQuitChild(int argc, char *argv[], int firstDelayMs, int stepMs, bool stuck)
{
    TApplication app(argc, argv);
    dmGlobal = new TdmGlobal(&app);
    TMessageBox::SetHandler([](const TMessageBoxCall &) { return TMessageResult::Ok; });
    // Never destroyed: its handlers may sleep far longer than the program lives.
    static TTestServer *const server = new TTestServer;
    server->Script("GET", "/acesso/menus", Answer(200, kMenu));
    for (int i = 0; i < kRequestsAtQuit; ++i)
        server->Script("GET", "/r" + std::to_string(i) + "/campos",
                       Answer(200, R"([{"nome": "nome", "label": "Nome", "tipo": "string"}])", firstDelayMs + i * stepMs));
    server->InstallAsSystemConfig();
    if (stuck)
        TRequestPool::Start([] { QThread::sleep(30); });

    // Runs once the main window is up and the loop has started.
    QTimer::singleShot(0, &app, [] {
        TfrmPrincipal *window = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets())
            window = window ? window : qobject_cast<TfrmPrincipal *>(widget);
        if (!window)
            std::exit(4);
        for (int i = 0; i < kRequestsAtQuit; ++i)
            window->OpenScreen(QStringLiteral("Tela %1").arg(i), QStringLiteral("r%1").arg(i));
        if (!server->WaitForRequests(1 + kRequestsAtQuit, 20000))
            std::exit(3);
        Say("inflight " + QByteArray::number(TRequestPool::Pool().activeThreadCount()));
        Say("quit " + QByteArray::number(MonotonicNowMs()));
        window->close();
    });
    const int result = RunMainWindow(app);
    Say("shutdown " + QByteArray::number(TRequestPool::Pool().activeThreadCount() == 0) + ' '
        + QByteArray::number(MonotonicNowMs()));
    return result;
}

// The offscreen platform warns each time a dialog is shown; hundreds of those would hide the rest.
QtMessageHandler gPreviousHandler = nullptr;

void DropPlatformNoise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    gPreviousHandler(type, context, message);
}

} // namespace

class TestCloseMidRequest final : public QObject
{
    Q_OBJECT

    struct TBox
    {
        int Iteration;
        bool AfterClose;
        QString Text;
    };

    std::unique_ptr<TTestServer> FServer;
    QList<TBox> FBoxes;
    int FIteration = 0;
    bool FClosed = false;
    int FInFlightAtClose = 0; // requests whose answers came after their screen was gone
    QRandomGenerator FRandom;

    int Between(int low, int high) { return FRandom.bounded(low, high + 1); }
    int AnyDelay() { return kDelaysMs[FRandom.bounded(int(std::size(kDelaysMs)))]; }

    void ScriptWithRandomDelays()
    {
        for (const TDocument &document : kScreenDocuments)
            FServer->Script(document.Method, document.Target, Answer(document.Status, document.Body, AnyDelay()));
    }

    // Lets the event loop run until every request of the pool has been answered and handed over.
    static void DrainRequests()
    {
        QTRY_VERIFY_WITH_TIMEOUT(TRequestPool::Pool().activeThreadCount() == 0, 10000);
        QTest::qWait(1); // deferred deletes
    }

    template <typename T>
    static int LiveCount()
    {
        int count = 0;
        for (QWidget *widget : QApplication::allWidgets())
            count += qobject_cast<T *>(widget) != nullptr;
        return count;
    }

    void CloseTab(TfrmPrincipal &window)
    {
        window.abasTabClosed(0);
        FClosed = true;
        FInFlightAtClose += TRequestPool::Pool().activeThreadCount();
    }

    enum class TSearchEnd { Cancel, Select, CloseTabFirst };

    // Opens a search window (through the screen's "Pesquisar" or the lookup edit's button), searches,
    // and closes it after a random wait; CloseTabFirst closes the screen's tab while it is still open.
    void Search(TfrmPrincipal &window, TfrmCadastroPadrao &screen, TSearchEnd end)
    {
        const QPointer<TLXSearchEdit> lookup = screen.findChild<TLXSearchEdit *>(QStringLiteral("vendedor"));
        const bool throughLookup = lookup && FRandom.bounded(2) == 0;
        const int waitMs = Between(0, 60);
        auto *poll = new QTimer(this);
        poll->setInterval(1);
        connect(poll, &QTimer::timeout, this, [this, poll, &window, end, waitMs] {
            const QPointer<TfrmPesquisaPadrao> search = qobject_cast<TfrmPesquisaPadrao *>(QApplication::activeModalWidget());
            if (!search)
                return;
            poll->stop();
            search->findChild<QPushButton *>(QStringLiteral("btPesquisar"))->click();
            QTest::qWait(waitMs);
            if (end == TSearchEnd::CloseTabFirst)
                CloseTab(window);
            const bool canSelect = end == TSearchEnd::Select && !search->cdsPesquisa()->IsEmpty();
            search->findChild<QPushButton *>(QLatin1String(canSelect ? "btSelecionar" : "btCancelar"))->click();
        });
        poll->start();
        if (throughLookup)
            lookup->RightButton()->trigger();
        else
            screen.btPesquisarClick();
        delete poll; // found the window and closed it, or none opened
    }

    // One screen from opening to closing, every request racing the close.
    void CloseOneScreen(TfrmPrincipal &window)
    {
        ScriptWithRandomDelays();
        FClosed = false;
        QTest::mouseClick(window.SectionLinks(0)->Items()->Items(0)->Label(), Qt::LeftButton); // descriptors
        QCOMPARE(window.abas->count(), 1);
        const QPointer<TfrmCadastroPadrao> screen = window.CurrentScreen();
        QVERIFY(screen);

        QTest::qWait(Between(0, 30));
        screen->Load(1); // the record, and with it the lookup's description
        QTest::qWait(Between(0, 30));
        if (screen) {
            screen->btAlterarClick();
            screen->btGravarClick(); // POST or PUT, then the record again
        }
        if (TResourceComboBox *combo = screen ? screen->findChild<TResourceComboBox *>(QStringLiteral("cidade")) : nullptr)
            combo->Load(); // the options once more
        const int searchMode = FRandom.bounded(4);
        if (screen && searchMode > 0)
            Search(window, *screen, static_cast<TSearchEnd>(searchMode - 1));

        QTest::qWait(Between(0, 100));
        if (!FClosed)
            CloseTab(window);
        QVERIFY(!screen); // released at once
        QCOMPARE(window.abas->count(), 0);
        QCOMPARE(window.panelForm->count(), 0);

        DrainRequests();
        QCOMPARE(LiveCount<TfrmCadastroPadrao>(), 0);
        QCOMPARE(LiveCount<TfrmPesquisaPadrao>(), 0);
        QCOMPARE(LiveCount<TfrmTabForm>(), 0);
    }

private slots:
    void initTestCase()
    {
        FServer = std::make_unique<TTestServer>();
        FServer->Script("GET", "/acesso/menus", Answer(200, kMenu));
        FServer->InstallAsSystemConfig();
        TMessageBox::SetHandler([this](const TMessageBoxCall &call) {
            // Closing a tab whose screen is still editing asks first: the user lets go of it.
            if (call.Text == TfrmCadastroPadrao::DiscardQuestion && !FClosed)
                return TMessageResult::Yes;
            FBoxes.append({FIteration, FClosed, call.Text});
            return TMessageResult::Ok;
        });
        gPreviousHandler = qInstallMessageHandler(DropPlatformNoise);
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(gPreviousHandler);
        TMessageBox::SetHandler({});
    }

    // Screens closed while their descriptor, record, save, combo and search requests are in flight.
    void closingScreensMidRequest()
    {
        const int iterations = EnvInt("QUOREL_CLOSE_ITERATIONS", 100);
        const quint32 seed = quint32(EnvInt("QUOREL_CLOSE_SEED", int(QRandomGenerator::global()->bounded(1 << 30))));
        qInfo("seed %u (QUOREL_CLOSE_SEED), %d iterations (QUOREL_CLOSE_ITERATIONS)", seed, iterations);
        FRandom.seed(seed);
        FBoxes.clear();
        FInFlightAtClose = 0;

        TfrmPrincipal window;
        window.show();
        for (FIteration = 0; FIteration < iterations; ++FIteration) {
            CloseOneScreen(window);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("iteration %1, seed %2").arg(FIteration).arg(seed)));
        }
        for (const TBox &box : std::as_const(FBoxes))
            qWarning("iteration %d, %s the close: %s", box.Iteration, box.AfterClose ? "after" : "before",
                     qPrintable(box.Text));
        qInfo("%d requests were in flight when their screen closed", FInFlightAtClose);
        QVERIFY2(FBoxes.isEmpty(), "no message box, least of all from a closed screen");
        QVERIFY(FServer->RequestCount() > std::size_t(iterations)); // the screens did ask
    }

    // The program quits with kRequestsAtQuit requests sent: it ends within 2 s of the window
    // closing. The answers never come, or come one after another before, during and after the quit;
    // or a task that nothing can cancel still runs, and the exit does not wait for it twice.
    void quitWithRequestsInFlight_data()
    {
        QTest::addColumn<int>("firstDelayMs");
        QTest::addColumn<int>("stepMs");
        QTest::addColumn<bool>("stuck");
        QTest::newRow("server silent") << 60000 << 0 << false;
        QTest::newRow("answers spread over the quit") << 0 << 25 << false;
        QTest::newRow("a task that cannot be cancelled") << 60000 << 0 << true;
    }

    void quitWithRequestsInFlight()
    {
        QFETCH(int, firstDelayMs);
        QFETCH(int, stepMs);
        QFETCH(bool, stuck);
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kQuitChild), QStringLiteral("%1,%2,%3").arg(firstDelayMs).arg(stepMs).arg(int(stuck)));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
        const bool ended = child.waitForFinished(60000);
        const qint64 endedAt = MonotonicNowMs();
        if (!ended) {
            child.kill();
            child.waitForFinished(5000);
        }
        const QByteArray errors = child.readAllStandardError();
        QVERIFY2(ended, errors.constData());
        QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0, errors.constData());

        qint64 quitAt = -1, shutdownAt = -1;
        int inFlight = -1, poolFinished = -1;
        for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> words = line.split(' ');
            if (words.value(0) == "inflight")
                inFlight = words.value(1).toInt();
            else if (words.value(0) == "quit")
                quitAt = words.value(1).toLongLong();
            else if (words.value(0) == "shutdown") {
                poolFinished = words.value(1).toInt();
                shutdownAt = words.value(2).toLongLong();
            }
        }
        QVERIFY2(quitAt > 0 && shutdownAt > 0, errors.constData());
        qInfo("%d requests in flight; quit -> pool shut down %lld ms, quit -> process ended %lld ms",
              inFlight, shutdownAt - quitAt, endedAt - quitAt);
        if (firstDelayMs > 2000)
            QCOMPARE(inFlight, kRequestsAtQuit + int(stuck));
        QCOMPARE(poolFinished, stuck ? 0 : 1); // every worker was done but the one that cannot be
        QVERIFY(shutdownAt - quitAt <= 2000 + 200);
        // The process's own teardown (and the leak check of a sanitizer build) on top.
        QVERIFY2(endedAt - quitAt <= 2000 + 1000, qPrintable(QString::number(endedAt - quitAt)));
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(kQuitChild)) {
        const QStringList delays = qEnvironmentVariable(kQuitChild).split(QLatin1Char(','));
        return RunQuitChild(argc, argv, delays.value(0).toInt(), delays.value(1).toInt(), delays.value(2) == "1");
    }
    TApplication app(argc, argv);
    TestCloseMidRequest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_CloseMidRequest.moc"
