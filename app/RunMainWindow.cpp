#include "app/RunMainWindow.h"

#include "app/TfrmPrincipal.h"
#include "rest/TRequestPool.h"

#include <QApplication>

int RunMainWindow(QApplication &app)
{
    int result = 0;
    {
        TfrmPrincipal frmPrincipal;
        frmPrincipal.show();
        result = app.exec();
    }
    TRequestPool::Shutdown(2000);
    return result;
}
