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

QByteArray AlbumWriter::pictureAddress(QByteArrayView name)
{
    return escaped(
        PercentEncoding::encoded(name, [](char c) { return c == '%' || c == '#' || c == '?'; }));
}

std::optional<QByteArray> AlbumWriter::page(int count, const QList<QByteArray>& pagePaths,
                                            const QList<QByteArray>& imageNames)
{
    if (count > 0 && (count >= pagePaths.size() || count >= imageNames.size()))
        return std::nullopt;
    const QByteArray site = AlbumTemplate::Site();
    QByteArray rows;
    for (int i = 1; i <= count; ++i) {
        if (imageNames[i].isEmpty())
            continue;
        rows += AlbumTemplate::RowStart() + pictureAddress(imageNames[i]) +
                AlbumTemplate::RowMiddle() + site + escaped(pagePaths[i]) + AlbumTemplate::RowEnd();
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
    // Flushed to disk by whoever writes the album along with what it shows.
    if (FileIo::Error error = FileIo::save(folder.album(), *album, FileIo::Sync::Never))
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
