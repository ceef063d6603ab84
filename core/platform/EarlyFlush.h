#pragma once

#include "core/platform/FileIo.h"

#include <QStringList>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// Makes saved files durable on a thread of its own while the program goes on, so that the flush
// a caller must wait for finds little left to write. One flush at a time: files handed over while
// one is under way are left to the caller's own flush.
class EarlyFlush {
public:
    using FlushFunction = std::function<FileIo::Error(const QStringList& paths)>;

    explicit EarlyFlush(FlushFunction flush = &FileIo::flush);
    ~EarlyFlush();
    EarlyFlush(const EarlyFlush&) = delete;
    EarlyFlush& operator=(const EarlyFlush&) = delete;

    // Tests put a failing disk in place of the system's flush; only while no flush is under way.
    void setFlushFunction(FlushFunction flush);

    // Starts flushing `paths` on the flush thread; false, doing nothing, while one is under way.
    bool start(QStringList paths);

    // Waits for the flush under way, then flushes `paths` here. Says the first failure of this
    // flush or of an early one not yet told: the system tells a failed write to one flush only.
    FileIo::Error flushNow(const QStringList& paths);

private:
    void joinFlushThread();
    void keepFirstFailure(FileIo::Error error);

    FlushFunction m_flush;
    std::thread m_thread;
    std::atomic<bool> m_underWay{false};
    std::mutex m_mutex;
    FileIo::Error m_failure; // of an early flush, under the mutex
};
