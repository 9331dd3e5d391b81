#include "widgets/TLXSearchEdit.h"

#include "widgets/TLXSearchEditConfig.h"

#include <QAction>
#include <QIcon>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QPainter>
#include <QPixmap>
#include <QPointer>

#include <stdexcept>

namespace {

// A plain magnifying glass, shown until the owner sets its own picture.
QIcon DefaultSearchIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    painter.drawEllipse(QRectF(2, 2, 8, 8));
    painter.setPen(QPen(QColor(60, 60, 60), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(10, 10), QPointF(14, 14));
    return QIcon(pixmap);
}

} // namespace

TLXSearchEdit::TLXSearchEdit(QWidget *parent)
    : QLineEdit(parent),
      FConfig(new TLXSearchEditConfig(this)),
      FRightButton(addAction(DefaultSearchIcon(), QLineEdit::TrailingPosition))
{
    connect(FRightButton, &QAction::triggered, this, [this] { emit rightButtonClicked(); });
    connect(this, &QLineEdit::textChanged, this, &TLXSearchEdit::Change);
}

TLXSearchEdit::~TLXSearchEdit() = default;

void TLXSearchEdit::setKeyValue(const QString &Value)
{
    FKeyValue = Value;
    if (hasFocus())
        setText(Value);
    const QPointer<TLXSearchEdit> alive(this);
    emit keyChanged();
    if (!alive)
        return;
    if (parentWidget())
        selectAll();
    setText(Value);
}

void TLXSearchEdit::setDisplayValue(const QString &Value)
{
    FDisplayValue = Value;
    if (!hasFocus())
        setText(Value);
}

int TLXSearchEdit::KeyInteger() const
{
    if (FKeyValue.isEmpty())
        return -1;
    bool ok = false;
    const int value = FKeyValue.toInt(&ok, 10);
    if (!ok)
        throw std::invalid_argument(
            QStringLiteral("'%1' is not a valid integer value").arg(FKeyValue).toStdString());
    return value;
}

void TLXSearchEdit::setButtonIcon(const QIcon &icon)
{
    FRightButton->setIcon(icon);
}

void TLXSearchEdit::Loaded()
{
    FLoaded = true;
    setText(FDisplayValue);
}

void TLXSearchEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    setText(FKeyValue);
    selectAll();
}

void TLXSearchEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Blanks around a typed key are no part of it.
    const QString typed = text().trimmed();
    if (typed == FKeyValue) {
        setText(FDisplayValue);
        return;
    }
    const QPointer<TLXSearchEdit> alive(this);
    setKeyValue(typed);
    if (!alive)
        return;
    setText(FDisplayValue);
    emit keyTyped();
}

void TLXSearchEdit::keyPressEvent(QKeyEvent *event)
{
    // Typed characters (and Backspace, which the edit treats as one) are dropped when searching only.
    const bool typesCharacter = event->key() == Qt::Key_Backspace
        || (!event->text().isEmpty() && event->text().at(0).isPrint());
    if (FSearchOnly && typesCharacter) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
    if (event->key() == Qt::Key_F8 && HasRightButtonHandler())
        emit rightButtonClicked();
}

void TLXSearchEdit::Change()
{
    if (FLoaded && !hasFocus())
        FDisplayValue = text();
}

bool TLXSearchEdit::HasRightButtonHandler() const
{
    return isSignalConnected(QMetaMethod::fromSignal(&TLXSearchEdit::rightButtonClicked));
}
