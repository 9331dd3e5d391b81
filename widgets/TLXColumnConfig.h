#pragma once

#include "widgets/TLXScreenSize.h"

#include <QObject>

// Spans of one column panel for the four width classes, read when that panel is a cell of
// another column panel. Owned by its panel (QObject parent); FOwner is that panel, not owned.
class TLXColumnConfig final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Small READ Small WRITE setSmall)
    Q_PROPERTY(int Medium READ Medium WRITE setMedium)
    Q_PROPERTY(int Large READ Large WRITE setLarge)
    Q_PROPERTY(int ExtraLarge READ ExtraLarge WRITE setExtraLarge)

public:
    explicit TLXColumnConfig(QObject *owner);
    Q_DISABLE_COPY_MOVE(TLXColumnConfig)

    int Small() const { return FSmall; }
    int Medium() const { return FMedium; }
    int Large() const { return FLarge; }
    int ExtraLarge() const { return FExtraLarge; }
    void setSmall(int value);
    void setMedium(int value);
    void setLarge(int value);
    void setExtraLarge(int value);

    int Value(TLXScreenSize size) const;
    void setValue(TLXScreenSize size, int value);

    // Span for a class; -1 borrows the span of another class.
    int ColumnSpan(TLXScreenSize size) const;

private:
    void Store(int &field, int value);
    void Changed();

    int FLarge = 12;
    int FMedium = -1;
    int FSmall = 24;
    int FExtraLarge = 0;
    QObject *FOwner;
};
