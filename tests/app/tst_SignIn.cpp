// Signing in to the back-end: the configured token, and the question the program asks when the
// back-end refuses a request for want of credentials, answered from a timer as a user would.
#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "config/TSystemConfig.h"
#include "gui/TSignInDialog.h"
#include "rest/THttpVerbs.h"
#include "rest/TSignIn.h"
#include "tests/server/LoopbackServer.h"
#include "tests/support/TLoopbackHttpServer.h"
#include "tests/support/TTestServer.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <mutex>
#include <optional>

namespace {

const std::string kToken = "segredo-da-sessao";

// Stands in for the user at the sign-in dialog: each dialog that opens, once Ready says so, gets
// the next answer (nullopt, or none left: "Cancelar"). Counts the dialogs and the ones that lacked
// the fields their answer needs.
class TSignInAnswerer final : public QObject
{
public:
    explicit TSignInAnswerer(QList<std::optional<TCredentials>> answers, std::function<bool()> ready = {})
        : FAnswers(std::move(answers)), FReady(std::move(ready))
    {
        connect(&FTimer, &QTimer::timeout, this, &TSignInAnswerer::Poll);
        FTimer.start(10);
    }

    int Shown() const { return FShown; }
    int Mismatched() const { return FMismatched; }

private:
    void Poll()
    {
        auto *dialog = qobject_cast<TSignInDialog *>(QApplication::activeModalWidget());
        if (!dialog || dialog->property("answered").toBool() || (FReady && !FReady()))
            return;
        dialog->setProperty("answered", true);
        const std::optional<TCredentials> answer = FAnswers.value(FShown++);
        auto *buttons = dialog->findChild<QDialogButtonBox *>();
        if (answer && Fill(*dialog, *answer))
            buttons->button(QDialogButtonBox::Ok)->click();
        else
            buttons->button(QDialogButtonBox::Cancel)->click();
    }

    bool Fill(TSignInDialog &dialog, const TCredentials &answer)
    {
        const QList<std::pair<const char *, QString>> fields
            = answer.Scheme == TCredentials::TScheme::Bearer
                ? QList<std::pair<const char *, QString>>{{"token", answer.Token}}
                : QList<std::pair<const char *, QString>>{{"usuario", answer.User}, {"senha", answer.Password}};
        for (const auto &[name, text] : fields) {
            auto *field = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
            if (!field) {
                ++FMismatched;
                return false;
            }
            field->setText(text);
        }
        return true;
    }

    QList<std::optional<TCredentials>> FAnswers;
    std::function<bool()> FReady;
    QTimer FTimer;
    int FShown = 0;
    int FMismatched = 0;
};

// The status of one asynchronous GET, once it has arrived (0 before).
struct TStatus
{
    std::shared_ptr<std::atomic<int>> status = std::make_shared<std::atomic<int>>(0);
    THttpVerbs::THandler Proc() const
    {
        return [status = status](const TRestResult &result) { *status = result.Status; };
    }
    int Wait() const
    {
        const bool answered = QTest::qWaitFor([this] { return *status != 0; }, 20000);
        return answered ? status->load() : 0;
    }
};

int GetStatus(const QString &path, QObject *context, bool synchronous)
{
    if (synchronous)
        return THttpVerbs::GetSync(path).Status;
    TStatus answer;
    THttpVerbs::Get(path, context, answer.Proc());
    return answer.Wait();
}

std::optional<TCredentials> Token(const QString &token)
{
    if (token.isEmpty())
        return std::nullopt;
    return TCredentials::Bearer(token);
}

// Every message of the program while it lives, debug lines included, from any thread.
class TMessageCapture final
{
public:
    TMessageCapture()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("quorel.*=true"));
        Messages().clear();
        FPrevious = qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &text) {
            std::lock_guard lock(Mutex());
            Messages().append(text);
        });
    }
    ~TMessageCapture()
    {
        qInstallMessageHandler(FPrevious);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList Taken()
    {
        std::lock_guard lock(Mutex());
        return Messages();
    }

private:
    static QStringList &Messages()
    {
        static QStringList messages;
        return messages;
    }
    static std::mutex &Mutex()
    {
        static std::mutex mutex;
        return mutex;
    }

    QtMessageHandler FPrevious = nullptr;
};

} // namespace

