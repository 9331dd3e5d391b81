#include "config/TSystemConfig.h"
#include "rest/JsonUtils.h"
#include "screens/TfrmCadastroPadrao.h"
#include "tests/server/LoopbackServer.h"
#include "tests/support/TMessageBoxRecorder.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

namespace {

const QString kChangedByOther
    = QStringLiteral("O registro foi alterado por outro usuário. Recarregue-o antes de gravar.");

QString TextOf(const TfrmCadastroPadrao &screen, const QString &name)
{
    const auto *edit = screen.findChild<QLineEdit *>(name);
    return edit ? edit->text() : QStringLiteral("<none>");
}

} // namespace

// Two record screens on the same record of the real back-end: what one saved is never lost to the
// other's later write over the version both loaded.
class TestNoLostUpdates final : public QObject
{
    Q_OBJECT

    TMessageBoxRecorder FBoxes;

    // A shown screen of "estados" showing the record of that id.
    static std::unique_ptr<TfrmCadastroPadrao> OpenEstado(int id)
    {
        auto screen = std::make_unique<TfrmCadastroPadrao>();
        screen->resize(800, 500);
        screen->show();
        QSignalSpy built(screen.get(), &TfrmCadastroPadrao::fieldsLoaded);
        screen->SetPath(QStringLiteral("estados"));
        if (!built.wait(5000))
            qWarning("the screen was not built");
        screen->Load(id);
        if (!QTest::qWaitFor([&screen, id] { return screen->IDValue() == QString::number(id); }, 5000))
            qWarning("the record was not loaded");
        return screen;
    }

    static void Edit(TfrmCadastroPadrao &screen, const QString &nome)
    {
        screen.btAlterar->click();
        auto *edit = screen.findChild<QLineEdit *>(QStringLiteral("nome"));
        QVERIFY(edit);
        edit->setText(nome);
    }

private slots:
    void init()
    {
        FBoxes.clear();
        FBoxes.QuestionAnswer = TMessageResult::Yes;
    }

    // Both screens load a record no other refers to (so only its version can stop a delete); the
    // first saves its edit; the second then saves its own edit, or deletes the record, over the
    // version it loaded: the back-end refuses with 412, the second screen shows the message and
    // keeps what it shows, and the first one's save stands.
    void secondWriteOverAnOldVersionIsRefused_data()
    {
        QTest::addColumn<QString>("second");
        QTest::newRow("save") << "gravar";
        QTest::newRow("delete") << "excluir";
    }

    void secondWriteOverAnOldVersionIsRefused()
    {
        QFETCH(QString, second);
        LoopbackServer server(true);
        if (!SystemConfig)
            SystemConfig = new TSystemConfig;
        SystemConfig->Server = QStringLiteral("http://127.0.0.1");
        SystemConfig->Port = server.port();

        const auto created
            = server.client()->Post("/estados", R"({"sigla": "ZZ", "nome": "Zona"})", "application/json");
        QVERIFY(created);
        QCOMPARE(created->status, 201);
        const int id = TJson::parse(created->body).at("id").get<int>();
        const std::string path = "/estados/" + std::to_string(id);

        const auto first = OpenEstado(id);
        const auto other = OpenEstado(id);
        QCOMPARE(TextOf(*other, QStringLiteral("nome")), QStringLiteral("Zona"));
        Edit(*first, QStringLiteral("Primeiro"));
        const bool saving = second == QLatin1String("gravar");
        if (saving)
            Edit(*other, QStringLiteral("Segundo"));

        first->btGravar->click();
        QTRY_VERIFY_WITH_TIMEOUT(!first->Busy(), 5000);
        QCOMPARE(first->Estado(), ceBloqueado);
        QCOMPARE(TextOf(*first, QStringLiteral("nome")), QStringLiteral("Primeiro"));
        QVERIFY(FBoxes.isEmpty());

        QSignalSpy answers(other.get(), &TfrmCadastroPadrao::answerHandled);
        (saving ? other->btGravar : other->btExcluir)->click();
        QTRY_VERIFY_WITH_TIMEOUT(!other->Busy(), 5000);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(answers.at(0).at(0).toInt(), 412);
        QVERIFY(!FBoxes.isEmpty());
        QCOMPARE(FBoxes.last().Text, kChangedByOther);
        QCOMPARE(FBoxes.last().Kind, TMessageKind::Error);
        QCOMPARE(FBoxes.size(), saving ? 1 : 2); // a delete asks first

        // The second screen is as it was: its edits still being edited, or its record still shown.
        QCOMPARE(other->IDValue(), QString::number(id));
        QVERIFY(other->Registro());
        QCOMPARE(other->Estado(), saving ? ceEdicao : ceBloqueado);
        QCOMPARE(other->btGravar->isEnabled(), saving);
        QCOMPARE(TextOf(*other, QStringLiteral("nome")), saving ? QStringLiteral("Segundo") : QStringLiteral("Zona"));

        // The stored record is the first one's.
        const auto stored = server.client()->Get(path);
        QVERIFY(stored);
        QCOMPARE(stored->status, 200);
        const TJson record = TJson::parse(stored->body);
        QCOMPARE(QString::fromStdString(record.at("nome").get<std::string>()), QStringLiteral("Primeiro"));
    }
};

QTEST_MAIN(TestNoLostUpdates)
#include "tst_NoLostUpdates.moc"
