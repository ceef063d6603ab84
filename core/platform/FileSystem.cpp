#include "core/platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_WIN
#include <windows.h>
// windows.h renames these to their wide forms; ours keep their own names everywhere.
#undef CopyFile
#undef DeleteFile
#else
#include <QScopeGuard>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
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

QRegularExpression patternFor(const QString& lastSegment)
{
    // "*.*" means every file, also one without a dot, as it does on Windows.
    const QString wildcard = lastSegment == u"*.*"_s ? u"*"_s : lastSegment;
    return QRegularExpression::fromWildcard(wildcard, Qt::CaseInsensitive);
}

void keepFirst(FileIo::Error& first, FileIo::Error error)
{
    if (error && !first)
        first = std::move(error);
}

#ifndef Q_OS_WIN

// An entry of an open folder, with what its deletion needs to know.
struct Listed {
    FolderEntry entry;
    bool readOnly = false; // a plain file without write permission bits
};

// The entry `name` of the open folder `folder`, unless it is a folder or leads to one.
std::optional<Listed> entryOf(int folder, const char* name)
{
    struct stat info = {};
    if (::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode))
        return std::nullopt;
    Listed listed;
    listed.readOnly = S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    FolderEntry& entry = listed.entry;
    entry.name = QFile::decodeName(name);
    entry.modified = QDateTime::fromSecsSinceEpoch(info.st_mtime, Qt::UTC);
    if (S_ISREG(info.st_mode))
        entry.kind = FolderEntry::Kind::File;
    else if (S_ISLNK(info.st_mode))
        entry.kind = FolderEntry::Kind::Link;
    else
        entry.kind = FolderEntry::Kind::Other;
    struct stat target = {};
    if (entry.kind == FolderEntry::Kind::Link && ::fstatat(folder, name, &target, 0) == 0 &&
        S_ISDIR(target.st_mode))
        return std::nullopt;
    return listed;
}

FileIo::Error openFailure(int error, const QString& folder)
{
    if (error == ELOOP || (error == ENOTDIR && LinkExists(folder)))
        return FileIo::Error(Reason::Link, folder);
    return FileIo::Error(
        error == ENOENT || error == ENOTDIR ? Reason::NoFolder : FileIo::reasonOf(error), folder);
}

#endif

FileIo::Error removeOne(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink() && !info.isFile())
        return FileIo::Error(Reason::NotFound, path);
    if (!info.isSymLink() && FileIo::isReadOnly(path))
        return FileIo::Error(Reason::ReadOnly, path);
    if (info.isSymLink() && info.isDir())
        return FileIo::Error(Reason::NotFound, path);
    std::error_code error;
    std::filesystem::remove(nativePath(path), error);
    return error ? failure(error, path) : FileIo::Error();
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
    if (!isPattern(last))
        return removeOne(pathOrPattern);
    const QRegularExpression pattern = patternFor(last);
    return DeleteFilesIn(info.path(), [&pattern](const FolderEntry& entry) {
        return pattern.match(entry.name).hasMatch();
    });
}

#ifndef Q_OS_WIN

FileIo::Error DeleteFilesIn(const QString& folder,
                            const std::function<bool(const FolderEntry& entry)>& wanted,
                            QStringView namePrefix)
{
    // Opened without following a link, and every entry is taken relative to what was opened: a
    // link put in the folder's place meanwhile leads nowhere either.
    const int opened = ::open(QFile::encodeName(folder).constData(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (opened < 0)
        return openFailure(errno, folder);
    DIR* listing = ::fdopendir(opened);
    if (!listing) {
        const int error = errno;
        ::close(opened);
        return FileIo::Error(FileIo::reasonOf(error), folder);
    }
    const auto closeListing = qScopeGuard([listing] { ::closedir(listing); });
    const int handle = ::dirfd(listing);
    // The names first: a folder changed while it is read may give a name twice or never.
    const QByteArray prefix = QFile::encodeName(namePrefix.toString());
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != ".." && name.startsWith(prefix))
            names.push_back(name);
    }
    FileIo::Error first;
    for (const QByteArray& name : names) {
        const auto listed = entryOf(handle, name.constData());
        if (!listed || !wanted(listed->entry))
            continue;
        const QString path = folder + u'/' + listed->entry.name;
        if (listed->readOnly)
            keepFirst(first, FileIo::Error(Reason::ReadOnly, path));
        else if (::unlinkat(handle, name.constData(), 0) != 0 && errno != ENOENT)
            keepFirst(first, FileIo::Error(FileIo::reasonOf(errno), path));
    }
    return first;
}

bool LinkExists(const QString& path)
{
    struct stat info = {};
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0 &&
           S_ISLNK(info.st_mode);
}

#else

// Built for Windows, but run and tested on Linux only.

FileIo::Error DeleteFilesIn(const QString& folder,
                            const std::function<bool(const FolderEntry& entry)>& wanted,
                            QStringView namePrefix)
{
    if (LinkExists(folder))
        return FileIo::Error(Reason::Link, folder);
    if (!FolderExists(folder))
        return FileIo::Error(Reason::NoFolder, folder);
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::System | QDir::NoDotAndDotDot);
    FileIo::Error first;
    for (const QFileInfo& info : entries) {
        if (!info.fileName().startsWith(namePrefix))
            continue;
        const bool link = info.isSymLink() || info.isJunction();
        if (info.isDir())
            continue;
        FolderEntry entry;
        entry.name = info.fileName();
        entry.kind = link ? FolderEntry::Kind::Link
                     : info.isFile() ? FolderEntry::Kind::File
                                     : FolderEntry::Kind::Other;
        entry.modified = info.lastModified();
        if (!wanted(entry))
            continue;
        keepFirst(first, removeOne(info.filePath()));
    }
    return first;
}

bool LinkExists(const QString& path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && (info.isSymLink() || info.isJunction());
}

#endif

FileIo::Error RemoveLink(const QString& path)
{
    if (!LinkExists(path))
        return FileIo::Error(Reason::NotFound, path);
    std::error_code error;
    std::filesystem::remove(nativePath(path), error);
    return error ? failure(error, path) : FileIo::Error();
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
    // A copy can be made again from its source: it is not flushed to disk on its own. A target
    // that holds the source's bytes already is left as it is.
    return FileIo::save(target, contents.bytes, FileIo::Sync::Never, FileIo::Rewrites::Alike);
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
