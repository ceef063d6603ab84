#pragma once

#include "core/crawl/PictureName.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

class ProgramFolder;

// The files one run keeps its pictures in, so that two different pictures never share one: a
// picture whose name another picture of the run or one of the album's own files has taken gets a
// numbered name of its own. Files of earlier runs take no name: a run refreshes them.
class SavedPictures {
public:
    explicit SavedPictures(const ProgramFolder& folder,
                           PictureName::Rules rules = PictureName::Rules::Native);

    // A new run: no name is taken but the album's.
    void clear();

    // The file this run keeps the same picture in already: the same name on the site, the same
    // bytes.
    std::optional<QByteArray> fileOf(QByteArrayView siteName, QByteArrayView bytes) const;

    // The name a new picture goes under: its fitted name when that is free, else the first free
    // numbered one.
    QByteArray freeName(const QByteArray& fittedName) const;

    // The file `name` keeps the picture from now on.
    void add(const QByteArray& name, QByteArrayView siteName, QByteArrayView bytes);

private:
    // A picture's bytes, told apart by length and a hash seeded per process: a site cannot make
    // two different pictures look alike without knowing the seed.
    struct Content {
        qsizetype size = 0;
        size_t hash = 0;
        bool operator==(const Content&) const = default;
    };
    struct SavedFile {
        Content content;
        QByteArray name;
    };

    QString keyOf(QByteArrayView name) const;
    static Content contentOf(QByteArrayView bytes);

    PictureName::Rules m_rules;
    QSet<QString> m_albumFiles; // disk keys of the album page and its images
    QSet<QString> m_taken;      // disk keys of the names in use
    // The files of the pictures by their names on the site; a name repeats seldom, so the bytes
    // are hashed only when it does.
    QHash<QByteArray, QList<SavedFile>> m_files;
};
