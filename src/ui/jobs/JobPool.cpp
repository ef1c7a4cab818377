#include "JobPool.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <algorithm>

namespace threadhop {

QThreadPool& JobPool::shared()
{
    // Destroyed with the application object, and a pool's destructor waits for its jobs.
    static QThreadPool* const pool = make(QCoreApplication::instance());
    return *pool;
}

QThreadPool* JobPool::make(QObject* parent)
{
    auto* pool = new QThreadPool(parent);
    pool->setMaxThreadCount(std::max(2, QThread::idealThreadCount()));
    return pool;
}

} // namespace threadhop
