#pragma once

#include "widgets/TLXAccordionTab.h"

#include <QObject>

#include <memory>
#include <vector>

class TLXAccordion;
class TLXAccordionItem;

// The ordered sections of a TLXAccordion; owns the items, which own their tabs.
class TLXAccordionCollection final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXAccordionCollection)

public:
    explicit TLXAccordionCollection(TLXAccordion *accordion);
    ~TLXAccordionCollection() override;

    // Appends a visible section and raises itemAdded with its tab.
    TLXAccordionItem *Add();
    TLXAccordionItem *Items(int index) const;
    TLXAccordionItem *operator[](int index) const { return Items(index); }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Index of the item that owns tab, -1 when none does.
    int IndexOf(const TLXAccordionTab *tab) const;
    void Delete(int index);
    void Clear();

signals:
    // A section was appended; tab is its tab.
    void itemAdded(TLXAccordionTab *tab);

private:
    TLXAccordion *FAccordion;
    std::vector<std::unique_ptr<TLXAccordionItem>> FItems;
};
