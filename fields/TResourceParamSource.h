#pragma once

#include <QString>

// Where a combo parameter's value comes from: the member Field of each element found at the JSON
// path Source of the record being edited.
class TResourceParamSource final
{
public:
    QString Source;
    QString Field;
};
