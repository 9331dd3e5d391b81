#include "widgets/TLXColumnConfig.h"
#include "widgets/TLXColumnPanel.h"
#include "widgets/TLXSearchEdit.h"
#include "tests/support/SaveToGallery.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

struct Spans
{
    int small, medium, large, extraLarge;
};

TLXColumnPanel *makeCell(QWidget *parent, Spans spans = {24, -1, 12, 0})
{
    auto *cell = new TLXColumnPanel(parent);
    cell->Config()->setSmall(spans.small);
    cell->Config()->setMedium(spans.medium);
    cell->Config()->setLarge(spans.large);
    cell->Config()->setExtraLarge(spans.extraLarge);
    return cell;
}

std::unique_ptr<TLXColumnPanel> makeTop(int width)
{
    auto top = std::make_unique<TLXColumnPanel>();
    top->resize(width, 400);
    return top;
}

// A field row as the field engine builds it: caption on the left, control filling the rest.
TLXColumnPanel *makeRow(QWidget *parent, const QString &caption, QWidget *control)
{
    auto *row = makeCell(parent, {24, 24, 24, 24});
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(row->contentsMargins());
    layout->setSpacing(2);
    auto *label = new QLabel(caption + ":", row);
    layout->addWidget(label);
    control->setParent(row);
    layout->addWidget(control, 1);
    return row;
}

// A label whose natural width is fixed, so the measured widths do not depend on fonts.
class SizedLabel final : public QLabel
{
public:
    SizedLabel(int naturalWidth, QWidget *parent) : QLabel(parent), natural(naturalWidth) {}
    QSize sizeHint() const override { return {natural, 15}; }

private:
    int natural;
};


} // namespace

class tst_TLXColumnPanel final : public QObject
{
    Q_OBJECT

private slots:
    void formSize_data();
    void formSize();
    void columnSpan_data();
    void columnSpan();
    void placement_data();
    void placement();
    void tallCellTakesItsOwnHeight();
    void tabOrderSortKeepsTies();
    void resizeReclassifies();
    void unloadedPanelLeavesEverythingAlone();
    void zeroColumnsStillDoesFontsLabelsAndEvent();
    void fontsFollowClass();
    void labelsShareWidestPlusThree();
    void scaleSpansOnColumnChange();
    void reentryIsIgnored();
    void hiddenBuildLaysOutOnce();
    void visibleBuildCoalesces();
    void gallery();
};

void tst_TLXColumnPanel::formSize_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("rowHeight");
    QTest::addColumn<int>("fontSize");
    QTest::newRow("767") << 767 << int(ssSmall) << 21 << 8;
    QTest::newRow("768") << 768 << int(ssMedium) << 26 << 10;
    QTest::newRow("991") << 991 << int(ssMedium) << 26 << 10;
    QTest::newRow("992") << 992 << int(ssLarge) << 28 << 11;
    QTest::newRow("1199") << 1199 << int(ssLarge) << 28 << 11;
    QTest::newRow("1200") << 1200 << int(ssExtraLarge) << 30 << 12;
}

void tst_TLXColumnPanel::formSize()
{
    QFETCH(int, width);
    QFETCH(int, size);
    QFETCH(int, rowHeight);
    QFETCH(int, fontSize);
    auto top = makeTop(width);
    auto *middle = new QWidget(top.get());
    auto *inner = makeCell(middle);
    // Every panel of the tree classifies by the outermost one, through other containers too.
    QCOMPARE(TLXColumnPanel::TopColumnPanel(inner), top.get());
    QCOMPARE(int(inner->FormSize()), size);
    auto *label = new QLabel("x", makeCell(top.get()));
    top->Loaded();
    QCOMPARE(top->findChildren<TLXColumnPanel *>(Qt::FindDirectChildrenOnly).first()->height(), rowHeight);
    QCOMPARE(label->font().pointSize(), fontSize);
    QCOMPARE(label->font().family(), QString("Segoe UI"));
}

void tst_TLXColumnPanel::columnSpan_data()
{
    QTest::addColumn<QList<int>>("spans");      // Small, Medium, Large, ExtraLarge
    QTest::addColumn<QList<int>>("expected");   // per class, same order
    QTest::newRow("defaults") << QList<int>{24, -1, 12, 0} << QList<int>{24, 12, 12, 0};
    QTest::newRow("extra large falls back to medium")
        << QList<int>{24, 6, -1, -1} << QList<int>{24, 6, 6, 6};
    QTest::newRow("all -1") << QList<int>{-1, -1, -1, -1} << QList<int>{-1, -1, -1, -1};
    QTest::newRow("only -1 falls back") << QList<int>{-1, -3, 8, 4} << QList<int>{-3, -3, 8, 4};
    QTest::newRow("small from extra large via chain")
        << QList<int>{-1, -1, -1, 5} << QList<int>{5, 5, 5, 5};
}

