#include "core/platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <windows.h>
// windows.h renames these to their wide forms; ours keep their own names everywhere.
#undef CopyFile
#undef DeleteFile
#endif

using namespace Qt::StringLiterals;

namespace FileSystem {

namespace {

using FileIo::Reason;

bool isPattern(const QString& lastSegment)
{
    return lastSegment.contains(u'*') || lastSegment.contains(u'?');
}

std::filesystem::path nativePath(const QString& path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(QDir::toNativeSeparators(path).toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

FileIo::Error failure(const std::error_code& error, const QString& path)
{
    return FileIo::Error(FileIo::reasonOf(error.default_error_condition().value()), path);
}

FileIo::Error removeFile(const QString& path)
{
    if (FileIo::isReadOnly(path))
        return FileIo::Error(Reason::ReadOnly, path);
    std::error_code error;
    std::filesystem::remove(nativePath(path), error);
    return error ? failure(error, path) : FileIo::Error();
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

FileIo::Error CreateFolder(const QString& path)
{
    if (QFileInfo::exists(path))
        return FileIo::Error(Reason::Exists, path);
    std::error_code error;
    if (!std::filesystem::create_directory(nativePath(path), error))
        return error ? failure(error, path) : FileIo::Error(Reason::Exists, path);
    return {};
}

FileIo::Error DeleteFile(const QString& pathOrPattern)
{
    const QFileInfo info(pathOrPattern);
    const QString last = info.fileName();
    if (!isPattern(last)) {
        if (!FileExists(pathOrPattern))
            return FileIo::Error(Reason::NotFound, pathOrPattern);
        return removeFile(pathOrPattern);
    }
    const QDir folder = info.dir();
    if (!folder.exists())
        return FileIo::Error(Reason::NoFolder, folder.path());
    const QStringList names =
        folder.entryList({patternFor(last)}, QDir::Files | QDir::Hidden | QDir::System);
    FileIo::Error firstFailure;
    for (const QString& name : names) {
        FileIo::Error error = removeFile(folder.filePath(name));
        if (error && !firstFailure)
            firstFailure = std::move(error);
    }
    return firstFailure;
}

FileIo::Error CopyFile(const QString& source, const QString& target)
{
    if (!FileExists(source))
        return FileIo::Error(Reason::NotFound, source);
    // The whole source is read before the target is replaced: a copy onto itself keeps its bytes,
    // and a failed copy leaves the old target whole.
    const FileIo::Contents contents = FileIo::read(source);
    if (contents.error)
        return contents.error;
    // A copy can be made again from its source: it is not flushed to disk on its own.
    return FileIo::save(target, contents.bytes, FileIo::Sync::Never);
}

FileIo::Error CreateTextFile(const QString& path)
{
    return FileIo::save(path, {});
}

FileIo::Error SetFolderHidden(const QString& path)
{
    if (!FolderExists(path))
        return FileIo::Error(Reason::NoFolder, path);
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !SetFileAttributesW(native.c_str(), attributes | FILE_ATTRIBUTE_HIDDEN))
        return FileIo::Error(Reason::Other, path);
#endif
    return {};
}

} // namespace FileSystem
