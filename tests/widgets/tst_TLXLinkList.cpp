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

private:
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

QTEST_MAIN(tst_TLXLinkList)
#include "tst_TLXLinkList.moc"
