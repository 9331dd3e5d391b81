#include "config/TIniFile.h"
#include "config/TSystemConfig.h"
#include "app/TdmGlobal.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

class TestSystemConfig final : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;

    QString WriteConfig(const QByteArray &content)
    {
        const QString name = FDir.filePath(QStringLiteral("config.ini"));
        QFile file(name);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(content);
        return name;
    }

private slots:
    void readsServerAndPort_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("port");

        QTest::newRow("plain") << QByteArray("[config]\nservidor=http://api.local\nporta=9090\n") << "http://api.local" << 9090;
        QTest::newRow("names in any case") << QByteArray("[CONFIG]\nSERVIDOR=http://a\nPorta=81\n") << "http://a" << 81;
        QTest::newRow("hex 0x") << QByteArray("[config]\nporta=0x1F90\n") << "http://localhost" << 8080;
        QTest::newRow("hex 0X lower digits") << QByteArray("[config]\nporta=0X1f91\n") << "http://localhost" << 8081;
        QTest::newRow("hex dollar") << QByteArray("[config]\nporta=$1F90\n") << "http://localhost" << 8080;
        QTest::newRow("letters") << QByteArray("[config]\nporta=abc\n") << "http://localhost" << 8080;
        QTest::newRow("empty port") << QByteArray("[config]\nporta=\n") << "http://localhost" << 8080;
        QTest::newRow("0x alone") << QByteArray("[config]\nporta=0x\n") << "http://localhost" << 8080;
        QTest::newRow("out of range") << QByteArray("[config]\nporta=99999999999\n") << "http://localhost" << 8080;
        QTest::newRow("empty server") << QByteArray("[config]\nservidor=\n") << "" << 8080;
        QTest::newRow("blanks and quotes") << QByteArray("[config]\nservidor =  \"http://q\"  \nporta= '7000' \n") << "http://q" << 7000;
        QTest::newRow("single quotes kept inside") << QByteArray("[config]\nservidor=\"http://a'b\"\n") << "http://a'b" << 8080;
        QTest::newRow("other section") << QByteArray("[outro]\nservidor=http://x\nporta=1\n") << "http://localhost" << 8080;
        QTest::newRow("first key wins") << QByteArray("[config]\nporta=1\nporta=2\n") << "http://localhost" << 1;
        QTest::newRow("crlf and bom") << QByteArray("\xEF\xBB\xBF[config]\r\nservidor=http://w\r\nporta=82\r\n") << "http://w" << 82;
        QTest::newRow("comments") << QByteArray("; c\n[config]\n# porta=1\nporta=83\n") << "http://localhost" << 83;
        QTest::newRow("long value cut") << QByteArray("[config]\nservidor=" + QByteArray(3000, 'a') + "\n") << QString(2047, QLatin1Char('a')) << 8080;
    }

    void readsServerAndPort()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, server);
        QFETCH(int, port);
        TdmGlobal module(WriteConfig(content), nullptr);
        QCOMPARE(SystemConfig->Server, server);
        QCOMPARE(SystemConfig->Port, port);
    }

    void missingFileGivesDefaults()
    {
        TdmGlobal module(FDir.filePath(QStringLiteral("absent.ini")), nullptr);
        QCOMPARE(SystemConfig->getPath(QStringLiteral("acesso/menus")), QStringLiteral("http://localhost:8080/acesso/menus"));
        QVERIFY(!QFile::exists(FDir.filePath(QStringLiteral("absent.ini"))));
    }

    void getPathAppendsUnchanged_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("url");
        QTest::newRow("empty server") << "" << "acesso/menus" << ":8080/acesso/menus";
        QTest::newRow("empty path") << "http://h" << "" << "http://h:8080/";
        QTest::newRow("query kept") << "http://h" << "clientes?size=10&page=0&nome=a b" << "http://h:8080/clientes?size=10&page=0&nome=a b";
    }

    void getPathAppendsUnchanged()
    {
        QFETCH(QString, server);
        QFETCH(QString, path);
        QFETCH(QString, url);
        TSystemConfig config;
        config.Server = server;
        QCOMPARE(config.getPath(path), url);
    }

    // The file is looked for beside the executable and in the user's folder, never in the working
    // folder (the order itself: tst_TConfigLocation).
    void workingFolderPlaysNoPart()
    {
        const QString inWorkingFolder = WriteConfig("[config]\nporta=1\n");
        const QString before = QDir::currentPath();
        QDir::setCurrent(FDir.path());
        const QString chosen = TdmGlobal::DefaultConfigFile();
        QDir::setCurrent(before);
        QVERIFY(QFileInfo(chosen).isAbsolute());
        QVERIFY2(QFileInfo(chosen) != QFileInfo(inWorkingFolder), qPrintable(chosen));
    }

    void imagesHoldEightIcons()
    {
        TdmGlobal module(FDir.filePath(QStringLiteral("absent.ini")), nullptr);
        QCOMPARE(module.Images.size(), 8);
        for (const QIcon &icon : module.Images)
            QVERIFY(!icon.pixmap(16, 16).isNull());
    }
};

QTEST_MAIN(TestSystemConfig)
#include "tst_TSystemConfig.moc"
