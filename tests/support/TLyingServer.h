#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace httplib { struct Request; struct Response; }
class TLoopbackHttpServer;

// A real HTTP server on 127.0.0.1 and an ephemeral port that answers every path of the back-end
// with a seeded random mix of sane and broken answers: a status (200, 201, 204, 302, 400, 404, 500
// or a connection dropped after the headers), a body (the document the path expects, the wrong JSON
// kind, truncated JSON, random bytes, 5 MB, nesting 100,000 levels deep, empty, invalid UTF-8) and a
// delay of up to 2 s. The choice for a request depends only on the seed, the request line and how
// often that line was seen before, so a seed replays the same answers for the same requests.
// Requests are answered on the server's own threads; stopping cuts pending delays short.
class TLyingServer final
{
public:
    // Kinds of body, in the order of the fault table.
    enum class TBody { Expected, WrongKind, Truncated, RandomBytes, FiveMegabytes, DeepNesting, Empty, InvalidUtf8 };

    explicit TLyingServer(std::uint32_t seed);
    ~TLyingServer();
    TLyingServer(const TLyingServer &) = delete;
    TLyingServer &operator=(const TLyingServer &) = delete;

    std::uint32_t Seed() const { return FSeed; }
    int Port() const;
    // Points the process-wide server configuration at this server.
    void InstallAsSystemConfig() const;

    // Share of requests answered sanely, in percent (40 by default; the menu is answered sanely at
    // least 80 % of the time and the descriptors, filters and columns at least 70 %).
    void SetSanePercent(int percent);

    std::size_t RequestCount() const;
    // One line: how many answers of each status and body kind went out.
    QString Summary() const;

private:
    struct TAnswer
    {
        int Status = 200; // 0: drop the connection after the headers
        TBody Body = TBody::Expected;
        int DelayMs = 0;
        std::string Text;
    };

    void Handle(const httplib::Request &request, httplib::Response &response);
    TAnswer Choose(const std::string &method, const std::string &target, const std::string &path, std::uint64_t occurrence) const;
    // Waits, unless the server is being stopped.
    void Delay(int milliseconds);

    std::uint32_t FSeed;
    int FSanePercent = 40;
    mutable std::mutex FMutex;
    std::condition_variable FStopping;
    bool FStopped = false;
    std::map<std::string, std::uint64_t> FSeen; // request line -> times seen
    std::map<std::string, int> FTally; // "status" and "body kind" -> answers sent
    std::size_t FRequests = 0;
    std::unique_ptr<TLoopbackHttpServer> FHttp; // last: made when everything its handler reads exists
};
