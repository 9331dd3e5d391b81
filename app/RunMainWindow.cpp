#include "app/RunMainWindow.h"

#include "app/AppLog.h"
#include "app/TfrmPrincipal.h"
#include "app/TfrmServidor.h"
#include "config/TConfigLocation.h"
#include "config/TIniFileWriter.h"
#include "config/TSystemConfig.h"
#include "rest/TRequestPool.h"

#include <QApplication>

namespace {

// Keeps an address that answered for the next start.
void KeepServerAddress(const QString &userFile)
{
    TIniFileWriter ini(userFile);
    const QString section = QStringLiteral("config");
    ini.WriteString(section, QStringLiteral("servidor"), SystemConfig->Server);
    ini.WriteInteger(section, QStringLiteral("porta"), SystemConfig->Port);
    if (!ini.UpdateFile())
        qCWarning(lcApp) << "the server's address answered but is not kept for the next start";
}

} // namespace

bool AskServerUntilMenuLoads(TfrmPrincipal &window, const QString &userFile)
{
    bool retried = false;
    while (!window.MenuLoaded()) {
        TfrmServidor dialog;
        dialog.SetAddress(SystemConfig->Server, SystemConfig->Port);
        if (dialog.exec() != QDialog::Accepted)
            return false;
        // No request runs while this loop does (the menu's is synchronous and the window is not
        // shown yet), so the workers' lock-free reading of SystemConfig stays safe.
        SystemConfig->Server = dialog.Server();
        SystemConfig->Port = dialog.Port();
        retried = true;
        window.ReloadMenus();
    }
    if (retried)
        KeepServerAddress(userFile);
    return true;
}

int RunMainWindow(QApplication &app)
{
    int result = kExitWithoutServer;
    {
        TfrmPrincipal frmPrincipal;
        if (AskServerUntilMenuLoads(frmPrincipal, TConfigLocation::UserFile())) {
            frmPrincipal.show();
            result = app.exec();
        }
    }
    TRequestPool::Shutdown(2000);
    return result;
}
