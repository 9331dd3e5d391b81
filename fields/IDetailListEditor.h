#pragma once

#include "rest/JsonUtils.h"

#include <QString>

// What the field engine needs from an editor of a list of sub-records embedded in a record: the
// member the list is stored under and the rows themselves. An editor widget implements this next
// to its Qt base; the field engine finds it with dynamic_cast.
class IDetailListEditor
{
public:
    virtual ~IDetailListEditor() = default;

    // The member of the parent record that holds the array.
    virtual QString FieldName() const = 0;
    // The rows: a JSON array of sub-record objects.
    virtual const TJson &Values() const = 0;
    // Replaces the rows by the given array: a copy of it, or the array itself when the caller
    // hands over its own (an editor that cannot take it over copies it).
    virtual void SetValues(const TJson &Values) = 0;
    virtual void SetValues(TJson &&Values) { SetValues(static_cast<const TJson &>(Values)); }

protected:
    IDetailListEditor() = default;
    IDetailListEditor(const IDetailListEditor &) = default;
    IDetailListEditor &operator=(const IDetailListEditor &) = default;
};
