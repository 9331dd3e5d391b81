#include "gui/TIcons.h"

#include "gui/GuiLog.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <array>

// Resources of a static library are registered by hand; the macro must stand outside namespaces.
static void InitResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {

// Resource file names, in the order of TIcon.
constexpr std::array kNames{"save", "cancel", "new", "edit", "delete", "search", "select", "debug",
                            "app", "expanded", "collapsed", "magnifier-light"};

} // namespace

void TIcons::RegisterResources()
{
    static const bool registered = (InitResources(), true);
    Q_UNUSED(registered);
}

QString TIcons::PathOf(TIcon icon)
{
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kNames.at(static_cast<size_t>(icon))));
}

QIcon TIcons::Of(TIcon icon)
{
    RegisterResources();
    // Emptied with the application object, while the icon engines still exist.
    static QHash<TIcon, QIcon> made;
    static const bool emptiedAtExit = (qAddPostRoutine([] { made.clear(); }), true);
    Q_UNUSED(emptiedAtExit);
    auto found = made.find(icon);
    if (found == made.end()) {
        if (!QFile::exists(PathOf(icon)))
            qCWarning(lcGui) << "icon resource" << PathOf(icon) << "is missing; the icon stays blank";
        found = made.insert(icon, QIcon(PathOf(icon)));
    }
    return *found;
}
