#include "widgets/TLXColumnConfig.h"

#include "widgets/TLXColumnPanel.h"

TLXColumnConfig::TLXColumnConfig(QObject *owner)
    : QObject(owner), FOwner(owner)
{
}

void TLXColumnConfig::SetSmall(int value) { Store(FSmall, value); }
void TLXColumnConfig::SetMedium(int value) { Store(FMedium, value); }
void TLXColumnConfig::SetLarge(int value) { Store(FLarge, value); }
void TLXColumnConfig::SetExtraLarge(int value) { Store(FExtraLarge, value); }

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

void TLXColumnConfig::SetValue(TLXScreenSize size, int value)
{
    switch (size) {
    case ssSmall: SetSmall(value); break;
    case ssMedium: SetMedium(value); break;
    case ssLarge: SetLarge(value); break;
    case ssExtraLarge: SetExtraLarge(value); break;
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
    Changed();
}

void TLXColumnConfig::Changed()
{
    if (auto *panel = qobject_cast<TLXColumnPanel *>(FOwner))
        panel->LayoutTopPanel();
}
