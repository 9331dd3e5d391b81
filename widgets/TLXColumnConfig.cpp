#include "widgets/TLXColumnConfig.h"

TLXColumnConfig::TLXColumnConfig(QObject *parent)
    : QObject(parent)
{
}

void TLXColumnConfig::setSmall(int value) { Store(FSmall, value); }
void TLXColumnConfig::setMedium(int value) { Store(FMedium, value); }
void TLXColumnConfig::setLarge(int value) { Store(FLarge, value); }
void TLXColumnConfig::setExtraLarge(int value) { Store(FExtraLarge, value); }

int TLXColumnConfig::Value(TLXScreenSize size) const
{
    switch (size) {
    case ssSmall: return FSmall;
    case ssMedium: return FMedium;
    case ssLarge: return FLarge;
    case ssExtraLarge: return FExtraLarge;
    }
    return -1;
}

void TLXColumnConfig::setValue(TLXScreenSize size, int value)
{
    switch (size) {
    case ssSmall: setSmall(value); break;
    case ssMedium: setMedium(value); break;
    case ssLarge: setLarge(value); break;
    case ssExtraLarge: setExtraLarge(value); break;
    }
}

int TLXColumnConfig::ColumnSpan(TLXScreenSize size) const
{
    const int value = Value(size);
    if (value != -1)
        return value;
    switch (size) {
    case ssSmall: return ColumnSpan(ssMedium);
    case ssMedium: return ColumnSpan(ssLarge);
    case ssLarge: return ColumnSpan(ssExtraLarge);
    case ssExtraLarge:
        // Never recurses into a class holding -1, so the chain ends.
        for (TLXScreenSize fallback : {ssLarge, ssMedium, ssSmall})
            if (Value(fallback) >= 0)
                return ColumnSpan(fallback);
        return -1;
    }
    return -1;
}

void TLXColumnConfig::Store(int &field, int value)
{
    if (field == value)
        return;
    field = value;
    emit changed();
}
