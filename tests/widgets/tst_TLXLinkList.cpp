#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"
#include "widgets/TLXLinkListLabel.h"
#include "tests/support/SaveToGallery.h"

#include <QDir>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {

const QStringList Captions = {"Cidade", "Conta Contábil", "Conta Contábil Natureza", "Regiões"};


void hover(QWidget &widget, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&widget, &leave);
    }
}

// "1" for every shown link, "0" for every hidden one, in item order.
QString shownPattern(const TLXLinkList &list)
{
    QString pattern;
    for (const auto &item : *list.Items())
        pattern += item->IsShown() ? '1' : '0';
    return pattern;
}

// Every link that passes the filter sits below the previous one, full width, with no gap or overlap;
// exactly those that meet the viewport are on screen.
void verifyPlacement(const TLXLinkList &list)
{
    const QWidget *viewport = list.viewport();
    const QRect inView(QPoint(0, list.verticalScrollBar()->value()), viewport->size());
    int top = 0;
    for (const auto &item : *list.Items()) {
        const TLXLinkListLabel *label = item->Label();
        if (!item->IsShown()) {
            QVERIFY2(!label->isVisible(), qPrintable(item->Text()));
            continue;
        }
        QCOMPARE(label->geometry(), QRect(0, top, viewport->width(), label->sizeHint().height()));
        QCOMPARE(label->isVisible(), inView.intersects(label->geometry()));
        top += label->height();
    }
    QCOMPARE(list.widget()->height(), top);
}

void settle(QWidget &widget)
{
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(widget.window()));
    QCoreApplication::processEvents();
}

} // namespace

class tst_TLXLinkList final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void filter_data();
    void filter();
    void filterKeepsUntilNextCallAndSparesNewLinks();
    void clickHandsTheLinkToItsHandler();
    void linkWithoutHandlerIsInert();
    void clickSkipsADestroyedReceiver();
    void hoverUnderlines();
    void heightFromItemHeightUntilCaptionChanges();
    void listFontRestylesExistingLinksOnly();
    void scrollsWhenLinksDoNotFit();
    void narrowAndWidenKeepLinksInOrder_data();
    void narrowAndWidenKeepLinksInOrder();
    void scrollingShowsTheLinksInView();
    void keysMoveAndOpenTheCurrentLink_data();
    void keysMoveAndOpenTheCurrentLink();
    void currentLinkFollowsTheFilterAndScrollsIntoView();

private:
    // Shows the list in an active window and gives it the focus, as Tab would.
    void focusList();
    TLXLinkListItem *addLink(const QString &caption, const QString &resource = {});

    std::unique_ptr<TLXLinkList> list;
    QStringList clicked;
};

void tst_TLXLinkList::init()
{
    list = std::make_unique<TLXLinkList>();
    list->resize(220, 200);
    list->setColor(QColor(0x28, 0x2E, 0x3E));
    clicked.clear();
}

void tst_TLXLinkList::cleanup()
{
    list.reset();
}

TLXLinkListItem *tst_TLXLinkList::addLink(const QString &caption, const QString &resource)
{
    TLXLinkListItem *item = list->Items()->Add();
    item->setText(caption);
    item->setResource(resource);
    TLXLinkListLabel *label = item->Label();
    connect(label, &TLXLinkListLabel::clicked, this, [this, label] { clicked << label->text() + '|' + label->Resource(); });
    return item;
}

void tst_TLXLinkList::filter_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("capitals with accent") << "CONTÁBIL" << "0110";
    QTest::newRow("empty shows all") << "" << "1111";
    QTest::newRow("accent missing does not match") << "regioes" << "0000";
    QTest::newRow("accent kept, any case") << "rEGIÕES" << "0001";
    QTest::newRow("leading blank must be in the caption") << " contábil" << "0110";
    QTest::newRow("leading blank at caption start") << " cidade" << "0000";
    QTest::newRow("no match") << "xyz" << "0000";
}

