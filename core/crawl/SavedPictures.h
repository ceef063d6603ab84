#pragma once

#include "core/crawl/PictureName.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
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
    QString keyOf(QByteArrayView name) const;
    static QByteArray identity(QByteArrayView siteName, QByteArrayView bytes);

    PictureName::Rules m_rules;
    QSet<QString> m_albumFiles;            // disk keys of the album page and its images
    QSet<QString> m_taken;                 // disk keys of the names in use
    QHash<QByteArray, QByteArray> m_files; // picture identity -> its file name
};
