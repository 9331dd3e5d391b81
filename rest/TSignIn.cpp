#include "rest/TSignIn.h"

#include "config/TSystemConfig.h"
#include "rest/RestLog.h"
#include "rest/TGuiSync.h"
#include "rest/TRequestPool.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

// The state behind TSignIn, guarded by one mutex.
struct TSession
{
    std::mutex mutex;
    std::condition_variable answered;
    TSignIn::TPrompt prompt;
    std::optional<TCredentials> given; // what the prompt last gave
    quint64 generation = 0;            // bumped by every answer of the prompt
    bool asking = false;

    TSignIn::TAttempt CurrentLocked() const
    {
        if (given)
            return {*given, generation};
        const QString token = SystemConfig ? SystemConfig->Token : QString();
        return {token.isEmpty() ? TCredentials() : TCredentials::Bearer(token), generation};
    }
};

TSession &Session()
{
    static TSession session;
    return session;
}

bool OnGuiThread()
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

// Runs the prompt on the GUI thread, directly when called there; nullopt when it could not run
// or failed (the question must end for the requests waiting on it).
std::optional<TCredentials> Ask(const TSignIn::TPrompt &prompt, TCredentials::TScheme scheme)
{
    std::optional<TCredentials> answer;
    TGuiSync::Run(QCoreApplication::instance(), [&] {
        try {
            answer = prompt(scheme);
        } catch (const std::exception &error) {
            qCWarning(lcRest) << "asking for credentials failed:" << error.what();
        }
    });
    return answer;
}

} // namespace

void TSignIn::SetPrompt(TPrompt prompt)
{
    std::lock_guard lock(Session().mutex);
    Session().prompt = std::move(prompt);
}

TSignIn::TAttempt TSignIn::Current()
{
    std::lock_guard lock(Session().mutex);
    return Session().CurrentLocked();
}

void TSignIn::Forget()
{
    std::lock_guard lock(Session().mutex);
    Session().given.reset();
    ++Session().generation;
}

std::optional<TSignIn::TAttempt> TSignIn::AfterRefusal(const TAttempt &refused, TCredentials::TScheme scheme)
{
    TSession &session = Session();
    std::unique_lock lock(session.mutex);
    // Another request got new credentials since this one went out: repeat with those.
    if (session.generation != refused.Generation)
        return session.CurrentLocked();
    if (scheme == TCredentials::TScheme::None || !session.prompt)
        return std::nullopt;
    if (session.asking) {
        // The open question runs on the GUI thread: waiting there for it would never end.
        if (OnGuiThread())
            return std::nullopt;
        while (session.asking && !TRequestPool::ShuttingDown())
            session.answered.wait_for(lock, std::chrono::milliseconds(20));
        if (session.generation != refused.Generation)
            return session.CurrentLocked();
        return std::nullopt; // cancelled
    }
    session.asking = true;
    const TPrompt prompt = session.prompt;
    lock.unlock();
    const std::optional<TCredentials> answer = Ask(prompt, scheme);
    lock.lock();
    session.asking = false;
    if (answer) {
        session.given = answer;
        ++session.generation;
    }
    session.answered.notify_all();
    if (!answer)
        return std::nullopt;
    return session.CurrentLocked();
}