void tst_TLXColumnPanel::columnSpan()
{
    QFETCH(QList<int>, spans);
    QFETCH(QList<int>, expected);
    TLXColumnPanel cell;
    cell.Config()->setSmall(spans[0]);
    cell.Config()->setMedium(spans[1]);
    cell.Config()->setLarge(spans[2]);
    cell.Config()->setExtraLarge(spans[3]);
    for (TLXScreenSize size : {ssSmall, ssMedium, ssLarge, ssExtraLarge})
        QCOMPARE(cell.Config()->ColumnSpan(size), expected[size]);
}

void tst_TLXColumnPanel::placement_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("largeSpans");
    QTest::addColumn<QList<QRect>>("expected");
    QTest::newRow("1000 px, three halves")
        << 1000 << QList<int>{12, 12, 12}
        << QList<QRect>{{0, 0, 500, 28}, {500, 0, 500, 28}, {0, 33, 500, 28}};
    QTest::newRow("first cell wider than the panel")
        << 1000 << QList<int>{30, 12}
        << QList<QRect>{{0, 33, 1250, 28}, {0, 66, 500, 28}};
    QTest::newRow("zero span keeps its place")
        << 1000 << QList<int>{0, 24} << QList<QRect>{{0, 0, 0, 28}, {0, 0, 1000, 28}};
    // The single-precision column width truncates a full row to 699 px.
    QTest::newRow("700 px")
        << 700 << QList<int>{} << QList<QRect>{{0, 0, 699, 21}, {0, 26, 349, 21}};
}

void tst_TLXColumnPanel::placement()
{
    QFETCH(int, width);
    QFETCH(QList<int>, largeSpans);
    QFETCH(QList<QRect>, expected);
    auto top = makeTop(width);
    QList<TLXColumnPanel *> cells;
    if (largeSpans.isEmpty()) {
        cells << makeCell(top.get(), {24, -1, 12, 0}) << makeCell(top.get(), {12, -1, 12, 0});
    } else {
        for (int span : largeSpans)
            cells << makeCell(top.get(), {24, -1, span, 0});
    }
    top->Loaded();
    for (int i = 0; i < cells.size(); ++i)
        QCOMPARE(cells[i]->geometry(), expected[i]);
    QCOMPARE(top->height(), 400);
}

void tst_TLXColumnPanel::tallCellTakesItsOwnHeight()
{
    auto top = makeTop(1000);
    auto *tall = makeCell(top.get(), {6, 6, 6, 6});
    tall->setAutoHeight(false);
    tall->resize(10, 100);
    auto *next = makeCell(top.get());
    top->Loaded();
    // The tall cell ignores its spans and fills a whole row at its own height.
    QCOMPARE(tall->geometry(), QRect(0, 0, 1000, 100));
    QCOMPARE(next->geometry(), QRect(0, 0 + 100 + 5, 500, 28));
}

void tst_TLXColumnPanel::tabOrderSortKeepsTies()
{
    auto top = makeTop(1000);
    auto *a = makeCell(top.get(), {6, 6, 6, 6});
    auto *b = makeCell(top.get(), {6, 6, 6, 6});
    auto *c = makeCell(top.get(), {6, 6, 6, 6});
    QCOMPARE(QList<int>({a->TabOrder(), b->TabOrder(), c->TabOrder()}), QList<int>({0, 1, 2}));
    top->Loaded();
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    QSignalSpy passes(top.get(), &TLXColumnPanel::layoutDone);

    c->setTabOrderIndex(0); // ties with a: a keeps its place before c
    QCOMPARE(passes.count(), 1);
    QCOMPARE(QList<int>({a->x(), c->x(), b->x()}), QList<int>({0, 250, 500}));

    a->setTabOrderIndex(5);
    QCOMPARE(QList<int>({c->x(), b->x(), a->x()}), QList<int>({0, 250, 500}));
}

void tst_TLXColumnPanel::resizeReclassifies()
{
    auto top = makeTop(1000);
    auto *cell = makeCell(top.get(), {24, -1, 12, 6});
    top->Loaded();
    QCOMPARE(cell->width(), 500);
    // A hidden widget gets its resize event when shown; on screen it comes at once.
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    top->resize(1200, 400);
    QCOMPARE(cell->geometry(), QRect(0, 0, 300, 30));
    top->resize(700, 400);
    QCOMPARE(cell->geometry(), QRect(0, 0, 699, 21));
}

