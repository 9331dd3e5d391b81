#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The program's icons: one name each, drawn from the resource file this library carries.
enum class TIcon { Save, Cancel, New, Edit, Delete, Search, Select, Debug, App, Expanded, Collapsed, Magnifier };

// Owns the registration of the program's resources and hands out its icons; each icon is made once,
// so every screen shares the same one. The icons are PNG files drawn from their SVG sources at build
// time (gui/tools/RenderIcons.cpp), one per pixel size they are shown at.
class TIcons final
{
public:
    TIcons() = delete;

    static QIcon Of(TIcon icon);
    // The resource path (":/icons/...") of the icon's smallest picture.
    static QString PathOf(TIcon icon);
    // Reads a PNG resource as PNG, without asking every image-format plug-in to identify it first
    // (which loads them all, and the SVG library with them).
    static QPixmap ReadPng(const QString &path);
    // Makes the resource files readable; the icon calls do it on their own.
    static void RegisterResources();
};
