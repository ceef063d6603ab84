#include "core/platform/FolderLock.h"

#include <QFile>
#include <utility>

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

#ifndef Q_OS_WIN

// A holder that lets go between our open and our lock may remove the file: the lock then sits
// on a file nobody else finds, and is taken again on the file of that name.
constexpr int Attempts = 16;

int openLockFile(const QByteArray& path)
{
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno == ELOOP && ::unlink(path.constData()) == 0)
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    // A lock file someone made read-only locks all the same.
    if (fd < 0 && (errno == EACCES || errno == EROFS))
        fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    return fd;
}

bool isStillNamed(int fd, const QByteArray& path)
{
    struct stat held = {};
    struct stat named = {};
    return ::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

#endif

} // namespace

FolderLock::~FolderLock()
{
    release();
}

FolderLock::FolderLock(FolderLock&& other) noexcept
    : m_path(std::move(other.m_path)), m_handle(std::exchange(other.m_handle, NoHandle))
{}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_path = std::move(other.m_path);
        m_handle = std::exchange(other.m_handle, NoHandle);
    }
    return *this;
}

#ifndef Q_OS_WIN

FileIo::Error FolderLock::take(const QString& path)
{
    release();
    const QByteArray native = QFile::encodeName(path);
    for (int attempt = 0; attempt < Attempts; ++attempt) {
        const int fd = openLockFile(native);
        if (fd < 0)
            return FileIo::Error(FileIo::reasonOf(errno), path);
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return FileIo::Error(
                error == EWOULDBLOCK ? FileIo::Reason::Busy : FileIo::reasonOf(error), path);
        }
        if (isStillNamed(fd, native)) {
            m_path = path;
            m_handle = fd;
            return {};
        }
        ::close(fd);
    }
    return FileIo::Error(FileIo::Reason::Busy, path);
}

void FolderLock::release()
{
    if (!isHeld())
        return;
    // Removed while still locked: whoever opened it meanwhile finds it unnamed and tries again.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(int(std::exchange(m_handle, NoHandle)));
}

#else

// Built for Windows, but run and tested on Linux only.

FileIo::Error FolderLock::take(const QString& path)
{
    release();
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    const HANDLE file = ::CreateFileW(native.c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FileIo::Error(::GetLastError() == ERROR_SHARING_VIOLATION ? FileIo::Reason::Busy
                                                                         : FileIo::Reason::Other,
                             path);
    OVERLAPPED start = {};
    if (!::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start)) {
        const DWORD error = ::GetLastError();
        ::CloseHandle(file);
        return FileIo::Error(
            error == ERROR_LOCK_VIOLATION ? FileIo::Reason::Busy : FileIo::Reason::Other, path);
    }
    m_path = path;
    m_handle = reinterpret_cast<qintptr>(file);
    return {};
}

void FolderLock::release()
{
    if (!isHeld())
        return;
    const HANDLE file = reinterpret_cast<HANDLE>(std::exchange(m_handle, NoHandle));
    OVERLAPPED start = {};
    ::UnlockFileEx(file, 0, 1, 0, &start);
    ::CloseHandle(file);
}

#endif
