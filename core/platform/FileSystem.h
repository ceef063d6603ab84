#pragma once

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
// Paths use "/" (Qt accepts it on every platform). Operations that can fail throw OperationError.
namespace FileSystem {

// True exactly when a file (not a folder) of that path exists. Never throws.
bool FileExists(const QString& path);

// True exactly when a folder of that path exists. Never throws.
bool FolderExists(const QString& path);

// Creates one folder; its parent must exist. Fails when the folder already exists.
void CreateFolder(const QString& path);

// Deletes one file, or every file matching a pattern in its last segment ("folder/*.*",
// "folder/*.tmp"). A read-only file (no write permission bit set) is never deleted: the call then
// fails after deleting the other matches. A plain path that names no file fails. A pattern that
// matches no file succeeds and does nothing. Folders are never touched.
void DeleteFile(const QString& pathOrPattern);

// Copies a file, replacing the target. A missing source, a read-only target or a folder in the
// target's place fails.
void CopyFile(const QString& source, const QString& target);

// Creates an empty file, replacing an existing one. A read-only existing file fails.
void CreateTextFile(const QString& path);

// Marks a folder hidden: the attribute on Windows; nothing to do where a leading "!" or "." is
// the only convention.
void SetFolderHidden(const QString& path);

} // namespace FileSystem
