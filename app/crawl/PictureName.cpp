#include "app/crawl/PictureName.h"

#include "platform/ControlBytes.h"
#include "platform/Cp1251.h"

namespace PictureName {

namespace {

bool isReservedOnWindows(char c)
{
    return QByteArrayView("<>:\"|?*").contains(c);
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

QString diskName(QByteArrayView safeName)
{
    return Cp1251::toUnicode(safeName);
}

} // namespace PictureName
