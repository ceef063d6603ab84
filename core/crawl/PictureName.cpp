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

// The name with `suffix` between its stem and its extension, characters cut from the end of the
// stem until the whole fits `limit`.
QByteArray fittedWith(QByteArrayView name, QByteArrayView suffix, int limit)
{
    const qsizetype dot = name.lastIndexOf('.');
    const bool keepExtension = dot > 0 && name.size() - dot <= LongestKeptExtension;
    const QByteArrayView extension = keepExtension ? name.sliced(dot) : QByteArrayView();
    QByteArrayView stem = name.first(name.size() - extension.size());
    int length = diskLength(stem) + diskLength(suffix) + diskLength(extension);
    while (!stem.isEmpty() && length > limit) {
        length -= diskLength(stem.back());
        stem.chop(1);
    }
    return stem.toByteArray() + suffix.toByteArray() + extension.toByteArray();
}

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
    return fittedWith(safeName, {}, limit);
}

QByteArray numbered(QByteArrayView fittedName, int number, int limit)
{
    const QByteArray suffix = " (" + QByteArray::number(number) + ')';
    return fittedWith(fittedName, suffix, limit);
}

QString diskName(QByteArrayView safeName)
{
    return Cp1251::toUnicode(safeName);
}

QString diskKey(const QString& diskName, Rules rules)
{
    QString key = diskName;
    // Windows compares names one UTF-16 unit at a time, each in upper case.
    if (rules == Rules::Windows) {
        for (QChar& c : key)
            c = c.toUpper();
    }
    return key;
}

} // namespace PictureName
