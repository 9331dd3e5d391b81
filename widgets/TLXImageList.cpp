#include "widgets/TLXImageList.h"

#include <QIcon>
#include <QPainter>

TLXImageList::TLXImageList(int width, int height, QObject *parent)
    : QObject(parent), FWidth(qMax(1, width)), FHeight(qMax(1, height))
{
}

int TLXImageList::Add(const QPixmap &picture)
{
    const QSize size(FWidth, FHeight);
    FImages.append(picture.size() == size
                       ? picture
                       : picture.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    return Count() - 1;
}

int TLXImageList::Add(const QIcon &icon)
{
    return Add(icon.pixmap(QSize(FWidth, FHeight)));
}

void TLXImageList::Clear()
{
    FImages.clear();
}

QPixmap TLXImageList::Image(int index) const
{
    return index >= 0 && index < Count() ? FImages.at(index) : QPixmap();
}

bool TLXImageList::Draw(QPainter &painter, int x, int y, int index) const
{
    if (index < 0 || index >= Count())
        return false;
    painter.drawPixmap(QRect(x, y, FWidth, FHeight), FImages.at(index));
    return true;
}
