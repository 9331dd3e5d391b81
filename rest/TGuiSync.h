#pragma once

#include <functional>

class QObject;

// Runs work on the GUI thread on behalf of a worker and waits until it has run. Does nothing when
// the context object no longer exists, runs work directly when called on the GUI thread, and
// gives up instead of deadlocking while the program shuts its request pool down.
class TGuiSync final
{
public:
    // True when work ran.
    static bool Run(QObject *context, std::function<void()> work);
};
