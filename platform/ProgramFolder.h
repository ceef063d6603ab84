#pragma once

#include <QString>

// The folder the program keeps its files in, and the one place their names are joined to it:
// the settings "options.ini", the pictures and the album in "downloads", the response cache
// "!cashe", and the album's decoration images in "data" (which may lie elsewhere once installed).
class ProgramFolder {
public:
    // `data` defaults to "data" inside `root`.
    explicit ProgramFolder(const QString& root, const QString& data = {});

    const QString& root() const { return m_root; }
    QString options() const;
    QString downloads() const;
    // A file in "downloads": a picture or a decoration image.
    QString download(const QString& fileName) const;
    QString album() const;
    QString cache() const;
    const QString& data() const { return m_data; }
    QString dataFile(const QString& fileName) const;

private:
    QString m_root;
    QString m_data;
};
