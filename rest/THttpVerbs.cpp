#include "rest/THttpVerbs.h"

#include "config/TSystemConfig.h"
#include "rest/TRequestPool.h"

QString THttpVerbs::UrlOf(const QString &Path)
{
    static const TSystemConfig defaults;
    return (SystemConfig ? *SystemConfig : defaults).getPath(Path);
}

std::unique_ptr<THttpClient> THttpVerbs::CreateRequest()
{
    auto client = std::make_unique<THttpClient>();
    client->ContentType = "application/json;charset=utf-8";
    return client;
}

THttpResponse THttpVerbs::GetSync(const QString &Path)
{
    const auto client = CreateRequest();
    client->ConnectTimeoutMs = SyncTimeoutInUseMs;
    client->ResponseTimeoutMs = SyncTimeoutInUseMs;
    return client->Get(UrlOf(Path));
}

void THttpVerbs::Get(const QString &Path, const QString &, TResultProc Return)
{
    Issue(TVerb::Get, Path, {}, std::move(Return));
}

void THttpVerbs::Post(const QString &Path, const QString &Body, TResultProc Return)
{
    Issue(TVerb::Post, Path, Body.toUtf8(), std::move(Return));
}

void THttpVerbs::Put(const QString &Path, const QString &Body, TResultProc Return)
{
    Issue(TVerb::Put, Path, Body.toUtf8(), std::move(Return));
}

void THttpVerbs::Delete(const QString &Path, TResultProc Return)
{
    Issue(TVerb::Delete, Path, {}, std::move(Return));
}

void THttpVerbs::Issue(TVerb verb, const QString &Path, const QByteArray &Body, TResultProc Return)
{
    const QString url = UrlOf(Path);
    TRequestPool::Start([verb, url, Body, Return = std::move(Return)] {
        const auto client = CreateRequest();
        if (verb != TVerb::Get)
            client->Accept = "application/json";
        THttpResponse response;
        switch (verb) {
        case TVerb::Get: response = client->Get(url); break;
        case TVerb::Post: response = client->Post(url, Body); break;
        case TVerb::Put: response = client->Put(url, Body); break;
        case TVerb::Delete: response = client->Delete(url); break;
        }
        // GET answers are UTF-8 whatever they declare; the others follow their declared charset.
        std::string text;
        if (response.Answered())
            text = verb == TVerb::Get ? response.Body.toStdString() : response.DeclaredText().toStdString();
        try {
            if (Return)
                Return(*client, response.Status, text);
        } catch (...) {
            // A failing callback ends its own task only.
        }
    });
}
