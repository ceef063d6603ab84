#include "core/crawl/PictureName.h"

#include "core/platform/ControlBytes.h"
#include "core/platform/Cp1251.h"

namespace PictureName {

namespace {

bool isReservedOnWindows(char c)
{
    return QByteArrayView("<>:\"|?*").contains(c);
}

// What one byte of a name takes on disk.
int diskLength(char c)
{
#ifdef Q_OS_WIN
    Q_UNUSED(c);
    return 1;
#else
    return int(Cp1251::toUnicode(QByteArrayView(&c, 1)).toUtf8().size());
#endif
}

int diskLength(QByteArrayView name)
{
    int length = 0;
    for (const char c : name)
        length += diskLength(c);
    return length;
}

constexpr qsizetype LongestKeptExtension = 16;

} // namespace

QByteArray lastSegment(QByteArrayView sitePath)
{
    return sitePath.sliced(sitePath.lastIndexOf('/') + 1).toByteArray();
}

QByteArray safeName(QByteArrayView siteName, Rules rules)
{
    QByteArray name = siteName.toByteArray();
    for (char& c : name) {
        const bool unsafe = c == '\\' || c == '/' || ControlBytes::isControl(c) ||
                            (rules == Rules::Windows && isReservedOnWindows(c));
        if (unsafe)
            c = '_';
    }
    if (name == "." || name == "..")
        return {};
    // Windows drops a trailing dot or blank, which would make the saved name differ from the
    // album's and turn "..." into the folder itself.
    if (rules == Rules::Windows && !name.isEmpty() && (name.back() == '.' || name.back() == ' '))
        name.back() = '_';
    return name;
}

QByteArray fitted(QByteArrayView safeName, int limit)
{
    if (diskLength(safeName) <= limit)
        return safeName.toByteArray();
    const qsizetype dot = safeName.lastIndexOf('.');
    const bool keepExtension = dot > 0 && safeName.size() - dot <= LongestKeptExtension;
    const QByteArrayView extension = keepExtension ? safeName.sliced(dot) : QByteArrayView();
    QByteArrayView stem = safeName.first(safeName.size() - extension.size());
    int length = diskLength(stem) + diskLength(extension);
    while (!stem.isEmpty() && length > limit) {
        length -= diskLength(stem.back());
        stem.chop(1);
    }
    return stem.toByteArray() + extension.toByteArray();
}

QString diskName(QByteArrayView safeName)
{
    return Cp1251::toUnicode(safeName);
}

} // namespace PictureName
