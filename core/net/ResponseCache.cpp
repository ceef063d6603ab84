#include "core/net/ResponseCache.h"

#include "core/net/HttpReply.h"
#include "core/platform/ControlBytes.h"
#include "core/platform/Cp1251.h"
#include "core/platform/FileIo.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Logging.h"
#include "core/settings/Ini.h"

#include <QHash>
#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QByteArray MainSection = "Main";
const QByteArray CasheSection = "Cashe";
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
}

QString ResponseCache::entryPath(const QByteArray& number) const
{
    return m_folder + u'/' + QString::fromLatin1(EntryPrefix + number) + u".tmp"_s;
}

qint16 ResponseCache::size() const
{
    const auto database = readDatabase();
    return database ? filesIn(*database) : 0;
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
    QByteArray text = QByteArray::number(number);
    while (text.size() < 5)
        text.prepend('0');
    return text;
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
    return startGeneration().error;
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

FileIo::Error ResponseCache::store(const QByteArray& RemoteFile, const QByteArray& reply,
                                   bool cutAtMarker)
{
    if (!isStorable(RemoteFile, reply, cutAtMarker))
        return {};
    // No folder or no database: a new generation, as when the limit is reached.
    FileIo::Contents database;
    if (auto found = readDatabase())
        database.bytes = *std::move(found);
    else
        database = startGeneration();
    if (database.error)
        return database.error;
    qint16 n = filesIn(database.bytes);
    if (n >= m_limit) {
        database = startGeneration();
        if (database.error)
            return database.error;
        n = 0;
    }
    const QByteArray number = PadNumber(n + 1);
    // The entry is complete on disk before the database names it; the database names it and
    // counts it in one rewrite, with the bytes the two settings writes would give.
    if (FileIo::Error error = writeWholeFile(entryPath(number), reply))
        return error;
    const auto named =
        Ini::WithEntry(database.bytes, CasheSection, EntryPrefix + number, RemoteFile);
    const auto counted =
        named ? Ini::WithEntry(*named, MainSection, FilesKey, QByteArray::number(qint16(n + 1)))
              : std::nullopt;
    if (!counted)
        return {};
    ++m_databaseRewrites;
    return writeWholeFile(databasePath(), *counted, FileIo::Rewrites::Often);
}

namespace {

// The number of an entry key, "cashe" and five digits in any case of letters, or 0.
int entryNumber(QByteArrayView key)
{
    if (key.size() != EntryPrefix.size() + 5)
        return 0;
    for (qsizetype i = 0; i < EntryPrefix.size(); ++i) {
        if ((key[i] | 0x20) != EntryPrefix[i])
            return 0;
    }
    int number = 0;
    for (const char c : key.sliced(EntryPrefix.size())) {
        if (c < '0' || c > '9')
            return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Every entry a lookup may use, once each: numbered 1 to "Files", and of duplicate keys only the
// first, which is the one read (keys are equal exactly when their entry numbers are).
template <typename Visit> void forEachUsableEntry(const QByteArray& database, Visit&& visit)
{
    const int n = ResponseCache::filesIn(database);
    if (n <= 0)
        return;
    std::vector<bool> seen(size_t(n) + 1, false);
    Ini::ScanSection(database, CasheSection, [&](QByteArrayView key, QByteArrayView value) {
        const int number = entryNumber(key);
        if (number < 1 || number > n || seen[size_t(number)])
            return;
        seen[size_t(number)] = true;
        visit(number, value);
    });
}

QList<QByteArray> padded(QList<int> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    QList<QByteArray> result;
    result.reserve(numbers.size());
    for (const int number : std::as_const(numbers))
        result.append(ResponseCache::PadNumber(number));
    return result;
}

} // namespace

QList<QByteArray> ResponseCache::matchingEntries(const QByteArray& database,
                                                 const QByteArray& RemoteFile)
{
    // A value read is a piece of the file: a path the bytes do not hold is named by no entry.
    if (!database.contains(RemoteFile))
        return {};
    QList<int> numbers;
    forEachUsableEntry(database, [&](int number, QByteArrayView value) {
        if (value == RemoteFile)
            numbers.append(number);
    });
    return padded(std::move(numbers));
}

QList<QByteArray> ResponseCache::entriesNaming(const QByteArray& database,
                                               const QByteArray& RemoteFile) const
{
    // A database read again unchanged (a run served from the cache) is scanned once, not once
    // per lookup.
    if (database != m_index.database) {
        m_index = {database, false, {}};
        return matchingEntries(database, RemoteFile);
    }
    if (!m_index.built) {
        forEachUsableEntry(database, [this](int number, QByteArrayView value) {
            m_index.numbers[value.toByteArray()].append(number);
        });
        m_index.built = true;
    }
    return padded(m_index.numbers.value(RemoteFile));
}

std::optional<QByteArray> ResponseCache::lookup(const QByteArray& RemoteFile) const
{
    const auto database = readDatabase();
    return database ? lookupIn(*database, RemoteFile) : std::nullopt;
}

std::optional<QByteArray> ResponseCache::lookupIn(const QByteArray& database,
                                                  const QByteArray& RemoteFile) const
{
    for (const QByteArray& number : entriesNaming(database, RemoteFile)) {
        // An entry without its reply is passed over: a later copy may hold it. A link in the
        // entry's place may lead anywhere and is never read.
        FileIo::Contents entry =
            FileIo::read(entryPath(number), FileIo::NoLimit, FileIo::Links::Refuse);
        if (!entry.error && !entry.bytes.isEmpty())
            return std::move(entry.bytes);
    }
    return std::nullopt;
}
