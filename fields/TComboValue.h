#pragma once

#include "rest/JsonUtils.h"

#include <QString>

// What stands behind one combo-box option: the key saved in the record, the text shown, and the
// array element the option was made from (none for fixed options; owned by the combo box's array).
class TComboValue final
{
public:
    TComboValue() = default;
    TComboValue(QString keyValue, QString displayValue, const TJson *objctValue = nullptr)
        : FKeyValue(std::move(keyValue)), FDisplayValue(std::move(displayValue)), FObjctValue(objctValue) {}

    const QString &KeyValue() const { return FKeyValue; }
    const QString &DisplayValue() const { return FDisplayValue; }
    const TJson *ObjctValue() const { return FObjctValue; }

private:
    QString FKeyValue;
    QString FDisplayValue;
    const TJson *FObjctValue = nullptr;
};
