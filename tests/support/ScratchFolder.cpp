#include "support/ScratchFolder.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace ScratchFolder {

QString templatePath()
{
    const QFileInfo memory(u"/dev/shm"_s);
    const QString root =
        memory.isDir() && memory.isWritable() ? memory.filePath() : QDir::tempPath();
    return root + u"/zolvane-test-XXXXXX"_s;
}

} // namespace ScratchFolder
