#include "widgets/TLXLinkListCollection.h"

#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListItem.h"

TLXLinkListCollection::TLXLinkListCollection(TLXLinkList *owner)
    : FOwner(owner)
{
}

TLXLinkListCollection::~TLXLinkListCollection() = default;

TLXLinkListItem *TLXLinkListCollection::Add()
{
    auto item = std::make_unique<TLXLinkListItem>(FOwner->widget());
    FOwner->placeLink(item->Label());
    item->setHeight(FOwner->ItemHeight());
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

TLXLinkListItem *TLXLinkListCollection::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

void TLXLinkListCollection::Delete(int index)
{
    if (index >= 0 && index < Count())
        FItems.erase(FItems.begin() + index);
}

void TLXLinkListCollection::Clear()
{
    FItems.clear();
}
