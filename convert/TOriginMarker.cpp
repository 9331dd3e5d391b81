#include "convert/TOriginMarker.h"

namespace {

template <typename E, size_t N> E Match(const QString &origin, const QLatin1String (&names)[N])
{
    const QString text = origin.trimmed();
    for (size_t i = 0; i < N; ++i)
        if (text.compare(names[i], Qt::CaseInsensitive) == 0)
            return E(i);
    return E(0);
}

} // namespace

TOriginMarker::TBooleanOrigin TOriginMarker::BooleanOrigin(const QString &origin)
{
    static const QLatin1String names[] = {QLatin1String("Unknown"), QLatin1String("Boolean"), QLatin1String("Integer")};
    return Match<TBooleanOrigin>(origin, names);
}

TOriginMarker::TDataSetOrigin TOriginMarker::DataSetOrigin(const QString &origin)
{
    static const QLatin1String names[]
        = {QLatin1String("Unknown"), QLatin1String("JSONObject"), QLatin1String("JSONArray")};
    return Match<TDataSetOrigin>(origin, names);
}
