#include "config/TIniFile.h"
#include "config/TIniFileWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestIniFileWriter final : public QObject
{
    Q_OBJECT

    QTemporaryDir FDir;

    static QByteArray Read(const QString &name)
    {
        QFile file(name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<absent>");
    }

private slots:
    // servidor=http://novo and porta=9090 written to section config of a file that held `before`.
    void setsKeysAndKeepsTheRest_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("no file") << QByteArray("<absent>")
                                 << QByteArray("[config]\nservidor=http://novo\nporta=9090\n");
        QTest::newRow("empty file") << QByteArray("") << QByteArray("[config]\nservidor=http://novo\nporta=9090\n");
        QTest::newRow("values replaced in place, the rest kept")
            << QByteArray("; meu servidor\n[config]\ntoken = abc\nservidor = http://velho\n# porta=1\nporta=8080\n")
            << QByteArray("; meu servidor\n[config]\ntoken = abc\nservidor=http://novo\n# porta=1\nporta=9090\n");
        QTest::newRow("names in another case") << QByteArray("[CONFIG]\nServidor=http://velho\nPORTA=1\n")
                                               << QByteArray("[CONFIG]\nservidor=http://novo\nporta=9090\n");
        QTest::newRow("keys added after the section's last key")
            << QByteArray("[config]\ntoken=abc\n\n[outro]\nservidor=x\n")
            << QByteArray("[config]\ntoken=abc\nservidor=http://novo\nporta=9090\n\n[outro]\nservidor=x\n");
        QTest::newRow("section added at the end") << QByteArray(
            "[outro]\nporta=1") << QByteArray("[outro]\nporta=1\n\n[config]\nservidor=http://novo\nporta=9090\n");
        QTest::newRow("the first of a repeated section and key")
            << QByteArray("[config]\nporta=1\nporta=2\n[config]\nservidor=a\n")
            << QByteArray("[config]\nporta=9090\nporta=2\n[config]\nservidor=http://novo\n");
        QTest::newRow("a key before any section is not the section's") << QByteArray(
            "servidor=x\n[config]\n") << QByteArray("servidor=x\n[config]\nservidor=http://novo\nporta=9090\n");
        QTest::newRow("line ends and byte order mark kept")
            << QByteArray("\xEF\xBB\xBF[config]\r\nporta=1\r\nformatador=http://f\r\n")
            << QByteArray("\xEF\xBB\xBF[config]\r\nporta=9090\r\nformatador=http://f\r\nservidor=http://novo\r\n");
    }

    void setsKeysAndKeepsTheRest()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const QString name = FDir.filePath(QStringLiteral("%1/config.ini").arg(QTest::currentDataTag()));
        if (before != "<absent>") {
            QDir().mkpath(QFileInfo(name).absolutePath());
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(before);
        }

        TIniFileWriter writer(name);
        writer.WriteString(QStringLiteral("config"), QStringLiteral("servidor"), QStringLiteral("http://novo"));
        writer.WriteInteger(QStringLiteral("config"), QStringLiteral("porta"), 9090);
        QVERIFY(writer.UpdateFile());

        QCOMPARE(Read(name), after);
        const TIniFile ini(name);
        QCOMPARE(ini.ReadString(QStringLiteral("config"), QStringLiteral("servidor"), QString()),
            QStringLiteral("http://novo"));
        QCOMPARE(ini.ReadInteger(QStringLiteral("config"), QStringLiteral("porta"), 0), 9090);
    }

    void aLineBreakEndsTheValue()
    {
        const QString name = FDir.filePath(QStringLiteral("break.ini"));
        TIniFileWriter writer(name);
        writer.WriteString(
            QStringLiteral("config"), QStringLiteral("servidor"), QStringLiteral("http://a\n[outro]\r\nx=1"));
        QVERIFY(writer.UpdateFile());
        QCOMPARE(Read(name), QByteArray("[config]\nservidor=http://a\n"));
    }

    void unwritableFolderLeavesATrace()
    {
        const QString blocker = FDir.filePath(QStringLiteral("not-a-folder"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        TIniFileWriter writer(blocker + QStringLiteral("/config.ini"));
        writer.WriteInteger(QStringLiteral("config"), QStringLiteral("porta"), 1);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot be made")));
        QVERIFY(!writer.UpdateFile());
    }
};

QTEST_GUILESS_MAIN(TestIniFileWriter)
#include "tst_TIniFileWriter.moc"
