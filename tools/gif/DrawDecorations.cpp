// Draws the album's decoration images into a folder (data/ of the source tree):
// zolvane-draw-decorations <folder>
#include "Decorations.h"

#include <QFile>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool save(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size())
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zolvane-draw-decorations <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool saved = save(folder + u"/bg.gif"_s, Decorations::bg()) &&
                       save(folder + u"/bghead.gif"_s, Decorations::bghead()) &&
                       save(folder + u"/head.gif"_s, Decorations::head());
    return saved ? 0 : 1;
}
