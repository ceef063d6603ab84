#include "core/platform/FileIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <fcntl.h>
#include <optional>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace FileIo {

namespace {

constexpr int TemporaryNameAttempts = 16;

// The tests' write function: set on the test's thread, read by whichever thread saves.
struct WriteOverride {
    std::mutex mutex;
    std::shared_ptr<const WriteFunction> function;
};

WriteOverride& writeOverride()
{
    static WriteOverride hook;
    return hook;
}

std::shared_ptr<const WriteFunction> installedWriteFunction()
{
    WriteOverride& hook = writeOverride();
    const std::lock_guard lock(hook.mutex);
    return hook.function;
}

std::shared_ptr<const WriteFunction>
exchangeWriteFunction(std::shared_ptr<const WriteFunction> with)
{
    WriteOverride& hook = writeOverride();
    const std::lock_guard lock(hook.mutex);
    return std::exchange(hook.function, std::move(with));
}

const QString TemporaryPrefix = u".zolvane."_s;
const QString TemporarySuffix = u".tmp"_s;
constexpr qsizetype TemporaryRandomDigits = 16;

// Beside the target, so the rename stays on one file system; hidden, so a crash leaves nothing
// a user trips over; a name of its own, so a target name as long as the file system allows
// still has room for it; the process's id in it, so a later run knows whether its maker is gone.
QString temporaryPathFor(const QString& target)
{
    static const QString processId = QString::number(QCoreApplication::applicationPid());
    const quint64 random = QRandomGenerator::global()->generate64();
    const qsizetype slash = target.lastIndexOf(u'/');
    return target.first(slash + 1) + TemporaryPrefix + processId + u'.' +
           QString::number(random, 16).rightJustified(TemporaryRandomDigits, u'0') +
           TemporarySuffix;
}

bool isLowerHex(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
    });
}

// A disk that stops taking bytes without saying why is taken to be full.
template <typename Write> Reason writeAll(QByteArrayView bytes, Write&& write)
{
    const std::shared_ptr<const WriteFunction> injected = installedWriteFunction();
    while (!bytes.isEmpty()) {
        errno = 0;
        const qint64 written = injected ? (*injected)(bytes) : write(bytes);
        if (written < 0)
            return errno ? reasonOf(errno) : Reason::Other;
        if (written == 0)
            return Reason::NoSpace;
        bytes = bytes.sliced(written);
    }
    return Reason::None;
}

// Whether the bytes `read` gives, chunk by chunk into the buffer it is handed, are `bytes`; read
// returns how many it gave, 0 at the end, -1 for an error. Stops at the first difference.
template <typename Read> bool readsAs(QByteArrayView bytes, Read&& read)
{
    std::array<char, 64 * 1024> buffer;
    while (!bytes.isEmpty()) {
        const qint64 got = read(buffer.data(), std::min<qint64>(buffer.size(), bytes.size()));
        if (got <= 0 || QByteArrayView(buffer.data(), got) != bytes.first(got))
            return false;
        bytes = bytes.sliced(got);
    }
    return true;
}

#ifndef Q_OS_WIN

// The system's own calls: the fewest checks, each asked once.

QByteArray nativePath(const QString& path)
{
    return QFile::encodeName(path);
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    // Closes now and says whether the close itself failed (a network file system reports a
    // full disk only here).
    Reason close()
    {
        const int fd = std::exchange(m_fd, -1);
        return ::close(fd) == 0 ? Reason::None : reasonOf(errno);
    }

private:
    int m_fd;
};

// Learnt while the program starts, before any second thread: asking for the mask changes it for a
// moment, and a file another thread made in that moment would get every permission.
const mode_t processFileMode = [] {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mode_t(0666 & ~mask);
}();

mode_t defaultFileMode()
{
    return processFileMode;
}

Reason refusal(const struct stat& target)
{
    if (S_ISLNK(target.st_mode))
        return Reason::None;
    if (S_ISDIR(target.st_mode))
        return Reason::FolderInPlace;
    if ((target.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return Reason::ReadOnly;
    return Reason::None;
}

// An exclusive create: never an existing file, nor whatever a link of that name points to.
Reason createTemporary(const QString& target, Descriptor& file, QByteArray& name)
{
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        name = nativePath(temporaryPathFor(target));
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            file.reset(fd);
            return Reason::None;
        }
        if (errno != EEXIST)
            return reasonOf(errno);
    }
    return Reason::Other;
}

