#include "widgets/TLXAccordionCollection.h"

#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionItem.h"

TLXAccordionCollection::TLXAccordionCollection(TLXAccordion *accordion)
    : FAccordion(accordion)
{
}

TLXAccordionCollection::~TLXAccordionCollection() = default;

TLXAccordionItem *TLXAccordionCollection::Add()
{
    FItems.push_back(std::make_unique<TLXAccordionItem>(FAccordion, Count()));
    TLXAccordionItem *item = FItems.back().get();
    emit itemAdded(item->Panel());
    return item;
}

TLXAccordionItem *TLXAccordionCollection::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

int TLXAccordionCollection::IndexOf(const TLXAccordionTab *tab) const
{
    for (int i = 0; i < Count(); ++i) {
        if (FItems[static_cast<size_t>(i)]->Panel() == tab)
            return i;
    }
    return -1;
}

void TLXAccordionCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FItems.erase(FItems.begin() + index);
    FAccordion->Reflow();
}

void TLXAccordionCollection::Clear()
{
    FItems.clear();
    FAccordion->Reflow();
}
