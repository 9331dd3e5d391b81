#include "gui/WhiteBackground.h"

#include <QPalette>
#include <QWidget>

void SetWhiteBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
