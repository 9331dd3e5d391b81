#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "app/TfrmPrincipal.h"
#include "rest/TCurlLibrary.h"
#include "rest/TRequestPool.h"

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    // The HTTP library loads while the window is built; the menu fetch waits for it if need be.
    TCurlLibrary::LoadInBackground();
    dmGlobal = new TdmGlobal(&app);

    int result = 0;
    {
        // The window fetches the menu while it is created, so the configuration comes first.
        TfrmPrincipal frmPrincipal;
        frmPrincipal.show();
        result = app.exec();
    }
    TRequestPool::Shutdown(2000);
    return result;
}
