#include "platform/FileIo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

Error failure(const QString& what, const QString& path, const QString& why)
{
    return Error(u"%1 %2: %3"_s.arg(what, native(path), why));
}

// Beside the target, so the rename stays on one file system; hidden, so a crash leaves nothing
// a user trips over; the random part keeps two saves of one name apart.
QString temporaryPathFor(const QFileInfo& target)
{
    const quint32 random = QRandomGenerator::global()->generate();
    return target.dir().filePath(u".%1.%2.tmp"_s.arg(
        target.fileName(), QString::number(random, 16).rightJustified(8, u'0')));
}

bool openNew(QFile& file, const QFileInfo& target)
{
    for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
        file.setFileName(temporaryPathFor(target));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
            return true;
        if (QFileInfo::exists(file.fileName()) || QFileInfo(file.fileName()).isSymLink())
            continue;
        return false;
    }
    return false;
}

qint64 writeChunk(QFile& file, QByteArrayView chunk)
{
    if (const WriteFunction& write = writeOverride())
        return write(chunk);
    return file.write(chunk.data(), chunk.size());
}

bool writeAll(QFile& file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = writeChunk(file, bytes);
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return true;
}

bool flushToDisk(QFile& file)
{
#ifdef Q_OS_WIN
    return ::_commit(file.handle()) == 0;
#elif defined(Q_OS_DARWIN)
    return ::fsync(file.handle()) == 0;
#else
    return ::fdatasync(file.handle()) == 0;
#endif
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
bool replace(const QString& from, const QString& to, QString& why)
{
    std::error_code error;
    std::filesystem::rename(fileSystemPath(from), fileSystemPath(to), error);
    if (error)
        why = QString::fromLocal8Bit(error.message());
    return !error;
}

Error refuseTarget(const QFileInfo& target)
{
    if (target.isSymLink())
        return {};
    if (target.isDir())
        return failure(u"На месте файла папка"_s, target.filePath(), u"не записать"_s);
    if (target.exists() && (target.permissions() & WriteBits) == 0)
        return failure(u"Файл только для чтения"_s, target.filePath(), u"не записать"_s);
    return {};
}

} // namespace

Contents read(const QString& path, qint64 maxSize, Links links)
{
    const QFileInfo info(path);
    if (links == Links::Refuse && info.isSymLink())
        return {{}, failure(u"Не читаю ссылку"_s, path, u"ведёт за пределы папки"_s)};
    if (info.isDir())
        return {{}, failure(u"Не прочитать"_s, path, u"это папка"_s)};
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {{}, failure(u"Не прочитать"_s, path, file.errorString())};
    if (maxSize >= 0 && file.size() > maxSize)
        return {{}, failure(u"Не прочитать"_s, path, u"файл больше %1 байт"_s.arg(maxSize))};
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return {{}, failure(u"Не прочитать"_s, path, file.errorString())};
    if (maxSize >= 0 && bytes.size() > maxSize)
        return {{}, failure(u"Не прочитать"_s, path, u"файл больше %1 байт"_s.arg(maxSize))};
    return {std::move(bytes), {}};
}

Error save(const QString& path, QByteArrayView bytes, Sync sync)
{
    const QFileInfo target(path);
    if (path.isEmpty())
        return Error(u"Не записать: нет имени файла"_s);
    if (Error refused = refuseTarget(target))
        return refused;

    QFile file;
    if (!openNew(file, target))
        return failure(u"Не записать"_s, path, file.errorString());
    const auto discard = [&file] {
        file.close();
        file.remove();
    };
    if (!writeAll(file, bytes)) {
        const QString why =
            file.error() != QFileDevice::NoError ? file.errorString() : u"запись не прошла"_s;
        discard();
        return failure(u"Не записать"_s, path, why);
    }
    if (sync == Sync::Now && !flushToDisk(file)) {
        discard();
        return failure(u"Не записать"_s, path, u"диск не принял данные"_s);
    }
    if (target.isFile() && !target.isSymLink())
        file.setPermissions(target.permissions());
    file.close();
    if (file.error() != QFileDevice::NoError) {
        const QString why = file.errorString();
        file.remove();
        return failure(u"Не записать"_s, path, why);
    }
    QString why;
    if (!replace(file.fileName(), path, why)) {
        file.remove();
        return failure(u"Не записать"_s, path, why);
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
