#pragma once

#include <QString>

// How a field's Origin text steers the JSON conversion of ftBoolean and ftDataSet fields.
// The text is trimmed and compared without regard to letter case; anything else is Unknown.
class TOriginMarker final
{
public:
    enum TBooleanOrigin { boUnknown, boBoolean, boInteger };
    enum TDataSetOrigin { doUnknown, doJSONObject, doJSONArray };

    static TBooleanOrigin BooleanOrigin(const QString &origin);
    static TDataSetOrigin DataSetOrigin(const QString &origin);
};
