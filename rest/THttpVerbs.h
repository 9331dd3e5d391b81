#pragma once

#include "rest/THttpClient.h"
#include "rest/TRestResult.h"
#include "rest/TSignIn.h"

#include <functional>
#include <memory>

class QObject;

// The one way to the back-end. Each asynchronous verb returns at once; the request runs on the
// request pool with a fresh client against SystemConfig->getPath(Path), the answer is read and
// parsed there, and the handler then runs on the GUI thread while the worker waits for it, so
// answers are handled in the order they complete. The handler is not called when the context is
// gone by then (take the screen or widget the answer is for). What it raises is logged in
// "quorel.rest"; handlers that must show their errors wrap their work in ShowErrorsOf. Every
// request leaves a debug line in "quorel.rest.requests": method, path, status, milliseconds.
// Requests sign in as TSignIn says; a 401 that asks for Basic or Bearer credentials is repeated
// with what the user gives (at most MaxSignInRepeats times), and otherwise handed on.
class THttpVerbs final
{
public:
    THttpVerbs() = delete;

    enum class TVerb { Get, Post, Put, Delete };
    using THandler = std::function<void(const TRestResult &result)>;

    // Time-out for the few requests made synchronously on the GUI thread.
    static constexpr int SyncTimeoutMs = 60000;
    // The time-out GetSync applies: SyncTimeoutMs unless a test shortens it (GUI thread only).
    static inline int SyncTimeoutInUseMs = SyncTimeoutMs;
    // How often one request is repeated after a 401: the user may correct a mistyped password once.
    static constexpr int MaxSignInRepeats = 2;

    static void Get(const QString &Path, QObject *Context, THandler Handler);
    static void Post(const QString &Path, const QString &Body, QObject *Context, THandler Handler);
    // IfMatch: the record version (an ETag as a GET answered it) the write is conditional on;
    // empty sends no If-Match and writes whatever is stored.
    static void Put(const QString &Path, const QString &Body, QObject *Context, THandler Handler,
                    const QByteArray &IfMatch = {});
    static void Delete(const QString &Path, QObject *Context, THandler Handler, const QByteArray &IfMatch = {});

    // A GET of a server path on the calling thread, bounded by SyncTimeoutInUseMs; for the GUI thread.
    static TRestResult GetSync(const QString &Path);
    // The work of one request on the calling thread, read and parsed as the handlers get it
    // (TimeoutMs 0: none). The verbs run it on the pool and GetSync on the GUI thread; callers use
    // those, the benchmarks measure it alone.
    static TRestResult Perform(TVerb Verb, const QString &Path, const QByteArray &Body = {}, int TimeoutMs = 0,
                               const QByteArray &IfMatch = {});

    // A client for the back-end: JSON, the configuration's extra certificate authority, and the
    // credentials given (the session's by default).
    static std::unique_ptr<THttpClient> CreateRequest(const TCredentials &Credentials = TSignIn::Current().Credentials);
    static QString UrlOf(const QString &Path);

private:
    static void Issue(TVerb Verb, const QString &Path, const QByteArray &Body, QObject *Context, THandler Handler,
                      const QByteArray &IfMatch = {});
};
