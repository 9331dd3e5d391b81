#include "screens/AddObjectGroup.h"

#include "screens/AddGroupHeading.h"

void AddObjectGroup(QWidget *panel, TGroupMap &objects, const TJson &descriptor,
                    const std::function<void(const TJson &field, TFieldMap &controls)> &addField)
{
    const QString name = GetValueText(descriptor, QStringLiteral("nome"));
    if (objects.contains(name))
        throw EJsonException(QStringLiteral("Object group '%1' repeated").arg(name));
    AddGroupHeading(panel, name, GetValueText(descriptor, QStringLiteral("label")));

    TFieldMap controls;
    for (const TJson &field : GetValueArray(descriptor, QStringLiteral("fields")))
        addField(field, controls);
    objects.insert(name, controls);
}
