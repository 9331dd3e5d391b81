#include "rest/TMessageBox.h"

#include <QThread>
#include <QWidget>
#include <QtTest>

#include <thread>

class TestMessageBox final : public QObject
{
    Q_OBJECT

    QList<TMessageBoxCall> FCalls;
    int FAnswer = TMessageBox::ResultOk;
    bool FOnGuiThread = true;

private slots:
    void init()
    {
        FCalls.clear();
        TMessageBox::SetHandler([this](const TMessageBoxCall &call) {
            FOnGuiThread = FOnGuiThread && QThread::currentThread() == qApp->thread();
            FCalls.append(call);
            return FAnswer;
        });
    }

    void titledWithTheActiveWindow()
    {
        QWidget window;
        window.setWindowTitle(QStringLiteral("Clientes"));
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ShowMessageBox(QStringLiteral("Registro gravado."), TMessageBox::Information);
        QCOMPARE(FCalls.size(), 1);
        QCOMPARE(FCalls[0].Title, QStringLiteral("Clientes"));
        QCOMPARE(FCalls[0].Flags, 64);
    }

    void noActiveWindowGivesEmptyTitle()
    {
        ShowMessageBox(QStringLiteral("x"), TMessageBox::Error);
        QCOMPARE(FCalls.at(0).Title, QString());
    }

    void questionReturnsThePressedButton()
    {
        FAnswer = TMessageBox::ResultNo;
        QVERIFY(ShowMessageBox(QStringLiteral("Excluir?"), TMessageBox::Question) != TMessageBox::ResultYes);
        FAnswer = TMessageBox::ResultYes;
        QCOMPARE(ShowMessageBox(QStringLiteral("Excluir?"), TMessageBox::Question), 6);
    }

    void workerBoxesRunOnTheGuiThread()
    {
        FOnGuiThread = true;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            TMessageBox::Show(QStringLiteral("Não foi possível contar o registro especificado."), TMessageBox::Error, QString());
            done = true;
        });
        QTRY_VERIFY(done.load());
        worker.join();
        QCOMPARE(FCalls.size(), 1);
        QVERIFY(FOnGuiThread);
    }
};

QTEST_MAIN(TestMessageBox)
#include "tst_TMessageBox.moc"
