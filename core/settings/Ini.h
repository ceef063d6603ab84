#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

// One value at a time of a private-profile (INI) file, byte-compatible with what the Windows
// private-profile functions read and write. Nothing is cached: every call reads or rewrites the
// file, so what is on disk is always current. Sections, keys and values are bytes.
class Ini {
public:
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& FName) { m_fileName = FName; }

    // The value, or "" when the file, the section or the key is missing. At most 254 bytes.
    QByteArray RINI(const QByteArray& Section, const QByteArray& KeyName) const;
    // True only for exactly "True".
    bool RINIb(const QByteArray& Section, const QByteArray& KeyName) const;
    // The leading number (blanks skipped, optional sign and fraction), halves to even; 0 when the
    // text does not start with a number. A number outside -32768..32767 does not fit the result:
    // we clamp it to the nearer bound.
    qint16 RINIi(const QByteArray& Section, const QByteArray& KeyName) const;

    // Failed writes change nothing and report nothing but a log line. A section, key or value
    // holding CR or LF is refused (it would split into lines of its own), and so is an empty
    // section or key. The file is replaced whole through a save file; a read-only file is left as
    // it is.
    void WInI(const QByteArray& Section, const QByteArray& KeyName, const QByteArray& KeyValue);
    void WInIb(const QByteArray& Section, const QByteArray& KeyName, bool KeyValue);
    void WInIi(const QByteArray& Section, const QByteArray& KeyName, qint16 KeyValue);

    // For reading many keys of one file at once, with the same rules as the reads above: the
    // entries of the first section of that name in a file's bytes, in file order, each value as
    // RINI reads it.
    using Entries = QList<std::pair<QByteArray, QByteArray>>;
    static Entries ReadSection(const QByteArray& fileBytes, const QByteArray& Section);
    // The same entries, handed over one by one as views into the bytes, without copies.
    static void ScanSection(const QByteArray& fileBytes, const QByteArray& Section,
                            const std::function<void(QByteArrayView, QByteArrayView)>& visit);
    // The value of the first entry of that key, as RINI reads it.
    static QByteArray FirstValue(const Entries& entries, const QByteArray& KeyName);
    // A text read as RINIi reads it.
    static qint16 ToInteger(const QByteArray& text);
    // The bytes of a file holding `fileBytes` once WInI has written this entry into it, or
    // nothing when WInI refuses the entry.
    static std::optional<QByteArray> WithEntry(const QByteArray& fileBytes,
                                               const QByteArray& Section, const QByteArray& KeyName,
                                               const QByteArray& KeyValue);

    // For keeping a file's layout in memory and editing it in place: every line of a file's
    // bytes, in file order, as the reads and writes above see it. `end` lies after the line's
    // break, `contentEnd` before it; `name` is a section's name or an entry's key, `value` an
    // entry's value as RINI reads it.
    struct ScannedLine {
        enum class Kind { Other, Section, Entry }; // Other: blank lines and comments
        Kind kind = Kind::Other;
        qsizetype begin = 0;
        qsizetype contentEnd = 0;
        qsizetype end = 0;
        QByteArrayView name;
        QByteArrayView value;
    };
    static void ScanLines(QByteArrayView fileBytes,
                          const std::function<void(const ScannedLine&)>& visit);
    // The line WInI writes for an entry, with its line break; nothing when WInI refuses it.
    static std::optional<QByteArray> EntryLine(QByteArrayView KeyName, QByteArrayView KeyValue);

private:
    QString m_fileName;
};