Reason syncData(int fd)
{
#ifdef Q_OS_DARWIN
    return ::fsync(fd) == 0 ? Reason::None : reasonOf(errno);
#else
    return ::fdatasync(fd) == 0 ? Reason::None : reasonOf(errno);
#endif
}

Reason writeTemporary(const QString& target, const struct stat* old, QByteArrayView bytes,
                      Sync sync, QByteArray& temporary)
{
    Descriptor file;
    if (const Reason failed = createTemporary(target, file, temporary); failed != Reason::None)
        return failed;
    Reason failed = writeAll(bytes, [&file](QByteArrayView chunk) -> qint64 {
        return ::write(file.get(), chunk.data(), size_t(chunk.size()));
    });
    if (failed == Reason::None && sync == Sync::Now)
        failed = syncData(file.get());
    // An existing file keeps its own permissions.
    const mode_t keep = old && S_ISREG(old->st_mode) ? (old->st_mode & 07777) : defaultFileMode();
    if (failed == Reason::None && keep != defaultFileMode() && ::fchmod(file.get(), keep) != 0)
        failed = reasonOf(errno);
    if (const Reason closing = file.close(); failed == Reason::None)
        failed = closing;
    return failed;
}

Contents readFile(const QString& path, qint64 maxSize, Links links)
{
    // Non-blocking, so a pipe in a file's place cannot hold the program up.
    const int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (links == Links::Refuse ? O_NOFOLLOW : 0);
    Descriptor file(path.isEmpty() ? -1 : ::open(nativePath(path).constData(), flags));
    if (!file.isOpen()) {
        const int error = path.isEmpty() ? ENOENT : errno;
        const Reason reason = error == ELOOP    ? Reason::Link
                              : error == ENOENT ? Reason::NotFound
                                                : reasonOf(error);
        return {{}, Error(reason, path)};
    }
    struct stat info = {};
    if (::fstat(file.get(), &info) != 0)
        return {{}, Error(reasonOf(errno), path)};
    if (S_ISDIR(info.st_mode))
        return {{}, Error(Reason::FolderInPlace, path)};
    if (!S_ISREG(info.st_mode))
        return {{}, Error(Reason::Other, path)};
    if (maxSize >= 0 && info.st_size > maxSize)
        return {{}, Error(Reason::TooLarge, path)};
    // What the file holds now; one that grows meanwhile is read as it was.
    QByteArray bytes(qsizetype(info.st_size), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got =
            ::read(file.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return {{}, Error(reasonOf(errno), path)};
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return {std::move(bytes), {}};
}

// A plain file of `old`'s size that holds `bytes`; a link is never followed. Its size, as lstat
// gave it, stands for its end.
bool holds(const QByteArray& target, const struct stat& old, QByteArrayView bytes)
{
    if (!S_ISREG(old.st_mode) || old.st_size != off_t(bytes.size()))
        return false;
    Descriptor file(::open(target.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW));
    return file.isOpen() && readsAs(bytes, [&file](char* into, qint64 size) -> qint64 {
               ssize_t got;
               do
                   got = ::read(file.get(), into, size_t(size));
               while (got < 0 && errno == EINTR);
               return got;
           });
}

#ifdef Q_OS_LINUX

// A file rewritten again and again swaps places with a kept twin beside it: the new bytes go into
// the twin, which then takes the file's name while the file becomes the twin. Nothing is made or
// freed per save, which a file system's inode allocator, slow with much churn, thanks us for.
// Nothing when the system cannot swap, or the twin is not a plain file of ours.
std::optional<Reason> saveThroughTwin(const QByteArray& target, const struct stat* old,
                                      QByteArrayView bytes, Sync sync)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray twin = target.first(slash + 1) + '.' + target.sliced(slash + 1) + ".zolvane";
    Descriptor file(::open(twin.constData(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666));
    struct stat info = {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_nlink != 1)
        return std::nullopt;
    Reason failed = writeAll(bytes, [&file](QByteArrayView chunk) -> qint64 {
        return ::write(file.get(), chunk.data(), size_t(chunk.size()));
    });
    // The twin usually holds an older, shorter copy: only a longer one needs cutting.
    if (failed == Reason::None && info.st_size > off_t(bytes.size()) &&
        ::ftruncate(file.get(), off_t(bytes.size())) != 0)
        failed = reasonOf(errno);
    if (failed == Reason::None && sync == Sync::Now)
        failed = syncData(file.get());
    const mode_t keep = old && S_ISREG(old->st_mode) ? (old->st_mode & 07777) : defaultFileMode();
    if (failed == Reason::None && (info.st_mode & 07777) != keep && ::fchmod(file.get(), keep) != 0)
        failed = reasonOf(errno);
    if (const Reason closing = file.close(); failed == Reason::None)
        failed = closing;
    if (failed != Reason::None)
        return failed; // the twin holds nothing anyone reads; the file is as it was
    if (::renameat2(AT_FDCWD, twin.constData(), AT_FDCWD, target.constData(),
                    old ? RENAME_EXCHANGE : 0) == 0)
        return Reason::None;
    return errno == EINVAL || errno == ENOSYS ? std::nullopt : std::optional(reasonOf(errno));
}

// A file that does not exist yet is written without a name and given one when it is whole: no
// name is made and removed again, and a crash leaves nothing behind. Nothing when the system
// cannot (no unnamed files there, no /proc) or the name was taken meanwhile.
std::optional<Reason> saveNewWithoutName(const QByteArray& target, QByteArrayView bytes, Sync sync)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder =
        slash < 0 ? QByteArray(".") : target.first(std::max<qsizetype>(slash, 1));
    Descriptor file(::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (!file.isOpen())
        return errno == ENOENT || errno == ENOTDIR || errno == EACCES || errno == EROFS ||
                       errno == ENOSPC || errno == EDQUOT
                   ? std::optional(reasonOf(errno))
                   : std::nullopt;
    Reason failed = writeAll(bytes, [&file](QByteArrayView chunk) -> qint64 {
        return ::write(file.get(), chunk.data(), size_t(chunk.size()));
    });
    if (failed == Reason::None && sync == Sync::Now)
        failed = syncData(file.get());
    if (failed != Reason::None)
        return failed; // the unnamed file goes with its descriptor
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(file.get());
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, target.constData(), AT_SYMLINK_FOLLOW) != 0)
        return std::nullopt;
    return file.close();
}

