#include "app/TApplication.h"
#include "fields/TResourceComboBox.h"

#include <QDialogButtonBox>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

#include <cstdio>

namespace {

// Set in the environment of a copy of this program started under another locale: it then prints
// what the application object made of that locale and exits.
const char *const kReportLocale = "QUOREL_TEST_REPORT_LOCALE";

// The default locale's name, then the captions of an option list in the order it shows them.
QString LocaleReport()
{
    TResourceComboBox options;
    options.SetKeyField(QStringLiteral("id"));
    options.SetDisplayField(QStringLiteral("nome"));
    options.Load(TJson::parse(R"([{"id": 1, "nome": "Paraná"}, {"id": 2, "nome": "Água"}, {"id": 3, "nome": "Pará"},
                                   {"id": 4, "nome": "Bahia"}, {"id": 5, "nome": "Paraíba"}])"));
    QStringList shown;
    for (int i = 0; i < options.count(); ++i)
        shown << options.itemText(i);
    return QLocale().name() + QLatin1Char('|') + shown.join(QLatin1Char(','));
}

} // namespace

// The application object as the program makes it.
class TestApplication final : public QObject
{
    Q_OBJECT

private slots:
    // Qt's own captions speak the program's language, whatever the system locale.
    void qtTextsArePortuguese()
    {
        const QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Yes | QDialogButtonBox::No
                                   | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Sim"));
        QCOMPARE(box.button(QDialogButtonBox::No)->text(), QStringLiteral("&Não"));
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancelar"));
    }

    // Option lists sort in Portuguese order whatever the system locale. A system that gives no
    // language (C, POSIX) gets Brazilian formats too; a user's language keeps its formats. Each
    // locale is tried in a copy of this program started under it.
    void optionsSortInPortugueseUnderAnyLocale_data()
    {
        QTest::addColumn<QString>("system");
        QTest::addColumn<QString>("formats");
        QTest::newRow("C") << "C" << "pt_BR";
        QTest::newRow("POSIX") << "POSIX" << "pt_BR";
        QTest::newRow("C.UTF-8") << "C.UTF-8" << "pt_BR";
        QTest::newRow("en_US") << "en_US.UTF-8" << "en_US";
        QTest::newRow("pt_BR") << "pt_BR.UTF-8" << "pt_BR";
    }

    void optionsSortInPortugueseUnderAnyLocale()
    {
        QFETCH(QString, system);
        QFETCH(QString, formats);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"LANGUAGE", "LC_COLLATE", "LC_NUMERIC", "LC_TIME", "LC_MESSAGES"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("LC_ALL"), system);
        environment.insert(QStringLiteral("LANG"), system);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QString::fromLatin1(kReportLocale), QStringLiteral("1"));
        QProcess copy;
        copy.setProcessEnvironment(environment);
        copy.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY2(copy.waitForFinished(30000), "the copy under another locale did not end");
        QCOMPARE(copy.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(copy.readAllStandardOutput()).trimmed(),
                 formats + QStringLiteral("|Água,Bahia,Pará,Paraíba,Paraná"));
    }
};

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    if (qEnvironmentVariableIsSet(kReportLocale)) {
        std::fputs(LocaleReport().toUtf8().append('\n').constData(), stdout);
        return 0;
    }
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TApplication.moc"
