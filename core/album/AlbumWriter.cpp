#include "AlbumWriter.h"

#include "core/album/AlbumTemplate.h"
#include "core/platform/FileIo.h"
#include "core/platform/FileSystem.h"
#include "core/platform/Logging.h"
#include "core/platform/PercentEncoding.h"
#include "core/platform/ProgramFolder.h"

QByteArray AlbumWriter::escaped(QByteArrayView fromSite)
{
    QByteArray text;
    text.reserve(fromSite.size());
    for (const char c : fromSite) {
        switch (c) {
        case '&':
            text += "&amp;";
            break;
        case '"':
            text += "&quot;";
            break;
        case '<':
            text += "&lt;";
            break;
        case '>':
            text += "&gt;";
            break;
        default:
            text += c;
        }
    }
    return text;
}

namespace {

// What a browser strips from both ends of an address: control bytes and blanks.
constexpr bool strippedAtEnds(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

// What it drops anywhere in an address (tabs and line breaks), or reads as something else (a
// backslash as a slash).
constexpr bool droppedOrChanged(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == '\\';
}

// The address with every byte a browser would drop or change percent-encoded, and those that
// `mustEncode` names; the rest as it is.
template <typename MustEncode> QByteArray keptWhole(QByteArrayView address, MustEncode mustEncode)
{
    qsizetype begin = 0;
    while (begin < address.size() && strippedAtEnds(address[begin]))
        ++begin;
    qsizetype end = address.size();
    while (end > begin && strippedAtEnds(address[end - 1]))
        --end;
    const auto every = [](char) { return true; };
    return PercentEncoding::encoded(address.first(begin), every) +
           PercentEncoding::encoded(address.sliced(begin, end - begin),
                                    [&](char c) { return droppedOrChanged(c) || mustEncode(c); }) +
           PercentEncoding::encoded(address.sliced(end), every);
}

// Where a relative address begins with letters and a colon, a browser takes the letters for the
// address's scheme; the colon's position then.
qsizetype schemeColon(QByteArrayView address)
{
    const auto isLetter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (address.isEmpty() || !isLetter(address.front()))
        return -1;
    for (qsizetype i = 1; i < address.size(); ++i) {
        const char c = address[i];
        if (c == ':')
            return i;
        if (!isLetter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '-' && c != '.')
            return -1;
    }
    return -1;
}

} // namespace

QByteArray AlbumWriter::pictureAddress(QByteArrayView name)
{
    QByteArray address = keptWhole(name, [](char c) { return c == '%' || c == '#' || c == '?'; });
    if (const qsizetype colon = schemeColon(address); colon >= 0)
        address.replace(colon, 1, "%3A");
    return escaped(address);
}

QByteArray AlbumWriter::pageAddress(QByteArrayView sitePath)
{
    const QByteArray address = AlbumTemplate::Site() + sitePath.toByteArray();
    return escaped(keptWhole(address, [](char) { return false; }));
}

std::optional<QByteArray> AlbumWriter::page(int count, const QList<QByteArray>& pagePaths,
                                            const QList<QByteArray>& imageNames)
{
    if (count > 0 && (count >= pagePaths.size() || count >= imageNames.size()))
        return std::nullopt;
    // The fixed parts once: each is text converted to the album's code page.
    const QByteArray rowStart = AlbumTemplate::RowStart();
    const QByteArray rowMiddle = AlbumTemplate::RowMiddle();
    const QByteArray rowEnd = AlbumTemplate::RowEnd();
    QByteArray rows;
    for (int i = 1; i <= count; ++i) {
        if (imageNames[i].isEmpty())
            continue;
        rows += rowStart + pictureAddress(imageNames[i]) + rowMiddle + pageAddress(pagePaths[i]) +
                rowEnd;
    }
    return QByteArray(AlbumTemplate::Header() + rows + AlbumTemplate::Footer());
}

FileIo::Error AlbumWriter::write(const ProgramFolder& folder, int count,
                                 const QList<QByteArray>& pagePaths,
                                 const QList<QByteArray>& imageNames)
{
    const auto album = page(count, pagePaths, imageNames);
    if (!album)
        return FileIo::Error(FileIo::Reason::Incomplete, folder.album());
    // Flushed to disk by whoever writes the album along with what it shows. An album written again
    // as it was (a run from the cache) is left as it is.
    if (FileIo::Error error =
            FileIo::save(folder.album(), *album, FileIo::Sync::Never, FileIo::Rewrites::Alike))
        return error;
    for (const char* name : DecorationImages) {
        const QString fileName = QString::fromLatin1(name);
        // The page is written; it only lacks its look.
        if (const FileIo::Error error =
                FileSystem::CopyFile(folder.dataFile(fileName), folder.download(fileName))) {
            qCWarning(lcFiles).noquote() << "album decoration not copied:" << error.message();
            break;
        }
    }
    return {};
}