void tst_TLXColumnPanel::unloadedPanelLeavesEverythingAlone()
{
    auto top = makeTop(1000);
    QSignalSpy passes(top.get(), &TLXColumnPanel::layoutDone);
    auto *cell = makeCell(top.get());
    cell->setGeometry(7, 8, 9, 10);
    auto *label = new SizedLabel(50, cell);
    label->resize(20, 10);
    const QFont before = label->font();
    top->resize(1300, 400);
    top->DoLayout();
    cell->Config()->setLarge(6);
    QCOMPARE(cell->geometry(), QRect(7, 8, 9, 10));
    QCOMPARE(label->width(), 20);
    QCOMPARE(label->font(), before);
    QCOMPARE(passes.count(), 0);
}

void tst_TLXColumnPanel::zeroColumnsStillDoesFontsLabelsAndEvent()
{
    auto top = makeTop(1000);
    top->setColumns(0);
    auto *cell = makeCell(top.get());
    cell->setGeometry(7, 8, 9, 10);
    auto *label = new SizedLabel(40, cell);
    QSignalSpy passes(top.get(), &TLXColumnPanel::layoutDone);
    top->Loaded();
    QCOMPARE(cell->geometry(), QRect(7, 8, 9, 10));
    QCOMPARE(label->font().pointSize(), 11);
    QCOMPARE(label->width(), 43);
    QCOMPARE(passes.count(), 1);
}

// Every field control takes the class's font, the lookup edit included (its text is what the user
// reads next to the other fields); the lookup's search button keeps its place and picture size.
void tst_TLXColumnPanel::fontsFollowClass()
{
    auto top = makeTop(1200);
    auto *row = makeCell(top.get());
    auto *lookup = new TLXSearchEdit(row);
    lookup->setGeometry(0, 0, 300, 30);
    const QList<QWidget *> adjusted = {new QLabel("a", row), new QLineEdit(row), new QCheckBox(row),
                                       new QComboBox(row), new QDateEdit(row), lookup};
    auto *button = new QWidget(row);
    auto *other = new QWidget(top.get());
    auto *hiddenInOther = new QLineEdit(other); // containers other than column panels are not entered
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    const QToolButton *searchButton = lookup->findChild<QToolButton *>();
    QVERIFY(searchButton);
    const QRect buttonPlace = searchButton->geometry();
    const QSize pictureSize = searchButton->iconSize();
    top->Loaded();
    for (QWidget *control : adjusted) {
        QCOMPARE(control->font().pointSize(), 12);
        QCOMPARE(control->font().family(), QString("Segoe UI"));
    }
    QCOMPARE(searchButton->geometry(), buttonPlace);
    QCOMPARE(searchButton->iconSize(), pictureSize);
    QVERIFY(!button->font().resolveMask());
    QVERIFY(!hiddenInOther->font().resolveMask());
    top->resize(800, 400);
    QCOMPARE(adjusted.first()->font().pointSize(), 10);
    QCOMPARE(lookup->font().pointSize(), 10);
}

void tst_TLXColumnPanel::labelsShareWidestPlusThree()
{
    auto top = makeTop(1000);
    auto *first = new SizedLabel(50, makeCell(top.get()));
    auto *second = new SizedLabel(52, makeCell(top.get()));
    auto *nested = makeCell(makeCell(top.get()));
    auto *deep = new SizedLabel(30, nested);
    // A label in a panel with AutoHeight false keeps its natural width and is not measured.
    auto *tall = makeCell(top.get());
    tall->setAutoHeight(false);
    auto *free = new SizedLabel(200, tall);
    top->Loaded();
    QCOMPARE(first->width(), 53);
    QCOMPARE(second->width(), 53);
    QCOMPARE(deep->width(), 53);
    QCOMPARE(free->width(), 200);

    // Labels of a row with a layout keep the common width too.
    auto *edit = new QLineEdit;
    auto *row = makeRow(top.get(), "Nome", edit);
    top->DoLayout();
    auto *caption = row->findChild<QLabel *>();
    const int expected = std::max(53, caption->sizeHint().width() + 3);
    QCOMPARE(caption->minimumWidth(), expected);
    QCOMPARE(caption->maximumWidth(), expected);

    top->setResizeLabels(false);
    new SizedLabel(300, makeCell(top.get()));
    top->DoLayout();
    QCOMPARE(first->width(), expected);
}

