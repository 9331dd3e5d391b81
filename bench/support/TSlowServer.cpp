#include "bench/support/TSlowServer.h"

#include "config/TSystemConfig.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TSlowServer::TSlowServer()
{
    FListener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(FListener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || listen(FListener, 512) != 0
        || getsockname(FListener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        close(FListener);
        FListener = -1;
        return;
    }
    FPort = ntohs(address.sin_port);
    FAcceptor = std::thread([this] { Accept(); });
}

TSlowServer::~TSlowServer()
{
    FStopping = true;
    if (FAcceptor.joinable())
        FAcceptor.join();
    // Connections end on their own within their delay.
    while (FActive > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (FListener >= 0)
        close(FListener);
}

QString TSlowServer::BaseUrl() const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(FPort);
}

void TSlowServer::Script(const std::string &target, TAnswer answer)
{
    std::lock_guard lock(FMutex);
    FScripts[target] = std::move(answer);
}

void TSlowServer::InstallAsSystemConfig() const
{
    if (!SystemConfig)
        SystemConfig = new TSystemConfig;
    SystemConfig->Server = QStringLiteral("http://127.0.0.1");
    SystemConfig->Port = FPort;
}

bool TSlowServer::Find(const std::string &target, TAnswer &answer) const
{
    std::lock_guard lock(FMutex);
    auto it = FScripts.find(target);
    if (it == FScripts.end())
        it = FScripts.find(target.substr(0, target.find('?')));
    if (it == FScripts.end())
        return false;
    answer = it->second;
    return true;
}

void TSlowServer::Accept()
{
    pollfd listener{FListener, POLLIN, 0};
    while (!FStopping) {
        if (poll(&listener, 1, 50) <= 0)
            continue;
        const int connection = accept(FListener, nullptr, nullptr);
        if (connection < 0)
            continue;
        ++FActive;
        std::thread([this, connection] {
            Serve(connection);
            --FActive;
        }).detach();
    }
}

void TSlowServer::Serve(int connection)
{
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
        const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, std::size_t(got));
    }
    // "GET /target HTTP/1.1"
    const std::size_t start = request.find(' ') + 1;
    const std::string target = start > 0 ? request.substr(start, request.find(' ', start) - start) : std::string();
    ++FRequests;
    TAnswer answer;
    const bool found = Find(target, answer);
    if (answer.DelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(answer.DelayMs));
    const std::string reply = std::string(found ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n")
        + "Content-Type: application/json; charset=utf-8\r\nConnection: close\r\nContent-Length: "
        + std::to_string(answer.Body.size()) + "\r\n\r\n" + answer.Body;
    for (std::size_t sent = 0; sent < reply.size();) {
        const ssize_t wrote = send(connection, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
        if (wrote <= 0)
            break;
        sent += std::size_t(wrote);
    }
    shutdown(connection, SHUT_WR);
    close(connection);
}
