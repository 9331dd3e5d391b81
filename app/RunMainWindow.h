#pragma once

class QApplication;
class QString;
class TfrmPrincipal;

// Exit code of the program when the user leaves at start ("Sair") without a menu.
constexpr int kExitWithoutServer = 1;

// The program's life once the data module exists: creates the main window (which fetches the menu),
// and when the menu did not come, asks for the server's address until it does or the user leaves
// (then returns kExitWithoutServer). Shows the window, runs the event loop until it closes, destroys
// it, and stops the request pool, giving transfers still running 2 s to end. Returns the loop's exit code.
int RunMainWindow(QApplication &app);

// Until window's menu has loaded: the address dialog (TfrmServidor) with SystemConfig's address;
// "Tentar novamente" puts the address into SystemConfig and asks for the menu again (a failure shows
// its message, then the dialog comes again); "Sair" gives up. The address of a menu that came after a
// retry is written to userFile (servidor and porta of section config, the file's other lines kept);
// nothing is written otherwise. True when the menu loaded.
bool AskServerUntilMenuLoads(TfrmPrincipal &window, const QString &userFile);
