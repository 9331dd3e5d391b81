#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXAccordionTab.h"
#include "widgets/TLXAccordionTabTitle.h"
#include "widgets/TLXImageButton.h"
#include "widgets/TLXImageList.h"
#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"
#include "tests/support/SaveToGallery.h"

#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {


QPixmap solid(const QColor &colour)
{
    QPixmap picture(16, 16);
    picture.fill(colour);
    return picture;
}

} // namespace

class tst_TLXAccordion final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void heights_data();
    void heights();
    void firstAddedIsSelected();
    void selectedIndexOutOfRangeChangesNothing_data();
    void selectedIndexOutOfRangeChangesNothing();
    void titleClick_data();
    void titleClick();
    void titleClickSkipsHiddenSections();
    void buttonPicturesFollowState();
    void growingAccordionGrowsExpandedSection();
    void edgesAndColours();
    void contentIsChildAfterTitle();
    void selectedTab();
    void removingAndRefilling();
    void sidebarGallery();

private:
    TLXAccordionTab *tab(int index) const { return accordion->Items()->Items(index)->Panel(); }
    TLXAccordionTabTitle *title(int index) const { return tab(index)->Title(); }
    void addSections(int count);

    std::unique_ptr<TLXAccordion> accordion;
};

void tst_TLXAccordion::init()
{
    accordion = std::make_unique<TLXAccordion>();
    accordion->resize(230, 423);
    accordion->show();
}

void tst_TLXAccordion::cleanup()
{
    accordion.reset();
}

void tst_TLXAccordion::addSections(int count)
{
    for (int i = 0; i < count; ++i)
        accordion->Items()->Add()->setTitle(QString("Seção %1").arg(i));
}

void tst_TLXAccordion::heights_data()
{
    QTest::addColumn<int>("accordionHeight");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("hidden");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("expandedHeight");

    QTest::newRow("three shown") << 423 << 3 << -1 << 0 << 371;
    QTest::newRow("three, one not visible") << 423 << 3 << 1 << 0 << 397;
    QTest::newRow("three, last selected") << 423 << 3 << -1 << 2 << 371;
    QTest::newRow("single") << 423 << 1 << -1 << 0 << 423;
    QTest::newRow("too small keeps the title") << 40 << 3 << -1 << 1 << 26;
}

// Shown sections stack without gaps; all but the selected are one title high.
void tst_TLXAccordion::heights()
{
    QFETCH(int, accordionHeight);
    QFETCH(int, count);
    QFETCH(int, hidden);
    QFETCH(int, selected);
    QFETCH(int, expandedHeight);
    accordion->resize(230, accordionHeight);
    addSections(count);
    if (hidden >= 0)
        accordion->Items()->Items(hidden)->setVisible(false);
    accordion->setSelectedIndex(selected);

    int top = 0;
    for (int i = 0; i < count; ++i) {
        if (i == hidden) {
            QVERIFY(tab(i)->isHidden());
            continue;
        }
        QCOMPARE(tab(i)->geometry(), QRect(0, top, 230, i == selected ? expandedHeight : 26));
        QCOMPARE(tab(i)->Expanded(), i == selected);
        top += tab(i)->height();
    }
}

void tst_TLXAccordion::firstAddedIsSelected()
{
    accordion->setSelectedIndex(2); // before any section: ignored
    QCOMPARE(accordion->SelectedIndex(), -1);
    TLXAccordionItem *first = accordion->Items()->Add();
    QSignalSpy expanded(first->Panel(), &TLXAccordionTab::expanded);
    QCOMPARE(accordion->SelectedIndex(), 0);
    QVERIFY(first->Panel()->Expanded());
    QCOMPARE(first->Panel()->Order(), 0);
    QCOMPARE(title(0)->Title(), QString("Título"));

    QCOMPARE(first->Panel()->height(), 423);
    accordion->Items()->Add();
    QCOMPARE(accordion->SelectedIndex(), 0);
    QCOMPARE(tab(1)->Order(), 1);
    QVERIFY(!tab(1)->Expanded());
    // The expanded section makes room for the new title bar.
    QCOMPARE(first->Panel()->height(), 423 - 26);
    QCOMPARE(tab(1)->geometry(), QRect(0, 423 - 26, 230, 26));

    accordion->setSelectedIndex(0); // reselecting expands again
    QCOMPARE(expanded.count(), 1);
}

void tst_TLXAccordion::selectedIndexOutOfRangeChangesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("count") << 3;
    QTest::newRow("past count") << 7;
    QTest::newRow("negative") << -1;
}

void tst_TLXAccordion::selectedIndexOutOfRangeChangesNothing()
{
    QFETCH(int, index);
    addSections(3);
    accordion->setSelectedIndex(1);
    accordion->setSelectedIndex(index);
    QCOMPARE(accordion->SelectedIndex(), 1);
    QVERIFY(tab(1)->Expanded());
    QCOMPARE(tab(1)->height(), 371);
}

