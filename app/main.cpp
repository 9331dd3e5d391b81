#include "app/RunMainWindow.h"
#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "rest/TCurlLibrary.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    // The HTTP library loads while the window is built; the menu fetch waits for it if need be.
    TCurlLibrary::LoadInBackground();
    // The window fetches the menu while it is created, so the configuration comes first.
    dmGlobal = new TdmGlobal(&app);
    return RunMainWindow(app);
}
