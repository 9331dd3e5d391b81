#include "app/RunMainWindow.h"
#include "app/TdmGlobal.h"
#include "app/TfrmPrincipal.h"
#include "app/TfrmServidor.h"
#include "config/TConfigLocation.h"
#include "config/TIniFile.h"
#include "config/TSystemConfig.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "tests/support/TTestServer.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int kDeadPort = 1; // nothing listens there

// Stands in for the user at each address dialog: fills in the next port of Ports and clicks
// "Tentar novamente"; with none left, clicks "Sair". Records what each dialog showed.
class TDialogDriver final : public QObject
{
public:
    explicit TDialogDriver(QList<int> ports) : Ports(std::move(ports))
    {
        connect(&FTimer, &QTimer::timeout, this, [this] { Answer(); });
        FTimer.start(20);
    }

    QList<int> Ports;
    QStringList Shown; // "scheme|host|port" of each dialog as it opened

private:
    void Answer()
    {
        auto *dialog = qobject_cast<TfrmServidor *>(QApplication::activeModalWidget());
        if (!dialog || dialog == FLast)
            return;
        FLast = dialog;
        Shown << QStringLiteral("%1|%2|%3")
                     .arg(dialog->cbProtocolo->currentText(), dialog->edtServidor->text())
                     .arg(dialog->edtPorta->value());
        if (Ports.isEmpty()) {
            QTest::mouseClick(dialog->btSair, Qt::LeftButton);
            return;
        }
        dialog->edtServidor->setText(QStringLiteral("127.0.0.1"));
        dialog->edtPorta->setValue(Ports.takeFirst());
        QTest::mouseClick(dialog->btTentarNovamente, Qt::LeftButton);
    }

    QTimer FTimer;
    QPointer<TfrmServidor> FLast;
};

QByteArray Read(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
}

void Write(const QString &name, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(name).absolutePath());
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

} // namespace

// Start-up against a server that does not answer: the program's folder (bin/) holds a config.ini
// naming a dead port, $XDG_CONFIG_HOME points into the scratch tree, and a real dialog is answered
// from a timer while a real server on loopback stands ready to give the menu.
class TestServidor final : public QObject
{
    Q_OBJECT

    QTemporaryDir FRoot;
    TTestServer FServer;
    TMessageBoxRecorder FBoxes;
    QString FBesideFile;
    QByteArray FBesideContent;

    QString UserFile() const { return TConfigLocation::UserFile(); }

