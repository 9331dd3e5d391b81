#pragma once

#include <QObject>
#include <QString>

// Lookup settings of a TLXSearchEdit: which resource to search, and which member or result
// column holds the key and the description. Owned by its edit.
class TLXSearchEditConfig final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString KeyField READ KeyField WRITE setKeyField)
    Q_PROPERTY(QString DisplayField READ DisplayField WRITE setDisplayField)
    Q_PROPERTY(QString Resource READ Resource WRITE setResource)

public:
    explicit TLXSearchEditConfig(QObject *parent);
    Q_DISABLE_COPY_MOVE(TLXSearchEditConfig)

    QString KeyField() const { return FKeyField; }
    void setKeyField(const QString &value) { FKeyField = value; }
    QString DisplayField() const { return FDisplayField; }
    void setDisplayField(const QString &value) { FDisplayField = value; }
    QString Resource() const { return FResource; }
    void setResource(const QString &value) { FResource = value; }

private:
    QString FDisplayField;
    QString FResource;
    QString FKeyField;
};
