#pragma once

#include <QObject>
#include <QString>

// Lookup settings of a TLXSearchEdit: which resource to search, and which member or result
// column holds the key and the description. Owned by its edit.
class TLXSearchEditConfig final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString KeyField READ KeyField WRITE SetKeyField)
    Q_PROPERTY(QString DisplayField READ DisplayField WRITE SetDisplayField)
    Q_PROPERTY(QString Resource READ Resource WRITE SetResource)

public:
    explicit TLXSearchEditConfig(QObject *parent);
    Q_DISABLE_COPY_MOVE(TLXSearchEditConfig)

    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString &value) { FKeyField = value; }
    QString DisplayField() const { return FDisplayField; }
    void SetDisplayField(const QString &value) { FDisplayField = value; }
    QString Resource() const { return FResource; }
    void SetResource(const QString &value) { FResource = value; }

private:
    QString FDisplayField;
    QString FResource;
    QString FKeyField;
};
