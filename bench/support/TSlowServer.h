#pragma once

#include <QString>

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>

// A minimal HTTP/1.1 server on 127.0.0.1 and an ephemeral port for the benchmarks: answers GETs
// by path after a scripted delay, one thread per connection, each connection closed after its
// answer. Unlike the tests' server it listens with a deep backlog, so many connections opened at
// once are not held back by the kernel's SYN retries (which would add whole seconds).
class TSlowServer final
{
public:
    struct TAnswer
    {
        std::string Body;
        int DelayMs = 0;
    };

    TSlowServer();
    ~TSlowServer();
    TSlowServer(const TSlowServer &) = delete;
    TSlowServer &operator=(const TSlowServer &) = delete;

    bool Listening() const { return FListener >= 0; }
    int Port() const { return FPort; }
    QString BaseUrl() const;
    // The answer to a target: matched with its query first, then by its path alone; else 404.
    void Script(const std::string &target, TAnswer answer);
    std::size_t RequestCount() const { return FRequests; }
    void ClearRequests() { FRequests = 0; }
    // Points the process-wide server configuration at this server.
    void InstallAsSystemConfig() const;

private:
    void Accept();
    void Serve(int connection);
    bool Find(const std::string &target, TAnswer &answer) const;

    int FListener = -1;
    int FPort = 0;
    std::atomic<bool> FStopping{false};
    std::atomic<std::size_t> FRequests{0};
    mutable std::mutex FMutex;
    std::map<std::string, TAnswer> FScripts;
    std::atomic<int> FActive{0}; // connections being served
    std::thread FAcceptor;
};
