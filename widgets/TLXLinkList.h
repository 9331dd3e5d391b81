#pragma once

#include <QScrollArea>

#include <memory>
#include <vector>

class TLXLinkListCollection;
class TLXLinkListLabel;

// A frameless, vertically scrolling stack of links, one per item of Items, that can be filtered by
// a search text. The list owns its items and their labels, and places the labels itself: one pass
// puts every link that passes the filter below the previous one, and only the labels inside the
// viewport are shown (the others are hidden until scrolled into view), so a filter keystroke costs
// a text match per link plus the few labels on screen, not a layout of the whole stack.
// With the focus, one link that passes the filter is current (marked): the arrow keys, Home and End
// move it, scrolling it into view, and Enter opens it as a click does.
class TLXLinkList final : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXLinkList)

public:
    explicit TLXLinkList(QWidget *parent = nullptr);
    ~TLXLinkList() override;

    TLXLinkListCollection *Items() const { return FItems.get(); }
    int ItemHeight() const { return FItemHeight; }
    void setItemHeight(int height);
    // Background of the list behind the links.
    QColor Color() const;
    void setColor(const QColor &colour);

    // Applies the filter text to every link; an empty text shows them all.
    void Filter(const QString &value);
    // The links that pass the filter, on screen or scrolled out of it.
    int VisibleCount() const;

    // Used by the collection and its items: a new link's label goes below the others at once; a
    // change of a link's height or filter places the links again at the next turn of the event
    // loop; a label about to be freed is forgotten first.
    void appendLink(TLXLinkListLabel *label);
    void linksChanged();
    void forgetLink(const TLXLinkListLabel *label);
    void forgetAllLinks();
    // Places the links that pass the filter and shows those in the viewport.
    void layoutLinks();

    // The link the keys act on, or null (none passes the filter, or the list never had the focus).
    TLXLinkListLabel *CurrentLink() const { return FCurrent; }
    // The link shown at position index among those that pass the filter, or null.
    TLXLinkListLabel *ShownLink(int index) const;

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct TPlaced
    {
        int Top;
        int Height;
        TLXLinkListLabel *Label;
    };

    void resizeContent();
    // Shows the placed labels that meet the viewport and hides the ones that left it.
    void showLinksInView();
    // Makes the placed link at index current, marked while the list has the focus, and scrolls to it.
    void setCurrentPlaced(int index);
    // Position of the current link among the placed ones, or -1.
    int CurrentPlaced() const;
    void markCurrent(bool marked);

    std::unique_ptr<TLXLinkListCollection> FItems;
    int FItemHeight = 16;
    // The links that pass the filter, top to bottom, and the height they take together.
    std::vector<TPlaced> FPlaced;
    int FContentHeight = 0;
    // The labels currently shown: those that meet the viewport.
    std::vector<TLXLinkListLabel *> FOnScreen;
    bool FLayoutPosted = false;
    TLXLinkListLabel *FCurrent = nullptr;
};
