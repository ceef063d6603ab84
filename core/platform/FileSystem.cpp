#include "core/platform/FileSystem.h"

#include "core/platform/FileIo.h"
#include "core/platform/OperationError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
// windows.h renames these to their wide forms; ours keep their own names everywhere.
#undef CopyFile
#undef DeleteFile
#endif

using namespace Qt::StringLiterals;

namespace FileSystem {

namespace {

bool isPattern(const QString& lastSegment)
{
    return lastSegment.contains(u'*') || lastSegment.contains(u'?');
}

void removeFile(const QString& path)
{
    if (FileIo::isReadOnly(path))
        throw OperationError(u"Файл только для чтения: %1"_s.arg(QDir::toNativeSeparators(path)));
    QFile file(path);
    if (!file.remove())
        throw OperationError(
            u"Не удалось удалить %1: %2"_s.arg(QDir::toNativeSeparators(path), file.errorString()));
}

QString patternFor(const QString& lastSegment)
{
    // "*.*" means every file, also one without a dot, as it does on Windows.
    return lastSegment == u"*.*"_s ? u"*"_s : lastSegment;
}

} // namespace

bool FileExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool FolderExists(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isDir();
}

void CreateFolder(const QString& path)
{
    if (QFileInfo::exists(path))
        throw OperationError(u"Уже есть: %1"_s.arg(QDir::toNativeSeparators(path)));
    if (!QDir().mkdir(path))
        throw OperationError(u"Не удалось создать папку %1"_s.arg(QDir::toNativeSeparators(path)));
}

void DeleteFile(const QString& pathOrPattern)
{
    const QFileInfo info(pathOrPattern);
    const QString last = info.fileName();
    if (!isPattern(last)) {
        if (!FileExists(pathOrPattern))
            throw OperationError(
                u"Нет такого файла: %1"_s.arg(QDir::toNativeSeparators(pathOrPattern)));
        removeFile(pathOrPattern);
        return;
    }
    const QDir folder = info.dir();
    if (!folder.exists())
        throw OperationError(u"Нет такой папки: %1"_s.arg(QDir::toNativeSeparators(folder.path())));
    const QStringList names =
        folder.entryList({patternFor(last)}, QDir::Files | QDir::Hidden | QDir::System);
    QString firstFailure;
    for (const QString& name : names) {
        try {
            removeFile(folder.filePath(name));
        } catch (const OperationError& e) {
            if (firstFailure.isEmpty())
                firstFailure = e.message();
        }
    }
    if (!firstFailure.isEmpty())
        throw OperationError(firstFailure);
}

void CopyFile(const QString& source, const QString& target)
{
    if (!FileExists(source))
        throw OperationError(u"Нет такого файла: %1"_s.arg(QDir::toNativeSeparators(source)));
    // The whole source is read before the target is replaced: a copy onto itself keeps its bytes,
    // and a failed copy leaves the old target whole.
    const FileIo::Contents contents = FileIo::read(source);
    if (contents.error)
        throw OperationError(contents.error.message());
    // A copy can be made again from its source: it is not flushed to disk on its own.
    if (const FileIo::Error error = FileIo::save(target, contents.bytes, FileIo::Sync::Never))
        throw OperationError(error.message());
}

void CreateTextFile(const QString& path)
{
    if (const FileIo::Error error = FileIo::save(path, {}))
        throw OperationError(error.message());
}

void SetFolderHidden(const QString& path)
{
    if (!FolderExists(path))
        throw OperationError(u"Нет такой папки: %1"_s.arg(QDir::toNativeSeparators(path)));
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !SetFileAttributesW(native.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN))
        throw OperationError(u"Не удалось спрятать папку %1"_s.arg(QDir::toNativeSeparators(path)));
#endif
}

} // namespace FileSystem
