#include "screens/TfrmPadrao.h"

#include "gui/TFonts.h"

TfrmPadrao::TfrmPadrao(QWidget *parent) : QWidget(parent, Qt::Window)
{
    QFont font = TFonts::Of(TFontFace::Window);
    font.setPixelSize(11);
    setFont(font);
}
