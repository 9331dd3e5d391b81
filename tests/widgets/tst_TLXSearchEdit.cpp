#include "widgets/InvalidMark.h"
#include "widgets/TLXSearchEdit.h"
#include "widgets/TLXSearchEditConfig.h"
#include "tests/support/SaveToGallery.h"

#include <QAbstractButton>
#include <QAction>
#include <QDir>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>
#include <stdexcept>

namespace {


// The clickable button the line edit makes for the trailing action.
QWidget *searchButton(TLXSearchEdit &edit)
{
    for (QWidget *child : edit.findChildren<QWidget *>())
        if (child->metaObject()->indexOfSignal("clicked(bool)") >= 0 && child->isVisible())
            return child;
    return nullptr;
}

} // namespace

class tst_TLXSearchEdit final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void startsEmpty();
    void focusShowsKeyThenDescription();
    void typedKeyBecomesKeyValue();
    void writingValuesWhileFocused();
    void textShownAfterWrites_data();
    void textShownAfterWrites();
    void f8AndButtonRunTheHandler();
    void searchOnlyDropsTyping();
    void keyInteger_data();
    void keyInteger();
    void loadedEditTakesTextAsDescription();
    void invalidMarkFramesUntilTakenOff();

private:
    std::unique_ptr<QWidget> window;
    TLXSearchEdit *edit = nullptr;
    QLineEdit *other = nullptr;

    void focusEdit();
    void leaveEdit();
};

void tst_TLXSearchEdit::init()
{
    window = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(window.get());
    edit = new TLXSearchEdit(window.get());
    other = new QLineEdit(window.get());
    layout->addWidget(edit);
    layout->addWidget(other);
    window->resize(260, 70);
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
    other->setFocus();
}

void tst_TLXSearchEdit::cleanup()
{
    window.reset();
}

void tst_TLXSearchEdit::focusEdit()
{
    QTest::mouseClick(other, Qt::LeftButton); // keep the click away from the edit's own caret
    QTest::keyClick(other, Qt::Key_Backtab);
    QTRY_VERIFY(edit->hasFocus());
}

void tst_TLXSearchEdit::leaveEdit()
{
    QTest::keyClick(edit, Qt::Key_Tab);
    QTRY_VERIFY(other->hasFocus());
}

void tst_TLXSearchEdit::startsEmpty()
{
    TLXSearchEdit fresh;
    QVERIFY(fresh.text().isEmpty());
    QVERIFY(fresh.KeyValue().isEmpty());
    QVERIFY(fresh.DisplayValue().isEmpty());
    QVERIFY(!fresh.SearchOnly());
    QVERIFY(fresh.Config()->KeyField().isEmpty());
    QVERIFY(fresh.Config()->DisplayField().isEmpty());
    QVERIFY(fresh.Config()->Resource().isEmpty());
    QVERIFY(fresh.RightButton()->isVisible());
    QVERIFY(!fresh.RightButton()->icon().isNull());
    // The key is what a data binding reads and writes.
    QCOMPARE(QString(fresh.metaObject()->userProperty().name()), QString("KeyValue"));
}

