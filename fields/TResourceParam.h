#pragma once

#include "fields/TResourceParamSource.h"

#include <QString>

// One query parameter of a remote combo box.
class TResourceParam final
{
public:
    QString ParamType;
    QString Name;
    TResourceParamSource Source;
    QString Value;
};
