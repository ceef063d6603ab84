#include "AlbumWriter.h"

#include "AlbumTemplate.h"
#include "platform/FileIo.h"
#include "platform/FileSystem.h"
#include "platform/OperationError.h"
#include "platform/ProgramFolder.h"

using namespace Qt::StringLiterals;

QByteArray AlbumWriter::escaped(const QByteArray& fromSite)
{
    QByteArray text;
    text.reserve(fromSite.size());
    for (char c : fromSite) {
        switch (c) {
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

QByteArray AlbumWriter::page(int count, const QList<QByteArray>& pagePaths,
                             const QList<QByteArray>& imageNames)
{
    const QByteArray site = AlbumTemplate::Site();
    QByteArray rows;
    for (int i = 1; i <= count; ++i) {
        if (i >= pagePaths.size() || i >= imageNames.size())
            throw OperationError(u"the page lists have no slot %1"_s.arg(i));
        rows += AlbumTemplate::RowStart() + escaped(imageNames[i]) + AlbumTemplate::RowMiddle() +
                site + escaped(pagePaths[i]) + AlbumTemplate::RowEnd();
    }
    return AlbumTemplate::Header() + rows + AlbumTemplate::Footer();
}

void AlbumWriter::write(const ProgramFolder& folder, int count, const QList<QByteArray>& pagePaths,
                        const QList<QByteArray>& imageNames)
{
    const QByteArray album = page(count, pagePaths, imageNames);
    if (const FileIo::Error error = FileIo::save(folder.album(), album))
        throw OperationError(error.message());
    for (const char* name : DecorationImages) {
        const QString fileName = QString::fromLatin1(name);
        FileSystem::CopyFile(folder.dataFile(fileName), folder.download(fileName));
    }
}
