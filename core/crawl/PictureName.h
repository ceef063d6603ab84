#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The name a picture from the site is saved under in "downloads". The site's bytes decide it, so
// they are made harmless before they touch the disk.
namespace PictureName {

enum class Rules {
    Posix,   // "/" separates folders; every other byte but NUL is allowed
    Windows, // also < > : " | ? * are reserved, and a trailing dot or blank is dropped by the
             // system
#ifdef Q_OS_WIN
    Native = Windows
#else
    Native = Posix
#endif
};

// The last segment of a site path (the bytes after its last "/").
QByteArray lastSegment(QByteArrayView sitePath);

// The bytes of the saved name: "\" and control bytes become "_", and so do the bytes the
// platform reserves. Empty when nothing may be saved: an empty name, "." or "..".
QByteArray safeName(QByteArrayView siteName, Rules rules = Rules::Native);

// The longest name the file system takes, counted as the system stores names: bytes of UTF-8 on
// POSIX systems, UTF-16 units on Windows (one for every Windows-1251 character).
inline constexpr int MaxDiskNameLength = 255;

// The safe name, shortened until its disk name fits `limit`: characters go from the end of the
// name before its extension, which stays when it is short.
QByteArray fitted(QByteArrayView safeName, int limit = MaxDiskNameLength);

// The fitted name numbered for a picture whose own name is taken: "name (2).ext", shortened
// like `fitted` where the number would make it too long.
QByteArray numbered(QByteArrayView fittedName, int number, int limit = MaxDiskNameLength);

// The name on disk: the bytes read as Windows-1251, as a browser reading the album finds them.
QString diskName(QByteArrayView safeName);

// A disk name as the file system compares names: two names with the same key are one file.
// Windows ignores case; POSIX systems compare exactly.
QString diskKey(const QString& diskName, Rules rules = Rules::Native);

} // namespace PictureName
