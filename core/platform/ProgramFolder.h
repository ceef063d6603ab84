#pragma once

#include <QString>
#include <QStringList>

// The folder the program keeps its files in, and the one place their names are joined to it:
// the settings "options.ini", the pictures and the album in "downloads", the response cache
// "!cashe", the lock of a run ".zolvane.lock", and the album's decoration images in "data"
// (which may lie elsewhere once installed).
class ProgramFolder {
public:
    // The name both programs give themselves: the per-user folder is named after it.
    static inline const QString ApplicationName = QStringLiteral("zolvane");

    // `data` defaults to "data" inside `root`.
    explicit ProgramFolder(const QString& root, const QString& data = {});

    // Where a program started from `executableFolder` keeps its files. Portable: the executable's
    // own folder, when a new file can be made there and it is not the "bin" of an installed
    // prefix. Otherwise `perUserFolder`, created here when missing. The decoration images come
    // from "data" beside the executable when it is there, else from the installed data folder.
    static ProgramFolder forExecutable(const QString& executableFolder,
                                       const QString& perUserFolder);
    // The same for the running program, with the user's application data folder.
    static ProgramFolder forThisProgram();
    // Whether a new file can be made in `folder`: tried with a probe file that is removed again,
    // since permission bits tell nothing about root, read-only mounts or access lists.
    static bool takesNewFiles(const QString& folder);

    const QString& root() const { return m_root; }
    QString options() const;
    QString downloads() const;
    // A file in "downloads": a picture or a decoration image.
    QString download(const QString& fileName) const;
    QString album() const;
    QString cache() const;
    // The file a run locks, so that one run at a time writes here. Hidden, and beside the cache
    // rather than in it, which clearing empties.
    QString runLock() const;
    // Where the program writes files: the folder itself, "downloads" and "!cashe". The folder
    // itself is given where it really lies: its name may be a link the user chose, while a link
    // in the place of the other two is none of the program's.
    QStringList written() const;
    const QString& data() const { return m_data; }
    QString dataFile(const QString& fileName) const;

private:
    QString m_root;
    QString m_data;
};
