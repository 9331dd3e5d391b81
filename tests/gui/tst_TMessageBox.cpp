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
    TMessageResult FAnswer = TMessageResult::Ok;
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
        ShowMessageBox(QStringLiteral("Registro gravado."), TMessageKind::Information);
        QCOMPARE(FCalls.size(), 1);
        QCOMPARE(FCalls[0].Title, QStringLiteral("Clientes"));
        QCOMPARE(FCalls[0].Kind, TMessageKind::Information);
    }

    void noActiveWindowGivesEmptyTitle()
    {
        ShowMessageBox(QStringLiteral("x"), TMessageKind::Error);
        QCOMPARE(FCalls.at(0).Title, QString());
    }

    void questionReturnsThePressedButton()
    {
        FAnswer = TMessageResult::No;
        QVERIFY(ShowMessageBox(QStringLiteral("Excluir?"), TMessageKind::Question) != TMessageResult::Yes);
        FAnswer = TMessageResult::Yes;
        QCOMPARE(ShowMessageBox(QStringLiteral("Excluir?"), TMessageKind::Question), TMessageResult::Yes);
    }

    // The real box (no handler): its buttons carry the program's own captions whatever translation
    // Qt has loaded, and the pressed one gives the platform's result code. A timer presses the
    // button once the box is up, and closes a box without it, so the test never waits on it.
    void realBoxCaptionsItsButtons_data()
    {
        QTest::addColumn<TMessageKind>("kind");
        QTest::addColumn<QStringList>("captions"); // sorted
        QTest::addColumn<QString>("press");
        QTest::addColumn<TMessageResult>("result");
        QTest::newRow("error, OK") << TMessageKind::Error << QStringList{"OK"} << "OK" << TMessageResult::Ok;
        QTest::newRow("information, OK") << TMessageKind::Information << QStringList{"OK"} << "OK" << TMessageResult::Ok;
        QTest::newRow("question, Sim") << TMessageKind::Question << QStringList{"Não", "Sim"} << "Sim" << TMessageResult::Yes;
        QTest::newRow("question, Não") << TMessageKind::Question << QStringList{"Não", "Sim"} << "Não" << TMessageResult::No;
    }

    void realBoxCaptionsItsButtons()
    {
        QFETCH(TMessageKind, kind);
        QFETCH(QStringList, captions);
        QFETCH(QString, press);
        QFETCH(TMessageResult, result);
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
        const TMessageResult answer = ShowMessageBox(QStringLiteral("Deseja realmente excluir o registro?"), kind);
        seen.sort();
        QCOMPARE(seen, captions);
        QCOMPARE(answer, result);
    }

    void workerBoxesRunOnTheGuiThread()
    {
        FOnGuiThread = true;
        std::atomic<bool> done{false};
        std::thread worker([&] {
            TMessageBox::Show(QStringLiteral("Não foi possível contar o registro especificado."), TMessageKind::Error, QString());
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
