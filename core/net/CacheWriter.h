#pragma once

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

class ResponseCache;

// Stores replies in the response cache on a thread of its own, one after another in the order
// they were handed over, so that the disk work of one transfer overlaps the network wait of the
// next. A lookup waits only for the stores that could change its answer.
class CacheWriter {
public:
    explicit CacheWriter(ResponseCache& cache);
    // Finishes every store handed over.
    ~CacheWriter();
    CacheWriter(const CacheWriter&) = delete;
    CacheWriter& operator=(const CacheWriter&) = delete;

    // As ResponseCache::store, later; a failure leaves the reply out of the cache, as there. The
    // bytes are shared with the caller, not copied.
    void store(const QByteArray& RemoteFile, const QByteArray& reply, bool cutAtMarker);
    // Stores handed over and not finished yet.
    int pending() const;
    // Returns once every store handed over is finished.
    void finish() const;
    // Waits for the stores a lookup of this path must see: a store of the same path, or one that
    // may start a new generation. False when there is no database to look in.
    bool readyToLookUp(const QByteArray& RemoteFile) const;
    // The database as a lookup of this path finds it once every store handed over is done.
    std::optional<QByteArray> databaseFor(const QByteArray& RemoteFile) const;

    // Stores wait until the next finish(), so that tests see what a lookup waits for.
    void holdStores();

private:
    struct Job {
        QByteArray remoteFile;
        QByteArray reply;
        bool cutAtMarker = false;
    };

    void work();
    bool holds(const QByteArray& RemoteFile) const;

    ResponseCache& m_cache;
    mutable std::mutex m_mutex;
    // A job handed over (or the hold lifted, or the end); the queue emptied.
    mutable std::condition_variable m_jobArrived;
    mutable std::condition_variable m_queueEmptied;
    // The front job is the one being stored; it leaves the queue when it is done.
    std::deque<Job> m_jobs;
    bool m_quitting = false;
    mutable bool m_held = false;
    // Started with the first store: an engine that never stores needs no thread.
    std::thread m_thread;
};
