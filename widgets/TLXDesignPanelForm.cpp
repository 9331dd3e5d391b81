#include "widgets/TLXDesignPanelForm.h"

TLXDesignPanelForm::TLXDesignPanelForm(QObject *parent)
    : QObject(parent)
{
}
