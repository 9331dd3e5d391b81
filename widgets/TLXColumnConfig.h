#pragma once

#include "widgets/TLXScreenSize.h"

#include <QObject>

// Spans of one column panel for the four width classes, read when that panel is a cell of
// another column panel; a stored span that changes raises changed(). Owned by its panel (QObject parent).
class TLXColumnConfig final : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int Small READ Small WRITE setSmall NOTIFY changed)
    Q_PROPERTY(int Medium READ Medium WRITE setMedium NOTIFY changed)
    Q_PROPERTY(int Large READ Large WRITE setLarge NOTIFY changed)
    Q_PROPERTY(int ExtraLarge READ ExtraLarge WRITE setExtraLarge NOTIFY changed)

public:
    explicit TLXColumnConfig(QObject *parent);
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

signals:
    // A span changed value; setting a span to the value it holds raises nothing.
    void changed();

private:
    void Store(int &field, int value);

    int FLarge = 12;
    int FMedium = -1;
    int FSmall = 24;
    int FExtraLarge = 0;
};