    // The data module as the program makes it, from the file beside the "executable".
    std::unique_ptr<TdmGlobal> StartFromBesideFile()
    {
        const TConfigLocation location(
            {FRoot.filePath(QStringLiteral("bin/quorelapi"))}, FRoot.filePath(QStringLiteral("bin")));
        return std::make_unique<TdmGlobal>(location.File(), nullptr);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FRoot.isValid());
        qputenv("XDG_CONFIG_HOME", FRoot.filePath(QStringLiteral("xdg")).toUtf8());
        FBesideFile = FRoot.filePath(QStringLiteral("bin/config.ini"));
        FBesideContent
            = QByteArrayLiteral("[config]\nservidor=http://127.0.0.1\nporta=") + QByteArray::number(kDeadPort) + '\n';
        Write(FBesideFile, FBesideContent);
        FServer.Script(
            "GET", "/acesso/menus", ScriptedAnswer(200, R"([{"descricao": "Clientes", "resource": "clientes"}])"));
    }

    void init()
    {
        FBoxes.clear();
        QFile::remove(UserFile());
    }

    void retriesUntilTheMenuComes_data()
    {
        QTest::addColumn<QByteArray>("userBefore"); // the user's file before the start
        QTest::addColumn<QList<int>>("ports"); // the ports tried in turn (-1: the live server's), then "Sair"
        QTest::addColumn<bool>("loaded");

        QTest::newRow("the live address at once") << QByteArray("<absent>") << QList<int> {-1} << true;
        QTest::newRow("a dead address again, then the live one")
            << QByteArray("<absent>") << QList<int> {kDeadPort, -1} << true;
        QTest::newRow("the user's other keys kept")
            << QByteArray("; meu\n[config]\nformatador=http://f\nporta=2\n") << QList<int> {-1} << true;
        QTest::newRow("Sair at once") << QByteArray("[config]\nporta=2\n") << QList<int> {} << false;
        QTest::newRow("a dead address, then Sair") << QByteArray("<absent>") << QList<int> {kDeadPort} << false;
    }

    void retriesUntilTheMenuComes()
    {
        QFETCH(QByteArray, userBefore);
        QFETCH(QList<int>, ports);
        QFETCH(bool, loaded);
        if (userBefore != "<absent>")
            Write(UserFile(), userBefore);
        for (int &port : ports)
            port = port < 0 ? FServer.Port() : port;
        const auto module = StartFromBesideFile(); // config.ini beside the executable is read first
        TfrmPrincipal window;
        QVERIFY(!window.MenuLoaded());
        QCOMPARE(FBoxes.size(), 1);

        TDialogDriver driver(ports);
        QCOMPARE(AskServerUntilMenuLoads(window, UserFile()), loaded);

        // Every failure shows its message, then the dialog with the address last tried.
        const qsizetype dialogs = ports.size() + (loaded ? 0 : 1);
        QCOMPARE(driver.Shown.size(), dialogs);
        QCOMPARE(driver.Shown.at(0), QStringLiteral("http|127.0.0.1|%1").arg(kDeadPort));
        QCOMPARE(FBoxes.size(), dialogs);
        QCOMPARE(window.MenuLoaded(), loaded);
        QCOMPARE(window.SectionLinks(0) ? window.SectionLinks(0)->Items()->Count() : 0, loaded ? 1 : 0);

        QCOMPARE(Read(FBesideFile), FBesideContent);
        if (!loaded) {
            QCOMPARE(Read(UserFile()), userBefore);
            return;
        }
        const TIniFile user(UserFile());
        QCOMPARE(user.ReadString(QStringLiteral("config"), QStringLiteral("servidor"), QString()),
            QStringLiteral("http://127.0.0.1"));
        QCOMPARE(user.ReadInteger(QStringLiteral("config"), QStringLiteral("porta"), 0), FServer.Port());
        if (userBefore.contains("formatador")) {
            QVERIFY(Read(UserFile()).startsWith("; meu\n[config]\nformatador=http://f\n"));
        }
    }

    void noDialogWhenTheMenuCame()
    {
        const auto module = StartFromBesideFile();
        FServer.InstallAsSystemConfig();
        TfrmPrincipal window;
        TDialogDriver driver(QList<int> {});
        QVERIFY(AskServerUntilMenuLoads(window, UserFile()));
        QVERIFY(driver.Shown.isEmpty());
        QCOMPARE(Read(UserFile()), QByteArray("<absent>")); // nothing confirmed, nothing written
    }

    void addressSplitIntoItsParts_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<QString>("host");
        QTest::newRow("http") << "http://localhost"
                              << "http"
                              << "localhost";
        QTest::newRow("https with a path") << "https://api.example/v1"
                                           << "https"
                                           << "api.example/v1";
        QTest::newRow("no scheme") << "localhost"
                                   << "http"
                                   << "localhost";
        QTest::newRow("another scheme kept") << "ftp://h"
                                             << "ftp"
                                             << "h";
    }

    void addressSplitIntoItsParts()
    {
        QFETCH(QString, server);
        QFETCH(QString, scheme);
        QFETCH(QString, host);
        TfrmServidor dialog;
        dialog.SetAddress(server, 8443);
        QCOMPARE(dialog.cbProtocolo->currentText(), scheme);
        QCOMPARE(dialog.edtServidor->text(), host);
        QCOMPARE(dialog.Port(), 8443);
        QCOMPARE(dialog.Server(), scheme + QStringLiteral("://") + host);
        QCOMPARE(dialog.btTentarNovamente->text(), QStringLiteral("Tentar novamente"));
        QCOMPARE(dialog.btSair->text(), QStringLiteral("Sair"));
        dialog.edtServidor->setText(QStringLiteral("  "));
        QVERIFY(!dialog.btTentarNovamente->isEnabled()); // a retry needs a host
    }

    // Last: the program's run stops the request pool when it ends.
    void sairEndsTheProgram()
    {
        const auto module = StartFromBesideFile();
        TDialogDriver driver(QList<int> {});
        QCOMPARE(RunMainWindow(*qApp), kExitWithoutServer);
        QCOMPARE(driver.Shown.size(), 1);
        QCOMPARE(Read(UserFile()), QByteArray("<absent>"));
        QCOMPARE(Read(FBesideFile), FBesideContent);
    }
};

QTEST_MAIN(TestServidor)
#include "tst_TfrmServidor.moc"
