#pragma once

#include <QByteArray>
#include <QString>

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace httplib { struct Request; struct Response; }
class TLoopbackHttpServer;

// What the server answers to one scripted request.
struct TScriptedAnswer
{
    int Status = 200;
    std::string Body;
    std::string ContentType = "application/json; charset=utf-8";
    int DelayMs = 0;
    bool Drop = false; // send the headers, then close the connection without the body
    std::multimap<std::string, std::string> Headers {}; // further answer headers
};

// A scripted answer of the default content type, delayed by delayMs.
TScriptedAnswer ScriptedAnswer(int status, std::string body, int delayMs = 0);

// One request as it arrived.
struct TRecordedRequest
{
    std::string Method;
    std::string Target; // path with query, as sent
    std::string Body;
    std::multimap<std::string, std::string> Headers; // names in lower case
    bool HasHeader(const std::string &name) const { return Headers.count(name) > 0; }
    std::string Header(const std::string &name) const;
};

// A real HTTP server on 127.0.0.1 and an ephemeral port whose answers each test scripts, and
// which records every request. Unscripted requests get 404 with an empty body.
class TTestServer final
{
public:
    TTestServer();
    ~TTestServer();
    TTestServer(const TTestServer &) = delete;
    TTestServer &operator=(const TTestServer &) = delete;

    int Port() const;
    QString BaseUrl() const;

    // Scripts "METHOD target": the target matches the request's path with its query exactly, or
    // its path alone when no query-bearing script matches.
    void Script(const std::string &method, const std::string &target, TScriptedAnswer answer);
    void ScriptDefault(TScriptedAnswer answer);

    std::vector<TRecordedRequest> Requests() const;
    std::size_t RequestCount() const;
    void ClearRequests();
    // Waits (without an event loop) until at least count requests have arrived.
    bool WaitForRequests(std::size_t count, int timeoutMs) const;

    // Points the process-wide server configuration at this server.
    void InstallAsSystemConfig() const;

private:
    void Handle(const httplib::Request &request, httplib::Response &response);
    TScriptedAnswer AnswerFor(const std::string &method, const std::string &target, const std::string &path) const;

    mutable std::mutex FMutex;
    mutable std::condition_variable FArrived;
    std::map<std::string, TScriptedAnswer> FScripts;
    std::unique_ptr<TScriptedAnswer> FDefault;
    std::vector<TRecordedRequest> FRequests;
    std::unique_ptr<TLoopbackHttpServer> FHttp; // last: made when everything its handler reads exists
};
