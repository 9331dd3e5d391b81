#include "widgets/TFormConfig.h"
#include "widgets/TLXDesignPanel.h"
#include "widgets/TLXPanelForm.h"
#include "tests/support/SaveToGallery.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <memory>

namespace {


// Runs once the modal loop of the window has started.
void whenShown(QDialog *form, std::function<void()> step)
{
    QTimer::singleShot(0, form, [form, step] {
        QVERIFY(form->isVisible());
        step();
    });
}

void flushDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class tst_TLXPanelForm final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void windowSizeFromPanel_data();
    void windowSizeFromPanel();
    void namesFollowThePanelForm();
    void defaultSettings();
    void borderSettings_data();
    void borderSettings();
    void opacityOnlyWithAlphaBlend();
    void screenCentre();
    void showModalTwiceKeepsTheControls();
    void storedEventsReachTheWindowAtTheNextShow();
    void keyHandlersAreLive();
    void closeQueryAndCloseAction();
    void releasingThePanelReleasesTheForm();
    void releasingTheFormReleasesItsPanel();
    void showWithoutPanel();

private:
    std::unique_ptr<QWidget> screen;
    QPointer<TLXPanelForm> panelForm;
    QPointer<TLXDesignPanel> panel;
    QLineEdit *edit = nullptr;
};

void tst_TLXPanelForm::init()
{
    // A screen holding the panel form and the panel laid out among its own controls.
    screen = std::make_unique<QWidget>();
    panelForm = new TLXPanelForm(screen.get());
    panelForm->setObjectName("panelEdit");
    panel = new TLXDesignPanel(screen.get());
    panel->setPalette(QPalette(Qt::white));
    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(new QLabel("Descrição:", panel));
    edit = new QLineEdit(panel);
    layout->addWidget(edit);
    layout->addStretch();
    layout->addWidget(new QPushButton("Gravar", panel));
    panel->resize(457, 274);
}

void tst_TLXPanelForm::cleanup()
{
    screen.reset();
    flushDeferredDeletes();
    QVERIFY(panelForm.isNull());
    QVERIFY(panel.isNull());
}

void tst_TLXPanelForm::windowSizeFromPanel_data()
{
    QTest::addColumn<QSize>("panelSize");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("panel size wins") << QSize(457, 274) << QSize(457, 274);
    QTest::newRow("panel without width") << QSize(0, 274) << QSize(185, 41);
}

void tst_TLXPanelForm::windowSizeFromPanel()
{
    QFETCH(QSize, panelSize);
    QFETCH(QSize, expected);
    panel->resize(panelSize);
    panelForm->setFormWidth(185);
    panelForm->setFormHeight(41);
    panelForm->setPanel(panel);
    QCOMPARE(panelForm->Panel(), panel.data());
    QCOMPARE(panel->parentWidget(), panelForm->Form());
    QCOMPARE(panelForm->Form()->size(), expected);
    // Assigning the panel does not make the panel know its panel form.
    QCOMPARE(panel->PanelForm(), nullptr);
    panelForm->Show();
    QVERIFY(QTest::qWaitForWindowExposed(panelForm->Form()));
    QCOMPARE(panel->geometry(), panelForm->Form()->rect());
}

void tst_TLXPanelForm::namesFollowThePanelForm()
{
    panelForm->setPanel(panel);
    QCOMPARE(panel->objectName(), QString("panelEdit_Panel"));
    panelForm->setName("editor");
    QCOMPARE(panel->objectName(), QString("editor_Panel"));

    // A panel that knows its panel form keeps the form's name while it has a parent.
    panel->setPanelForm(panelForm);
    panel->setObjectName("other");
    QCOMPARE(panel->objectName(), QString("editor_Panel"));

    auto *loose = new TLXDesignPanel;
    loose->setPanelForm(panelForm);
    QCOMPARE(loose->objectName(), QString("editor_Panel"));
    loose->setObjectName("free");
    QCOMPARE(loose->objectName(), QString("free"));
    QVERIFY(loose->Number() >= 100000 && loose->Number() <= 999998);
    delete loose;
}

