#include "gui/TIcons.h"

#include "gui/GuiLog.h"

#include <QCoreApplication>
#include <QHash>
#include <QImageReader>

#include <array>
#include <vector>

// Resources of a static library are registered by hand; the macro must stand outside namespaces.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
    Q_INIT_RESOURCE(rendered_icons);
}

namespace {

// Resource file names, in the order of TIcon.
constexpr std::array kNames {"save", "cancel", "new", "edit", "delete", "search", "select", "debug", "app", "expanded",
    "collapsed", "magnifier-light"};

// The pixel sizes each icon is drawn at (gui/CMakeLists.txt draws the same): those the screens show
// them at and twice those; the window system asks for larger application icons.
std::vector<int> SizesOf(TIcon icon)
{
    if (icon == TIcon::App)
        return {16, 24, 32, 48, 64, 128};
    return {16, 24, 32, 48};
}

QString PathAt(TIcon icon, int size)
{
    return QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(kNames.at(static_cast<size_t>(icon)))).arg(size);
}

QIcon Make(TIcon icon)
{
    QIcon made;
    for (int size : SizesOf(icon)) {
        const QPixmap picture = TIcons::ReadPng(PathAt(icon, size));
        if (picture.isNull())
            qCWarning(lcGui) << "icon resource" << PathAt(icon, size)
                             << "is missing or unreadable; that size stays blank";
        else
            made.addPixmap(picture);
    }
    return made;
}

} // namespace

void TIcons::RegisterResources()
{
    static const bool registered = (InitResources(), true);
    Q_UNUSED(registered);
}

QString TIcons::PathOf(TIcon icon)
{
    return PathAt(icon, SizesOf(icon).front());
}

QPixmap TIcons::ReadPng(const QString &path)
{
    RegisterResources();
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QIcon TIcons::Of(TIcon icon)
{
    RegisterResources();
    // Emptied with the application object, while the pictures' resources still exist.
    static QHash<TIcon, QIcon> made;
    static const bool emptiedAtExit = (qAddPostRoutine([] { made.clear(); }), true);
    Q_UNUSED(emptiedAtExit);
    auto found = made.find(icon);
    if (found == made.end())
        found = made.insert(icon, Make(icon));
    return *found;
}
