#include "widgets/TLXDateEdit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

class tst_TLXDateEdit final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void typingIntoTheBlankEdit_data();
    void typingIntoTheBlankEdit();
    void calendarOpensOnTodayWhenBlank_data();
    void calendarOpensOnTodayWhenBlank();
    void typingInTheCalendarGoesToTheEdit();
    void clearMakesItBlankForANewEntry_data();
    void clearMakesItBlankForANewEntry();
    void stepFromBlankStartsAtToday();

private:
    void OpenCalendar();
    void Leave();

    std::unique_ptr<QWidget> FWindow;
    TLXDateEdit *FEdit = nullptr;
    QLineEdit *FOther = nullptr;
};

void tst_TLXDateEdit::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
}

void tst_TLXDateEdit::init()
{
    FWindow = std::make_unique<QWidget>();
    auto *layout = new QVBoxLayout(FWindow.get());
    FEdit = new TLXDateEdit(FWindow.get());
    FOther = new QLineEdit(FWindow.get());
    layout->addWidget(FEdit);
    layout->addWidget(FOther);
    FWindow->resize(300, 80);
    FWindow->show();
    FWindow->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(FWindow.get()));
    FEdit->setFocus();
}

void tst_TLXDateEdit::cleanup()
{
    FWindow.reset();
}

// A real click on the drop-down arrow.
void tst_TLXDateEdit::OpenCalendar()
{
    // The calendar is made at the first click, as the edit sets it up.
    QCOMPARE(FEdit->findChildren<QCalendarWidget *>().size(), 0);
    QStyleOptionComboBox option;
    option.initFrom(FEdit);
    option.editable = true;
    const QRect arrow = FEdit->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, FEdit);
    QTest::mouseClick(FEdit, Qt::LeftButton, {}, arrow.center());
    QTRY_VERIFY(FEdit->calendarWidget()->isVisible());
    QCOMPARE(FEdit->findChildren<QCalendarWidget *>().size(), 1);
    QCOMPARE(FEdit->calendarWidget()->verticalHeaderFormat(), QCalendarWidget::NoVerticalHeader);
}

void tst_TLXDateEdit::Leave()
{
    FOther->setFocus();
    QTRY_VERIFY(FOther->hasFocus());
}

void tst_TLXDateEdit::typingIntoTheBlankEdit_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // before leaving the edit
    QTest::addColumn<QDate>("date");    // kept after leaving; null: the edit is blank again

    const QDate march5(2024, 3, 5);
    QTest::newRow("short format") << "05/03/2024" << "05/03/2024" << march5;
    QTest::newRow("one-digit day and month") << "5/3/2024" << "05/03/2024" << march5;
    QTest::newRow("digits only") << "05032024" << "05/03/2024" << march5;
    QTest::newRow("letters refused") << "0a5/b03/2024" << "05/03/2024" << march5;
    QTest::newRow("incomplete") << "05/03/20" << "05/03/20" << QDate();
    QTest::newRow("no such day") << "31/02/2024" << "31/02/2024" << QDate();
    QTest::newRow("before the first date") << "01/01/1800" << "01/01/1800" << QDate();
}

// The blank edit takes a date typed in the locale's short format; what never becomes a whole
// valid date leaves it blank, never a half-typed or made-up date.
void tst_TLXDateEdit::typingIntoTheBlankEdit()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QDate, date);

    QTest::keyClicks(FEdit, typed);
    QCOMPARE(FEdit->text(), shown);
    Leave();
    if (date.isNull()) {
        QVERIFY(FEdit->IsEmpty());
        QCOMPARE(FEdit->date(), TLXDateEdit::EmptyDate());
        QCOMPARE(FEdit->text().trimmed(), QString());
    } else {
        QCOMPARE(FEdit->date(), date);
        QCOMPARE(FEdit->text(), shown);
    }
}

void tst_TLXDateEdit::calendarOpensOnTodayWhenBlank_data()
{
    QTest::addColumn<QDate>("date"); // null: blank
    QTest::addColumn<QDate>("shownPage");

    QTest::newRow("blank") << QDate() << QDate::currentDate();
    QTest::newRow("with a date") << QDate(2024, 3, 5) << QDate(2024, 3, 5);
}

// Opening the calendar of a blank edit shows today's month without choosing a date; Escape closes
// it with the edit still blank.
void tst_TLXDateEdit::calendarOpensOnTodayWhenBlank()
{
    QFETCH(QDate, date);
    QFETCH(QDate, shownPage);

    if (date.isValid())
        FEdit->setDate(date);
    OpenCalendar();
    QCalendarWidget *calendar = FEdit->calendarWidget();
    QCOMPARE(calendar->yearShown(), shownPage.year());
    QCOMPARE(calendar->monthShown(), shownPage.month());
    QCOMPARE(FEdit->date(), date.isValid() ? date : TLXDateEdit::EmptyDate());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QTRY_VERIFY(!calendar->isVisible());
    QCOMPARE(FEdit->date(), date.isValid() ? date : TLXDateEdit::EmptyDate());
}

// Digits typed while the calendar of a blank edit is open close it and go into the edit.
void tst_TLXDateEdit::typingInTheCalendarGoesToTheEdit()
{
    OpenCalendar();
    for (const QChar character : QStringLiteral("05/03/2024"))
        QTest::keyClick(QApplication::focusWidget(), character.toLatin1());
    QVERIFY(!FEdit->calendarWidget()->isVisible());
    QCOMPARE(FEdit->text(), QStringLiteral("05/03/2024"));
    Leave();
    QCOMPARE(FEdit->date(), QDate(2024, 3, 5));
}

void tst_TLXDateEdit::clearMakesItBlankForANewEntry_data()
{
    QTest::addColumn<bool>("deleteKey");
    QTest::newRow("clear()") << false;
    QTest::newRow("Delete key") << true;
}

void tst_TLXDateEdit::clearMakesItBlankForANewEntry()
{
    QFETCH(bool, deleteKey);
    QTest::keyClicks(FEdit, QStringLiteral("05/03/2024"));
    Leave();
    if (deleteKey) {
        FEdit->setFocus();
        QTest::keyClick(FEdit, Qt::Key_Delete);
    } else {
        FEdit->clear();
    }
    QVERIFY(FEdit->IsEmpty());
    QCOMPARE(FEdit->text().trimmed(), QString());

    FEdit->setFocus();
    QTest::keyClicks(FEdit, QStringLiteral("17/11/2023"));
    Leave();
    QCOMPARE(FEdit->date(), QDate(2023, 11, 17));
}

// The arrow keys on a blank edit begin at today, not at the blank's own date in 1899.
void tst_TLXDateEdit::stepFromBlankStartsAtToday()
{
    QTest::keyClick(FEdit, Qt::Key_Up);
    QCOMPARE(FEdit->date(), QDate::currentDate());
}

QTEST_MAIN(tst_TLXDateEdit)
#include "tst_TLXDateEdit.moc"
