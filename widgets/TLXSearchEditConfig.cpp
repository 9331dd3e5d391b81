#include "widgets/TLXSearchEditConfig.h"

TLXSearchEditConfig::TLXSearchEditConfig(QObject *parent)
    : QObject(parent)
{
}