void tst_TLXSearchEdit::focusShowsKeyThenDescription()
{
    edit->setKeyValue("15");
    edit->setDisplayValue("Maria Souza");
    QCOMPARE(edit->text(), QString("Maria Souza"));
    QSignalSpy changed(edit, &TLXSearchEdit::keyChanged);
    QSignalSpy typed(edit, &TLXSearchEdit::keyTyped);
    focusEdit();
    QCOMPARE(edit->text(), QString("15"));
    QCOMPARE(edit->selectedText(), QString("15"));
    SaveToGallery(*window, "TLXSearchEdit_focused");
    leaveEdit();
    QCOMPARE(edit->text(), QString("Maria Souza"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(typed.count(), 0);
    SaveToGallery(*window, "TLXSearchEdit_description");
}

void tst_TLXSearchEdit::typedKeyBecomesKeyValue()
{
    edit->setKeyValue("15");
    edit->setDisplayValue("Maria Souza");
    QSignalSpy changed(edit, &TLXSearchEdit::keyChanged);
    QSignalSpy typed(edit, &TLXSearchEdit::keyTyped);
    // The owner hears of the typed key once the edit shows the description again.
    connect(edit, &TLXSearchEdit::keyTyped, this, [this] { QCOMPARE(edit->text(), QString("Maria Souza")); });
    focusEdit();
    QTest::keyClicks(edit, "16");
    QCOMPARE(edit->text(), QString("16"));
    QCOMPARE(changed.count(), 0);
    leaveEdit();
    QCOMPARE(edit->KeyValue(), QString("16"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(typed.count(), 1);
    // The edit itself looks nothing up: refreshing the description is its owner's, on keyTyped.
    QCOMPARE(edit->text(), QString("Maria Souza"));
    QCOMPARE(edit->DisplayValue(), QString("Maria Souza"));
}

void tst_TLXSearchEdit::writingValuesWhileFocused()
{
    edit->setKeyValue("15");
    focusEdit();
    edit->setDisplayValue("Joana");
    QCOMPARE(edit->text(), QString("15"));
    QSignalSpy changed(edit, &TLXSearchEdit::keyChanged);
    QSignalSpy typed(edit, &TLXSearchEdit::keyTyped);
    edit->setKeyValue("20");
    QCOMPARE(edit->text(), QString("20"));
    QCOMPARE(changed.count(), 1);
    leaveEdit();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(typed.count(), 0); // written, not typed
    QCOMPARE(edit->text(), QString("Joana"));
}

void tst_TLXSearchEdit::textShownAfterWrites_data()
{
    QTest::addColumn<QStringList>("writes"); // "k:value" writes the key, "d:value" the description
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("keyChanges");
    QTest::newRow("key then description") << QStringList{"k:7", "d:Pedro"} << "Pedro" << 1;
    QTest::newRow("description then key") << QStringList{"d:Pedro", "k:7"} << "7" << 1;
    QTest::newRow("key only") << QStringList{"k:7"} << "7" << 1;
    QTest::newRow("same key twice") << QStringList{"k:7", "k:7"} << "7" << 2;
    QTest::newRow("cleared") << QStringList{"k:7", "d:Pedro", "k:", "d:"} << "" << 2;
}

void tst_TLXSearchEdit::textShownAfterWrites()
{
    QFETCH(QStringList, writes);
    QFETCH(QString, shown);
    QFETCH(int, keyChanges);
    QSignalSpy changed(edit, &TLXSearchEdit::keyChanged);
    for (const QString &write : writes) {
        const QString value = write.mid(2);
        if (write.startsWith("k:"))
            edit->setKeyValue(value);
        else
            edit->setDisplayValue(value);
    }
    QCOMPARE(edit->text(), shown);
    QCOMPARE(changed.count(), keyChanges);
}

void tst_TLXSearchEdit::f8AndButtonRunTheHandler()
{
    edit->setText("abc");
    focusEdit();
    QTest::keyClick(edit, Qt::Key_F8); // nothing attached yet: nothing happens
    QCOMPARE(edit->text(), QString(""));

    QSignalSpy clicks(edit, &TLXSearchEdit::rightButtonClicked);
    QTest::keyClick(edit, Qt::Key_F8);
    QTest::keyClick(edit, Qt::Key_F8, Qt::ShiftModifier | Qt::ControlModifier);
    QWidget *button = searchButton(*edit);
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(clicks.count(), 3);
    QTest::keyClick(edit, Qt::Key_F7);
    QCOMPARE(clicks.count(), 3);
}

void tst_TLXSearchEdit::searchOnlyDropsTyping()
{
    edit->setSearchOnly(true);
    edit->setKeyValue("15");
    focusEdit();
    QTest::keyClicks(edit, "ab12 ");
    QTest::keyClick(edit, Qt::Key_Backspace);
    QCOMPARE(edit->text(), QString("15"));
    int clicks = 0;
    connect(edit, &TLXSearchEdit::rightButtonClicked, this, [&] { ++clicks; });
    QTest::mouseClick(searchButton(*edit), Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_F8);
    QCOMPARE(clicks, 2);
    leaveEdit();
    QCOMPARE(edit->KeyValue(), QString("15"));
}

void tst_TLXSearchEdit::keyInteger_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("expected");
    QTest::addColumn<bool>("fails");
    QTest::newRow("empty") << "" << -1 << false;
    QTest::newRow("42") << "42" << 42 << false;
    QTest::newRow("negative") << "-7" << -7 << false;
    QTest::newRow("letters") << "4a" << 0 << true;
    QTest::newRow("too large") << "2147483648" << 0 << true;
    QTest::newRow("hex") << "0x1A" << 0 << true;
}

void tst_TLXSearchEdit::keyInteger()
{
    QFETCH(QString, key);
    QFETCH(int, expected);
    QFETCH(bool, fails);
    edit->setKeyValue(key);
    if (!fails) {
        QCOMPARE(edit->KeyInteger(), expected);
        return;
    }
    try {
        edit->KeyInteger();
        QFAIL("a key that is not a number must fail");
    } catch (const std::invalid_argument &error) {
        QCOMPARE(QString::fromUtf8(error.what()), QString("'%1' is not a valid integer value").arg(key));
    }
}

void tst_TLXSearchEdit::loadedEditTakesTextAsDescription()
{
    edit->setDisplayValue("Ana");
    edit->setText("Bia");
    QCOMPARE(edit->DisplayValue(), QString("Ana")); // edits made in code never do this
    edit->Loaded();
    QCOMPARE(edit->text(), QString("Ana"));
    edit->setText("Bia");
    QCOMPARE(edit->DisplayValue(), QString("Bia"));
    focusEdit();
    QTest::keyClicks(edit, "9");
    QCOMPARE(edit->DisplayValue(), QString("Bia"));
}

// A marked control shows a red frame (its own, not its children's) and says so through the
// "invalido" property until the mark is taken off; a control styled by its owner keeps that style.
void tst_TLXSearchEdit::invalidMarkFramesUntilTakenOff()
{
    const QImage plain = edit->grab().toImage();
    MarkInvalid(edit);
    QVERIFY(IsMarkedInvalid(edit));
    QCOMPARE(edit->property("invalido").toBool(), true);
    const QImage marked = edit->grab().toImage();
    QVERIFY(marked != plain);
    QCOMPARE(marked.pixelColor(0, edit->height() / 2), QColor(0xc6, 0x28, 0x28));
    MarkInvalid(edit, false);
    QVERIFY(!IsMarkedInvalid(edit));
    QCOMPARE(edit->grab().toImage(), plain);

    other->setStyleSheet(QStringLiteral("color: blue;"));
    MarkInvalid(other);
    QVERIFY(IsMarkedInvalid(other));
    MarkInvalid(other, false);
    QCOMPARE(other->styleSheet(), QStringLiteral("color: blue;"));
}

QTEST_MAIN(tst_TLXSearchEdit)
#include "tst_TLXSearchEdit.moc"
