#pragma once

#include "core/platform/FileIo.h"

#include <QString>
#include <QtGlobal>

// An advisory lock on one file, held while the object holds it. The system lets go of it with the
// process, however the process ends (kill -9 included), so a killed run never leaves a folder
// locked. Holders in one process exclude each other as holders in two processes do.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock on the file at `path`, made when missing. Fails with Reason::Busy while
    // another holder has it, and with the file's own reason when it cannot be opened. A symbolic
    // link in the file's place is removed, never followed.
    FileIo::Error take(const QString& path);
    bool isHeld() const { return m_handle != NoHandle; }
    // Lets go; the file goes too where the system allows that without a gap (not on Windows,
    // where it stays, hidden).
    void release();

private:
    static constexpr qintptr NoHandle = -1;

    QString m_path;
    qintptr m_handle = NoHandle;
};