void tst_TLXLinkList::filter()
{
    QFETCH(QString, value);
    QFETCH(QString, shown);
    for (const QString &caption : Captions)
        addLink(caption);
    list->Filter("something else first");

    list->Filter(value);
    QCOMPARE(shownPattern(*list), shown);
    QCOMPARE(list->VisibleCount(), static_cast<int>(shown.count('1')));
}

void tst_TLXLinkList::filterKeepsUntilNextCallAndSparesNewLinks()
{
    QCOMPARE(list->VisibleCount(), 0);
    list->Filter("x");
    QCOMPARE(list->VisibleCount(), 0);

    settle(*list);
    addLink("Cidade");
    list->Filter("conta");
    QCOMPARE(list->VisibleCount(), 0);
    addLink("Estado");
    QCOMPARE(shownPattern(*list), QString("01"));
    QVERIFY(list->Items()->Items(1)->Label()->isVisible());
    SaveToGallery(*list, "TLXLinkList_filtered");
}

void tst_TLXLinkList::clickHandsTheLinkToItsHandler()
{
    addLink("Cidade", "cidades");
    addLink("Estado", "estados");
    settle(*list);

    QTest::mouseClick(list->Items()->Items(1)->Label(), Qt::LeftButton);
    QTest::mouseClick(list->Items()->Items(0)->Label(), Qt::LeftButton);
    QCOMPARE(clicked, QStringList({"Estado|estados", "Cidade|cidades"}));
}

void tst_TLXLinkList::linkWithoutHandlerIsInert()
{
    TLXLinkListItem *item = list->Items()->Add();
    item->setText("Sem ação");
    TLXLinkListLabel *label = item->Label();
    settle(*list);
    QVERIFY(!label->isEnabled());

    hover(*label, true);
    QVERIFY(!label->font().underline());
    QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(clicked.isEmpty());

    connect(label, &TLXLinkListLabel::clicked, this, [this] { clicked << "now"; });
    QVERIFY(label->isEnabled());
    QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(clicked, QStringList({"now"}));
}

void tst_TLXLinkList::clickSkipsADestroyedReceiver()
{
    TLXLinkListLabel *label = addLink("Cidade", "cidades")->Label();
    auto receiver = std::make_unique<QObject>();
    int calls = 0;
    connect(label, &TLXLinkListLabel::clicked, receiver.get(), [&calls] { ++calls; });
    settle(*list);

    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(calls, 1);
    receiver.reset();
    QTest::mouseClick(label, Qt::LeftButton);
    QCOMPARE(calls, 1);
    QCOMPARE(clicked, QStringList({"Cidade|cidades", "Cidade|cidades"}));
}

void tst_TLXLinkList::hoverUnderlines()
{
    TLXLinkListLabel *label = addLink("Cidade")->Label();
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    settle(*list);

    hover(*label, true);
    QVERIFY(label->font().underline());
    QVERIFY(!label->font().bold());
    SaveToGallery(*list, "TLXLinkList_hover");
    hover(*label, false);
    QVERIFY(!label->font().underline());
    QCOMPARE(label->font().family(), QString("Segoe UI"));
    QCOMPARE(label->font().pointSize(), 10);
}

void tst_TLXLinkList::heightFromItemHeightUntilCaptionChanges()
{
    TLXLinkListLabel probe;
    probe.setCaption("Cidade");
    const int oneLine = probe.sizeHint().height();
    QVERIFY(oneLine < 30);
    list->setItemHeight(30);
    TLXLinkListItem *first = addLink("Cidade");
    TLXLinkListItem *second = addLink("Estado");
    TLXLinkListItem *blank = list->Items()->Add();
    settle(*list);
    QCOMPARE(first->Label()->height(), oneLine);
    QCOMPARE(blank->Label()->height(), 30);

    list->setItemHeight(40);
    settle(*list);
    for (const auto &item : *list->Items())
        QCOMPARE(item->Label()->height(), 40);
    QCOMPARE(second->Label()->y(), 40);
    hover(*first->Label(), true); // restyling for hover keeps the height
    settle(*list);
    QCOMPARE(first->Label()->height(), 40);

    QFont larger = second->Font();
    larger.setPointSize(12);
    TLXLinkListLabel largeProbe;
    largeProbe.setFont(larger);
    largeProbe.setCaption("Estado");
    first->setText("Cidades");
    second->setFont(larger);
    settle(*list);
    QCOMPARE(first->Label()->height(), oneLine);
    QCOMPARE(second->Label()->height(), largeProbe.sizeHint().height());
    QCOMPARE(blank->Label()->height(), 40);
}

