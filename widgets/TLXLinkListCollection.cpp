#include "widgets/TLXLinkListCollection.h"

#include "widgets/TLXLinkList.h"
#include "widgets/TLXLinkListItem.h"

TLXLinkListCollection::TLXLinkListCollection(TLXLinkList *owner) : FOwner(owner)
{ }

TLXLinkListCollection::~TLXLinkListCollection() = default;

TLXLinkListItem *TLXLinkListCollection::Add()
{
    auto item = std::make_unique<TLXLinkListItem>(FOwner);
    item->setHeight(FOwner->ItemHeight());
    FOwner->appendLink(item->Label());
    FItems.push_back(std::move(item));
    return FItems.back().get();
}

TLXLinkListItem *TLXLinkListCollection::Items(int index) const
{
    return index >= 0 && index < Count() ? FItems[static_cast<size_t>(index)].get() : nullptr;
}

void TLXLinkListCollection::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    FOwner->forgetLink(FItems[static_cast<size_t>(index)]->Label());
    FItems.erase(FItems.begin() + index);
    FOwner->layoutLinks();
}

void TLXLinkListCollection::Clear()
{
    FOwner->forgetAllLinks();
    FItems.clear();
    FOwner->layoutLinks();
}
