#include "app/TApplication.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

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
};

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_TApplication.moc"
