#include "app/RunMainWindow.h"
#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "config/TConfigLocation.h"
#include "gui/TLayoutSettings.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    // Which configuration file: decided before anything is read. A command line that cannot be
    // followed (a --config file that does not exist, an unknown option) ends the program with
    // exit code 2 and says why on the standard error, where whoever typed it looks.
    const TConfigLocation location(app.arguments(), QCoreApplication::applicationDirPath());
    if (location.HelpRequested()) {
        std::fputs(qPrintable(location.HelpText()), stdout);
        return 0;
    }
    if (!location.Error().isEmpty()) {
        std::fputs(qPrintable(location.Error() + QLatin1Char('\n')), stderr);
        return 2;
    }
    if (location.ResetLayout())
        TLayoutSettings::Forget();
    // The window fetches the menu while it is created, so the configuration comes first.
    dmGlobal = new TdmGlobal(location.File(), &app);
    return RunMainWindow(app);
}
