#include "platform/FileIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace FileIo {

namespace {

constexpr QFileDevice::Permissions WriteBits =
    QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
constexpr int TemporaryNameAttempts = 16;

WriteFunction& writeOverride()
{
    static WriteFunction function;
    return function;
}

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
    default:
        return Reason::Other;
    }
}

// Beside the target, so the rename stays on one file system; hidden, so a crash leaves nothing
// a user trips over; a name of its own, so a target name as long as the file system allows
// still has room for it.
QString temporaryPathFor(const QFileInfo& target)
{
    const quint64 random = QRandomGenerator::global()->generate64();
    return target.dir().filePath(
        u".zolvane.%1.tmp"_s.arg(QString::number(random, 16).rightJustified(16, u'0')));
}

// An exclusive create: never an existing file, nor whatever a link of that name points to.
Reason openNew(QFile& file, const QFileInfo& target)
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

qint64 writeChunk(QFile& file, QByteArrayView chunk)
{
    if (const WriteFunction& write = writeOverride())
        return write(chunk);
    return file.write(chunk.data(), chunk.size());
}

// A disk that stops taking bytes without saying why is taken to be full.
Reason writeAll(QFile& file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        errno = 0;
        const qint64 written = writeChunk(file, bytes);
        if (written < 0)
            return errno ? reasonOf(errno) : Reason::Other;
        if (written == 0)
            return Reason::NoSpace;
        bytes = bytes.sliced(written);
    }
    return Reason::None;
}

Reason flushToDisk(QFile& file)
{
#ifdef Q_OS_WIN
    const bool flushed = ::_commit(file.handle()) == 0;
#elif defined(Q_OS_DARWIN)
    const bool flushed = ::fsync(file.handle()) == 0;
#else
    const bool flushed = ::fdatasync(file.handle()) == 0;
#endif
    return flushed ? Reason::None : reasonOf(errno);
}

Reason closeChecked(QFile& file)
{
    errno = 0;
    file.close();
    if (file.error() == QFileDevice::NoError)
        return Reason::None;
    return errno ? reasonOf(errno) : Reason::Other;
}

std::filesystem::path fileSystemPath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

// rename() replaces an existing file, and a symbolic link itself rather than what it points to.
Reason replace(const QString& from, const QString& to)
{
    std::error_code error;
    std::filesystem::rename(fileSystemPath(from), fileSystemPath(to), error);
    return error ? reasonOf(error.default_error_condition().value()) : Reason::None;
}

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

} // namespace

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
    case Reason::Other:
        break;
    }
    return u"ашыпка диска"_s;
}

Contents read(const QString& path, qint64 maxSize, Links links)
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

Error save(const QString& path, QByteArrayView bytes, Sync sync)
{
    if (path.isEmpty())
        return Error(Reason::NotFound, path);
    const QFileInfo target(path);
    if (const Reason refused = refusal(target); refused != Reason::None)
        return Error(refused, path);

    QFile file;
    if (const Reason failed = openNew(file, target); failed != Reason::None)
        return Error(failed, path);
    Reason failed = writeAll(file, bytes);
    if (failed == Reason::None && sync == Sync::Now)
        failed = flushToDisk(file);
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

bool isReadOnly(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() && (info.permissions() & WriteBits) == 0;
}

ScopedWriteFunction::ScopedWriteFunction(WriteFunction write)
    : m_previous(std::exchange(writeOverride(), std::move(write)))
{}

ScopedWriteFunction::~ScopedWriteFunction()
{
    writeOverride() = std::move(m_previous);
}

} // namespace FileIo
