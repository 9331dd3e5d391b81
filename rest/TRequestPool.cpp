#include "rest/TRequestPool.h"

#include <QThreadPool>

#include <atomic>

namespace {

std::atomic<bool> shuttingDown{false};
std::atomic<bool> shutdownWaited{false};

// Owns the pool; at static destruction it stops transfers and deletes the pool only when its
// workers finished, so a server that never answers cannot hang the exit. After Shutdown it does not
// wait again: the exit stays within the bound Shutdown was given.
struct TPoolHolder
{
    QThreadPool *pool = new QThreadPool;
    TPoolHolder()
    {
        pool->setMaxThreadCount(TRequestPool::MaxThreads);
        pool->setExpiryTimeout(30000);
    }
    ~TPoolHolder()
    {
        shuttingDown = true;
        if (pool->waitForDone(shutdownWaited ? 0 : 2000))
            delete pool;
    }
};

} // namespace

QThreadPool &TRequestPool::Pool()
{
    static TPoolHolder holder;
    return *holder.pool;
}

void TRequestPool::Start(std::function<void()> task)
{
    Pool().start(std::move(task));
}

bool TRequestPool::Shutdown(int timeoutMs)
{
    shuttingDown = true;
    const bool finished = Pool().waitForDone(timeoutMs);
    shutdownWaited = true;
    return finished;
}

bool TRequestPool::ShuttingDown()
{
    return shuttingDown;
}
