#include "widgets/TLXLinkListLabel.h"

#include <QMouseEvent>

TLXLinkListLabel::TLXLinkListLabel(QWidget *parent)
    : QLabel(parent)
{
    QFont defaults(QStringLiteral("Segoe UI"));
    defaults.setPointSize(10);
    defaults.setWeight(QFont::Normal);
    defaults.setItalic(false);
    defaults.setUnderline(false);
    defaults.setStrikeOut(false);
    setFont(defaults);

    QPalette colours = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::WindowText, Qt::white);
    setPalette(colours);

    // Full width of the list whatever the caption; height from sizeHint.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setEnabled(false);
}

void TLXLinkListLabel::setOnClick(TLXLinkClickHandler handler)
{
    FOnClick = std::move(handler);
    setEnabled(static_cast<bool>(FOnClick));
    setCursor(Qt::PointingHandCursor);
}

void TLXLinkListLabel::setCaption(const QString &caption)
{
    setText(caption);
    fitToText();
}

void TLXLinkListLabel::setLinkHeight(int height)
{
    FHeight = qMax(0, height);
    updateGeometry();
}

void TLXLinkListLabel::fitToText()
{
    if (!FHeight)
        return;
    FHeight.reset();
    updateGeometry();
}

QSize TLXLinkListLabel::sizeHint() const
{
    QSize hint = QLabel::sizeHint();
    if (FHeight)
        hint.setHeight(*FHeight);
    return hint;
}

QSize TLXLinkListLabel::minimumSizeHint() const
{
    QSize hint = QLabel::minimumSizeHint();
    if (FHeight)
        hint.setHeight(*FHeight);
    return hint;
}

void TLXLinkListLabel::setStyleUnderlined(bool underlined)
{
    QFont styled = font();
    styled.setWeight(QFont::Normal);
    styled.setItalic(false);
    styled.setStrikeOut(false);
    styled.setUnderline(underlined);
    FRestyling = true;
    setFont(styled);
    FRestyling = false;
}

void TLXLinkListLabel::enterEvent(QEnterEvent *event)
{
    QLabel::enterEvent(event);
    if (isEnabled())
        setStyleUnderlined(true);
}

void TLXLinkListLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    if (isEnabled())
        setStyleUnderlined(false);
}

void TLXLinkListLabel::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    FPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TLXLinkListLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    const bool click = FPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    FPressed = false;
    event->accept();
    if (!click || !FOnClick)
        return;
    // The handler may free the list; keep a copy of it and touch nothing afterwards.
    const TLXLinkClickHandler handler = FOnClick;
    handler(this);
}

void TLXLinkListLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !FRestyling)
        fitToText();
}
