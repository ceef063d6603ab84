#include "core/platform/Leftovers.h"

#include "core/platform/FileSystem.h"

#include <QDateTime>
#include <limits>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/types.h>
#endif

namespace Leftovers {

namespace {

bool isLeftover(const FileSystem::FolderEntry& entry, const QDateTime& namelessBefore)
{
    if (entry.kind != FileSystem::FolderEntry::Kind::File)
        return false;
    const auto owner = FileIo::temporaryFileOwner(entry.name);
    if (!owner)
        return false;
    if (*owner == 0)
        return entry.modified < namelessBefore;
    return !processRunning(*owner);
}

} // namespace

FileIo::Error removeIn(const QStringList& folders)
{
    const QDateTime namelessBefore =
        QDateTime::currentDateTimeUtc().addSecs(-std::chrono::seconds(NamelessAge).count());
    FileIo::Error first;
    for (const QString& folder : folders) {
        FileIo::Error error = FileSystem::DeleteFilesIn(
            folder,
            [&](const FileSystem::FolderEntry& entry) { return isLeftover(entry, namelessBefore); },
            FileIo::temporaryFilePrefix());
        if (error && error.reason() != FileIo::Reason::NoFolder && !first)
            first = std::move(error);
    }
    return first;
}

#ifndef Q_OS_WIN

bool processRunning(qint64 processId)
{
    // 0 and negative ids name process groups, never one process.
    if (processId <= 0 || processId > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
}

#else

// Built for Windows, but run and tested on Linux only.

bool processRunning(qint64 processId)
{
    if (processId <= 0 || processId > std::numeric_limits<DWORD>::max())
        return false;
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(processId));
    if (!process)
        return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD exitCode = 0;
    const bool running = ::GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
    ::CloseHandle(process);
    return running;
}

#endif

} // namespace Leftovers
