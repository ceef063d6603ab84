#pragma once

#include "core/net/CacheDatabase.h"
#include "core/platform/FileIo.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>

// Success replies kept on disk, keyed by the requested path: one entry file per reply and a
// private-profile database naming the path of each entry. The limit counts entries; reaching it
// empties the whole cache and numbering starts again at 1.
class ResponseCache {
public:
    using Clock = std::function<QDateTime()>;

    ResponseCache();

    // The folder (no trailing separator); the database "!Cashe.dat" lives inside it.
    void setFolder(const QString& CPath);
    QString folder() const { return m_folder; }
    QString databasePath() const { return m_databasePath; }
    QString entryPath(const QByteArray& number) const;

    void setLimit(qint16 Size) { m_limit = Size; }
    qint16 limit() const { return m_limit; }

    // The time written into a new database's header, and the locale that formats it (the
    // system's by default).
    void setClock(Clock clock) { m_clock = std::move(clock); }
    void setLocale(const QLocale& locale) { m_locale = locale; }

    // The "Files" count of the database, 0 when there is none.
    qint16 size() const;
    // The same, nothing when there is no database.
    std::optional<qint16> storedEntries() const;
    // The "Files" count of a database's bytes.
    static qint16 filesIn(const QByteArray& database);
    // The database's bytes, or nothing when there is none (or it cannot be read).
    std::optional<QByteArray> readDatabase() const;

    // Deletes every file of the folder (read-only ones stay; a link goes, never what it leads
    // to), creates the folder when missing and writes a fresh database. A symbolic link in the
    // folder's place is removed and a folder made instead. Fails when the folder or the database
    // cannot be made.
    FileIo::Error clear();

    // The stored reply of the first entry naming exactly this path whose file holds a reply.
    // The database is read only when it changed since this cache last read or wrote it.
    std::optional<QByteArray> lookup(const QByteArray& RemoteFile) const;
    // The same, in a database already read.
    std::optional<QByteArray> lookupIn(const QByteArray& database,
                                       const QByteArray& RemoteFile) const;

    // Stores a complete "200 OK" reply under its path (complete: its header ends, and unless the
    // stop marker cut it short on purpose, its body is as long as it says); anything else, or a
    // path holding control bytes, is left out. Fails when the folder or a file cannot be
    // written; the reply is then not in the cache.
    FileIo::Error store(const QByteArray& RemoteFile, const QByteArray& reply,
                        bool cutAtMarker = false);

    // The entry numbers (five digits) that a database's bytes name for this path, in order.
    static QList<QByteArray> matchingEntries(const QByteArray& database,
                                             const QByteArray& RemoteFile);

    static bool isStorable(const QByteArray& RemoteFile, const QByteArray& reply,
                           bool cutAtMarker = false);
    // The entry number with leading zeros up to five digits.
    static QByteArray PadNumber(int number);
    // The seven header lines of a new database.
    static QByteArray databaseHeader(const QDateTime& created, const QLocale& locale);

private:
    // A database as this cache last read or wrote it, and the file's stamp at that moment: while
    // the file's stamp stays the same, the file holds these bytes.
    struct Known {
        CacheDatabase database;
        std::optional<FileIo::Stamp> stamp;
    };

    // Clears the cache and gives the new database's bytes.
    FileIo::Contents startGeneration();
    FileIo::Contents writeDatabaseHeader() const;
    FileIo::Error newGeneration();
    FileIo::Error knowDatabaseForStore();
    void setWritten(CacheDatabase database);
    const CacheDatabase* databaseOnDisk() const;
    std::optional<QByteArray> firstReply(const QList<int>& numbers) const;

    QString m_folder;
    QString m_databasePath;
    qint16 m_limit = 300;
    Clock m_clock;
    QLocale m_locale;
    // Stores may run on another thread than lookups. Stores change only m_written, and lookups
    // read it, under the mutex; a lookup that finds the file changed by someone else reads it
    // into m_read.
    mutable std::mutex m_mutex;
    Known m_written;
    mutable Known m_read;
    // For lookups in database bytes given to lookupIn.
    mutable CacheDatabase m_given;
    // Rewrites of the database begun so far: a read of the file alongside a store may catch one.
    std::atomic<quint64> m_databaseRewrites = 0;
};
