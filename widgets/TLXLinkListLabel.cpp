#include "widgets/TLXLinkListLabel.h"

#include "gui/TFonts.h"

#include <QMetaMethod>
#include <QMouseEvent>

TLXLinkListLabel::TLXLinkListLabel(QWidget *parent) : QLabel(parent)
{
    if (!HasLinkLook(parent))
        GiveLinkLook(this);
    // Full width of the list whatever the caption; height from sizeHint.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setEnabled(false);
}

QFont TLXLinkListLabel::LinkFont()
{
    QFont font = TFonts::Of(TFontFace::Content, 10);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    font.setStrikeOut(false);
    return font;
}

namespace {

// Marks a widget that carries the links' starting look for its children.
const char *const kLinkLook = "quorelLinkLook";

} // namespace

void TLXLinkListLabel::GiveLinkLook(QWidget *widget)
{
    widget->setFont(LinkFont());
    QPalette colours = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        colours.setColor(group, QPalette::WindowText, Qt::white);
    widget->setPalette(colours);
    widget->setProperty(kLinkLook, true);
}

bool TLXLinkListLabel::HasLinkLook(const QWidget *widget)
{
    return widget && widget->property(kLinkLook).toBool();
}

void TLXLinkListLabel::connectNotify(const QMetaMethod &signal)
{
    QLabel::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&TLXLinkListLabel::clicked))
        updateClickable();
}

void TLXLinkListLabel::disconnectNotify(const QMetaMethod &signal)
{
    QLabel::disconnectNotify(signal);
    // An invalid method stands for disconnect() of every signal.
    if (!signal.isValid() || signal == QMetaMethod::fromSignal(&TLXLinkListLabel::clicked))
        updateClickable();
}

void TLXLinkListLabel::updateClickable()
{
    const bool clickable = isSignalConnected(QMetaMethod::fromSignal(&TLXLinkListLabel::clicked));
    setEnabled(clickable);
    if (clickable)
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

void TLXLinkListLabel::click()
{
    if (isEnabled())
        emit clicked();
}

void TLXLinkListLabel::setCurrent(bool current)
{
    if (FCurrent == current)
        return;
    FCurrent = current;
    setStyleUnderlined(current || underMouse());
    // A lighter shade of the list's background: the white caption stays easy to read on it.
    setAutoFillBackground(current);
    if (current && parentWidget()) {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, parentWidget()->palette().color(QPalette::Window).lighter(170));
        setPalette(colours);
    }
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
        setStyleUnderlined(FCurrent);
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
    if (click)
        emit clicked(); // last: a receiver may free the list
}

void TLXLinkListLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange && !FRestyling)
        fitToText();
}