class TestSignIn final : public QObject
{
    Q_OBJECT

    std::unique_ptr<LoopbackServer> FBackEnd;

    // A configuration file naming the sample back-end, with the token given (none when empty).
    std::unique_ptr<QTemporaryFile> ConfigWithToken(const QString &token)
    {
        auto ini = std::make_unique<QTemporaryFile>();
        if (!ini->open())
            return {};
        ini->write(QStringLiteral("[config]\nservidor=http://127.0.0.1\nporta=%1\n").arg(FBackEnd->port()).toUtf8());
        if (!token.isEmpty())
            ini->write("token=" + token.toUtf8() + '\n');
        ini->close();
        return ini;
    }

private slots:
    void initTestCase()
    {
        FBackEnd = std::make_unique<LoopbackServer>(true);
        QVERIFY2(FBackEnd->port() > 0, "the sample back-end could not start");
        FBackEnd->api().requireTokens({kToken});
    }

    void init()
    {
        qunsetenv("QUORELAPI_TOKEN");
        if (!SystemConfig)
            SystemConfig = new TSystemConfig;
        SystemConfig->Server = QStringLiteral("http://127.0.0.1");
        SystemConfig->Port = FBackEnd->port();
        SystemConfig->Token.clear();
        SystemConfig->CaFile.clear();
        TSignIn::Forget();
    }

    // The token of config.ini, or of QUORELAPI_TOKEN, which wins over it; a refused one leads
    // to the question (cancelled here), so the back-end saw which one went.
    void configuredTokenSignsIn_data()
    {
        QTest::addColumn<QString>("fileToken");
        QTest::addColumn<QString>("environmentToken");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("dialogs");
        const QString right = QString::fromStdString(kToken);
        QTest::newRow("configuration file") << right << "" << 200 << 0;
        QTest::newRow("environment wins over a wrong file") << "errado" << right << 200 << 0;
        QTest::newRow("environment wins over a right file") << right << "errado" << 401 << 1;
        QTest::newRow("none") << "" << "" << 401 << 1;
    }

    void configuredTokenSignsIn()
    {
        QFETCH(QString, fileToken);
        QFETCH(QString, environmentToken);
        QFETCH(int, status);
        QFETCH(int, dialogs);
        const auto ini = ConfigWithToken(fileToken);
        QVERIFY(ini);
        if (!environmentToken.isEmpty())
            qputenv("QUORELAPI_TOKEN", environmentToken.toUtf8());
        const TdmGlobal module(ini->fileName(), nullptr);
        TSignInAnswerer user({});

        QCOMPARE(GetStatus(QStringLiteral("acesso/menus"), this, false), status);
        QCOMPARE(user.Shown(), dialogs);
    }

    // A refusal asks for a token and repeats the request with it; the session keeps it, so the
    // next request goes without asking. "Cancelar" hands the 401 to the handler, and a token
    // refused again is asked for once more at most. Nothing the program logs holds the token.
    void refusalAsksAndRepeats_data()
    {
        QTest::addColumn<QStringList>("answers"); // "": "Cancelar"
        QTest::addColumn<bool>("synchronous");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("dialogs");
        const QString right = QString::fromStdString(kToken);
        QTest::newRow("right token") << QStringList{right} << false << 200 << 1;
        QTest::newRow("right token, request on the GUI thread") << QStringList{right} << true << 200 << 1;
        QTest::newRow("Cancelar") << QStringList{""} << false << 401 << 1;
        QTest::newRow("wrong, then right") << QStringList{"errado", right} << false << 200 << 2;
        QTest::newRow("wrong twice") << QStringList{"errado", "errado-de-novo", right} << false << 401 << 2;
    }

