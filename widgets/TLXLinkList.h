#pragma once

#include <QScrollArea>

#include <memory>

class QVBoxLayout;
class TLXLinkListCollection;
class TLXLinkListLabel;

// A frameless, vertically scrolling stack of links, one per item of Items, that
// can be filtered by a search text. The list owns its items and their labels.
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
    int VisibleCount() const;

    // Adds a new link's label below the others; used by the collection.
    void placeLink(TLXLinkListLabel *label);

    QSize sizeHint() const override;

protected:
    void changeEvent(QEvent *event) override;

private:
    std::unique_ptr<TLXLinkListCollection> FItems;
    int FItemHeight = 16;
    QVBoxLayout *FStack;
};
