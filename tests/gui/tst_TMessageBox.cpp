#include "gui/TMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QThread>
#include <QTranslator>
#include <QWidget>
#include <QtTest>

#include <thread>

namespace {

// Stands for whatever translation of Qt's own texts is loaded: it marks each of them.
class TMarkingTranslator final : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QPlatformTheme") != 0)
            return QString();
        return QStringLiteral("<%1>").arg(QLatin1String(sourceText));
    }
};

} // namespace

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

    // The real box (no handler): its buttons carry the program's own captions whatever translation
    // Qt has loaded, and the pressed one gives the platform's result code. A timer presses the
    // button once the box is up, and closes a box without it, so the test never waits on it.
    void realBoxCaptionsItsButtons_data()
    {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QStringList>("captions"); // sorted
        QTest::addColumn<QString>("press");
        QTest::addColumn<int>("result");
        QTest::newRow("error, OK") << 16 << QStringList{"OK"} << "OK" << 1;
        QTest::newRow("information, OK") << 64 << QStringList{"OK"} << "OK" << 1;
        QTest::newRow("question, Sim") << 36 << QStringList{"Não", "Sim"} << "Sim" << 6;
        QTest::newRow("question, Não") << 36 << QStringList{"Não", "Sim"} << "Não" << 7;
    }

    void realBoxCaptionsItsButtons()
    {
        QFETCH(int, flags);
        QFETCH(QStringList, captions);
        QFETCH(QString, press);
        QFETCH(int, result);
        TMessageBox::SetHandler({});
        TMarkingTranslator translation;
        QCoreApplication::installTranslator(&translation);
        const auto uninstall = qScopeGuard([&] { QCoreApplication::removeTranslator(&translation); });
        QStringList seen;
        QTimer presser;
        presser.setInterval(10);
        connect(&presser, &QTimer::timeout, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            presser.stop();
            QAbstractButton *target = nullptr;
            for (QAbstractButton *button : box->buttons()) {
                seen << button->text();
                if (button->text() == press)
                    target = button;
            }
            if (target)
                target->click();
            else
                box->done(-1);
        });
        presser.start();
        const int answer = ShowMessageBox(QStringLiteral("Deseja realmente excluir o registro?"), flags);
        seen.sort();
        QCOMPARE(seen, captions);
        QCOMPARE(answer, result);
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
