#include "AlbumWriter.h"

#include "AlbumTemplate.h"
#include "platform/FileSystem.h"
#include "platform/OperationError.h"

#include <QSaveFile>

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

void AlbumWriter::write(const QString& programFolder, int count, const QList<QByteArray>& pagePaths,
                        const QList<QByteArray>& imageNames)
{
    const QByteArray album = page(count, pagePaths, imageNames);
    const QString downloads = programFolder + u"/downloads"_s;
    const QString index = downloads + u"/index.htm"_s;
    if (FileSystem::FileExists(index))
        FileSystem::DeleteFile(index);

    QSaveFile file(index);
    if (!file.open(QIODevice::WriteOnly) || file.write(album) != album.size() || !file.commit())
        throw OperationError(u"cannot write %1: %2"_s.arg(index, file.errorString()));

    for (const char* name : DecorationImages) {
        const QString fileName = QString::fromLatin1(name);
        FileSystem::CopyFile(programFolder + u"/data/"_s + fileName, downloads + u"/"_s + fileName);
    }
}
