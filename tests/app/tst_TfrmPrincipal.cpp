#include "app/TScreenTabBar.h"
#include "config/TConfigLocation.h"
#include "config/TSystemConfig.h"
#include "app/TfrmPrincipal.h"
#include "gui/TLayoutSettings.h"
#include "gui/TMessageBox.h"
#include "screens/TfrmCadastroPadrao.h"
#include "tests/support/TTestServer.h"
#include "tests/support/TMessageBoxRecorder.h"
#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTabBar>
#include <QToolButton>
#include <QFile>
#include <QSplitter>
#include <QtTest>

#include <memory>

namespace {

const char *const kMenu = R"([
  {"descricao": "Clientes", "resource": "clientes", "icone": "x"},
  {"descricao": "Produtos", "resource": "produtos"},
  {"descricao": "Pedidos", "resource": 42}
])";

QStringList LinkTexts(const TLXLinkList *links, bool shownOnly = false)
{
    QStringList texts;
    for (int i = 0; links && i < links->Items()->Count(); ++i)
        if (!shownOnly || links->Items()->Items(i)->IsShown())
            texts << links->Items()->Items(i)->Text();
    return texts;
}

void ClickLink(TfrmPrincipal &window, int index)
{
    TLXLinkListLabel *label = window.SectionLinks(0)->Items()->Items(index)->Label();
    QTest::mouseClick(label, Qt::LeftButton);
}

} // namespace

class TestPrincipal final : public QObject
{
    Q_OBJECT

    std::unique_ptr<TTestServer> FServer;
    TMessageBoxRecorder FBoxes;

    std::unique_ptr<TfrmPrincipal> OpenWindow(const std::string &menu = kMenu)
    {
        FServer->Script("GET", "/acesso/menus", ScriptedAnswer(200, menu));
        auto window = std::make_unique<TfrmPrincipal>();
        window->show();
        return window;
    }

private slots:
    void initTestCase()
    {
        FServer = std::make_unique<TTestServer>();
        FServer->ScriptDefault(ScriptedAnswer(200, "[]"));
    }

    void init()
    {
        QFile::remove(TLayoutSettings::FileName()); // each test starts from the window's own layout
        FBoxes.clear();
        FServer->InstallAsSystemConfig();
        FServer->ClearRequests();
    }

    void menuOfThreeEntries()
    {
        const auto window = OpenWindow();
        QCOMPARE(window->windowTitle(), QStringLiteral("QuorelApi"));
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QCOMPARE(window->Menus->Items()->Count(), 1);
        TLXAccordionItem *section = window->Menus->Items()->Items(0);
        QCOMPARE(section->Title(), QStringLiteral("Cadastros"));
        QCOMPARE(window->Menus->SelectedIndex(), 0);
        const TLXLinkList *links = window->SectionLinks(0);
        QCOMPARE(LinkTexts(links), QStringList({"Clientes", "Produtos", "Pedidos"}));
        QCOMPARE(links->Items()->Items(2)->Resource(), QStringLiteral("42"));
        QCOMPARE(links->Color(), QColor(0x28, 0x2E, 0x3E));
        QCOMPARE(section->TitleColor(), QColor(0x5E, 0x65, 0x78));
        QVERIFY(section->Font().bold());
        QCOMPARE(window->abas->count(), 0);
        QVERIFY(FBoxes.isEmpty());
        QCOMPARE(FServer->Requests().at(0).Target, std::string("/acesso/menus"));
    }

    // The side bar's pictures are read from their bitmaps; a picture that cannot be read leaves a blank.
    void sideBarPicturesAreDrawn()
    {
        const auto window = OpenWindow();
        const auto *logo = window->findChild<QLabel *>(QStringLiteral("Image11"));
        const auto *magnifier = window->findChild<QLabel *>(QStringLiteral("Image10"));
        QVERIFY(logo && magnifier);
        QVERIFY(!logo->pixmap().isNull());
        QCOMPARE(logo->pixmap().deviceIndependentSize().toSize(), QSize(211, 41));
        QCOMPARE(magnifier->pixmap().size(), QSize(24, 24));
        for (const QLabel *picture : {logo, magnifier}) {
            const QImage pixels = picture->pixmap().toImage();
            bool drawn = false;
            for (int y = 0; y < pixels.height() && !drawn; ++y)
                for (int x = 0; x < pixels.width() && !drawn; ++x)
                    drawn = pixels.pixelColor(x, y).alpha() > 0;
            QVERIFY2(drawn, qPrintable(picture->objectName()));
        }
    }

