#pragma once

#include <QList>
#include <QObject>
#include <QPixmap>

class QIcon;
class QPainter;

// A list of same-sized pictures addressed by index, shared by reference between
// the controls that draw from it. Holders keep a QPointer: the list may go first.
class TLXImageList final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXImageList)

public:
    explicit TLXImageList(int width, int height, QObject *parent = nullptr);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Scales the picture (or renders the icon) to Width x Height; returns its index.
    int Add(const QPixmap &picture);
    int Add(const QIcon &icon);
    void Clear();

    // The picture at index, or a null pixmap when the index is out of range.
    QPixmap Image(int index) const;
    // Draws the picture at index with its top-left corner at (x, y); false when out of range.
    bool Draw(QPainter &painter, int x, int y, int index) const;

private:
    int FWidth;
    int FHeight;
    QList<QPixmap> FImages;
};
