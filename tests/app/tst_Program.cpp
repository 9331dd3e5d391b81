#include "tests/support/TTestServer.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The built program started as a user starts it: a copy of the executable with config.ini beside
// it, run from another working directory.
class TestProgram final : public QObject
{
    Q_OBJECT

private slots:
    void fetchesTheMenuFromConfiguredServer()
    {
        TTestServer server;
        TScriptedAnswer menu;
        menu.Body = R"([{"descricao": "Clientes", "resource": "clientes"}])";
        server.Script("GET", "/acesso/menus", menu);

        QTemporaryDir installDir;
        QTemporaryDir workDir;
        QVERIFY(installDir.isValid() && workDir.isValid());
        const QString program = installDir.filePath(QStringLiteral("quorelapi"));
        QVERIFY(QFile::copy(QStringLiteral(QUORELAPI_EXE), program));
        QFile::setPermissions(program, QFileInfo(QStringLiteral(QUORELAPI_EXE)).permissions());
        QFile config(installDir.filePath(QStringLiteral("config.ini")));
        QVERIFY(config.open(QIODevice::WriteOnly | QIODevice::Text));
        config.write(QStringLiteral("[config]\nservidor=http://127.0.0.1\nporta=%1\n").arg(server.Port()).toUtf8());
        config.close();

        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(workDir.path());
        process.start(program, {});
        QVERIFY2(process.waitForStarted(10000), qPrintable(process.errorString()));

        const bool fetched = server.WaitForRequests(1, 30000);
        const bool running = !process.waitForFinished(500); // the window stays open
        process.terminate();
        if (!process.waitForFinished(5000)) {
            process.kill();
            process.waitForFinished(5000);
        }
        QVERIFY2(fetched, process.readAllStandardError().constData());
        QVERIFY(running);
        QCOMPARE(server.Requests().at(0).Method, std::string("GET"));
        QCOMPARE(server.Requests().at(0).Target, std::string("/acesso/menus"));
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_Program.moc"