void tst_TLXLinkList::listFontRestylesExistingLinksOnly()
{
    TLXLinkListItem *before = addLink("Cidade");
    QFont font("DejaVu Serif");
    font.setPointSize(14);
    list->setFont(font);
    QCOMPARE(before->Font().family(), QString("DejaVu Serif"));
    QCOMPARE(before->Font().pointSize(), 14);

    TLXLinkListItem *after = addLink("Estado");
    QCOMPARE(after->Font().family(), QString("Segoe UI"));
    QCOMPARE(after->Font().pointSize(), 10);
    // Inside the list and on its own alike, a link starts in white.
    TLXLinkListLabel alone;
    for (const QWidget *label : {static_cast<QWidget *>(after->Label()), static_cast<QWidget *>(&alone)}) {
        QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(label->font().pointSize(), 10);
    }
}

void tst_TLXLinkList::scrollsWhenLinksDoNotFit()
{
    for (int i = 0; i < 40; ++i)
        addLink(QString("Cadastro %1").arg(i));
    settle(*list);
    QVERIFY(list->verticalScrollBar()->maximum() > 0);
    SaveToGallery(*list, "TLXLinkList_scrolling");

    list->Filter("Cadastro 3");
    settle(*list);
    QCOMPARE(list->VisibleCount(), 11);
    QTRY_COMPARE(list->verticalScrollBar()->maximum(), 0);
}

void tst_TLXLinkList::narrowAndWidenKeepLinksInOrder_data()
{
    QTest::addColumn<QStringList>("keystrokes");
    QTest::addColumn<int>("shown");

    QTest::newRow("narrow") << QStringList({"1"}) << 119;
    QTest::newRow("narrow then widen to all") << QStringList({"1", ""}) << 200;
    QTest::newRow("narrow twice, widen once") << QStringList({"1", "12", "1"}) << 119;
    QTest::newRow("from nothing to all") << QStringList({"xyz", ""}) << 200;
    QTest::newRow("to one link far down") << QStringList({"1", "cadastro 199"}) << 1;
}

void tst_TLXLinkList::narrowAndWidenKeepLinksInOrder()
{
    QFETCH(QStringList, keystrokes);
    QFETCH(int, shown);
    for (int i = 0; i < 200; ++i)
        addLink(QString("Cadastro %1").arg(i), QString("r%1").arg(i));
    settle(*list);

    for (const QString &text : keystrokes) {
        list->Filter(text);
        verifyPlacement(*list);
    }
    settle(*list);
    QCOMPARE(list->VisibleCount(), shown);
    verifyPlacement(*list);

    // The first link that passes the filter is at the top and still reaches its handler.
    const auto first = std::find_if(list->Items()->begin(), list->Items()->end(), [](const auto &item) { return item->IsShown(); });
    QVERIFY(first != list->Items()->end());
    QCOMPARE((*first)->Label()->y(), 0);
    QTest::mouseClick((*first)->Label(), Qt::LeftButton);
    QCOMPARE(clicked, QStringList({(*first)->Text() + '|' + (*first)->Resource()}));
}