void tst_TLXPanelForm::defaultSettings()
{
    const TFormConfig &config = *panelForm->FormConfig();
    QCOMPARE(config.Caption(), QString("LXPanelForm"));
    QCOMPARE(config.BorderStyle(), TFormConfig::bsSizeable);
    QCOMPARE(config.Position(), TFormConfig::poDefaultPosOnly);
    QCOMPARE(config.FormStyle(), TFormConfig::fsNormal);
    QCOMPARE(config.AlphaBlendValue(), 255);
    QVERIFY(!config.AlphaBlend() && !config.TransparentColor() && config.Ctl3D());
    QCOMPARE(config.TransparentColorValue(), QApplication::palette().color(QPalette::Button));
    panelForm->setPanel(panel);
    panelForm->Show();
    QDialog *form = panelForm->Form();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QCOMPARE(form->windowTitle(), QString("LXPanelForm"));
    const Qt::WindowFlags flags = form->windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Window);
    for (Qt::WindowType hint : {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint,
                                Qt::WindowMaximizeButtonHint, Qt::WindowCloseButtonHint})
        QVERIFY(flags.testFlag(hint));
    QVERIFY(!flags.testFlag(Qt::FramelessWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(form->windowOpacity(), 1.0);
    SaveToGallery(*form, "TLXPanelForm_default");
}

void tst_TLXPanelForm::borderSettings_data()
{
    using C = TFormConfig;
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("icons");
    QTest::addColumn<int>("formStyle");
    QTest::addColumn<int>("windowType");
    QTest::addColumn<int>("present");
    QTest::addColumn<int>("absent");
    const int minMax = Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint;
    const int all = C::biSystemMenu | C::biMinimize | C::biMaximize;
    QTest::newRow("none") << int(C::bsNone) << all << int(C::fsNormal) << int(Qt::Window)
                          << int(Qt::FramelessWindowHint) << 0;
    QTest::newRow("tool window") << int(C::bsToolWindow) << all << int(C::fsNormal) << int(Qt::Tool)
                                 << int(Qt::WindowCloseButtonHint) << minMax;
    QTest::newRow("dialog with help") << int(C::bsDialog) << (all | C::biHelp) << int(C::fsNormal)
                                      << int(Qt::Dialog) << int(Qt::WindowContextHelpButtonHint) << minMax;
    QTest::newRow("single, menu only") << int(C::bsSingle) << int(C::biSystemMenu) << int(C::fsNormal)
                                       << int(Qt::Window) << int(Qt::WindowCloseButtonHint) << minMax;
    QTest::newRow("no system menu") << int(C::bsSizeable) << int(C::biMinimize) << int(C::fsStayOnTop)
                                    << int(Qt::Window) << int(Qt::WindowStaysOnTopHint)
                                    << int(Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
}

void tst_TLXPanelForm::borderSettings()
{
    QFETCH(int, style);
    QFETCH(int, icons);
    QFETCH(int, formStyle);
    QFETCH(int, windowType);
    QFETCH(int, present);
    QFETCH(int, absent);
    TFormConfig *config = panelForm->FormConfig();
    config->setBorderStyle(TFormConfig::TFormBorderStyle(style));
    config->setBorderIcons(TFormConfig::TBorderIcons(icons));
    config->setFormStyle(TFormConfig::TFormStyle(formStyle));
    config->setCaption("Editar registro");
    panelForm->setPanel(panel);
    // Settings reach the window only when it is shown.
    QCOMPARE(panelForm->Form()->windowTitle(), QString());
    panelForm->Show();
    const Qt::WindowFlags flags = panelForm->Form()->windowFlags();
    QCOMPARE(int(flags & Qt::WindowType_Mask), windowType);
    QCOMPARE(int(flags) & present, present);
    QCOMPARE(int(flags) & absent, 0);
    QCOMPARE(panelForm->Form()->windowTitle(), QString("Editar registro"));
    QVERIFY(panelForm->Form()->isVisible());
}

void tst_TLXPanelForm::opacityOnlyWithAlphaBlend()
{
    TFormConfig *config = panelForm->FormConfig();
    config->setAlphaBlendValue(0); // as the detail editor stores it, without AlphaBlend
    panelForm->Show();
    QCOMPARE(panelForm->Form()->windowOpacity(), 1.0);
    config->setAlphaBlend(true);
    config->setAlphaBlendValue(128);
    QCOMPARE(panelForm->Form()->windowOpacity(), 1.0);
    panelForm->Show();
    QVERIFY(qAbs(panelForm->Form()->windowOpacity() - 128 / 255.0) < 0.01);
}

void tst_TLXPanelForm::screenCentre()
{
    panelForm->setPanel(panel);
    panelForm->FormConfig()->setPosition(TFormConfig::poScreenCenter);
    panelForm->Show();
    QDialog *form = panelForm->Form();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    const QPoint centre = form->screen()->availableGeometry().center();
    const QPoint at = form->frameGeometry().center();
    QVERIFY2((at - centre).manhattanLength() <= 6, qPrintable(QString("window centre %1,%2").arg(at.x()).arg(at.y())));
}

void tst_TLXPanelForm::showModalTwiceKeepsTheControls()
{
    panelForm->setPanel(panel);
    QDialog *form = panelForm->Form();
    whenShown(form, [&] {
        edit->setFocus();
        QTest::keyClicks(edit, "abc");
        form->accept();
    });
    QCOMPARE(panelForm->ShowModal(), 1);
    QVERIFY(!form->isVisible());

    whenShown(form, [&] {
        QCOMPARE(panelForm->Form(), form);
        QCOMPARE(panel->parentWidget(), form);
        QCOMPARE(edit->text(), QString("abc"));
        SaveToGallery(*form, "TLXPanelForm_modal");
        form->close();
    });
    QCOMPARE(panelForm->ShowModal(), 2);

    whenShown(form, [&] { form->done(6); });
    QCOMPARE(panelForm->ShowModal(), 6);
}

void tst_TLXPanelForm::storedEventsReachTheWindowAtTheNextShow()
{
    panelForm->setPanel(panel);
    QDialog *form = panelForm->Form();
    QStringList calls;
    panelForm->setOnShow([&](QObject *sender) {
        QCOMPARE(sender, form);
        calls << "show";
    });
    panelForm->setOnResize([&](QObject *) { calls << "resize 1"; });
    panelForm->setOnHide([&](QObject *) { calls << "hide"; });
    panelForm->Show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    calls.clear();

    panelForm->setOnResize([&](QObject *) { calls << "resize 2"; });
    form->resize(500, 300);
    QCOMPARE(calls, QStringList({"resize 1"}));
    form->hide();
    panelForm->setOnShow({}); // an unset handler clears the window's
    panelForm->Show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    calls.clear();
    form->resize(510, 300);
    QCOMPARE(calls, QStringList({"resize 2"}));
    form->hide();
    QCOMPARE(calls, QStringList({"resize 2", "hide"}));
}

void tst_TLXPanelForm::keyHandlersAreLive()
{
    panelForm->setPanel(panel);
    QDialog *form = panelForm->Form();
    panelForm->Show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    edit->setFocus();
    QTRY_VERIFY(edit->hasFocus());

    QList<int> downs;
    QString pressed;
    panelForm->setOnKeyDown([&](QObject *sender, int &key, Qt::KeyboardModifiers) {
        QCOMPARE(sender, form);
        downs << key;
        if (key == Qt::Key_B)
            key = 0;
    });
    panelForm->setOnKeyPress([&](QObject *, QChar &key) {
        pressed += key;
        if (key == 'c')
            key = QChar();
    });
    // Without preview the window sees only keys its controls leave alone.
    QTest::keyClick(edit, Qt::Key_A);
    QTest::keyClick(edit, Qt::Key_F5);
    QCOMPARE(downs, QList<int>({Qt::Key_F5}));
    QCOMPARE(edit->text(), QString("a"));

    downs.clear();
    panelForm->setKeyPreview(true);
    QVERIFY(panelForm->KeyPreview());
    QTest::keyClicks(edit, "abcd");
    QCOMPARE(downs, QList<int>({Qt::Key_A, Qt::Key_B, Qt::Key_C, Qt::Key_D}));
    QCOMPARE(pressed, QString("acd"));
    QCOMPARE(edit->text(), QString("aad"));

    // Keys still reach the handlers once after the focus moves within the window.
    auto *second = new QLineEdit(panel);
    panel->layout()->addWidget(second);
    second->show();
    second->setFocus();
    QTRY_VERIFY(second->hasFocus());
    downs.clear();
    QTest::keyClick(second, Qt::Key_X);
    QCOMPARE(downs, QList<int>({Qt::Key_X}));
    QCOMPARE(second->text(), QString("x"));

    panelForm->setKeyPreview(false);
    downs.clear();
    QTest::keyClick(second, Qt::Key_Y);
    QVERIFY(downs.isEmpty());
}

void tst_TLXPanelForm::closeQueryAndCloseAction()
{
    panelForm->setPanel(panel);
    QDialog *form = panelForm->Form();
    bool allow = false;
    auto action = TLXPanelForm::caNone;
    panelForm->setOnCloseQuery([&](QObject *, bool &canClose) { canClose = allow; });
    panelForm->setOnClose([&](QObject *, TLXPanelForm::TCloseAction &closeAction) {
        QCOMPARE(closeAction, TLXPanelForm::caHide);
        closeAction = action;
    });
    panelForm->Show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    form->close();
    QVERIFY(form->isVisible());
    allow = true;
    form->close();
    QVERIFY(form->isVisible());
    action = TLXPanelForm::caFree;
    form->close();
    QVERIFY(!form->isVisible());
    QVERIFY(!panel.isNull());
}

void tst_TLXPanelForm::releasingThePanelReleasesTheForm()
{
    panelForm->setPanel(panel);
    panelForm->Show();
    delete panel.data();
    QCOMPARE(panelForm->Panel(), nullptr);
    flushDeferredDeletes();
    QVERIFY(panelForm.isNull());
}

void tst_TLXPanelForm::releasingTheFormReleasesItsPanel()
{
    // A panel in the window goes with the window at once.
    panelForm->setPanel(panel);
    panel->setPanelForm(panelForm);
    delete panelForm.data();
    QVERIFY(panel.isNull());

    // A panel that only knows its panel form is released after it.
    auto *form = new TLXPanelForm(screen.get());
    QPointer<TLXDesignPanel> loose = new TLXDesignPanel(screen.get());
    loose->setPanelForm(form);
    delete form;
    QVERIFY(!loose.isNull());
    QCOMPARE(loose->PanelForm(), nullptr);
    flushDeferredDeletes();
    QVERIFY(loose.isNull());
}

void tst_TLXPanelForm::showWithoutPanel()
{
    QDialog *form = panelForm->Form();
    panelForm->FormConfig()->setCaption("Vazio");
    whenShown(form, [&] {
        QCOMPARE(form->windowTitle(), QString("Vazio"));
        QVERIFY(form->findChildren<QWidget *>().isEmpty());
        form->reject();
    });
    QCOMPARE(panelForm->ShowModal(), 2);
}

QTEST_MAIN(tst_TLXPanelForm)
#include "tst_TLXPanelForm.moc"
