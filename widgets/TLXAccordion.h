#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

class TLXAccordionCollection;
class TLXAccordionTab;
class TLXImageList;

// A vertical stack of titled sections (Items) of which exactly one, the selected,
// is expanded and fills the height that the other title bars leave. It places
// its tabs itself, top to bottom in item order. Owns its collection; the image
// list of the title-bar buttons is not owned.
class TLXAccordion final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXAccordion)

public:
    // Height of every title bar, and so of every collapsed section.
    static constexpr int TitleHeight = 26;

    explicit TLXAccordion(QWidget *parent = nullptr);
    ~TLXAccordion() override;

    TLXAccordionCollection *Items() const { return FItems.get(); }

    int SelectedIndex() const { return FSelectedIndex; }
    // Collapses the selected section and expands section index; an index past the
    // last section, or below zero, changes nothing.
    void setSelectedIndex(int index);
    // The tab last written here, whatever was selected since.
    TLXAccordionTab *SelectedTab() const;
    void setSelectedTab(TLXAccordionTab *tab);

    TLXImageList *ButtonImageList() const;
    void setButtonImageList(TLXImageList *list);
    int CloseImage() const { return FCloseImage; }
    void setCloseImage(int index);
    int CloseImageOver() const { return FCloseImageOver; }
    void setCloseImageOver(int index);
    int OpenImage() const { return FOpenImage; }
    void setOpenImage(int index);
    int OpenImageOver() const { return FOpenImageOver; }
    void setOpenImageOver(int index);

    // Stacks the shown tabs top to bottom at the accordion's width.
    void CalculatePosition();
    // Refits the expanded section after sections were added, shown, hidden or removed.
    void Reflow();
    void UpdateButtonImages();

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void ItemAdded(TLXAccordionTab *tab);
    void setImageIndex(int &field, int index);

    std::unique_ptr<TLXAccordionCollection> FItems;
    QPointer<TLXImageList> FButtonImageList;
    int FSelectedIndex = -1;
    QPointer<TLXAccordionTab> FSelectedTab;
    int FCloseImage = 0;
    int FCloseImageOver = 0;
    int FOpenImage = 0;
    int FOpenImageOver = 0;
};
