#pragma once

#include <QIcon>
#include <QString>

// The program's icons: one name each, drawn from the resource file this library carries.
enum class TIcon { Save, Cancel, New, Edit, Delete, Search, Select, Debug, App, Expanded, Collapsed, Magnifier };

// Owns the registration of the program's resources and hands out its icons; each icon is made once,
// so every screen shares the same one.
class TIcons final
{
public:
    TIcons() = delete;

    static QIcon Of(TIcon icon);
    // The icon's resource path (":/icons/...").
    static QString PathOf(TIcon icon);
    // Makes the resource file readable; the icon calls do it on their own.
    static void RegisterResources();
};
