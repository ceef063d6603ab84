#include "core/platform/EarlyFlush.h"

#include <utility>

EarlyFlush::EarlyFlush(FlushFunction flush) : m_flush(std::move(flush)) {}

EarlyFlush::~EarlyFlush()
{
    joinFlushThread();
}

void EarlyFlush::setFlushFunction(FlushFunction flush)
{
    joinFlushThread();
    m_flush = std::move(flush);
}

bool EarlyFlush::start(QStringList paths)
{
    if (m_underWay)
        return false;
    joinFlushThread();
    m_underWay = true;
    m_thread = std::thread([this, paths = std::move(paths)] {
        keepFirstFailure(m_flush(paths));
        m_underWay = false;
    });
    return true;
}

FileIo::Error EarlyFlush::flushNow(const QStringList& paths)
{
    joinFlushThread();
    const FileIo::Error error = m_flush(paths);
    const std::lock_guard lock(m_mutex);
    FileIo::Error early = std::exchange(m_failure, {});
    return early ? early : error;
}

void EarlyFlush::joinFlushThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void EarlyFlush::keepFirstFailure(FileIo::Error error)
{
    const std::lock_guard lock(m_mutex);
    if (error && !m_failure)
        m_failure = std::move(error);
}
