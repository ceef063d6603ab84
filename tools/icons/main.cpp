// Renders the program's icon for the desktop's icon theme: the 16 x 16 window icon, enlarged by
// whole pixels so that the pixel art stays crisp. Writes OUT/<n>x<n>/apps/zolvane.png.
#include "gui/resources/Artwork.h"

#include <QDir>
#include <QImage>
#include <QStringList>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool render(const QString& outFolder, int size)
{
    const QString folder = u"%1/%2x%2/apps"_s.arg(outFolder).arg(size);
    const QImage icon =
        Artwork::windowIcon16().scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return QDir().mkpath(folder) && icon.save(folder + u"/zolvane.png"_s, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT SIZE...\n", argv[0]);
        return 64;
    }
    const QString outFolder = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0 || size % 16 != 0 || !render(outFolder, size)) {
            std::fprintf(stderr, "cannot render the %s px icon into %s\n", argv[i], argv[1]);
            return 1;
        }
    }
    return 0;
}
