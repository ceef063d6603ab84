#include "core/crawl/SavedPictures.h"

#include "core/album/AlbumWriter.h"
#include "core/platform/ProgramFolder.h"

#include <QHashFunctions>

SavedPictures::SavedPictures(const ProgramFolder& folder, PictureName::Rules rules) : m_rules(rules)
{
    // A picture of one of these names would be overwritten when the album is written.
    const QString album = folder.album();
    m_albumFiles.insert(PictureName::diskKey(album.sliced(album.lastIndexOf(u'/') + 1), rules));
    for (const char* image : AlbumWriter::DecorationImages)
        m_albumFiles.insert(PictureName::diskKey(QString::fromLatin1(image), rules));
    clear();
}

void SavedPictures::clear()
{
    m_taken = m_albumFiles;
    m_files.clear();
}

std::optional<QByteArray> SavedPictures::fileOf(QByteArrayView siteName, QByteArrayView bytes) const
{
    const auto found = m_files.constFind(siteName.toByteArray());
    if (found == m_files.cend())
        return std::nullopt;
    const Content content = contentOf(bytes);
    for (const SavedFile& file : *found) {
        if (file.content == content)
            return file.name;
    }
    return std::nullopt;
}

QByteArray SavedPictures::freeName(const QByteArray& fittedName) const
{
    QByteArray name = fittedName;
    for (int number = 2; m_taken.contains(keyOf(name)); ++number)
        name = PictureName::numbered(fittedName, number);
    return name;
}

void SavedPictures::add(const QByteArray& name, QByteArrayView siteName, QByteArrayView bytes)
{
    m_taken.insert(keyOf(name));
    m_files[siteName.toByteArray()].append({contentOf(bytes), name});
}

QString SavedPictures::keyOf(QByteArrayView name) const
{
    return PictureName::diskKey(PictureName::diskName(name), m_rules);
}

SavedPictures::Content SavedPictures::contentOf(QByteArrayView bytes)
{
    return {bytes.size(), qHash(bytes, QHashSeed::globalSeed())};
}