#endif

Error saveFile(const QString& path, QByteArrayView bytes, Sync sync, Rewrites rewrites, bool& kept)
{
    const QByteArray target = nativePath(path);
    struct stat old = {};
    const bool exists = ::lstat(target.constData(), &old) == 0;
    if (exists) {
        if (const Reason refused = refusal(old); refused != Reason::None)
            return Error(refused, path);
        if (rewrites == Rewrites::Alike && holds(target, old, bytes)) {
            kept = true;
            return {};
        }
    }
#ifdef Q_OS_LINUX
    if (rewrites == Rewrites::Often) {
        if (const auto done = saveThroughTwin(target, exists ? &old : nullptr, bytes, sync))
            return *done == Reason::None ? Error() : Error(*done, path);
    }
    if (!exists) {
        if (const auto done = saveNewWithoutName(target, bytes, sync))
            return *done == Reason::None ? Error() : Error(*done, path);
    }
#else
    Q_UNUSED(rewrites);
#endif
    QByteArray temporary;
    Reason failed = writeTemporary(path, exists ? &old : nullptr, bytes, sync, temporary);
    // rename() replaces an existing file, and a symbolic link itself rather than what it points
    // to.
    if (failed == Reason::None && ::rename(temporary.constData(), target.constData()) != 0)
        failed = reasonOf(errno);
    if (failed != Reason::None) {
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return Error(failed, path);
    }
    return {};
}

