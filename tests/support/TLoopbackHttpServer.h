#pragma once

#include <functional>
#include <memory>
#include <thread>

namespace httplib { class Server; struct Request; struct Response; }

// A cpp-httplib server on 127.0.0.1 and an ephemeral port that hands every request, whatever its
// method, to one handler on its own worker threads (48, so slow answers do not queue each other).
// It makes a plain server, or serves through one it is given (a TLS server, for instance).
// Listening starts in the constructor; Stop (or the destructor) ends it and waits for the workers,
// so an owner whose handler uses its own members stops it before they go.
class TLoopbackHttpServer final
{
public:
    using THandler = std::function<void(const httplib::Request &, httplib::Response &)>;

    explicit TLoopbackHttpServer(THandler handler, std::unique_ptr<httplib::Server> server = nullptr);
    ~TLoopbackHttpServer();
    TLoopbackHttpServer(const TLoopbackHttpServer &) = delete;
    TLoopbackHttpServer &operator=(const TLoopbackHttpServer &) = delete;

    int Port() const { return FPort; }
    void Stop();
    // Points the process-wide server configuration at this server.
    void InstallAsSystemConfig() const;

private:
    std::unique_ptr<httplib::Server> FServer;
    std::thread FThread;
    int FPort = 0;
};
