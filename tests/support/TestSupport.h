#pragma once

#include <QByteArray>
#include <QString>

// Helpers shared by the test files.
namespace TestSupport {

// Reads a whole file; an empty array when it cannot be read.
QByteArray readAll(const QString& path);

// Writes a whole file, replacing it; throws when that fails.
void writeAll(const QString& path, const QByteArray& bytes);

} // namespace TestSupport
