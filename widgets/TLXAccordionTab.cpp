#include "widgets/TLXAccordionTab.h"

#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXAccordionTabTitle.h"
#include "gui/WhiteBackground.h"

#include <QChildEvent>
#include <QPainter>

namespace {
// Inner margin left and right, inside the side edges.
constexpr int SidePadding = 1;
}

TLXAccordionTab::TLXAccordionTab(TLXAccordion *accordion, int order)
    : QWidget(accordion), FAccordion(accordion), FOrder(order)
{
    SetWhiteBackground(this);
    FTitle = new TLXAccordionTabTitle(this);
    resize(width(), TLXAccordion::TitleHeight);
}

void TLXAccordionTab::setBorderColor(const QColor &colour)
{
    FBorderColor = colour;
    update();
}

void TLXAccordionTab::setExpanded(bool expanded)
{
    FExpanded = expanded;
    FitHeight();
    FTitle->UpdateImages();
    FAccordion->CalculatePosition();
    if (expanded)
        emit this->expanded();
}

void TLXAccordionTab::FitHeight()
{
    const TLXAccordionCollection *items = FAccordion->Items();
    int shown = 0;
    for (int i = 0; i < items->Count(); ++i)
        shown += items->Items(i)->Visible() ? 1 : 0;
    if (shown > 0)
        FTitle->setSides(FOrder == 0 ? TLXAccordionBorders(abTop | abBottom) : TLXAccordionBorders(abBottom));

    const int others = shown - 1;
    // Never shorter than its own title bar, however small the accordion.
    const int height = FExpanded ? qMax(TLXAccordion::TitleHeight, FAccordion->height() - others * TLXAccordion::TitleHeight)
                                 : FTitle->height();
    resize(width(), height);
}

QWidget *TLXAccordionTab::Content() const
{
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && widget != FTitle)
            return widget;
    }
    return nullptr;
}

void TLXAccordionTab::setContent(QWidget *content)
{
    content->setParent(this);
    layoutChildren();
    content->show();
}

void TLXAccordionTab::layoutChildren()
{
    const int w = width() - 2 * SidePadding;
    FTitle->setGeometry(SidePadding, 0, w, FTitle->height());
    if (QWidget *content = Content())
        content->setGeometry(SidePadding, FTitle->height(), w, qMax(0, height() - FTitle->height()));
}

void TLXAccordionTab::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutChildren();
}

void TLXAccordionTab::childEvent(QChildEvent *event)
{
    QWidget::childEvent(event);
    if (FTitle && event->type() == QEvent::ChildAdded && event->child()->isWidgetType())
        layoutChildren();
}

// The top edge is left to the title bar.
void TLXAccordionTab::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QPen(FBorderColor, 1));
    const int w = width(), h = height();
    painter.drawLine(0, 0, 0, h);
    painter.drawLine(0, h - 1, w, h - 1);
    painter.drawLine(w - 1, 0, w - 1, h);
}
