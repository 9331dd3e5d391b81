#include "widgets/TLXImageButton.h"

#include "widgets/TLXImageList.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
// Pictures beyond this index are never drawn.
constexpr int MaxImageIndex = 255;
// Gap between picture and caption, and from the picture to the near edge.
constexpr int Gap = 4;
}

TLXImageButton::TLXImageButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

template <typename T> void TLXImageButton::assign(T &field, T value)
{
    if (field == value)
        return;
    field = value;
    updateGeometry();
    update();
}

TLXImageList *TLXImageButton::ImageList() const
{
    return FImageList;
}

void TLXImageButton::setImageList(TLXImageList *list)
{
    if (FImageList == list)
        return;
    FImageList = list;
    updateGeometry();
    update();
}

void TLXImageButton::setImageNormal(int index) { assign(FImageNormal, index); }
void TLXImageButton::setImageOver(int index) { assign(FImageOver, index); }
void TLXImageButton::setImageDisable(int index) { assign(FImageDisable, index); }
void TLXImageButton::setTextAlign(TLayout align) { assign(FTextAlign, align); }
void TLXImageButton::setShowCaption(bool show) { assign(FShowCaption, show); }

int TLXImageButton::CurrentImage() const
{
    if (!isEnabled() && FImageDisable > -1)
        return FImageDisable;
    return FState == 0 ? FImageNormal : FImageOver;
}

QSize TLXImageButton::sizeHint() const
{
    const QSize picture = FImageList ? QSize(FImageList->Width(), FImageList->Height()) : QSize(16, 16);
    const QString caption = shownCaption();
    if (caption.isEmpty())
        return picture + QSize(2 * Gap, 2 * Gap);
    const QFontMetrics metrics(font());
    const QSize textSize(metrics.horizontalAdvance(caption), metrics.height());
    if (FTextAlign == anTop || FTextAlign == anBottom)
        return QSize(qMax(picture.width(), textSize.width()) + 2 * Gap,
                     picture.height() + textSize.height() + 3 * Gap);
    return QSize(picture.width() + textSize.width() + 3 * Gap,
                 qMax(picture.height(), textSize.height()) + 2 * Gap);
}

QString TLXImageButton::shownCaption() const
{
    return FShowCaption ? text() : QString();
}

TLXImageButton::Placement TLXImageButton::ComputePlacement() const
{
    const QFontMetrics metrics(font());
    const int w = width(), h = height();
    const int iw = FImageList ? FImageList->Width() : 0;
    const int ih = FImageList ? FImageList->Height() : 0;
    const int tw = metrics.horizontalAdvance(shownCaption()), th = metrics.height();
    switch (FTextAlign) {
    case anTop: {
        const int top = (h - ih - th - Gap) / 2;
        return {{(w - iw) / 2, top + th + Gap}, {(w - tw) / 2, top}};
    }
    case anLeft:
        return {{w - Gap - iw, (h - ih) / 2}, {w - iw - tw - Gap, (h - th) / 2}};
    case anRight:
        return {{Gap, (h - ih) / 2}, {iw + 2 * Gap, (h - th) / 2}};
    case anBottom:
        break;
    }
    const int top = (h - ih - th - Gap) / 2;
    return {{(w - iw) / 2, top}, {(w - tw) / 2, top + ih + Gap}};
}

void TLXImageButton::paintEvent(QPaintEvent *)
{
    if (!FImageList)
        return;
    const int index = CurrentImage();
    if (index < 0 || index >= FImageList->Count() || index > MaxImageIndex)
        return;

    QPainter painter(this);
    const Placement at = ComputePlacement();
    FImageList->Draw(painter, at.Picture.x(), at.Picture.y(), index);
    const QString caption = shownCaption();
    if (caption.isEmpty())
        return;
    // No background behind the caption; its point is the text box's top-left corner.
    const QFontMetrics metrics(font());
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Active, QPalette::ButtonText));
    painter.drawText(QRect(at.Caption, QSize(metrics.horizontalAdvance(caption), metrics.height())),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, caption);
}

void TLXImageButton::enterEvent(QEnterEvent *event)
{
    QAbstractButton::enterEvent(event);
    DoMouseEnter();
}

void TLXImageButton::leaveEvent(QEvent *event)
{
    QAbstractButton::leaveEvent(event);
    DoMouseLeave();
}

void TLXImageButton::DoMouseEnter()
{
    FState = 1;
    update();
    emit mouseEntered();
}

void TLXImageButton::DoMouseLeave()
{
    FState = 0;
    update();
    emit mouseLeft();
}
