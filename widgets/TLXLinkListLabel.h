#pragma once

#include <QLabel>

#include <optional>

// One link of a TLXLinkList: a label that is enabled once something listens to its
// clicked() signal, underlines itself under the pointer or while it is the list's current link
// (then also on a lighter background) and carries a resource string.
// Its height fits one line of text unless set explicitly; the next change of
// caption or font fits it to the text again.
class TLXLinkListLabel final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TLXLinkListLabel)

public:
    explicit TLXLinkListLabel(QWidget *parent = nullptr);

    // Gives widget the links' starting look (font and text colour). The list gives it to its
    // content once, and the labels inside inherit it instead of each carrying a copy.
    static void GiveLinkLook(QWidget *widget);

    QString Resource() const { return FResource; }
    void setResource(const QString &resource) { FResource = resource; }

    // Sets the caption and fits the height to one line of it.
    void setCaption(const QString &caption);
    // Fixes the height until the next change of caption or font.
    void setLinkHeight(int height);

    // Acts as a left click: emits clicked() when enabled. A receiver may free the list.
    void click();
    // Marks the link the list's keys act on.
    void setCurrent(bool current);
    bool IsCurrent() const { return FCurrent; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // A left click released on the link. A receiver may free the list: nothing is touched after.
    void clicked();

protected:
    void connectNotify(const QMetaMethod &signal) override;
    void disconnectNotify(const QMetaMethod &signal) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    static QFont LinkFont();
    static bool HasLinkLook(const QWidget *widget);
    void setStyleUnderlined(bool underlined);
    void fitToText();
    // Enabled, with a pointing hand, while clicked() has a receiver.
    void updateClickable();

    QString FResource;
    std::optional<int> FHeight;
    bool FPressed = false;
    // Set while hovering restyles the font, which is not a change that refits the height.
    bool FRestyling = false;
    bool FCurrent = false;
};