void tst_TLXColumnPanel::scaleSpansOnColumnChange()
{
    auto top = makeTop(1000);
    auto *cell = makeCell(top.get(), {24, -1, 13, 0});
    auto *inner = makeCell(cell, {7, 6, -1, -2});
    top->setColumns(12);
    QCOMPARE(top->Columns(), 12);
    QCOMPARE(QList<int>({cell->Config()->Small(), cell->Config()->Medium(), cell->Config()->Large(),
                         cell->Config()->ExtraLarge()}),
             QList<int>({12, -1, 6, 0}));
    QCOMPARE(QList<int>({inner->Config()->Small(), inner->Config()->Medium(), inner->Config()->Large(),
                         inner->Config()->ExtraLarge()}),
             QList<int>({3, 3, -1, -2}));
    // A nested panel's column count does not scale anything.
    cell->setColumns(6);
    QCOMPARE(inner->Config()->Small(), 3);
    // From zero columns there is no factor: spans stay.
    top->setColumns(0);
    top->setColumns(24);
    QCOMPARE(cell->Config()->Small(), 0);
}

void tst_TLXColumnPanel::reentryIsIgnored()
{
    auto top = makeTop(1000);
    auto *cell = makeCell(top.get());
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    int calls = 0;
    connect(top.get(), &TLXColumnPanel::layoutDone, this, [&] {
        ++calls;
        top->DoLayout();           // ignored while the pass runs
        cell->Config()->setLarge(cell->Config()->Large() == 12 ? 6 : 12);
    });
    top->Loaded();
    QCOMPARE(calls, 1);
    top->DoLayout(); // the lock was released
    QCOMPARE(calls, 2);
}

void tst_TLXColumnPanel::hiddenBuildLaysOutOnce()
{
    auto top = makeTop(1000);
    top->Loaded();
    QSignalSpy passes(top.get(), &TLXColumnPanel::layoutDone);
    QList<TLXColumnPanel *> rows;
    for (int i = 0; i < 200; ++i)
        rows << makeCell(top.get(), {24, 24, 24, 24});
    rows.first()->setTabOrderIndex(rows.last()->TabOrder() + 1);
    QCOMPARE(passes.count(), 0);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    QCOMPARE(passes.count(), 1);
    QCOMPARE(rows[1]->geometry(), QRect(0, 0, 1000, 28));
    QCOMPARE(rows.first()->y(), 199 * 33);
}

void tst_TLXColumnPanel::visibleBuildCoalesces()
{
    auto top = makeTop(1000);
    top->Loaded();
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    QSignalSpy passes(top.get(), &TLXColumnPanel::layoutDone);
    QList<TLXColumnPanel *> rows;
    for (int i = 0; i < 100; ++i) {
        rows << makeCell(top.get(), {24, 24, 24, 24});
        rows.last()->show();
    }
    QCOMPARE(passes.count(), 0);
    QTRY_COMPARE(passes.count(), 1);
    QCOMPARE(rows.last()->geometry(), QRect(0, 99 * 33, 1000, 28));
    // A span change of a cell on screen lays out at once.
    rows.first()->Config()->setExtraLarge(12);
    rows.first()->Config()->setLarge(12);
    QCOMPARE(passes.count(), 3);
    QCOMPARE(rows.first()->width(), 500);
}

void tst_TLXColumnPanel::gallery()
{
    auto top = makeTop(1000);
    top->setAutoFillBackground(true);
    const QStringList captions = {"Nome", "Cidade", "Data de nascimento", "Ativo", "Tipo"};
    for (const QString &caption : captions) {
        QWidget *control = caption == "Ativo" ? static_cast<QWidget *>(new QCheckBox)
            : caption == "Tipo"                ? static_cast<QWidget *>(new QComboBox)
                                               : static_cast<QWidget *>(new QLineEdit);
        auto *row = makeRow(top.get(), caption, control);
        row->Config()->setLarge(12);
    }
    auto *lookupRow = makeRow(top.get(), "Cliente", new TLXSearchEdit);
    lookupRow->Config()->setLarge(12);
    top->Loaded();
    top->resize(1000, 130);
    top->show();
    QVERIFY(QTest::qWaitForWindowExposed(top.get()));
    SaveToGallery(*top, "TLXColumnPanel_1000px");
    top->resize(700, 220);
    QTest::qWait(1);
    SaveToGallery(*top, "TLXColumnPanel_700px");
}

QTEST_MAIN(tst_TLXColumnPanel)
#include "tst_TLXColumnPanel.moc"
