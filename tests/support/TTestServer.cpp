#include "tests/support/TTestServer.h"

#include "tests/support/TLoopbackHttpServer.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <thread>

std::string TRecordedRequest::Header(const std::string &name) const
{
    const auto it = Headers.find(name);
    return it == Headers.end() ? std::string() : it->second;
}

TTestServer::TTestServer()
    : FHttp(std::make_unique<TLoopbackHttpServer>(
          [this](const httplib::Request &request, httplib::Response &response) { Handle(request, response); }))
{
}

// The workers stop before the scripts and records they read go.
TTestServer::~TTestServer() { FHttp->Stop(); }

int TTestServer::Port() const { return FHttp->Port(); }

QString TTestServer::BaseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(Port());
}

void TTestServer::Script(const std::string &method, const std::string &target, TScriptedAnswer answer)
{
    std::lock_guard lock(FMutex);
    FScripts[method + ' ' + target] = std::move(answer);
}

void TTestServer::ScriptDefault(TScriptedAnswer answer)
{
    std::lock_guard lock(FMutex);
    FDefault = std::make_unique<TScriptedAnswer>(std::move(answer));
}

std::vector<TRecordedRequest> TTestServer::Requests() const
{
    std::lock_guard lock(FMutex);
    return FRequests;
}

std::size_t TTestServer::RequestCount() const
{
    std::lock_guard lock(FMutex);
    return FRequests.size();
}

void TTestServer::ClearRequests()
{
    std::lock_guard lock(FMutex);
    FRequests.clear();
}

bool TTestServer::WaitForRequests(std::size_t count, int timeoutMs) const
{
    std::unique_lock lock(FMutex);
    return FArrived.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return FRequests.size() >= count; });
}

void TTestServer::InstallAsSystemConfig() const { FHttp->InstallAsSystemConfig(); }

TScriptedAnswer TTestServer::AnswerFor(const std::string &method, const std::string &target, const std::string &path) const
{
    std::lock_guard lock(FMutex);
    for (const std::string &key : {method + ' ' + target, method + ' ' + path}) {
        const auto it = FScripts.find(key);
        if (it != FScripts.end())
            return it->second;
    }
    if (FDefault)
        return *FDefault;
    return TScriptedAnswer{404, std::string(), "text/plain", 0, false};
}

void TTestServer::Handle(const httplib::Request &request, httplib::Response &response)
{
    TRecordedRequest recorded{request.method, request.target, request.body, {}};
    for (const auto &[name, value] : request.headers) {
        std::string lower = name;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        recorded.Headers.emplace(lower, value);
    }
    const std::string path = request.target.substr(0, request.target.find('?'));
    {
        std::lock_guard lock(FMutex);
        FRequests.push_back(recorded);
    }
    FArrived.notify_all();

    const TScriptedAnswer answer = AnswerFor(request.method, request.target, path);
    if (answer.DelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(answer.DelayMs));
    response.status = answer.Status;
    for (const auto &[name, value] : answer.Headers)
        response.set_header(name, value);
    if (answer.Drop) {
        response.set_content_provider(
            answer.Body.size() + 1000, answer.ContentType,
            [](size_t, size_t, httplib::DataSink &) { return false; });
        return;
    }
    if (!answer.Body.empty() || answer.Status != 204)
        response.set_content(answer.Body, answer.ContentType);
}

TScriptedAnswer ScriptedAnswer(int status, std::string body, int delayMs)
{
    TScriptedAnswer answer;
    answer.Status = status;
    answer.Body = std::move(body);
    answer.DelayMs = delayMs;
    return answer;
}
