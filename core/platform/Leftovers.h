#pragma once

#include "core/platform/FileIo.h"

#include <QStringList>
#include <chrono>

// What saves that never finished leave behind: a process killed during a save leaves the save's
// temporary file beside its target.
namespace Leftovers {

// A temporary file of the older form names no process; it is taken for a leftover once it is
// this old, which no save in progress ever is.
inline constexpr std::chrono::hours NamelessAge{1};

// Removes from each folder the temporary files of saves whose process is no longer running, and
// nothing else. A folder that is a symbolic link is not looked into. Says what it could not
// remove; a missing folder is no failure.
FileIo::Error removeIn(const QStringList& folders);

// Whether a process of that id is running now.
bool processRunning(qint64 processId);

} // namespace Leftovers
