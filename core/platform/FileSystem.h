#pragma once

#include "core/platform/FileIo.h"

#include <QDateTime>
#include <QString>
#include <functional>

// windows.h renames CopyFile and DeleteFile to their wide forms in whatever includes it; these
// keep their own names in every file.
#ifdef CopyFile
#undef CopyFile
#endif
#ifdef DeleteFile
#undef DeleteFile
#endif

// File and folder operations shared by the crawl, the album, the cache and the settings.
// Paths use "/" (Qt accepts it on every platform). An operation that fails says why; one that
// worked gives an empty error.
namespace FileSystem {

// True exactly when a file (not a folder) of that path exists. Never fails.
bool FileExists(const QString& path);

// True exactly when a folder of that path exists. Never fails.
bool FolderExists(const QString& path);

// Creates one folder; its parent must exist. Fails when something of that name exists already.
FileIo::Error CreateFolder(const QString& path);

// Deletes one file, or every file matching a pattern in its last segment ("folder/*.*",
// "folder/*.tmp"). A read-only file (no write permission bit set) is never deleted: the call then
// fails, with the first file left, after deleting the other matches. A plain path that names no
// file fails. A pattern that matches no file succeeds and does nothing. Folders are never touched.
// A symbolic link is deleted itself, never what it leads to; one that leads to a folder counts as
// a folder, and one in the place of the pattern's folder fails the call (Reason::Link).
FileIo::Error DeleteFile(const QString& pathOrPattern);

// An entry of a folder as a delete sees it: the entry itself, never what a link leads to.
struct FolderEntry {
    enum class Kind {
        File,  // a plain file
        Link,  // a symbolic link that leads to no folder
        Other, // a pipe, a socket, a device
    };
    QString name;
    Kind kind = Kind::File;
    QDateTime modified;
};

// Deletes the entries of one folder that `wanted` accepts, as DeleteFile does: folders and links
// that lead to folders are never offered, a read-only file stays and fails the call, a link goes
// and what it leads to stays. A symbolic link in the folder's own place is never followed: the
// call fails (Reason::Link) and deletes nothing. Only entries whose names start with `namePrefix`
// are looked at, so that a large folder costs no more than listing it.
FileIo::Error DeleteFilesIn(const QString& folder,
                            const std::function<bool(const FolderEntry& entry)>& wanted,
                            QStringView namePrefix = {});

// True when a symbolic link (on Windows also a junction) is at that path, whatever it leads to.
bool LinkExists(const QString& path);

// Removes the symbolic link at that path, never what it leads to. Fails when there is none.
FileIo::Error RemoveLink(const QString& path);

// Copies a file, replacing the target. A missing source, a read-only target or a folder in the
// target's place fails.
FileIo::Error CopyFile(const QString& source, const QString& target);

// Creates an empty file, replacing an existing one. A read-only existing file fails.
FileIo::Error CreateTextFile(const QString& path);

// Marks a folder hidden: the attribute on Windows; nothing to do where a leading "!" or "." is
// the only convention. Fails when there is no folder of that path.
FileIo::Error SetFolderHidden(const QString& path);

} // namespace FileSystem
