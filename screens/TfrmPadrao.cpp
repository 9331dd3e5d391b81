#include "screens/TfrmPadrao.h"

#include <QFont>

TfrmPadrao::TfrmPadrao(QWidget *parent) : QWidget(parent, Qt::Window)
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
}
