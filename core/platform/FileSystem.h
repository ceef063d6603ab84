#pragma once

#include "core/platform/FileIo.h"

#include <QString>

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
FileIo::Error DeleteFile(const QString& pathOrPattern);

// Copies a file, replacing the target. A missing source, a read-only target or a folder in the
// target's place fails.
FileIo::Error CopyFile(const QString& source, const QString& target);

// Creates an empty file, replacing an existing one. A read-only existing file fails.
FileIo::Error CreateTextFile(const QString& path);

// Marks a folder hidden: the attribute on Windows; nothing to do where a leading "!" or "." is
// the only convention. Fails when there is no folder of that path.
FileIo::Error SetFolderHidden(const QString& path);

} // namespace FileSystem
