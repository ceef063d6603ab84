#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Helpers shared by the test files.
namespace TestSupport {

// Reads a whole file; an empty array when it cannot be read.
QByteArray readAll(const QString& path);

// Writes a whole file, replacing it; throws when that fails.
void writeAll(const QString& path, const QByteArray& bytes);

// The id of a process that has ended (this test program, asked to list its tests); -1 when it
// could not be run.
qint64 endedProcessId();

// A file anyone may read and nobody may write. Tests run as root, for whom the bits, not an
// access check, make a file read-only.
inline constexpr QFileDevice::Permissions ReadOnlyBits =
    QFileDevice::ReadOwner | QFileDevice::ReadUser | QFileDevice::ReadGroup |
    QFileDevice::ReadOther;

} // namespace TestSupport
