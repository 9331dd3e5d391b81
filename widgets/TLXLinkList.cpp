#include "widgets/TLXLinkList.h"

#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QScrollBar>

#include <algorithm>

TLXLinkList::TLXLinkList(QWidget *parent) : QScrollArea(parent), FItems(std::make_unique<TLXLinkListCollection>(this))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Reached with Tab (or from the menu filter), not by clicking a link, which opens it at once.
    setFocusPolicy(Qt::TabFocus);
    // The content is sized here: as wide as the viewport, as high as the links that pass the filter.
    setWidgetResizable(false);
    auto *content = new QWidget;
    // The links' font and colour live here once; every label inherits them.
    TLXLinkListLabel::GiveLinkLook(content);
    setWidget(content); // which also filters the content's events through eventFilter
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { showLinksInView(); });
}

// The items go first: they free their labels while the content widget and the placement still exist.
TLXLinkList::~TLXLinkList()
{
    disconnect(verticalScrollBar(), nullptr, this, nullptr);
    FItems.reset();
}

void TLXLinkList::setItemHeight(int height)
{
    FItemHeight = height;
    for (const auto &item : *FItems)
        item->setHeight(height);
}

QColor TLXLinkList::Color() const
{
    return viewport()->palette().color(QPalette::Window);
}

void TLXLinkList::setColor(const QColor &colour)
{
    for (QWidget *area : {viewport(), widget()}) {
        QPalette colours = area->palette();
        colours.setColor(QPalette::Window, colour);
        area->setPalette(colours);
        area->setAutoFillBackground(true);
    }
}

void TLXLinkList::Filter(const QString &value)
{
    const QLocale locale;
    const QString lowered = locale.toLower(value);
    for (const auto &item : *FItems)
        item->ApplyFilter(value, lowered, locale);
    layoutLinks();
}

int TLXLinkList::VisibleCount() const
{
    return static_cast<int>(
        std::count_if(FItems->begin(), FItems->end(), [](const auto &item) { return item->IsShown(); }));
}

void TLXLinkList::appendLink(TLXLinkListLabel *label)
{
    // Placed now, not at the next pass, so a list already on screen shows and counts it.
    const int height = label->sizeHint().height();
    label->setGeometry(0, FContentHeight, viewport()->width(), height);
    FPlaced.push_back({FContentHeight, height, label});
    FContentHeight += height;
    label->setVisible(false);
    resizeContent();
    showLinksInView();
}

void TLXLinkList::linksChanged()
{
    if (FLayoutPosted)
        return;
    FLayoutPosted = true;
    QCoreApplication::postEvent(widget(), new QEvent(QEvent::LayoutRequest));
}

void TLXLinkList::forgetLink(const TLXLinkListLabel *label)
{
    if (FCurrent == label)
        FCurrent = nullptr;
    FOnScreen.erase(std::remove(FOnScreen.begin(), FOnScreen.end(), label), FOnScreen.end());
    FPlaced.erase(std::remove_if(
                      FPlaced.begin(), FPlaced.end(), [label](const TPlaced &placed) { return placed.Label == label; }),
        FPlaced.end());
}

void TLXLinkList::forgetAllLinks()
{
    FCurrent = nullptr;
    FOnScreen.clear();
    FPlaced.clear();
}

void TLXLinkList::layoutLinks()
{
    FLayoutPosted = false;
    const int width = viewport()->width();
    FPlaced.clear();
    int top = 0;
    for (const auto &item : *FItems) {
        TLXLinkListLabel *label = item->Label();
        if (!item->IsShown()) {
            label->setVisible(false);
            continue;
        }
        const int height = label->sizeHint().height();
        label->setGeometry(0, top, width, height);
        FPlaced.push_back({top, height, label});
        top += height;
    }
    FContentHeight = top;
    resizeContent();
    showLinksInView();
    // A current link the filter took away leaves the first one that passes current.
    if (FCurrent && CurrentPlaced() < 0) {
        markCurrent(false);
        FCurrent = nullptr;
        if (hasFocus())
            setCurrentPlaced(0);
    }
}

