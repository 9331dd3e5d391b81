#include "config/TConfigLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// The choice of the configuration file, in a scratch tree: bin/ stands for the executable's folder,
// xdg/ for $XDG_CONFIG_HOME, home/ for $HOME, named.ini for a file given with --config.
class TestConfigLocation final : public QObject
{
    Q_OBJECT

    QTemporaryDir FRoot;

    QString PathOf(const QString &name) const { return QDir(FRoot.path()).filePath(name); }

    void Place(const QString &name, bool exists)
    {
        QFile::remove(PathOf(name));
        if (!exists)
            return;
        QDir().mkpath(QFileInfo(PathOf(name)).absolutePath());
        QFile file(PathOf(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[config]\n");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FRoot.isValid());
        qputenv("XDG_CONFIG_HOME", PathOf(QStringLiteral("xdg")).toUtf8());
        qputenv("HOME", PathOf(QStringLiteral("home")).toUtf8());
        Place(QStringLiteral("named.ini"), true);
    }

    void choosesInOrder_data()
    {
        QTest::addColumn<bool>("beside");
        QTest::addColumn<bool>("user");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("chosen"); // relative to the scratch tree; empty when an error
        QTest::addColumn<QString>("error"); // a part of the error's text

        const QString besideFile = QStringLiteral("bin/config.ini");
        const QString userFile = QStringLiteral("xdg/quorelapi/config.ini");
        const QString named = QStringLiteral("named.ini");
        QTest::newRow("beside the executable first") << true << true << QStringList() << besideFile << "";
        QTest::newRow("then the user's file") << false << true << QStringList() << userFile << "";
        QTest::newRow("the user's file even when absent") << false << false << QStringList() << userFile << "";
        QTest::newRow("--config before both")
            << true << true << QStringList {"--config", "{root}/named.ini"} << named << "";
        QTest::newRow("--config=FILE") << true << false << QStringList {"--config={root}/named.ini"} << named << "";
        QTest::newRow("--config of a missing file")
            << true << true << QStringList {"--config", "{root}/absent.ini"} << ""
            << "{root}/absent.ini\" não foi encontrado";
        QTest::newRow("--config of a folder") << true << true << QStringList {"--config", "{root}/bin"} << ""
                                              << "não foi encontrado";
        QTest::newRow("--config without a file") << true << true << QStringList {"--config"} << ""
                                                 << "config";
        QTest::newRow("unknown option") << true << true << QStringList {"--servidor=x"} << ""
                                        << "servidor";
    }

    void choosesInOrder()
    {
        QFETCH(bool, beside);
        QFETCH(bool, user);
        QFETCH(QStringList, options);
        QFETCH(QString, chosen);
        QFETCH(QString, error);
        Place(QStringLiteral("bin/config.ini"), beside);
        Place(QStringLiteral("xdg/quorelapi/config.ini"), user);
        QStringList arguments {PathOf(QStringLiteral("bin/quorelapi"))};
        for (const QString &option : options)
            arguments << QString(option).replace(QStringLiteral("{root}"), FRoot.path());

        const TConfigLocation location(arguments, PathOf(QStringLiteral("bin")));
        QCOMPARE(location.File(), chosen.isEmpty() ? QString() : PathOf(chosen));
        QVERIFY2(location.Error().contains(QString(error).replace(QStringLiteral("{root}"), FRoot.path())),
            qPrintable(location.Error()));
        QCOMPARE(location.Error().isEmpty(), error.isEmpty());
    }

    void userFileWithoutXdgConfigHome()
    {
        const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        const QString file = TConfigLocation::UserFile();
        qputenv("XDG_CONFIG_HOME", xdg);
        QCOMPARE(file, PathOf(QStringLiteral("home/.config/quorelapi/config.ini")));
    }

    void helpIsNotAnError_data()
    {
        QTest::addColumn<QString>("option");
        QTest::newRow("--help") << "--help";
        QTest::newRow("-h") << "-h";
        QTest::newRow("--help-all") << "--help-all";
    }

    void helpIsNotAnError()
    {
        QFETCH(QString, option);
        const TConfigLocation location({QStringLiteral("quorelapi"), option}, FRoot.path());
        QVERIFY(location.HelpRequested());
        QVERIFY(location.HelpText().contains(QStringLiteral("--config")));
        QVERIFY(location.Error().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestConfigLocation)
#include "tst_TConfigLocation.moc"
