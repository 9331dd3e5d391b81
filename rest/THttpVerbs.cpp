#include "rest/THttpVerbs.h"

#include "config/TSystemConfig.h"
#include "rest/RestLog.h"
#include "rest/TGuiSync.h"
#include "rest/TRequestPool.h"

#include <QByteArrayView>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

namespace {

const char *MethodOf(THttpVerbs::TVerb verb)
{
    switch (verb) {
    case THttpVerbs::TVerb::Get: return "GET";
    case THttpVerbs::TVerb::Post: return "POST";
    case THttpVerbs::TVerb::Put: return "PUT";
    case THttpVerbs::TVerb::Delete: return "DELETE";
    }
    return "?";
}

// The answer as its handler gets it. GET answers are UTF-8 whatever they declare; the others
// follow their declared charset. The JSON is parsed from the text, so bytes that are no UTF-8 read
// as replacement characters in both.
TRestResult ResultOf(THttpVerbs::TVerb verb, const THttpResponse &response)
{
    TRestResult result;
    result.Status = response.Status;
    result.Error = response.Error;
    if (!response.Answered())
        return result;
    result.ETag = response.Header("ETag");
    const bool get = verb == THttpVerbs::TVerb::Get;
    result.Text = get ? QString::fromUtf8(response.Body) : response.DeclaredText();
    // Valid UTF-8 is parsed as it came, without a second conversion.
    const QByteArray utf8 = get && QByteArrayView(response.Body).isValidUtf8() ? response.Body : result.Text.toUtf8();
    result.Json = ParseJson(std::string_view(utf8.constData(), std::size_t(utf8.size())));
    return result;
}

// The sign-in scheme a 401 answer's challenges ask for.
TCredentials::TScheme SchemeAsked(const THttpResponse &response)
{
    QByteArrayList challenges;
    for (const auto &[name, value] : response.Headers)
        if (name.compare("WWW-Authenticate", Qt::CaseInsensitive) == 0)
            challenges.append(value);
    return TCredentials::SchemeAsked(challenges);
}

// One exchange with the back-end, signed in with the credentials given.
THttpResponse Exchange(THttpVerbs::TVerb verb, const QString &url, const QByteArray &body, int timeoutMs,
                       const QByteArray &ifMatch, const TCredentials &credentials)
{
    const auto client = THttpVerbs::CreateRequest(credentials);
    client->ConnectTimeoutMs = timeoutMs;
    client->ResponseTimeoutMs = timeoutMs;
    if (verb != THttpVerbs::TVerb::Get)
        client->Accept = "application/json";
    if (!ifMatch.isEmpty())
        client->Headers.append("If-Match: " + ifMatch);
    switch (verb) {
    case THttpVerbs::TVerb::Get: return client->Get(url);
    case THttpVerbs::TVerb::Post: return client->Post(url, body);
    case THttpVerbs::TVerb::Put: return client->Put(url, body);
    case THttpVerbs::TVerb::Delete: return client->Delete(url);
    }
    return {};
}

} // namespace

QString THttpVerbs::UrlOf(const QString &Path)
{
    static const TSystemConfig defaults;
    return (SystemConfig ? *SystemConfig : defaults).getPath(Path);
}

std::unique_ptr<THttpClient> THttpVerbs::CreateRequest(const TCredentials &Credentials)
{
    auto client = std::make_unique<THttpClient>();
    client->ContentType = "application/json;charset=utf-8";
    if (SystemConfig)
        client->CaCertificateFile = SystemConfig->CaFile;
    if (const QByteArray authorization = Credentials.AuthorizationHeader(); !authorization.isEmpty())
        client->Headers.append(authorization);
    return client;
}

TRestResult THttpVerbs::Perform(TVerb Verb, const QString &Path, const QByteArray &Body, int TimeoutMs,
                                const QByteArray &IfMatch)
{
    QElapsedTimer elapsed;
    elapsed.start();
    const QString url = UrlOf(Path);
    // A refusal the user can answer repeats the request with what they give.
    TSignIn::TAttempt attempt = TSignIn::Current();
    THttpResponse response = Exchange(Verb, url, Body, TimeoutMs, IfMatch, attempt.Credentials);
    for (int repeats = 0; response.Status == 401 && repeats < MaxSignInRepeats; ++repeats) {
        const std::optional<TSignIn::TAttempt> next = TSignIn::AfterRefusal(attempt, SchemeAsked(response));
        if (!next)
            break;
        attempt = *next;
        response = Exchange(Verb, url, Body, TimeoutMs, IfMatch, attempt.Credentials);
    }
    TRestResult result = ResultOf(Verb, response);
    qCDebug(lcRequests).noquote() << MethodOf(Verb) << Path << result.Status << elapsed.elapsed() << "ms";
    return result;
}

TRestResult THttpVerbs::GetSync(const QString &Path)
{
    return Perform(TVerb::Get, Path, {}, SyncTimeoutInUseMs);
}

void THttpVerbs::Get(const QString &Path, QObject *Context, THandler Handler)
{
    Issue(TVerb::Get, Path, {}, Context, std::move(Handler));
}

void THttpVerbs::Post(const QString &Path, const QString &Body, QObject *Context, THandler Handler)
{
    Issue(TVerb::Post, Path, Body.toUtf8(), Context, std::move(Handler));
}

void THttpVerbs::Put(const QString &Path, const QString &Body, QObject *Context, THandler Handler,
                     const QByteArray &IfMatch)
{
    Issue(TVerb::Put, Path, Body.toUtf8(), Context, std::move(Handler), IfMatch);
}

void THttpVerbs::Delete(const QString &Path, QObject *Context, THandler Handler, const QByteArray &IfMatch)
{
    Issue(TVerb::Delete, Path, {}, Context, std::move(Handler), IfMatch);
}

void THttpVerbs::Issue(TVerb Verb, const QString &Path, const QByteArray &Body, QObject *Context, THandler Handler,
                       const QByteArray &IfMatch)
{
    // Taken on the issuing (GUI) thread, so a context destroyed meanwhile is seen as gone.
    const QPointer<QObject> context(Context);
    TRequestPool::Start([Verb, Path, Body, context, Handler = std::move(Handler), IfMatch] {
        // An error here ends this request only; an exception leaving a pool task ends the program.
        try {
            const TRestResult result = Perform(Verb, Path, Body, 0, IfMatch);
            if (Handler)
                TGuiSync::Run(context, [&] { Handler(result); });
        } catch (const std::exception &error) {
            qCWarning(lcRest) << MethodOf(Verb) << Path << "failed:" << error.what();
        }
    });
}
