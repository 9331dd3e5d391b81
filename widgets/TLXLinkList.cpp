#include "widgets/TLXLinkList.h"

#include "widgets/TLXLinkListCollection.h"
#include "widgets/TLXLinkListItem.h"

#include <QEvent>
#include <QVBoxLayout>

#include <algorithm>

TLXLinkList::TLXLinkList(QWidget *parent)
    : QScrollArea(parent), FItems(std::make_unique<TLXLinkListCollection>(this))
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    auto *content = new QWidget;
    FStack = new QVBoxLayout(content);
    FStack->setContentsMargins(0, 0, 0, 0);
    FStack->setSpacing(0);
    FStack->addStretch(1);
    setWidget(content);
}

// The items go first: they free their labels while the content widget still exists.
TLXLinkList::~TLXLinkList() = default;

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
    for (const auto &item : *FItems)
        item->Filter(value);
}

int TLXLinkList::VisibleCount() const
{
    return static_cast<int>(std::count_if(FItems->begin(), FItems->end(),
                                          [](const auto &item) { return item->IsShown(); }));
}

void TLXLinkList::placeLink(TLXLinkListLabel *label)
{
    FStack->insertWidget(FStack->count() - 1, label);
    // Shown now, not at the layout's next pass, so a list already on screen counts it.
    label->show();
}

QSize TLXLinkList::sizeHint() const
{
    return {200, qBound(FItemHeight, widget()->sizeHint().height(), 400)};
}

void TLXLinkList::changeEvent(QEvent *event)
{
    QScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange && FItems) {
        for (const auto &item : *FItems)
            item->setFont(font());
    }
}
