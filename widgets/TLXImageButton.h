#pragma once

#include <QAbstractButton>
#include <QPoint>
#include <QPointer>

class TLXImageList;

// A flat button that draws one picture of a shared image list, optionally with a
// caption (the button's text) beside it, and swaps the picture under the pointer.
// It paints no background and takes no focus. The image list is not owned.
class TLXImageButton final : public QAbstractButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXImageButton)

public:
    // Where the caption goes relative to the picture.
    enum TLayout { anTop, anBottom, anLeft, anRight };
    Q_ENUM(TLayout)

    explicit TLXImageButton(QWidget *parent = nullptr);

    TLXImageList *ImageList() const;
    void setImageList(TLXImageList *list);
    int ImageNormal() const { return FImageNormal; }
    void setImageNormal(int index);
    int ImageOver() const { return FImageOver; }
    void setImageOver(int index);
    int ImageDisable() const { return FImageDisable; }
    void setImageDisable(int index);
    TLayout TextAlign() const { return FTextAlign; }
    void setTextAlign(TLayout align);
    bool ShowCaption() const { return FShowCaption; }
    void setShowCaption(bool show);
    // 0 normal, 1 pointer over the button.
    int State() const { return FState; }

    // The picture index the button draws now: the disabled one when disabled and
    // set, otherwise the normal or the over one by state.
    int CurrentImage() const;

    // Top-left corners of the picture and of the caption for the current size,
    // font, caption and alignment.
    struct Placement
    {
        QPoint Picture;
        QPoint Caption;
    };
    Placement ComputePlacement() const;

    QSize sizeHint() const override;

signals:
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QString shownCaption() const;
    void DoMouseEnter();
    void DoMouseLeave();
    // Stores value into field and repaints when it changed.
    template <typename T> void assign(T &field, T value);

    QPointer<TLXImageList> FImageList;
    int FImageNormal = -1;
    int FState = 0;
    int FImageOver = -1;
    TLayout FTextAlign = anBottom;
    bool FShowCaption = true;
    int FImageDisable = -1;
};