bool readOnly(const QString& path)
{
    struct stat info = {};
    return ::stat(nativePath(path).constData(), &info) == 0 &&
           (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

std::optional<Stamp> stampOf(const QString& path)
{
    struct stat info = {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &info) != 0)
        return std::nullopt;
    const auto nanoseconds = [](const struct timespec& time) {
        return qint64(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    return Stamp{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                 nanoseconds(info.st_mtim), nanoseconds(info.st_ctim)};
}

Error flushFiles(const QStringList& paths)
{
    if (paths.isEmpty())
        return {};
#ifdef Q_OS_LINUX
    // One call flushes the whole file system the files are on.
    const QString folder =
        paths.first().first(std::max<qsizetype>(paths.first().lastIndexOf(u'/'), 1));
    Descriptor handle(::open(nativePath(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!handle.isOpen())
        return errno == ENOENT || errno == ENOTDIR ? Error() : Error(reasonOf(errno), folder);
    if (::syncfs(handle.get()) != 0)
        return Error(reasonOf(errno), folder);
    return {};
#else
    for (const QString& path : paths) {
        Descriptor file(::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC));
        if (!file.isOpen() && (errno == ENOENT || errno == ENOTDIR))
            continue; // gone since: nothing of it to keep
        if (!file.isOpen() || ::fsync(file.get()) != 0)
            return Error(reasonOf(errno), path);
    }
    return {};
#endif
}

#else

// Windows: Qt's files, which that system's paths and names need. Built there, run and tested on
// Linux only.

constexpr QFileDevice::Permissions WriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;

Reason refusal(const QFileInfo& target)
{
    if (target.isSymLink())
        return Reason::None;
    if (target.isDir())
        return Reason::FolderInPlace;
    if (target.exists() && (target.permissions() & WriteBits) == 0)
        return Reason::ReadOnly;
    return Reason::None;
}

Reason openNew(QFile& file, const QString& target)
{
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        file.setFileName(temporaryPathFor(target));
        errno = 0;
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return Reason::None;
        if (errno != EEXIST)
            return reasonOf(errno);
    }
    return Reason::Other;
}

Reason closeChecked(QFile& file)
{
    errno = 0;
    file.close();
    if (file.error() == QFileDevice::NoError)
        return Reason::None;
    return errno ? reasonOf(errno) : Reason::Other;
}

Reason replace(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(std::filesystem::path(QDir::toNativeSeparators(from).toStdWString()),
                            std::filesystem::path(QDir::toNativeSeparators(to).toStdWString()),
                            error);
    return error ? reasonOf(error.default_error_condition().value()) : Reason::None;
}

Contents readFile(const QString& path, qint64 maxSize, Links links)
{
    const QFileInfo info(path);
    if (links == Links::Refuse && info.isSymLink())
        return {{}, Error(Reason::Link, path)};
    if (info.isDir())
        return {{}, Error(Reason::FolderInPlace, path)};
    QFile file(path);
    errno = 0;
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {{}, Error(errno == ENOENT ? Reason::NotFound : reasonOf(errno), path)};
    if (maxSize >= 0 && file.size() > maxSize)
        return {{}, Error(Reason::TooLarge, path)};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, Error(Reason::Other, path)};
    if (maxSize >= 0 && bytes.size() > maxSize)
        return {{}, Error(Reason::TooLarge, path)};
    return {std::move(bytes), {}};
}

bool holds(const QFileInfo& target, QByteArrayView bytes)
{
    if (!target.isFile() || target.isSymLink() || target.size() != bytes.size())
        return false;
    QFile file(target.filePath());
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) &&
           readsAs(bytes, [&file](char* into, qint64 size) { return file.read(into, size); });
}

Error saveFile(const QString& path, QByteArrayView bytes, Sync sync, Rewrites rewrites, bool& kept)
{
    const QFileInfo target(path);
    if (const Reason refused = refusal(target); refused != Reason::None)
        return Error(refused, path);
    if (rewrites == Rewrites::Alike && holds(target, bytes)) {
        kept = true;
        return {};
    }
    QFile file;
    if (const Reason failed = openNew(file, path); failed != Reason::None)
        return Error(failed, path);
    Reason failed = writeAll(
        bytes, [&file](QByteArrayView chunk) { return file.write(chunk.data(), chunk.size()); });
    if (failed == Reason::None && sync == Sync::Now && ::_commit(file.handle()) != 0)
        failed = reasonOf(errno);
    if (failed == Reason::None && target.isFile() && !target.isSymLink())
        file.setPermissions(target.permissions());
    if (const Reason closing = closeChecked(file); failed == Reason::None)
        failed = closing;
    if (failed == Reason::None)
        failed = replace(file.fileName(), path);
    if (failed != Reason::None) {
        file.remove();
        return Error(failed, path);
    }
    return {};
}

bool readOnly(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && (info.permissions() & WriteBits) == 0;
}

std::optional<Stamp> stampOf(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return std::nullopt;
    const auto nanoseconds = [](const QDateTime& time) {
        return time.toMSecsSinceEpoch() * 1'000'000;
    };
    return Stamp{0, quint64(qHash(info.canonicalFilePath())), info.size(),
                 nanoseconds(info.lastModified()), nanoseconds(info.metadataChangeTime())};
}

Error flushFiles(const QStringList& paths)
{
    for (const QString& path : paths) {
        QFile file(path);
        if (!file.exists())
            continue; // gone since: nothing of it to keep
        if (!file.open(QIODevice::ReadWrite) || ::_commit(file.handle()) != 0)
            return Error(reasonOf(errno), path);
    }
    return {};
}

#endif

} // namespace

