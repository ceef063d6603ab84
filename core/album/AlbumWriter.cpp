#include "AlbumWriter.h"

#include "core/album/AlbumTemplate.h"
#include "core/platform/FileIo.h"
#include "core/platform/FileSystem.h"
#include "core/platform/OperationError.h"
#include "core/platform/PercentEncoding.h"
#include "core/platform/ProgramFolder.h"

using namespace Qt::StringLiterals;

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

QByteArray AlbumWriter::page(int count, const QList<QByteArray>& pagePaths,
                             const QList<QByteArray>& imageNames)
{
    const QByteArray site = AlbumTemplate::Site();
    QByteArray rows;
    for (int i = 1; i <= count; ++i) {
        if (i >= pagePaths.size() || i >= imageNames.size())
            throw OperationError(u"the page lists have no slot %1"_s.arg(i));
        if (imageNames[i].isEmpty())
            continue;
        rows += AlbumTemplate::RowStart() + pictureAddress(imageNames[i]) +
                AlbumTemplate::RowMiddle() + site + escaped(pagePaths[i]) + AlbumTemplate::RowEnd();
    }
    return AlbumTemplate::Header() + rows + AlbumTemplate::Footer();
}

FileIo::Error AlbumWriter::write(const ProgramFolder& folder, int count,
                                 const QList<QByteArray>& pagePaths,
                                 const QList<QByteArray>& imageNames)
{
    const QByteArray album = page(count, pagePaths, imageNames);
    // Flushed to disk by whoever writes the album along with what it shows.
    if (FileIo::Error error = FileIo::save(folder.album(), album, FileIo::Sync::Never))
        return error;
    try {
        for (const char* name : DecorationImages) {
            const QString fileName = QString::fromLatin1(name);
            FileSystem::CopyFile(folder.dataFile(fileName), folder.download(fileName));
        }
    } catch (const OperationError&) {
        // The page is written; it only lacks its look.
    }
    return {};
}
