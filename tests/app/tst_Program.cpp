#include "tests/support/TTestServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The built program started as a user starts it: a copy of the executable, run from another working
// folder, with its configuration beside it, in the user's folder or named on the command line.
class TestProgram final : public QObject
{
    Q_OBJECT

    // Where each kind of file sits in the scratch tree; the program is a copy in bin/.
    static QString FileOf(const QString &where)
    {
        if (where == QLatin1String("beside"))
            return QStringLiteral("bin/config.ini");
        if (where == QLatin1String("user"))
            return QStringLiteral("xdg/quorelapi/config.ini");
        return QStringLiteral("named.ini");
    }

    static void WriteConfig(const QString &name, int port)
    {
        QDir().mkpath(QFileInfo(name).absolutePath());
        QFile config(name);
        QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Text));
        config.write(QStringLiteral("[config]\nservidor=http://127.0.0.1\nporta=%1\n").arg(port).toUtf8());
    }

    // Starts the copy from another working folder, offscreen, with $XDG_CONFIG_HOME in the tree.
    static void Start(QProcess &process, const QTemporaryDir &root, const QStringList &arguments)
    {
        const QString program = root.filePath(QStringLiteral("bin/quorelapi"));
        QDir().mkpath(root.filePath(QStringLiteral("bin")));
        QDir().mkpath(root.filePath(QStringLiteral("work")));
        QVERIFY(QFile::copy(QStringLiteral(QUORELAPI_EXE), program));
        QFile::setPermissions(program, QFileInfo(QStringLiteral(QUORELAPI_EXE)).permissions());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root.filePath(QStringLiteral("xdg")));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(root.filePath(QStringLiteral("work")));
        process.start(program, arguments);
        QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));
    }

    static void Stop(QProcess &process)
    {
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

private slots:
    // live names the file that points at the server; dead ones point where nothing listens and,
    // were they read, would leave the server without a request.
    void fetchesTheMenuFromConfiguredServer_data()
    {
        QTest::addColumn<QString>("live");
        QTest::addColumn<QStringList>("dead");
        QTest::addColumn<bool>("named"); // the program gets --config named.ini
        QTest::newRow("beside the executable") << "beside" << QStringList() << false;
        QTest::newRow("beside before the user's") << "beside" << QStringList {"user"} << false;
        QTest::newRow("the user's without one beside") << "user" << QStringList() << false;
        QTest::newRow("--config before both") << "named" << QStringList {"beside", "user"} << true;
    }

    void fetchesTheMenuFromConfiguredServer()
    {
        QFETCH(QString, live);
        QFETCH(QStringList, dead);
        QFETCH(bool, named);
        TTestServer server;
        TScriptedAnswer menu;
        menu.Body = R"([{"descricao": "Clientes", "resource": "clientes"}])";
        server.Script("GET", "/acesso/menus", menu);

        QTemporaryDir root;
        QVERIFY(root.isValid());
        WriteConfig(root.filePath(FileOf(live)), server.Port());
        for (const QString &where : dead)
            WriteConfig(root.filePath(FileOf(where)), 1);
        QProcess process;
        Start(process, root,
            named ? QStringList {QStringLiteral("--config"), root.filePath(FileOf(QStringLiteral("named")))}
                  : QStringList());

        const bool fetched = server.WaitForRequests(1, 30000);
        const bool running = !process.waitForFinished(500); // the window stays open
        Stop(process);
        QVERIFY2(fetched, process.readAllStandardError().constData());
        QVERIFY(running);
        QCOMPARE(server.Requests().at(0).Method, std::string("GET"));
        QCOMPARE(server.Requests().at(0).Target, std::string("/acesso/menus"));
    }

    // A file named with --config that is not there: no window, no request, a line saying why.
    void missingNamedConfigStopsAtOnce()
    {
        QTemporaryDir root;
        QVERIFY(root.isValid());
        WriteConfig(root.filePath(FileOf(QStringLiteral("beside"))), 1);
        QProcess process;
        Start(process, root, {QStringLiteral("--config"), root.filePath(QStringLiteral("absent.ini"))});
        const bool finished = process.waitForFinished(30000);
        if (!finished)
            Stop(process);
        QVERIFY(finished);
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        const QString error = QString::fromUtf8(process.readAllStandardError());
        QVERIFY2(error.contains(
                     QStringLiteral("\"%1\" não foi encontrado").arg(root.filePath(QStringLiteral("absent.ini")))),
            qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_Program.moc"
