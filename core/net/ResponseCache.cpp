#include "core/net/ResponseCache.h"

#include "core/net/HttpReply.h"
#include "core/platform/ControlBytes.h"
#include "core/platform/Cp1251.h"
#include "core/platform/FileIo.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Logging.h"
#include "core/settings/Ini.h"

using namespace Qt::StringLiterals;

namespace {

const QByteArray MainSection = "Main";
const QByteArray FilesKey = "Files";
const QByteArray EntryPrefix = "cashe";

std::optional<QByteArray> readFile(const QString& path)
{
    FileIo::Contents file = FileIo::read(path);
    if (file.error)
        return std::nullopt;
    return std::move(file.bytes);
}

// The cache can always be fetched again: a crash only costs entries (a missing or empty entry is
// a miss), so nothing here waits for the disk.
FileIo::Error writeWholeFile(const QString& path, const QByteArray& bytes,
                             FileIo::Rewrites rewrites = FileIo::Rewrites::Seldom)
{
    return FileIo::save(path, bytes, FileIo::Sync::Never, rewrites);
}

// The short date and the long time of the locale, without a time-zone name.
QString creationStamp(const QDateTime& created, const QLocale& locale)
{
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(u't');
    return locale.toString(created.date(), QLocale::ShortFormat) + u' ' +
           created.time().toString(timeFormat.trimmed());
}

} // namespace

ResponseCache::ResponseCache()
    : m_clock([] { return QDateTime::currentDateTime(); }), m_locale(QLocale::system())
{}

void ResponseCache::setFolder(const QString& CPath)
{
    m_folder = CPath;
    m_databasePath = CPath + u"/!Cashe.dat"_s;
    const std::lock_guard lock(m_mutex);
    m_written = {};
    m_read = {};
}

QString ResponseCache::entryPath(const QByteArray& number) const
{
    return m_folder + u'/' + QString::fromLatin1(EntryPrefix + number) + u".tmp"_s;
}

qint16 ResponseCache::size() const
{
    return storedEntries().value_or(0);
}

std::optional<qint16> ResponseCache::storedEntries() const
{
    const std::lock_guard lock(m_mutex);
    const CacheDatabase* database = databaseOnDisk();
    return database ? std::optional(database->files()) : std::nullopt;
}

qint16 ResponseCache::filesIn(const QByteArray& database)
{
    return Ini::ToInteger(Ini::FirstValue(Ini::ReadSection(database, MainSection), FilesKey));
}

std::optional<QByteArray> ResponseCache::readDatabase() const
{
    // A rewrite goes into the twin, which may be the file a read opened before a swap: a read
    // during which a rewrite began may hold pieces of both and is done again.
    for (;;) {
        const quint64 rewritesBefore = m_databaseRewrites.load();
        auto database = readFile(databasePath());
        if (m_databaseRewrites.load() == rewritesBefore)
            return database;
    }
}

QByteArray ResponseCache::PadNumber(int number)
{
    return CacheDatabase::PadNumber(number);
}

QByteArray ResponseCache::databaseHeader(const QDateTime& created, const QLocale& locale)
{
    return ";Tervik2 cashe database file\r\n;Created: " +
           Cp1251::fromUnicode(creationStamp(created, locale)) +
           "\r\n;Do not edit!\r\n\r\n\r\n[Main]\r\n[Cashe]\r\n";
}

FileIo::Contents ResponseCache::writeDatabaseHeader() const
{
    QByteArray header = databaseHeader(m_clock(), m_locale);
    if (FileIo::Error error = writeWholeFile(databasePath(), header))
        return {{}, std::move(error)};
    return {std::move(header), {}};
}

FileIo::Error ResponseCache::clear()
{
    return newGeneration();
}

FileIo::Error ResponseCache::newGeneration()
{
    FileIo::Contents database = startGeneration();
    if (database.error) {
        const std::lock_guard lock(m_mutex);
        m_written = {};
        return database.error;
    }
    setWritten(CacheDatabase(std::move(database.bytes)));
    return {};
}

// What this cache wrote or read last is the file's content from now on.
void ResponseCache::setWritten(CacheDatabase database)
{
    const auto stamp = FileIo::stamp(databasePath());
    const std::lock_guard lock(m_mutex);
    m_written = {std::move(database), stamp};
}

