#pragma once

#include <functional>

class QThreadPool;

// The process-wide pool that runs requests. Requests block on the network, so it is sized for
// many at once, independently of the number of cores (Qt's global pool has one thread per core).
class TRequestPool final
{
public:
    static constexpr int MaxThreads = 64;

    static void Start(std::function<void()> task);
    // Asks running transfers to stop and waits up to timeoutMs for the workers. Used at exit.
    static bool Shutdown(int timeoutMs);
    static bool ShuttingDown();
    static QThreadPool &Pool();
};
