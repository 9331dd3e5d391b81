#pragma once

#include <QObject>

// Non-visual base of the panel form, and the type by which a TLXDesignPanel refers to one.
class TLXDesignPanelForm : public QObject
{
    Q_OBJECT

public:
    explicit TLXDesignPanelForm(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TLXDesignPanelForm)
};