TLXLinkListLabel *TLXLinkList::ShownLink(int index) const
{
    return index >= 0 && index < int(FPlaced.size()) ? FPlaced[size_t(index)].Label : nullptr;
}

int TLXLinkList::CurrentPlaced() const
{
    const auto found = std::find_if(
        FPlaced.begin(), FPlaced.end(), [this](const TPlaced &placed) { return placed.Label == FCurrent; });
    return found == FPlaced.end() ? -1 : int(found - FPlaced.begin());
}

void TLXLinkList::setCurrentPlaced(int index)
{
    if (FPlaced.empty())
        return;
    markCurrent(false);
    FCurrent = FPlaced[size_t(qBound(0, index, int(FPlaced.size()) - 1))].Label;
    markCurrent(hasFocus());
    ensureWidgetVisible(FCurrent, 0, 0);
}

void TLXLinkList::markCurrent(bool marked)
{
    if (FCurrent)
        FCurrent->setCurrent(marked);
}

void TLXLinkList::keyPressEvent(QKeyEvent *event)
{
    const int at = CurrentPlaced();
    const int last = int(FPlaced.size()) - 1;
    switch (event->key()) {
    case Qt::Key_Down: setCurrentPlaced(at < 0 ? 0 : at + 1); break;
    case Qt::Key_Up: setCurrentPlaced(at < 0 ? last : at - 1); break;
    case Qt::Key_Home: setCurrentPlaced(0); break;
    case Qt::Key_End: setCurrentPlaced(last); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (FCurrent)
            FCurrent->click(); // last: a receiver may free the list
        break;
    default: QScrollArea::keyPressEvent(event); return;
    }
    event->accept();
}

void TLXLinkList::focusInEvent(QFocusEvent *event)
{
    QScrollArea::focusInEvent(event);
    // Coming back to the window marks the link the user had moved to, and picks none itself.
    if (FCurrent)
        markCurrent(true);
    else if (event->reason() != Qt::ActiveWindowFocusReason)
        setCurrentPlaced(0);
}

void TLXLinkList::focusOutEvent(QFocusEvent *event)
{
    QScrollArea::focusOutEvent(event);
    markCurrent(false);
}

void TLXLinkList::resizeContent()
{
    widget()->resize(viewport()->width(), FContentHeight);
}

void TLXLinkList::showLinksInView()
{
    const int viewTop = verticalScrollBar()->value();
    const int viewBottom = viewTop + viewport()->height();
    // The first placed link whose bottom lies below the viewport's top, then on while they start above its bottom.
    auto link = std::upper_bound(FPlaced.begin(), FPlaced.end(), viewTop,
        [](int y, const TPlaced &placed) { return y < placed.Top + placed.Height; });
    std::vector<TLXLinkListLabel *> inView;
    for (; link != FPlaced.end() && link->Top < viewBottom; ++link)
        inView.push_back(link->Label);
    for (TLXLinkListLabel *label : FOnScreen)
        if (std::find(inView.begin(), inView.end(), label) == inView.end())
            label->setVisible(false);
    for (TLXLinkListLabel *label : inView)
        label->setVisible(true);
    FOnScreen = std::move(inView);
}

QSize TLXLinkList::sizeHint() const
{
    return {200, qBound(FItemHeight, FContentHeight, 400)};
}

void TLXLinkList::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && FItems) {
        for (const auto &item : *FItems)
            item->setFont(font());
    }
}

bool TLXLinkList::viewportEvent(QEvent *event)
{
    // A new width is every label's width; a new height brings other labels into view.
    if (event->type() == QEvent::Resize)
        layoutLinks();
    return QScrollArea::viewportEvent(event);
}

bool TLXLinkList::eventFilter(QObject *watched, QEvent *event)
{
    // A label on screen whose text or font changed asks its parent, the content, to lay it out again.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        layoutLinks();
    return QScrollArea::eventFilter(watched, event);
}
