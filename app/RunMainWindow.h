#pragma once

class QApplication;

// The program's life once the data module exists: creates the main window (which fetches the menu),
// shows it, runs the event loop until it closes, destroys it, and stops the request pool, giving
// transfers still running 2 s to end. Returns the loop's exit code.
int RunMainWindow(QApplication &app);
