#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

class TLXLinkList;
class TLXLinkListItem;

// The ordered links of a TLXLinkList; owns the items, which own their labels.
class TLXLinkListCollection final
{
    Q_DISABLE_COPY_MOVE(TLXLinkListCollection)

public:
    explicit TLXLinkListCollection(TLXLinkList *owner);
    ~TLXLinkListCollection();

    // Appends a link below the others, ItemHeight high.
    TLXLinkListItem *Add();
    TLXLinkListItem *Items(int index) const;
    TLXLinkListItem *operator[](int index) const { return Items(index); }
    int Count() const { return static_cast<int>(FItems.size()); }
    void Delete(int index);
    void Clear();

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    TLXLinkList *FOwner;
    std::vector<std::unique_ptr<TLXLinkListItem>> FItems;
};