    void menuFailures_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("loaded"); // the server answered: no address to ask for
        QTest::newRow("not json") << 200 << "<html>" << QStringList() << "" << true;
        QTest::newRow("not an array") << 200 << R"({"descricao": "a", "resource": "b"})" << QStringList() << "" << true;
        QTest::newRow("entry without resource")
            << 200
            << R"([{"descricao": "Clientes", "resource": "clientes"}, {"descricao": "Sem"}, {"descricao": "C", "resource": "c"}])"
            << QStringList({"Clientes"}) << "Value 'resource' not found" << true;
        QTest::newRow("error status") << 500 << "[]" << QStringList() << "*" << false;
        QTest::newRow("redirect not followed") << 302 << "[]" << QStringList() << "*" << false;
    }

    void menuFailures()
    {
        QFETCH(int, status);
        QFETCH(QString, menu);
        QFETCH(QStringList, links);
        QFETCH(QString, message);
        QFETCH(bool, loaded);
        FServer->Script("GET", "/acesso/menus", ScriptedAnswer(status, menu.toStdString()));
        TfrmPrincipal window;
        QCOMPARE(LinkTexts(window.SectionLinks(0)), links);
        QCOMPARE(window.MenuLoaded(), loaded);
        QCOMPARE(FBoxes.size(), message.isEmpty() ? 0 : 1);
        if (!message.isEmpty()) {
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
            QCOMPARE(FBoxes[0].Title, QCoreApplication::applicationName()); // the application's title
            if (message != QLatin1String("*"))
                QCOMPARE(FBoxes[0].Text, message);
        }
    }

    void serverDownAtStart()
    {
        SystemConfig->Port = 1; // nothing listens there
        TfrmPrincipal window;
        window.show();
        QCOMPARE(FBoxes.size(), 1);
        QCOMPARE(FBoxes[0].Kind, TMessageKind::Error);
        QCOMPARE(FBoxes[0].Text, QStringLiteral("Não foi possível conectar ao servidor (%1:1). Verifique se ele está em "
                                                "execução.").arg(SystemConfig->Server));
        QCOMPARE(window.Menus->Items()->Count(), 0);
        QCOMPARE(window.abas->count(), 0);
        window.edtPesquisaMenu->setText(QStringLiteral("x")); // no sections: nothing to filter
        QCOMPARE(FBoxes.size(), 1);
        QVERIFY(!window.MenuLoaded());

        // The server is back: asked again, the menu fills the side bar as at creation.
        window.edtPesquisaMenu->clear();
        FServer->Script("GET", "/acesso/menus", ScriptedAnswer(200, kMenu));
        FServer->InstallAsSystemConfig();
        window.ReloadMenus();
        QVERIFY(window.MenuLoaded());
        QCOMPARE(LinkTexts(window.SectionLinks(0)), QStringList({"Clientes", "Produtos", "Pedidos"}));
        QCOMPARE(window.Menus->SelectedIndex(), 0);
        QCOMPARE(FBoxes.size(), 1);
    }

    void filterHidesAndRestoresLinks()
    {
        const auto window = OpenWindow();
        const TLXLinkList *links = window->SectionLinks(0);
        window->edtPesquisaMenu->setText(QStringLiteral("PRO"));
        QCOMPARE(LinkTexts(links, true), QStringList({"Produtos"}));
        window->edtPesquisaMenu->setText(QStringLiteral("nada assim"));
        QCOMPARE(links->VisibleCount(), 0);
        QCOMPARE(window->Menus->SelectedIndex(), 0);
        window->edtPesquisaMenu->clear();
        QCOMPARE(LinkTexts(links, true), QStringList({"Clientes", "Produtos", "Pedidos"}));
    }

    void sameEntryTwiceGivesIndependentScreens()
    {
        const auto window = OpenWindow();
        FServer->Script(
            "GET", "/clientes/campos", ScriptedAnswer(200, R"([{"nome": "nome", "label": "Nome", "tipo": "string"}])"));
        ClickLink(*window, 0);
        ClickLink(*window, 0);
        QCOMPARE(window->abas->count(), 2);
        QCOMPARE(window->abas->tabText(0), QStringLiteral("Clientes"));
        QCOMPARE(window->abas->tabText(1), QStringLiteral("Clientes"));
        TfrmCadastroPadrao *first = window->ScreenOf(0);
        QPointer<TfrmCadastroPadrao> second = window->ScreenOf(1);
        QVERIFY(first && second && first != second);
        QCOMPARE(first->Path(), QStringLiteral("clientes"));
        QCOMPARE(first->windowTitle(), QStringLiteral("Clientes"));
        QCOMPARE(window->abas->currentIndex(), 1);
        QCOMPARE(window->CurrentScreen(), second.data());
        QVERIFY(second->isVisible() && !first->isVisible());

        QTRY_COMPARE(first->FieldMap().size(), 1);
        QTRY_COMPARE(second->FieldMap().size(), 1);
        second->btNovo->click();
        QCOMPARE(first->Estado(), ceBloqueado); // the other screen keeps its own state

        // Closing the selected tab brings the remaining screen to front; it still works.
        qobject_cast<QToolButton *>(window->abas->tabButton(1, QTabBar::RightSide))->click(); // its close box
        QVERIFY(!second);
        QCOMPARE(window->abas->count(), 1);
        QCOMPARE(window->CurrentScreen(), first);
        QVERIFY(first->isVisible());
        FServer->Script("GET", "/clientes/3", ScriptedAnswer(200, R"({"id": 3, "nome": "Ana"})"));
        QSignalSpy answers(first, &TfrmCadastroPadrao::answerHandled);
        first->Load(3);
        QVERIFY(answers.wait(5000));
        QCOMPARE(first->IDValue(), QStringLiteral("3"));

        // Closing the last tab leaves the content panel empty.
        window->abasTabClosed(0);
        QCOMPARE(window->abas->count(), 0);
        QCOMPARE(window->panelForm->count(), 0);
        QVERIFY(!window->CurrentScreen());
    }

    void selectingTabsSwitchesScreens()
    {
        const auto window = OpenWindow();
        ClickLink(*window, 0);
        ClickLink(*window, 1);
        ClickLink(*window, 2);
        QCOMPARE(window->ScreenOf(2)->Path(), QStringLiteral("42"));
        window->abas->setCurrentIndex(0);
        QCOMPARE(window->CurrentScreen(), window->ScreenOf(0));
        QVERIFY(!window->ScreenOf(1)->isVisible());
        window->abasTabClosed(0);
        QCOMPARE(window->CurrentScreen(), window->ScreenOf(window->abas->currentIndex()));
        QCOMPARE(window->panelForm->count(), 2);
    }

    // A tab closed while its screen still waits for the server: the late answer does nothing.
    void closingTabWithRequestInFlight()
    {
        const auto window = OpenWindow();
        FServer->Script("GET", "/produtos/campos", ScriptedAnswer(404, "", 300));
        FServer->ClearRequests();
        ClickLink(*window, 1);
        QVERIFY(window->CurrentScreen()->Busy());
        QVERIFY(FServer->WaitForRequests(1, 5000));
        window->abasTabClosed(0);
        QTest::qWait(600);
        QVERIFY(FBoxes.isEmpty()); // the 404 notice of the gone screen is not shown
    }

    // The selected caption is drawn smaller than the others: no tab may take its width from the
    // other state, so every caption fits whichever tab is selected.
    void tabCaptionsShowWhole()
    {
        const auto window = OpenWindow(R"([{"descricao": "Clientes", "resource": "clientes"},
            {"descricao": "Veículos de entrega", "resource": "veiculos"}])");
        ClickLink(*window, 0);
        ClickLink(*window, 1);
        QApplication::processEvents();
        const QFontMetrics large(TScreenTabBar::CaptionFont());
        const int padding = 10 + 6, closeBox = 16;
        QList<int> widths;
        for (const int selected : {1, 0, 1}) {
            window->abas->setCurrentIndex(selected);
            QApplication::processEvents();
            for (int i = 0; i < window->abas->count(); ++i) {
                const int caption = large.horizontalAdvance(window->abas->tabText(i));
                QVERIFY2(window->abas->tabRect(i).width() >= caption + padding + closeBox,
                    qPrintable(QStringLiteral("tab %1 with tab %2 selected").arg(i).arg(selected)));
                widths << window->abas->tabRect(i).width();
            }
            // The bar is as wide as its tabs: nothing scrolled away, no caption elided.
            QVERIFY(window->abas->width() >= window->abas->sizeHint().width());
        }
        QCOMPARE(widths.mid(2), widths.mid(0, 2) + widths.mid(0, 2)); // no tab changes width
    }

    // A caption of a megabyte (a faulty menu) is cut in its tab and whole in the tip; nothing stalls.
    void hugeCaptionIsCutInItsTab()
    {
        const auto window = OpenWindow();
        const QString huge(1'000'000, QLatin1Char('x'));
        window->OpenScreen(huge, QStringLiteral("clientes"));
        window->OpenScreen(QStringLiteral("Clientes"), QStringLiteral("clientes"));
        QApplication::processEvents();
        QCOMPARE(window->abas->tabText(0).size(), TScreenTabBar::MaxCaptionLength);
        QVERIFY(window->abas->tabText(0).endsWith(QChar(0x2026)));
        QCOMPARE(window->abas->tabToolTip(0), huge);
        QCOMPARE(window->abas->tabText(1), QStringLiteral("Clientes"));
    }

    // Like every GET, the menu is UTF-8 whatever charset the answer declares.
    void menuIsReadAsUtf8()
    {
        TScriptedAnswer menu = ScriptedAnswer(200, R"([{"descricao": "Veículos", "resource": "veiculos"}])");
        menu.ContentType = "application/json; charset=iso-8859-1";
        FServer->Script("GET", "/acesso/menus", menu);
        const auto window = std::make_unique<TfrmPrincipal>();
        QCOMPARE(LinkTexts(window->SectionLinks(0)), QStringList({QStringLiteral("Veículos")}));
    }

    // Closing a tab (its close box or Ctrl+W) or the window asks first when typed values would be
    // lost; the window asks once, counting the screens.
    void unsavedScreensAskBeforeClosing_data()
    {
        QTest::addColumn<QString>("close");  // "box", "ctrl+w" or "window"
        QTest::addColumn<int>("edited");     // screens with a typed name, from the first
        QTest::addColumn<bool>("discard");   // the answer
        QTest::addColumn<QString>("question");
        QTest::addColumn<bool>("closed");
        const QString one = QStringLiteral("Existem alterações não gravadas. Deseja descartá-las?");
        QTest::newRow("box, nothing typed") << "box" << 0 << false << "" << true;
        QTest::newRow("box, typed, keep") << "box" << 2 << false << one << false;
        QTest::newRow("box, typed, discard") << "box" << 2 << true << one << true;
        QTest::newRow("box, another screen typed") << "box" << 1 << false << "" << true;
        QTest::newRow("ctrl+w, typed, keep") << "ctrl+w" << 2 << false << one << false;
        QTest::newRow("window, nothing typed") << "window" << 0 << false << "" << true;
        QTest::newRow("window, one typed, keep") << "window" << 1 << false << one << false;
        QTest::newRow("window, two typed, discard")
            << "window" << 2 << true << "Existem alterações não gravadas em 2 telas. Deseja descartá-las?" << true;
    }

    void unsavedScreensAskBeforeClosing()
    {
        QFETCH(QString, close);
        QFETCH(int, edited);
        QFETCH(bool, discard);
        QFETCH(QString, question);
        QFETCH(bool, closed);
        const auto window = OpenWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        FServer->Script(
            "GET", "/clientes/campos", ScriptedAnswer(200, R"([{"nome": "nome", "label": "Nome", "tipo": "string"}])"));
        ClickLink(*window, 0);
        ClickLink(*window, 0);
        for (int i = 0; i < 2; ++i) {
            TfrmCadastroPadrao *screen = window->ScreenOf(i);
            QTRY_COMPARE(screen->FieldMap().size(), 1);
            screen->btNovoClick();
            if (i < edited)
                screen->findChild<QLineEdit *>(QStringLiteral("nome"))->setText(QStringLiteral("Digitado"));
        }
        FBoxes.QuestionAnswer = discard ? TMessageResult::Yes : TMessageResult::No;

        if (close == QLatin1String("box"))
            qobject_cast<QToolButton *>(window->abas->tabButton(1, QTabBar::RightSide))->click();
        else if (close == QLatin1String("ctrl+w"))
            QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
        else
            window->close();
        QCOMPARE(FBoxes.size(), question.isEmpty() ? 0 : 1);
        if (!question.isEmpty()) {
            QCOMPARE(FBoxes[0].Text, question);
            QCOMPARE(FBoxes[0].Kind, TMessageKind::Question);
        }
        if (close == QLatin1String("window"))
            QCOMPARE(window->isVisible(), !closed);
        else
            QCOMPARE(window->abas->count(), closed ? 1 : 2);
    }

    // Where the user left the window and its side bar comes back at the next start;
    // --reset-layout forgets it.
    void keepsItsGeometry()
    {
        const auto sideBarWidth = [](const TfrmPrincipal &window) { return window.divisor->sizes().value(0); };
        {
            const auto window = OpenWindow();
            QVERIFY(window->isMaximized()); // the window's own layout
            QCOMPARE(sideBarWidth(*window), 230);
            window->showNormal();
            window->resize(640, 480);
            QTRY_COMPARE(window->size(), QSize(640, 480));
            // The user drags the handle: the splitter announces it with this signal.
            window->divisor->setSizes({310, 640 - 310 - window->divisor->handleWidth()});
            emit window->divisor->splitterMoved(310, 1);
            QVERIFY(window->close());
        }
        {
            const auto window = OpenWindow();
            QVERIFY(!window->isMaximized());
            QCOMPARE(window->size(), QSize(640, 480));
            QTRY_COMPARE(sideBarWidth(*window), 310);
        }
        const TConfigLocation location({QStringLiteral("quorelapi"), QStringLiteral("--reset-layout")}, QString());
        QVERIFY(location.ResetLayout());
        TLayoutSettings::Forget();
        const auto window = OpenWindow();
        QVERIFY(window->isMaximized());
        QCOMPARE(sideBarWidth(*window), 230);
    }

    void keyboardShortcuts()
    {
        const auto window = OpenWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        ClickLink(*window, 0);
        ClickLink(*window, 1);
        QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(window->abas->count(), 1);
        QCOMPARE(window->CurrentScreen()->Path(), QStringLiteral("clientes"));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QVERIFY(window->edtPesquisaMenu->hasFocus());
    }

    // Ctrl+Tab and Ctrl+PgDn go to the next screen, Ctrl+Shift+Tab and Ctrl+PgUp to the previous
    // one, round past the ends, from wherever the focus is.
    void keysSwitchScreens_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("tabs"); // the tab selected after each press, from the last of three
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << ctrl << QList<int>{0, 1, 2};
        QTest::newRow("Ctrl+PgDn") << int(Qt::Key_PageDown) << ctrl << QList<int>{0, 1, 2};
        QTest::newRow("Ctrl+Shift+Tab") << int(Qt::Key_Backtab) << (ctrl | int(Qt::ShiftModifier)) << QList<int>{1, 0, 2};
        QTest::newRow("Ctrl+PgUp") << int(Qt::Key_PageUp) << ctrl << QList<int>{1, 0, 2};
    }

    void keysSwitchScreens()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QList<int>, tabs);
        const auto window = OpenWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        for (int link = 0; link < 3; ++link)
            ClickLink(*window, link);
        QCOMPARE(window->abas->currentIndex(), 2);
        for (const int tab : tabs) {
            QWidget *focused = QApplication::focusWidget();
            QTest::keyClick(focused ? focused : window.get(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
            QCOMPARE(window->abas->currentIndex(), tab);
            QCOMPARE(window->CurrentScreen(), window->ScreenOf(tab));
        }
    }

    // The menu is used from the keyboard: Enter in its filter opens the first entry that passes
    // it; Down goes into the entries, where the arrows move and Enter opens.
    void menuOpensWithTheKeyboard()
    {
        const auto window = OpenWindow();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        QTest::keyClicks(window->edtPesquisaMenu, QStringLiteral("p"));
        QTest::keyClick(window->edtPesquisaMenu, Qt::Key_Return);
        QCOMPARE(window->abas->count(), 1);
        QCOMPARE(window->CurrentScreen()->Path(), QStringLiteral("produtos"));

        window->edtPesquisaMenu->setFocus();
        window->edtPesquisaMenu->clear();
        QTest::keyClick(window->edtPesquisaMenu, Qt::Key_Down);
        TLXLinkList *links = window->SectionLinks(0);
        QVERIFY(links->hasFocus());
        QTest::keyClick(links, Qt::Key_Down);
        QTest::keyClick(links, Qt::Key_Down);
        QTest::keyClick(links, Qt::Key_Up);
        QTest::keyClick(links, Qt::Key_Return);
        QCOMPARE(window->abas->count(), 2);
        QCOMPARE(window->CurrentScreen()->Path(), QStringLiteral("produtos"));
        QVERIFY(FBoxes.isEmpty());
    }
};

QTEST_MAIN(TestPrincipal)
#include "tst_TfrmPrincipal.moc"
