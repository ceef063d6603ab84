#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// Whole-file reads and writes for settings, cache entries, the cache database, pictures and the
// album. Failures come back as values, with a reason a user can read.
//
// A save writes the new bytes apart from the target (a temporary file beside it, on Linux an
// unnamed file or the twin of a file rewritten often) and gives them the target's name only when
// every byte is written and closed without error, so a crash or a full disk leaves the old file
// as it was. A read-only target (no write permission bit) is never replaced. A symbolic link in
// the target's place is replaced by the new file, never followed.
//
// Against a power cut: settings are flushed as they are saved (Sync::Now); pictures and the album
// are saved unflushed and flushed together at the end of a run (flush), most of them already by
// flushes on another thread while the run goes on (EarlyFlush); the cache is never flushed on its
// own, as a lost entry is only a miss.
namespace FileIo {

enum class Reason {
    None,
    NoSpace,       // the disk (or the user's quota) is full
    ReadOnly,      // the file's write permission bits are clear
    Denied,        // the system refuses: permissions of the folder, a read-only mount
    NoFolder,      // the folder is missing, or a file stands in its place
    FolderInPlace, // a folder stands where the file should be
    NotFound,      // nothing to read
    TooLarge,      // larger than the reader takes
    Link,          // a symbolic link where none is followed
    Exists,        // something of that name is there already
    Incomplete,    // the caller's data lacks a part the file needs
    Busy,          // another holder has it now
    Other,
};

// Empty when the operation worked; otherwise why it failed.
class [[nodiscard]] Error {
public:
    Error() = default;
    Error(Reason reason, const QString& path);

    explicit operator bool() const { return m_reason != Reason::None; }
    Reason reason() const { return m_reason; }
    // The reason in a word or two, as the program's status line says it.
    QString why() const { return describe(m_reason); }
    // The reason with the file's path.
    const QString& message() const { return m_message; }

    static QString describe(Reason reason);

private:
    Reason m_reason = Reason::None;
    QString m_message;
};

struct Contents {
    QByteArray bytes;
    Error error;
};

// What a read does with a symbolic link in the file's place.
enum class Links { Follow, Refuse };

// Whether a save is flushed to the disk before the rename: worth it for files that cannot be
// made again, not for the cache, which a crash only shortens.
enum class Sync { Now, Never };

inline constexpr qint64 NoLimit = -1;

// The whole file. Fails for a missing or unreadable file, a folder, a file larger than `maxSize`
// bytes (when given), and with Links::Refuse for a symbolic link.
Contents read(const QString& path, qint64 maxSize = NoLimit, Links links = Links::Follow);

// How often a file is saved over. One saved over again and again (the cache database, at every
// store) keeps a hidden twin beside it that the new bytes go to before the two swap places. One
// saved again mostly with the bytes it holds (a picture fetched again) is left as it is, times
// and all, when it holds them already: reading a file costs less than making a new one.
enum class Rewrites { Seldom, Often, Alike };

// Replaces the file's contents with `bytes` as one step. A new file gets the usual permissions;
// an existing one keeps its own. `kept`, when given, says whether a file that held the bytes
// already was left as it was (Rewrites::Alike), with nothing written.
Error save(const QString& path, QByteArrayView bytes, Sync sync = Sync::Now,
           Rewrites rewrites = Rewrites::Seldom, bool* kept = nullptr);

// Makes files saved with Sync::Never durable against a power cut, in as few calls as the system
// allows (on Linux one for the whole file system they are on). A file gone since is passed over.
Error flush(const QStringList& paths);

// What the system says of a file's contents without reading them: where it lives, its size and
// the times it was last written and last changed. A file whose stamp is unchanged holds what it
// held: any write in between moves a time or the size, and a file put in its place is another one.
struct Stamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;
    bool operator==(const Stamp&) const = default;
};

// The stamp of the file a path names (through a link), or nothing when there is none.
std::optional<Stamp> stamp(const QString& path);

// True when the file exists and none of its write permission bits is set. The bits, not an
// access check: for root every file would be writable.
bool isReadOnly(const QString& path);

// The reason of a system error number (errno).
Reason reasonOf(int errorNumber);

// A save's temporary file is named after the process that made it, so that a file left by a
// process killed during its save can be told from one still being written. The owner's process
// id for such a name, 0 for a name of the older form without one, nothing for any other name.
std::optional<qint64> temporaryFileOwner(QStringView fileName);
// What the name of every save's temporary file starts with.
QStringView temporaryFilePrefix();

// Tests put a failing disk in place of the system's write call: the function gets the bytes one
// write would take and returns how many it took, or -1 with errno set for an error. It applies to
// saves on every thread (the cache writer's too); a save already under way keeps the function it
// began with.
using WriteFunction = std::function<qint64(QByteArrayView chunk)>;

class ScopedWriteFunction {
public:
    explicit ScopedWriteFunction(WriteFunction write);
    ~ScopedWriteFunction();
    ScopedWriteFunction(const ScopedWriteFunction&) = delete;
    ScopedWriteFunction& operator=(const ScopedWriteFunction&) = delete;

private:
    std::shared_ptr<const WriteFunction> m_previous;
};

} // namespace FileIo
