#include "app/RunMainWindow.h"
#include "app/TApplication.h"
#include "app/TdmGlobal.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    // The window fetches the menu while it is created, so the configuration comes first.
    dmGlobal = new TdmGlobal(&app);
    return RunMainWindow(app);
}
