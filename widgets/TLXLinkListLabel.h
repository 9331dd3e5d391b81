#pragma once

#include <QLabel>

#include <functional>
#include <optional>

class TLXLinkListLabel;

// Click handler of a link; it receives the link clicked.
using TLXLinkClickHandler = std::function<void(TLXLinkListLabel *sender)>;

// One link of a TLXLinkList: a label that is enabled only while it has a click
// handler, underlines itself under the pointer and carries a resource string.
// Its height fits one line of text unless set explicitly; the next change of
// caption or font fits it to the text again.
class TLXLinkListLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXLinkListLabel)

public:
    explicit TLXLinkListLabel(QWidget *parent = nullptr);

    const TLXLinkClickHandler &OnClick() const { return FOnClick; }
    void setOnClick(TLXLinkClickHandler handler);
    QString Resource() const { return FResource; }
    void setResource(const QString &resource) { FResource = resource; }

    // Sets the caption and fits the height to one line of it.
    void setCaption(const QString &caption);
    // Fixes the height until the next change of caption or font.
    void setLinkHeight(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setStyleUnderlined(bool underlined);
    void fitToText();

    TLXLinkClickHandler FOnClick;
    QString FResource;
    std::optional<int> FHeight;
    bool FPressed = false;
    // Set while hovering restyles the font, which is not a change that refits the height.
    bool FRestyling = false;
};