Reason reasonOf(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return Reason::NoSpace;
    case EACCES:
    case EPERM:
    case EROFS:
        return Reason::Denied;
    case ENOENT:
    case ENOTDIR:
        return Reason::NoFolder;
    case EISDIR:
        return Reason::FolderInPlace;
    case EEXIST:
        return Reason::Exists;
    default:
        return Reason::Other;
    }
}

QStringView temporaryFilePrefix()
{
    return TemporaryPrefix;
}

std::optional<qint64> temporaryFileOwner(QStringView fileName)
{
    if (fileName.size() < TemporaryPrefix.size() + TemporaryRandomDigits + TemporarySuffix.size() ||
        !fileName.startsWith(TemporaryPrefix) || !fileName.endsWith(TemporarySuffix))
        return std::nullopt;
    const QStringView middle = fileName.sliced(
        TemporaryPrefix.size(), fileName.size() - TemporaryPrefix.size() - TemporarySuffix.size());
    const QStringView random = middle.right(TemporaryRandomDigits);
    if (random.size() != TemporaryRandomDigits || !isLowerHex(random))
        return std::nullopt;
    if (middle.size() == TemporaryRandomDigits)
        return 0;
    const QStringView pid = middle.first(middle.size() - TemporaryRandomDigits);
    if (!pid.endsWith(u'.'))
        return std::nullopt;
    const QStringView digits = pid.chopped(1);
    if (digits.isEmpty() || digits.size() > 10 ||
        !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    const qint64 owner = digits.toLongLong();
    return owner > 0 ? std::optional(owner) : std::nullopt;
}

Error::Error(Reason reason, const QString& path)
    : m_reason(reason), m_message(u"%1: %2"_s.arg(QDir::toNativeSeparators(path), describe(reason)))
{}

QString Error::describe(Reason reason)
{
    switch (reason) {
    case Reason::None:
        return {};
    case Reason::NoSpace:
        return u"места нет"_s;
    case Reason::ReadOnly:
        return u"только для чтения"_s;
    case Reason::Denied:
        return u"не пускают"_s;
    case Reason::NoFolder:
        return u"нет папки"_s;
    case Reason::FolderInPlace:
        return u"там папка"_s;
    case Reason::NotFound:
        return u"нет файла"_s;
    case Reason::TooLarge:
        return u"слишком большой"_s;
    case Reason::Link:
        return u"ссылка"_s;
    case Reason::Exists:
        return u"уже есть"_s;
    case Reason::Incomplete:
        return u"нет данных"_s;
    case Reason::Busy:
        return u"занято"_s;
    case Reason::Other:
        break;
    }
    return u"ашыпка диска"_s;
}

Contents read(const QString& path, qint64 maxSize, Links links)
{
    return readFile(path, maxSize, links);
}

Error save(const QString& path, QByteArrayView bytes, Sync sync, Rewrites rewrites, bool* kept)
{
    bool keptHere = false;
    Error error = path.isEmpty() ? Error(Reason::NotFound, path)
                                 : saveFile(path, bytes, sync, rewrites, keptHere);
    if (kept)
        *kept = keptHere;
    return error;
}

std::optional<Stamp> stamp(const QString& path)
{
    return stampOf(path);
}

bool isReadOnly(const QString& path)
{
    return readOnly(path);
}

Error flush(const QStringList& paths)
{
    return flushFiles(paths);
}

ScopedWriteFunction::ScopedWriteFunction(WriteFunction write)
    : m_previous(exchangeWriteFunction(std::make_shared<const WriteFunction>(std::move(write))))
{}

ScopedWriteFunction::~ScopedWriteFunction()
{
    exchangeWriteFunction(std::move(m_previous));
}

} // namespace FileIo
