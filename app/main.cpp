#include "app/TApplication.h"
#include "app/TdmGlobal.h"
#include "rest/TRequestPool.h"

#include <QMainWindow>

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    dmGlobal = new TdmGlobal(&app);

    QMainWindow window;
    window.setObjectName(QStringLiteral("frmPrincipal"));
    window.setWindowTitle(QStringLiteral("QuorelApi"));
    window.showMaximized();

    const int result = app.exec();
    TRequestPool::Shutdown(2000);
    return result;
}
