#include "widgets/TLXDataGridRowHeader.h"

#include <QEvent>

// Clickable and highlighting the current row, as the header a QTableView makes itself.
TLXDataGridRowHeader::TLXDataGridRowHeader(QWidget *parent) : QHeaderView(Qt::Vertical, parent)
{
    setSectionsClickable(true);
    setHighlightSections(true);
}

QSize TLXDataGridRowHeader::sizeHint() const
{
    const qsizetype digits = QString::number(count()).size();
    if (digits != FDigits || !FHint.isValid()) {
        FHint = QHeaderView::sizeHint();
        FDigits = digits;
    }
    return FHint;
}

void TLXDataGridRowHeader::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        FDigits = -1;
    QHeaderView::changeEvent(event);
}