FileIo::Contents ResponseCache::startGeneration()
{
    // A link in the folder's place is not the cache's: it goes, and what it leads to stays.
    if (FileSystem::LinkExists(m_folder)) {
        if (FileIo::Error error = FileSystem::RemoveLink(m_folder))
            return {{}, std::move(error)};
    }
    if (FileSystem::FolderExists(m_folder)) {
        // Read-only files stay; the rest is gone.
        if (const FileIo::Error left = FileSystem::DeleteFile(m_folder + u"/*.*"_s))
            qCInfo(lcFiles).noquote() << "clearing the cache left files:" << left.message();
    } else if (FileIo::Error error = FileSystem::CreateFolder(m_folder)) {
        return {{}, std::move(error)};
    }
    if (FileIo::Error error = FileSystem::SetFolderHidden(m_folder))
        return {{}, std::move(error)};
    // A read-only database survives the clearing and stays as it is.
    if (auto kept = readDatabase())
        return {*std::move(kept), {}};
    return writeDatabaseHeader();
}

bool ResponseCache::isStorable(const QByteArray& RemoteFile, const QByteArray& reply,
                               bool cutAtMarker)
{
    return HttpReply::isStorable(reply, cutAtMarker) && !ControlBytes::anyIn(RemoteFile);
}

// Brings what the store knows of the database up to what the file holds; without a folder or a
// database, a new generation.
FileIo::Error ResponseCache::knowDatabaseForStore()
{
    // The stamp before the read: a file changed after it is read again next time.
    const auto stamp = FileIo::stamp(databasePath());
    if (stamp && stamp == m_written.stamp)
        return {};
    auto bytes = stamp ? readFile(databasePath()) : std::nullopt;
    if (!bytes)
        return newGeneration();
    const std::lock_guard lock(m_mutex);
    m_written = {CacheDatabase(*std::move(bytes)), stamp};
    return {};
}

FileIo::Error ResponseCache::store(const QByteArray& RemoteFile, const QByteArray& reply,
                                   bool cutAtMarker)
{
    if (!isStorable(RemoteFile, reply, cutAtMarker))
        return {};
    if (FileIo::Error error = knowDatabaseForStore())
        return error;
    qint16 n = m_written.database.files();
    if (n >= m_limit) {
        if (FileIo::Error error = newGeneration())
            return error;
        n = 0;
    }
    const int number = n + 1;
    // The entry is complete on disk before the database names it; the database names it and
    // counts it in one rewrite, with the bytes the two settings writes would give.
    if (FileIo::Error error = writeWholeFile(entryPath(PadNumber(number)), reply))
        return error;
    const std::lock_guard lock(m_mutex);
    if (!m_written.database.add(number, RemoteFile))
        return {};
    ++m_databaseRewrites;
    FileIo::Error error =
        writeWholeFile(databasePath(), m_written.database.bytes(), FileIo::Rewrites::Often);
    // Unwritten, the bytes in memory are not the file's: the next store reads it again.
    m_written.stamp = error ? std::nullopt : FileIo::stamp(databasePath());
    return error;
}

QList<QByteArray> ResponseCache::matchingEntries(const QByteArray& database,
                                                 const QByteArray& RemoteFile)
{
    QList<QByteArray> numbers;
    for (const int number : CacheDatabase(database).entriesNaming(RemoteFile))
        numbers.append(PadNumber(number));
    return numbers;
}

// Under the mutex. The database as the file holds it now, read only when it changed since this
// cache last read or wrote it; nothing when there is none or it cannot be read.
const CacheDatabase* ResponseCache::databaseOnDisk() const
{
    const auto stamp = FileIo::stamp(databasePath());
    if (!stamp)
        return nullptr;
    if (stamp == m_written.stamp)
        return &m_written.database;
    if (stamp != m_read.stamp) {
        auto bytes = readDatabase();
        if (!bytes)
            return nullptr;
        m_read = {CacheDatabase(*std::move(bytes)), stamp};
    }
    return &m_read.database;
}

std::optional<QByteArray> ResponseCache::lookup(const QByteArray& RemoteFile) const
{
    QList<int> numbers;
    {
        const std::lock_guard lock(m_mutex);
        const CacheDatabase* database = databaseOnDisk();
        if (!database)
            return std::nullopt;
        numbers = database->entriesNaming(RemoteFile);
    }
    return firstReply(numbers);
}

std::optional<QByteArray> ResponseCache::lookupIn(const QByteArray& database,
                                                  const QByteArray& RemoteFile) const
{
    // A database read again unchanged (a run served from the cache) is scanned once.
    if (database != m_given.bytes())
        m_given = CacheDatabase(database);
    return firstReply(m_given.entriesNaming(RemoteFile));
}

std::optional<QByteArray> ResponseCache::firstReply(const QList<int>& numbers) const
{
    for (const int number : numbers) {
        // An entry without its reply is passed over: a later copy may hold it. A link in the
        // entry's place may lead anywhere and is never read.
        FileIo::Contents entry =
            FileIo::read(entryPath(PadNumber(number)), FileIo::NoLimit, FileIo::Links::Refuse);
        if (!entry.error && !entry.bytes.isEmpty())
            return std::move(entry.bytes);
    }
    return std::nullopt;
}