void tst_TLXLinkList::scrollingShowsTheLinksInView()
{
    for (int i = 0; i < 300; ++i)
        addLink(QString("Cadastro %1").arg(i), QString("r%1").arg(i));
    settle(*list);
    list->Filter("2");
    settle(*list);
    QScrollBar *bar = list->verticalScrollBar();
    QVERIFY(bar->maximum() > 0);

    for (int value : {bar->maximum() / 2, bar->maximum(), 0}) {
        bar->setValue(value);
        settle(*list);
        verifyPlacement(*list);
    }
    bar->setValue(bar->maximum());
    settle(*list);
    TLXLinkListItem *last = list->Items()->Items(299);
    QVERIFY(last->Label()->isVisible());
    QTest::mouseClick(last->Label(), Qt::LeftButton);
    QCOMPARE(clicked, QStringList({"Cadastro 299|r299"}));

    // Taking links out while scrolled keeps the rest in place.
    list->Items()->Delete(299);
    list->Items()->Delete(0);
    settle(*list);
    verifyPlacement(*list);
    list->Items()->Clear();
    QCOMPARE(list->VisibleCount(), 0);
    QCOMPARE(list->widget()->height(), 0);
}

void tst_TLXLinkList::focusList()
{
    settle(*list);
    list->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(list.get()));
    list->clearFocus(); // the window's activation gave it the focus, which marks no link
    list->setFocus(Qt::TabFocusReason);
    QVERIFY(list->hasFocus());
}

// With the focus, the arrow keys, Home and End move the current link among those that pass the
// filter; Enter opens it as a click does.
void tst_TLXLinkList::keysMoveAndOpenTheCurrentLink_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("opened");
    QTest::newRow("first link with the focus") << "" << "Return" << "Cidade";
    QTest::newRow("down twice") << "" << "Down Down Enter" << "Conta Contábil Natureza";
    QTest::newRow("down stops at the last") << "" << "End Down Return" << "Regiões";
    QTest::newRow("up stops at the first") << "" << "Down Up Up Return" << "Cidade";
    QTest::newRow("home") << "" << "Down Down Home Return" << "Cidade";
    QTest::newRow("only links that pass the filter") << "cont" << "Down Return" << "Conta Contábil Natureza";
}

void tst_TLXLinkList::keysMoveAndOpenTheCurrentLink()
{
    QFETCH(QString, filter);
    QFETCH(QString, keys);
    QFETCH(QString, opened);
    static const QHash<QString, Qt::Key> named{{"Down", Qt::Key_Down}, {"Up", Qt::Key_Up}, {"Home", Qt::Key_Home},
        {"End", Qt::Key_End}, {"Return", Qt::Key_Return}, {"Enter", Qt::Key_Enter}};
    for (const QString &caption : Captions)
        addLink(caption);
    list->Filter(filter);
    focusList();
    for (const QString &key : keys.split(' '))
        QTest::keyClick(list.get(), named.value(key));
    QCOMPARE(clicked, QStringList{opened + '|'});
    // The current link is marked while the list has the focus, and only then.
    TLXLinkListLabel *current = list->CurrentLink();
    QCOMPARE(current->text(), opened);
    QVERIFY(current->IsCurrent() && current->font().underline() && current->autoFillBackground());
    list->clearFocus();
    QVERIFY(!current->IsCurrent() && !current->autoFillBackground());
}

// A filter that takes the current link away makes the first one left current; a link moved to
// out of view is scrolled into it.
void tst_TLXLinkList::currentLinkFollowsTheFilterAndScrollsIntoView()
{
    for (int i = 1; i <= 40; ++i)
        addLink(QString("Cadastro %1").arg(i, 2, 10, QChar('0')));
    addLink("Regiões");
    focusList();
    QTest::keyClick(list.get(), Qt::Key_End);
    TLXLinkListLabel *last = list->CurrentLink();
    QCOMPARE(last->text(), QString("Regiões"));
    QVERIFY(list->verticalScrollBar()->value() > 0);
    QVERIFY(last->isVisible());
    QVERIFY(list->viewport()->rect().contains(last->geometry().translated(0, -list->verticalScrollBar()->value())));

    list->Filter("cadastro 2");
    QCOMPARE(list->CurrentLink()->text(), QString("Cadastro 20"));
    QVERIFY(!last->IsCurrent());
    QTest::keyClick(list.get(), Qt::Key_Down);
    QTest::keyClick(list.get(), Qt::Key_Return);
    QCOMPARE(clicked, QStringList{"Cadastro 21|"});
}

QTEST_MAIN(tst_TLXLinkList)
#include "tst_TLXLinkList.moc"