    void refusalAsksAndRepeats()
    {
        QFETCH(QStringList, answers);
        QFETCH(bool, synchronous);
        QFETCH(int, status);
        QFETCH(int, dialogs);
        QList<std::optional<TCredentials>> given;
        for (const QString &answer : answers)
            given.append(Token(answer));
        TSignInAnswerer user(given);
        const TMessageCapture capture;

        QCOMPARE(GetStatus(QStringLiteral("acesso/menus"), this, synchronous), status);
        QCOMPARE(user.Shown(), dialogs);
        QCOMPARE(user.Mismatched(), 0);
        if (status == 200) {
            QCOMPARE(GetStatus(QStringLiteral("clientes/campos"), this, false), 200);
            QCOMPARE(user.Shown(), dialogs);
        }
        const QStringList messages = TMessageCapture::Taken();
        QVERIFY(!messages.isEmpty()); // the capture saw the request lines
        for (const QString &message : messages)
            for (const QString &answer : answers)
                QVERIFY2(answer.isEmpty() || !message.contains(answer), qPrintable(message));
    }

    // A Basic challenge asks for user and password and repeats with them, encoded as Basic says
    // (UTF-8, the first colon separating the user); refused again, it asks once more ("Cancelar"
    // here) and the 401 goes to the handler.
    void basicChallengeSendsUserAndPassword()
    {
        TTestServer server;
        TScriptedAnswer refusal{401, R"([{"mensagemUsuario": "Acesso negado"}])"};
        refusal.Headers = {{"WWW-Authenticate", "Basic realm=\"empresa, matriz\", charset=\"UTF-8\""}};
        server.Script("GET", "/clientes/1", refusal);
        server.InstallAsSystemConfig();
        TSignInAnswerer user({TCredentials::Basic(QStringLiteral("ana"), QStringLiteral("s3nha:çã"))});

        QCOMPARE(GetStatus(QStringLiteral("clientes/1"), this, false), 401);
        QCOMPARE(user.Shown(), 2);
        QCOMPARE(user.Mismatched(), 0);
        const auto requests = server.Requests();
        QCOMPARE(requests.size(), std::size_t(2));
        QVERIFY(!requests[0].HasHeader("authorization"));
        QCOMPARE(QByteArray::fromStdString(requests[1].Header("authorization")),
                 "Basic " + QStringLiteral("ana:s3nha:çã").toUtf8().toBase64());
    }

    // Requests refused together wait for one question and then all repeat with its answer, or
    // all hand their 401 on when it was cancelled.
    void simultaneousRefusalsShareOneDialog_data()
    {
        QTest::addColumn<QString>("answer"); // "": "Cancelar"
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("accepted");
        QTest::newRow("token") << QString::fromStdString(kToken) << 200 << 3;
        QTest::newRow("Cancelar") << "" << 401 << 0;
    }

    void simultaneousRefusalsShareOneDialog()
    {
        QFETCH(QString, answer);
        QFETCH(int, status);
        QFETCH(int, accepted);
        std::atomic<int> refusedCount{0};
        std::atomic<int> acceptedCount{0};
        TLoopbackHttpServer server([&](const httplib::Request &request, httplib::Response &response) {
            if (request.get_header_value("Authorization") == "Bearer " + kToken) {
                ++acceptedCount;
                response.set_content("[]", "application/json");
                return;
            }
            ++refusedCount;
            response.status = 401;
            response.set_header("WWW-Authenticate", "Bearer");
        });
        server.InstallAsSystemConfig();
        // The question is answered only once every request was refused, so all three meet it open.
        TSignInAnswerer user({Token(answer)}, [&] { return refusedCount >= 3; });

        std::vector<TStatus> answers(3);
        for (const TStatus &each : answers)
            THttpVerbs::Get(QStringLiteral("clientes"), this, each.Proc());
        for (const TStatus &each : answers)
            QCOMPARE(each.Wait(), status);
        QCOMPARE(user.Shown(), 1);
        QCOMPARE(refusedCount.load(), 3);
        QCOMPARE(acceptedCount.load(), accepted);
    }
};

int main(int argc, char *argv[])
{
    // The program's application object installs the sign-in dialog, as at start.
    TApplication app(argc, argv);
    TestSignIn test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_SignIn.moc"
