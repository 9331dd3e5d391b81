#include "widgets/TLXAccordionTabTitle.h"

#include "widgets/TLXAccordion.h"
#include "widgets/TLXAccordionCollection.h"
#include "widgets/TLXAccordionItem.h"
#include "widgets/TLXAccordionTab.h"
#include "widgets/TLXImageButton.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

TLXAccordionTabTitle::TLXAccordionTabTitle(TLXAccordionTab *tab)
    : QWidget(tab)
{
    setFixedHeight(TLXAccordion::TitleHeight);
    FClose = new TLXImageButton(this);
    FClose->resize(15, 18);
    FTitle = new QLabel(QStringLiteral("Título"), this);
    FTitle->adjustSize();
    FTitle->installEventFilter(this);
    connect(FClose, &TLXImageButton::clicked, this, [this] { TitleBarClick(FClose); });
    ArrangeControls();
    UpdateImages();
}

TLXAccordionTab *TLXAccordionTabTitle::Tab() const
{
    return static_cast<TLXAccordionTab *>(parentWidget());
}

QString TLXAccordionTabTitle::Title() const
{
    return FTitle->text();
}

void TLXAccordionTabTitle::setTitle(const QString &title)
{
    FTitle->setText(title);
    FTitle->adjustSize();
    ArrangeControls();
}

void TLXAccordionTabTitle::setBorderColor(const QColor &colour)
{
    FBorderColor = colour;
    update();
}

void TLXAccordionTabTitle::setColor(const QColor &colour)
{
    FColor = colour;
    update();
}

void TLXAccordionTabTitle::setSides(TLXAccordionBorders sides)
{
    FSides = sides;
    update();
}

QFont TLXAccordionTabTitle::TitleFont() const
{
    return FTitle->font();
}

void TLXAccordionTabTitle::setTitleFont(const QFont &font)
{
    FTitle->setFont(font);
    FTitle->adjustSize();
    ArrangeControls();
}

void TLXAccordionTabTitle::setTitleFontColor(const QColor &colour)
{
    QPalette colours = FTitle->palette();
    colours.setColor(QPalette::WindowText, colour);
    FTitle->setPalette(colours);
}

void TLXAccordionTabTitle::UpdateImages()
{
    const TLXAccordion *accordion = Tab()->Accordion();
    FClose->setImageList(accordion->ButtonImageList());
    const bool expanded = Tab()->Expanded();
    FClose->setImageNormal(expanded ? accordion->CloseImage() : accordion->OpenImage());
    FClose->setImageOver(expanded ? accordion->CloseImageOver() : accordion->OpenImageOver());
}

void TLXAccordionTabTitle::ArrangeControls()
{
    const int h = height(), w = width();
    FTitle->move(6, (h - FTitle->height()) / 2);
    FClose->move(w - FClose->width() - 5, (h + 4 - FClose->height()) / 2);
}

void TLXAccordionTabTitle::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeControls();
}

void TLXAccordionTabTitle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int w = width(), h = height();
    painter.fillRect(0, 0, w, h + 1, FColor);
    painter.setPen(QPen(FBorderColor, 1));
    if (FSides & abLeft)
        painter.drawLine(0, 0, 0, h);
    if (FSides & abRight)
        painter.drawLine(w - 1, 0, w - 1, h);
    if (FSides & abTop)
        painter.drawLine(0, 0, w - 1, 0);
    if (FSides & abBottom)
        painter.drawLine(0, h - 1, w - 1, h - 1);
}

bool TLXAccordionTabTitle::completesClick(QObject *watched, QEvent *event)
{
    auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        FPressedOn = watched;
        return false;
    }
    const bool pressedHere = FPressedOn == watched;
    FPressedOn = nullptr;
    const auto *widget = static_cast<QWidget *>(watched);
    return pressedHere && widget->rect().contains(mouse->position().toPoint());
}

void TLXAccordionTabTitle::mousePressEvent(QMouseEvent *event)
{
    completesClick(this, event);
    event->accept();
}

void TLXAccordionTabTitle::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (completesClick(this, event))
        TitleBarClick(this);
}

bool TLXAccordionTabTitle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FTitle && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        if (completesClick(watched, event))
            TitleBarClick(watched);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// An expanded section hands the expansion to the next shown section, or else to
// the previous one; a collapsed section expands itself.
void TLXAccordionTabTitle::TitleBarClick(QObject *sender)
{
    const QPointer<TLXAccordionTabTitle> self(this);
    TLXAccordionTab *tab = Tab();
    TLXAccordion *accordion = tab->Accordion();
    const TLXAccordionCollection *items = accordion->Items();
    if (tab->Expanded()) {
        const int selected = accordion->SelectedIndex();
        const auto shown = [items](int index) { return items->Items(index)->Visible(); };
        int target = -1;
        for (int i = selected + 1; i < items->Count() && target < 0; ++i)
            target = shown(i) ? i : -1;
        for (int i = qMin(selected, items->Count()) - 1; i >= 0 && target < 0; --i)
            target = shown(i) ? i : -1;
        if (target >= 0)
            accordion->setSelectedIndex(target);
    } else {
        accordion->setSelectedIndex(items->IndexOf(tab));
    }
    if (self)
        emit buttonClicked(sender);
}