void tst_TLXAccordion::titleClick_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("clicked");
    QTest::addColumn<QString>("part");
    QTest::addColumn<int>("expected");

    QTest::newRow("expanded last of three") << 3 << 2 << 2 << "bar" << 1;
    QTest::newRow("expanded first of three") << 3 << 0 << 0 << "caption" << 1;
    QTest::newRow("expanded middle of three") << 3 << 1 << 1 << "button" << 2;
    QTest::newRow("single section stays open") << 1 << 0 << 0 << "bar" << 0;
    QTest::newRow("collapsed title") << 3 << 0 << 2 << "bar" << 2;
    QTest::newRow("collapsed caption") << 3 << 2 << 0 << "caption" << 0;
    QTest::newRow("collapsed button") << 3 << 0 << 1 << "button" << 1;
}

void tst_TLXAccordion::titleClick()
{
    QFETCH(int, count);
    QFETCH(int, selected);
    QFETCH(int, clicked);
    QFETCH(QString, part);
    QFETCH(int, expected);
    addSections(count);
    accordion->setSelectedIndex(selected);
    TLXAccordionTabTitle *bar = title(clicked);
    QWidget *target = part == "caption" ? static_cast<QWidget *>(bar->Label())
                    : part == "button"  ? static_cast<QWidget *>(bar->Button())
                                        : bar;
    QSignalSpy notified(bar, &TLXAccordionTabTitle::buttonClicked);

    const QPoint away = part == "bar" ? QPoint(bar->width() / 2, 2) : QPoint(3, 3);
    QTest::mouseClick(target, Qt::LeftButton, {}, away);
    QCOMPARE(accordion->SelectedIndex(), expected);
    QVERIFY(tab(expected)->Expanded());
    QCOMPARE(notified.count(), 1);
    QCOMPARE(notified.at(0).at(0).value<QObject *>(), target);
}

