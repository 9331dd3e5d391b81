#include "widgets/TFormConfig.h"

#include <QApplication>
#include <QPalette>

#include <algorithm>

TFormConfig::TFormConfig(QObject *parent)
    : QObject(parent),
      FTransparentColorValue(QApplication::palette().color(QPalette::Button))
{
}

void TFormConfig::setAlphaBlendValue(int value)
{
    // A byte: anything outside 0..255 is brought into range.
    FAlphaBlendValue = std::clamp(value, 0, 255);
}
