#pragma once

#include <QColor>
#include <QWidget>

class TLXAccordion;
class TLXAccordionTabTitle;

// One section of a TLXAccordion: a title bar on top and, below it, the content the
// owner places on the tab (the child after the title bar). Its height is the
// title's when collapsed and what the accordion leaves free when expanded.
// Parent: the accordion; freed by its TLXAccordionItem.
class TLXAccordionTab final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXAccordionTab)

public:
    TLXAccordionTab(TLXAccordion *accordion, int order);

    TLXAccordionTabTitle *Title() const { return FTitle; }
    QColor BorderColor() const { return FBorderColor; }
    void setBorderColor(const QColor &colour);
    // Index of the item when the tab was made; not renumbered afterwards.
    int Order() const { return FOrder; }
    bool Expanded() const { return FExpanded; }
    // Expanding fills the height the other shown sections leave; collapsing
    // leaves the title bar only.
    void setExpanded(bool expanded);
    // Sets the height for the current state and number of shown sections.
    void FitHeight();
    TLXAccordion *Accordion() const { return FAccordion; }

    // The content: the first child widget placed on the tab after its title bar.
    QWidget *Content() const;
    // Places content on the tab, filling the area below the title bar.
    void setContent(QWidget *content);

signals:
    // After the tab expanded.
    void expanded();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void childEvent(QChildEvent *event) override;

private:
    void layoutChildren();

    TLXAccordion *FAccordion;
    TLXAccordionTabTitle *FTitle = nullptr;
    QColor FBorderColor{0x99, 0xBC, 0xE8};
    int FOrder;
    bool FExpanded = false;
};
