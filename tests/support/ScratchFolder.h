#pragma once

#include <QString>

// Where a test makes its temporary program folders: a memory file system when the machine has one,
// because every picture and album write is flushed to disk, and runs of a thousand pages would
// spend their time waiting for the disk.
namespace ScratchFolder {

// A template for QTemporaryDir.
QString templatePath();

} // namespace ScratchFolder
