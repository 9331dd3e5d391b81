#include "widgets/TLXAccordionItem.h"

#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionTab.h"
#include "widgets/TLXAccordionTabTitle.h"

TLXAccordionItem::TLXAccordionItem(TLXAccordion *accordion, int index)
    : FPanel(std::make_unique<TLXAccordionTab>(accordion, index))
{
}

TLXAccordionItem::~TLXAccordionItem() = default;

void TLXAccordionItem::setTitle(const QString &title)
{
    FTitle = title;
    FPanel->Title()->setTitle(title);
}

void TLXAccordionItem::setVisible(bool visible)
{
    if (FVisible == visible)
        return;
    FVisible = visible;
    FPanel->setVisible(visible);
    FPanel->Accordion()->Reflow();
}

QColor TLXAccordionItem::BorderColor() const { return FPanel->BorderColor(); }
void TLXAccordionItem::setBorderColor(const QColor &colour) { FPanel->setBorderColor(colour); }
QColor TLXAccordionItem::TitleColor() const { return FPanel->Title()->Color(); }
void TLXAccordionItem::setTitleColor(const QColor &colour) { FPanel->Title()->setColor(colour); }
QColor TLXAccordionItem::TitleBorderColor() const { return FPanel->Title()->BorderColor(); }
void TLXAccordionItem::setTitleBorderColor(const QColor &colour) { FPanel->Title()->setBorderColor(colour); }
QFont TLXAccordionItem::Font() const { return FPanel->Title()->TitleFont(); }
void TLXAccordionItem::setFont(const QFont &font) { FPanel->Title()->setTitleFont(font); }
void TLXAccordionItem::setFontColor(const QColor &colour) { FPanel->Title()->setTitleFontColor(colour); }
