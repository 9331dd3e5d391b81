#include "widgets/TLXAccordion.h"

#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXAccordionTab.h"
#include "widgets/TLXAccordionTabTitle.h"
#include "widgets/TLXImageList.h"
#include "gui/WhiteBackground.h"

TLXAccordion::TLXAccordion(QWidget *parent)
    : QWidget(parent), FItems(std::make_unique<TLXAccordionCollection>(this))
{
    SetWhiteBackground(this);
    connect(FItems.get(), &TLXAccordionCollection::itemAdded, this, &TLXAccordion::ItemAdded);
}

// The items go first: they free their tabs while the accordion is still whole.
TLXAccordion::~TLXAccordion() = default;

// A new section starts collapsed; the first one added becomes the selection, and
// the expanded section shrinks to leave room for the new title bar.
void TLXAccordion::ItemAdded(TLXAccordionTab *tab)
{
    tab->show();
    tab->setExpanded(false);
    if (FSelectedIndex == -1)
        setSelectedIndex(FItems->Count() - 1);
    else
        Reflow();
}

void TLXAccordion::setSelectedIndex(int index)
{
    if (index < 0 || index >= FItems->Count())
        return;
    if (TLXAccordionItem *current = FItems->Items(FSelectedIndex))
        current->Panel()->setExpanded(false);
    FSelectedIndex = index;
    FItems->Items(index)->Panel()->setExpanded(true);
}

TLXAccordionTab *TLXAccordion::SelectedTab() const
{
    return FSelectedTab;
}

void TLXAccordion::setSelectedTab(TLXAccordionTab *tab)
{
    FSelectedTab = tab;
    const int index = FItems->IndexOf(tab);
    if (index >= 0)
        setSelectedIndex(index);
}

TLXImageList *TLXAccordion::ButtonImageList() const
{
    return FButtonImageList;
}

void TLXAccordion::setButtonImageList(TLXImageList *list)
{
    FButtonImageList = list;
    UpdateButtonImages();
}

void TLXAccordion::setImageIndex(int &field, int index)
{
    field = index;
    UpdateButtonImages();
}

void TLXAccordion::setCloseImage(int index) { setImageIndex(FCloseImage, index); }
void TLXAccordion::setCloseImageOver(int index) { setImageIndex(FCloseImageOver, index); }
void TLXAccordion::setOpenImage(int index) { setImageIndex(FOpenImage, index); }
void TLXAccordion::setOpenImageOver(int index) { setImageIndex(FOpenImageOver, index); }

void TLXAccordion::UpdateButtonImages()
{
    for (int i = 0; i < FItems->Count(); ++i)
        FItems->Items(i)->Panel()->Title()->UpdateImages();
}

void TLXAccordion::CalculatePosition()
{
    int top = 0;
    for (int i = 0; i < FItems->Count(); ++i) {
        TLXAccordionTab *tab = FItems->Items(i)->Panel();
        if (tab->isHidden())
            continue;
        tab->setGeometry(0, top, width(), tab->height());
        top += tab->height();
    }
}

void TLXAccordion::Reflow()
{
    if (const TLXAccordionItem *selected = FItems->Items(FSelectedIndex))
        selected->Panel()->FitHeight();
    CalculatePosition();
}

void TLXAccordion::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    CalculatePosition();
    if (const TLXAccordionItem *selected = FItems->Items(FSelectedIndex))
        selected->Panel()->setExpanded(true);
}

QSize TLXAccordion::sizeHint() const
{
    return {230, 200 + FItems->Count() * TitleHeight};
}
