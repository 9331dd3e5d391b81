#pragma once

#include "fields/TFieldMap.h"
#include "rest/JsonUtils.h"

#include <functional>

class QWidget;

// Builds an object group ("object" descriptor with "fields") into a column panel: its heading row,
// then one row per field through addField, which builds the row and registers its control in the
// group's map. The map is kept in objects under the group's name; a repeated name raises
// EJsonException before anything is added.
void AddObjectGroup(QWidget *panel, TGroupMap &objects, const TJson &descriptor,
                    const std::function<void(const TJson &field, TFieldMap &controls)> &addField);
