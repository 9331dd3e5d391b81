#include "rest/TRequestPool.h"

#include <QThreadPool>

#include <atomic>

namespace {

std::atomic<bool> shuttingDown{false};

// Owns the pool; at static destruction it stops transfers and deletes the pool only when its
// workers finished, so a server that never answers cannot hang the exit.
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
        if (pool->waitForDone(2000))
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
    return Pool().waitForDone(timeoutMs);
}

bool TRequestPool::ShuttingDown()
{
    return shuttingDown;
}
