#pragma once

#include "rest/THttpClient.h"

#include <functional>
#include <memory>
#include <string>

// Result callback: the client that performed the request (valid during the call only), the HTTP
// status (-1 when no answer arrived) and the answer as UTF-8 text. Called exactly once, on a worker.
using TResultProc = std::function<void(THttpClient &client, int status, const std::string &text)>;

// The asynchronous gateway to the back-end. Each call returns at once; the request runs on the
// request pool with a fresh client, against SystemConfig->getPath(Path).
class THttpVerbs final
{
public:
    THttpVerbs() = delete;

    // Time-out for the few requests made synchronously on the GUI thread.
    static constexpr int SyncTimeoutMs = 60000;
    // The time-out GetSync applies: SyncTimeoutMs unless a test shortens it (GUI thread only).
    static inline int SyncTimeoutInUseMs = SyncTimeoutMs;

    static std::unique_ptr<THttpClient> CreateRequest();
    // A synchronous GET of a server path with SyncTimeoutInUseMs bounds; for the GUI thread.
    static THttpResponse GetSync(const QString &Path);

    static void Get(const QString &Path, const QString &Body, TResultProc Return);
    static void Get(const QString &Path, TResultProc Return) { Get(Path, QString(), std::move(Return)); }
    static void Post(const QString &Path, const QString &Body, TResultProc Return);
    static void Put(const QString &Path, const QString &Body, TResultProc Return);
    static void Delete(const QString &Path, TResultProc Return);

    static QString UrlOf(const QString &Path);

private:
    enum class TVerb { Get, Post, Put, Delete };
    static void Issue(TVerb verb, const QString &Path, const QByteArray &Body, TResultProc Return);
};
