#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>
#include <vector>

class TLXAccordion;
class TLXAccordionItem;
class TLXAccordionTab;

// The ordered sections of a TLXAccordion; owns the items, which own their tabs.
class TLXAccordionCollection final
{
    Q_DISABLE_COPY_MOVE(TLXAccordionCollection)

public:
    using AddItemHandler = std::function<void(TLXAccordionTab *tab)>;

    explicit TLXAccordionCollection(TLXAccordion *accordion);
    ~TLXAccordionCollection();

    // Appends a visible section and reports its tab to OnAddItem.
    TLXAccordionItem *Add();
    TLXAccordionItem *Items(int index) const;
    TLXAccordionItem *operator[](int index) const { return Items(index); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Index of the item that owns tab, -1 when none does.
    int IndexOf(const TLXAccordionTab *tab) const;
    void Delete(int index);
    void Clear();

    void setOnAddItem(AddItemHandler handler) { FOnAddItem = std::move(handler); }

private:
    AddItemHandler FOnAddItem;
    TLXAccordion *FAccordion;
    std::vector<std::unique_ptr<TLXAccordionItem>> FItems;
};
