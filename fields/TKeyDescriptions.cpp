#include "fields/TKeyDescriptions.h"

#include "fields/FieldsLog.h"
#include "rest/TApiPaths.h"
#include "rest/THttpVerbs.h"

TKeyDescriptions::TKeyDescriptions(QString resource, QString displayField, QObject *parent)
    : QObject(parent), FResource(std::move(resource)), FDisplayField(std::move(displayField))
{ }

std::optional<QString> TKeyDescriptions::Of(const QString &key)
{
    if (key.isEmpty())
        return QString();
    if (const auto known = FKnown.constFind(key); known != FKnown.cend())
        return *known;
    FKnown.insert(key, std::nullopt);
    THttpVerbs::Get(
        TApiPaths::Record(FResource, key), this, [this, key](const TRestResult &answer) { Take(key, answer); });
    return std::nullopt;
}

void TKeyDescriptions::Take(const QString &key, const TRestResult &answer)
{
    // A key without a description keeps none; it is not asked for again.
    const TJson *record = answer.Is(200) ? answer.Object() : nullptr;
    if (!record) {
        qCWarning(lcFields).noquote() << "no description of" << FResource << key << "came:" << answer.Status;
        return;
    }
    try {
        FKnown.insert(key, GetValueText(*record, FDisplayField));
    } catch (const EJsonException &error) {
        qCWarning(lcFields).noquote() << "the description of" << FResource << key << "cannot be read:" << error.what();
        return;
    }
    emit Arrived();
}
