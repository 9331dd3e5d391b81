#include "rest/TGuiSync.h"

#include "rest/RestLog.h"
#include "rest/TRequestPool.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace {

struct THandoff
{
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool ran = false;
    bool abandoned = false;

    void Finish()
    {
        std::lock_guard lock(mutex);
        done = true;
        finished.notify_all();
    }
};

// Signals the waiting worker when the queued call has run or was dropped unrun (its context died).
struct TFinishOnDestroy
{
    explicit TFinishOnDestroy(std::shared_ptr<THandoff> handoff) : state(std::move(handoff)) {}
    TFinishOnDestroy(const TFinishOnDestroy &) = delete;
    TFinishOnDestroy &operator=(const TFinishOnDestroy &) = delete;
    ~TFinishOnDestroy() { state->Finish(); }
    std::shared_ptr<THandoff> state;
};

} // namespace

bool TGuiSync::Run(QObject *context, std::function<void()> work)
{
    if (!context)
        return false;
    QPointer<QObject> guard;
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        guard = context;
    return RunWhile([guard, context, onGui = !guard.isNull()] { return onGui ? !guard.isNull() : context != nullptr; },
                    std::move(work));
}

bool TGuiSync::RunWhile(std::function<bool()> alive, std::function<void()> work)
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    if (QThread::currentThread() == app->thread()) {
        if (!alive())
            return false;
        work();
        return true;
    }
    if (TRequestPool::ShuttingDown())
        return false;

    auto state = std::make_shared<THandoff>();
    auto finisher = std::make_shared<TFinishOnDestroy>(state);
    const bool posted = QMetaObject::invokeMethod(
        app,
        [state, finisher, alive = std::move(alive), work = std::move(work)] {
            {
                std::lock_guard lock(state->mutex);
                if (state->abandoned || !alive())
                    return;
                state->ran = true;
            }
            // Unwinding through Qt's event dispatch would leak what it holds: an error stops here.
            // Callers that must show their errors wrap their work in the program's error edge.
            try {
                work();
            } catch (const std::exception &error) {
                qCWarning(lcRest) << "work handed to the GUI thread failed:" << error.what();
            } catch (...) {
                qCWarning(lcRest) << "work handed to the GUI thread failed with an unknown error";
            }
        },
        Qt::QueuedConnection);
    finisher.reset();
    if (!posted)
        return false;

    std::unique_lock lock(state->mutex);
    while (!state->done) {
        state->finished.wait_for(lock, std::chrono::milliseconds(20));
        if (!state->done && !state->ran && TRequestPool::ShuttingDown()) {
            state->abandoned = true;
            return false;
        }
    }
    return state->ran;
}
