#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>

// The bytes of a cache database with what lookups and stores need of them, found in one scan:
// the "Files" count, the entries a lookup may use by path, and where a store's new entry and
// count go, so that a store splices them in without reading the file or scanning it again. The
// bytes come out exactly as the two private-profile writes of a store would leave them.
class CacheDatabase {
public:
    CacheDatabase() = default;
    explicit CacheDatabase(QByteArray bytes);

    const QByteArray& bytes() const { return m_bytes; }
    // The "Files" value of section "Main", read as a number.
    qint16 files() const { return m_files; }
    // The numbers of the entries naming exactly this path that a lookup may use, ascending: those
    // numbered 1 to "Files", and of a key written twice only the first.
    QList<int> entriesNaming(const QByteArray& RemoteFile) const;

    // Writes "cashe" + the five-digit number = the path into section "Cashe", then "Files" = the
    // number into section "Main". False, with nothing changed, when such a write is refused (a
    // path holding a line break).
    bool add(int number, const QByteArray& RemoteFile);

    // The number with leading zeros up to five digits.
    static QByteArray PadNumber(int number);

private:
    struct Place {
        qsizetype begin = 0;
        qsizetype contentEnd = 0; // where the line break starts
        qsizetype end = 0;
        void shift(qsizetype by);
    };

    void scan();
    bool addInPlace(int number, const QByteArray& RemoteFile);
    void setCount(int number);

    QByteArray m_bytes;
    qint16 m_files = 0;
    QHash<QByteArray, QList<int>> m_usable;
    // The number of every entry key of section "Cashe", usable or not.
    QSet<int> m_keyNumbers;

    // Where the next entry and the count go, for the layout stores make: section "Main" before
    // section "Cashe". Any other layout is written through the private-profile rules and scanned
    // again.
    bool m_inPlace = false;
    Place m_casheLast; // the last entry line of "Cashe", or its header
    Place m_mainLast;  // the same of "Main"
    bool m_hasFilesLine = false;
    Place m_filesLine;
    QByteArray m_filesKey; // the key as the file spells it
};
