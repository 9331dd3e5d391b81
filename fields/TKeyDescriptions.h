#pragma once

#include "rest/TRestResult.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <optional>

// The descriptions of keys of one resource, each asked of the server once ("<resource>/<key>",
// its display member) without blocking, and kept while this lives. It is the context of its
// requests: an answer that comes after it is gone does nothing. Owns the descriptions known.
class TKeyDescriptions final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TKeyDescriptions)

public:
    TKeyDescriptions(QString resource, QString displayField, QObject *parent = nullptr);

    // The key's description when it came; otherwise starts asking for it (once) and gives none.
    std::optional<QString> Of(const QString &key);

signals:
    // A description came: what Of gives has changed.
    void Arrived();

private:
    void Take(const QString &key, const TRestResult &answer);

    QString FResource;
    QString FDisplayField;
    QHash<QString, std::optional<QString>> FKnown; // none while asked, or when it cannot be had
};
