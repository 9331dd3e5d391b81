#pragma once

#include <QPointer>

#include <functional>

class QObject;

// Runs work on the GUI thread on behalf of a worker and waits until it has run. Runs work directly
// when called on the GUI thread, and gives up instead of deadlocking while the program shuts its
// request pool down. The hand-over goes through the application object; the context is only
// checked on the GUI thread, so a context destroyed meanwhile is never touched and work is skipped.
class TGuiSync final
{
public:
    // True when work ran. A QPointer taken on the GUI thread (when the request was issued) is the
    // safe way to name a context that may be destroyed while the request is in flight.
    template <typename T>
    static bool Run(const QPointer<T> &context, std::function<void()> work)
    {
        return RunWhile([context] { return !context.isNull(); }, std::move(work));
    }
    // For contexts that outlive the call (the application object) or calls on the GUI thread.
    static bool Run(QObject *context, std::function<void()> work);

private:
    static bool RunWhile(std::function<bool()> alive, std::function<void()> work);
};
