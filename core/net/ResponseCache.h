#pragma once

#include "core/platform/FileIo.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QLocale>
#include <QString>
#include <atomic>
#include <functional>
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
    // The database is read once.
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
    QList<QByteArray> entriesNaming(const QByteArray& database, const QByteArray& RemoteFile) const;
    // Clears the cache and gives the new database's bytes.
    FileIo::Contents startGeneration();
    FileIo::Contents writeDatabaseHeader() const;

    QString m_folder;
    QString m_databasePath;
    qint16 m_limit = 300;
    Clock m_clock;
    QLocale m_locale;
    // The usable entries of the database last looked in, by path, once it was looked in twice.
    // Lookups run on one thread.
    struct EntryIndex {
        QByteArray database;
        bool built = false;
        QHash<QByteArray, QList<int>> numbers;
    };
    mutable EntryIndex m_index;
    // Rewrites of the database begun so far: stores may run on another thread than lookups.
    std::atomic<quint64> m_databaseRewrites = 0;
};