void tst_TLXAccordion::titleClickSkipsHiddenSections()
{
    addSections(3);
    accordion->Items()->Items(1)->setVisible(false);
    QTest::mouseClick(title(0), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(accordion->SelectedIndex(), 2);
    QTest::mouseClick(title(2), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(accordion->SelectedIndex(), 0);
}

void tst_TLXAccordion::buttonPicturesFollowState()
{
    TLXImageList images(16, 16);
    for (const QColor colour : {Qt::red, Qt::green, Qt::blue, Qt::yellow})
        images.Add(solid(colour));
    addSections(2);
    accordion->setButtonImageList(&images);
    accordion->setCloseImage(0);
    accordion->setCloseImageOver(1);
    accordion->setOpenImage(2);
    accordion->setOpenImageOver(3);
    const auto pictures = [this](int index) {
        const TLXImageButton *button = title(index)->Button();
        return QPair<int, int>(button->ImageNormal(), button->ImageOver());
    };
    QCOMPARE(title(0)->Button()->ImageList(), &images);
    QCOMPARE(title(0)->Button()->size(), QSize(15, 18));
    QCOMPARE(pictures(0), qMakePair(0, 1));
    QCOMPARE(pictures(1), qMakePair(2, 3));

    QTest::mouseClick(title(1), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(pictures(0), qMakePair(2, 3));
    QCOMPARE(pictures(1), qMakePair(0, 1));
}

void tst_TLXAccordion::growingAccordionGrowsExpandedSection()
{
    addSections(3);
    accordion->setSelectedIndex(1);
    QSignalSpy expanded(tab(1), &TLXAccordionTab::expanded);
    accordion->resize(230, 473);
    QCOMPARE(tab(1)->height(), 421);
    QCOMPARE(tab(2)->y(), 26 + 421);
    QVERIFY(expanded.count() >= 1);
    accordion->resize(300, 423);
    QCOMPARE(tab(1)->height(), 371);
    QCOMPARE(tab(2)->width(), 300);
}

// The first title bar draws its top and bottom edges, the others their bottom edge;
// the tab draws its left, right and bottom edges.
void tst_TLXAccordion::edgesAndColours()
{
    addSections(3);
    const QColor border(0x99, 0xBC, 0xE8), fill(0xD9, 0xE7, 0xF8);
    QCOMPARE(title(0)->Sides(), TLXAccordionBorders(abTop | abBottom));
    QCOMPARE(title(1)->Sides(), TLXAccordionBorders(abBottom));
    QCOMPARE(title(2)->Sides(), TLXAccordionBorders(abBottom));

    const QImage first = title(0)->grab().toImage();
    const QImage second = title(1)->grab().toImage();
    QCOMPARE(first.pixelColor(100, 0), border);
    QCOMPARE(first.pixelColor(100, 25), border);
    QCOMPARE(first.pixelColor(0, 12), fill);
    QCOMPARE(second.pixelColor(100, 0), fill);
    QCOMPARE(second.pixelColor(100, 25), border);
    QCOMPARE(title(0)->geometry(), QRect(1, 0, 228, 26));
    QCOMPARE(title(0)->Button()->geometry(), QRect(228 - 15 - 5, (26 + 4 - 18) / 2, 15, 18));
    QCOMPARE(title(0)->Label()->pos(), QPoint(6, (26 - title(0)->Label()->height()) / 2));

    const QImage section = tab(0)->grab().toImage();
    QCOMPARE(section.pixelColor(0, 200), border);
    QCOMPARE(section.pixelColor(229, 200), border);
    QCOMPARE(section.pixelColor(100, 370), border);
    QCOMPARE(section.pixelColor(100, 200), QColor(Qt::white));

    SaveToGallery(*accordion, "TLXAccordion_default");

    TLXAccordionItem *item = accordion->Items()->Items(0);
    item->setBorderColor(Qt::red);
    item->setTitleColor(Qt::green);
    item->setTitleBorderColor(Qt::blue);
    const QImage recoloured = tab(0)->grab().toImage();
    QCOMPARE(recoloured.pixelColor(0, 200), QColor(Qt::red));
    QCOMPARE(recoloured.pixelColor(100, 0), QColor(Qt::blue));
    QCOMPARE(recoloured.pixelColor(100, 12), QColor(Qt::green));
}

void tst_TLXAccordion::contentIsChildAfterTitle()
{
    addSections(2);
    auto *list = new TLXLinkList(tab(0));
    QCOMPARE(tab(0)->children().indexOf(list), 1);
    QCOMPARE(tab(0)->Content(), list);
    QCOMPARE(list->geometry(), QRect(1, 26, 228, 397 - 26));

    auto *other = new QLabel("outro");
    tab(1)->setContent(other);
    QCOMPARE(tab(1)->children().indexOf(other), 1);
    QCOMPARE(other->height(), 0);
    accordion->setSelectedIndex(1);
    QCOMPARE(other->geometry(), QRect(1, 26, 228, 397 - 26));
    QCOMPARE(list->height(), 0);
}

void tst_TLXAccordion::selectedTab()
{
    addSections(3);
    accordion->setSelectedTab(tab(2));
    QCOMPARE(accordion->SelectedIndex(), 2);
    accordion->setSelectedIndex(1);
    QCOMPARE(accordion->SelectedTab(), tab(2));

    TLXAccordion elsewhere;
    TLXAccordionTab *foreign = elsewhere.Items()->Add()->Panel();
    accordion->setSelectedTab(foreign);
    QCOMPARE(accordion->SelectedIndex(), 1);
    QCOMPARE(accordion->SelectedTab(), foreign);
}

void tst_TLXAccordion::removingAndRefilling()
{
    addSections(3);
    accordion->setSelectedIndex(2);
    QPointer<TLXAccordionTab> removed = tab(0);
    accordion->Items()->Delete(0);
    QVERIFY(removed.isNull());
    QCOMPARE(accordion->Items()->Count(), 2);
    QCOMPARE(tab(0)->y(), 0);
    QCOMPARE(tab(1)->y(), 26);

    // A click on a collapsed section selects that section even though its tab was
    // made at another index.
    QTest::mouseClick(title(0), Qt::LeftButton, {}, QPoint(20, 5));
    QCOMPARE(accordion->SelectedIndex(), 0);
    QCOMPARE(tab(0)->height(), 423 - 26);

    accordion->Items()->Clear();
    QCOMPARE(accordion->SelectedIndex(), 0);
    accordion->Items()->Add()->setTitle("Cadastros");
    accordion->setSelectedIndex(0);
    QVERIFY(tab(0)->Expanded());
    QCOMPARE(tab(0)->height(), 423);
}

// The side bar as the main window builds it, for a person to look at.
void tst_TLXAccordion::sidebarGallery()
{
    const QColor slate(0x5E, 0x65, 0x78), navy(0x28, 0x2E, 0x3E);
    TLXImageList glyphs(16, 16);
    glyphs.Add(solid(Qt::white));
    glyphs.Add(solid(slate.lighter()));
    accordion->setButtonImageList(&glyphs);
    accordion->setOpenImage(1);
    accordion->setOpenImageOver(1);
    QFont bold("Segoe UI");
    bold.setBold(true);
    for (const char *name : {"Cadastros", "Relatórios", "Ajuda"}) {
        TLXAccordionItem *item = accordion->Items()->Add();
        item->setTitle(name);
        item->setBorderColor(slate);
        item->setTitleBorderColor(slate);
        item->setTitleColor(slate);
        item->setFont(bold);
        item->setFontColor(Qt::white);
        auto *links = new TLXLinkList;
        links->setColor(navy);
        item->Panel()->setContent(links);
        for (const char *caption : {"Cidade", "Conta Contábil", "Estado"})
            links->Items()->Add()->setText(caption);
        connect(links->Items()->Items(0)->Label(), &TLXLinkListLabel::clicked, this, [] {});
    }
    accordion->setSelectedIndex(0);
    QCOMPARE(tab(0)->Content()->geometry(), QRect(1, 26, 228, 371 - 26));
    SaveToGallery(*accordion, "TLXAccordion_sidebar");
}

QTEST_MAIN(tst_TLXAccordion)
#include "tst_TLXAccordion.moc"
