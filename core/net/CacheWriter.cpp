#include "core/net/CacheWriter.h"

#include "core/net/ResponseCache.h"
#include "core/platform/Logging.h"

#include <algorithm>
#include <utility>

namespace {

// Implicitly shared bytes are safe to hand to another thread: neither side writes into them
// without a copy of its own. Bytes borrowed from elsewhere (fromRawData) are copied.
QByteArray shareable(QByteArray bytes)
{
    if (bytes.data_ptr().isMutable())
        return bytes;
    return QByteArray(bytes.constData(), bytes.size());
}

} // namespace

CacheWriter::CacheWriter(ResponseCache& cache) : m_cache(cache) {}

CacheWriter::~CacheWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_quitting = true;
    }
    m_jobArrived.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CacheWriter::store(const QByteArray& RemoteFile, const QByteArray& reply, bool cutAtMarker)
{
    bool wasIdle = false;
    {
        const std::lock_guard lock(m_mutex);
        wasIdle = m_jobs.empty();
        m_jobs.push_back({shareable(RemoteFile), shareable(reply), cutAtMarker});
    }
    if (!m_thread.joinable())
        m_thread = std::thread(&CacheWriter::work, this);
    // A writer with jobs still queued takes this one without being woken.
    if (wasIdle)
        m_jobArrived.notify_one();
}

int CacheWriter::pending() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_jobs.size());
}

bool CacheWriter::holds(const QByteArray& RemoteFile) const
{
    const std::lock_guard lock(m_mutex);
    return std::any_of(m_jobs.cbegin(), m_jobs.cend(),
                       [&RemoteFile](const Job& job) { return job.remoteFile == RemoteFile; });
}

void CacheWriter::finish() const
{
    std::unique_lock lock(m_mutex);
    if (std::exchange(m_held, false))
        m_jobArrived.notify_one();
    m_queueEmptied.wait(lock, [this] { return m_jobs.empty(); });
}

void CacheWriter::holdStores()
{
    const std::lock_guard lock(m_mutex);
    m_held = true;
}

bool CacheWriter::readyToLookUp(const QByteArray& RemoteFile) const
{
    if (holds(RemoteFile))
        finish();
    // Counted before the count is read: the stores it may have missed are at most these.
    const int unfinished = pending();
    const auto files = m_cache.storedEntries();
    if (!files || unfinished == 0 || *files + unfinished < m_cache.limit())
        return files.has_value();
    finish();
    return m_cache.storedEntries().has_value();
}

std::optional<QByteArray> CacheWriter::databaseFor(const QByteArray& RemoteFile) const
{
    if (!readyToLookUp(RemoteFile))
        return std::nullopt;
    return m_cache.readDatabase();
}

void CacheWriter::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_jobArrived.wait(lock, [this] { return m_quitting || (!m_jobs.empty() && !m_held); });
        // Quitting still stores what was handed over.
        if (m_jobs.empty())
            return;
        const Job job = m_jobs.front();
        lock.unlock();
        // A reply that cannot be kept was handed to its caller all the same.
        if (const FileIo::Error error = m_cache.store(job.remoteFile, job.reply, job.cutAtMarker))
            qCWarning(lcCache).noquote()
                << "not stored:" << QString::fromLatin1(job.remoteFile) << "-" << error.message();
        lock.lock();
        m_jobs.pop_front();
        if (m_jobs.empty())
            m_queueEmptied.notify_all();
    }
}
