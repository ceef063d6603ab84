#include "core/platform/FileIo.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>

using namespace Qt::StringLiterals;
using TestSupport::readAll;
using TestSupport::writeAll;

namespace {

using TestSupport::ReadOnlyBits;
constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                               QFileDevice::ReadUser | QFileDevice::WriteUser;

// Takes `accepted` bytes in all, then says the disk is full; 0 after the limit stands for a disk
// that stops taking bytes without an error.
FileIo::WriteFunction diskTaking(qint64 accepted, qint64 afterLimit)
{
    return [left = accepted, afterLimit](QByteArrayView chunk) mutable -> qint64 {
        if (left == 0) {
            errno = ENOSPC;
            return afterLimit;
        }
        const qint64 taken = std::min<qint64>(left, chunk.size());
        left -= taken;
        return taken;
    };
}

} // namespace

class TestFileIo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void saveWritesEveryByte();
    void saveReplacesAndKeepsPermissions();
    void saveRefusesAndKeepsTheOldFile_data();
    void saveRefusesAndKeepsTheOldFile();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void saveReplacesALinkNotItsTarget_data();
    void saveReplacesALinkNotItsTarget();
    void alikeSaveKeepsAFileHoldingTheBytes_data();
    void alikeSaveKeepsAFileHoldingTheBytes();
    void temporaryFileNamesItsProcess();
    void temporaryFileOwner_data();
    void temporaryFileOwner();
    void fullFileSystemKeepsTheOldFile();

    void readFails_data();
    void readFails();
    void readHonoursTheLimit();

    void isReadOnly_data();
    void isReadOnly();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList files() const
    {
        return QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileIo::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeAll(path(u"old.dat"_s), "old bytes");
}

void TestFileIo::saveWritesEveryByte()
{
    QByteArray bytes(70000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    QVERIFY(!FileIo::save(path(u"new.dat"_s), bytes));
    QCOMPARE(readAll(path(u"new.dat"_s)), bytes);
    QVERIFY(!FileIo::save(path(u"empty.dat"_s), {}, FileIo::Sync::Never));
    QVERIFY(QFile::exists(path(u"empty.dat"_s)));
    QCOMPARE(files(), (QStringList{u"empty.dat"_s, u"new.dat"_s, u"old.dat"_s}));
}

// Both ways of replacing a file: through a new file, and through the kept twin of a file
// saved over again and again, whose twin is saved over in its turn.
void TestFileIo::saveReplacesAndKeepsPermissions()
{
    QVERIFY(QFile::setPermissions(path(u"old.dat"_s), OwnerOnly));
    for (const auto rewrites :
         {FileIo::Rewrites::Seldom, FileIo::Rewrites::Often, FileIo::Rewrites::Alike}) {
        for (const QByteArray& bytes :
             {QByteArray("a longer text"), QByteArray("short"), QByteArray("x")}) {
            QVERIFY(!FileIo::save(path(u"old.dat"_s), bytes, FileIo::Sync::Never, rewrites));
            QCOMPARE(readAll(path(u"old.dat"_s)), bytes);
            QCOMPARE(QFile::permissions(path(u"old.dat"_s)) & 0x7777, OwnerOnly);
        }
    }
}

void TestFileIo::saveRefusesAndKeepsTheOldFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileIo::Reason>("reason");
    QTest::newRow("read-only file") << u"old.dat"_s << FileIo::Reason::ReadOnly;
    QTest::newRow("folder in the place") << u"folder"_s << FileIo::Reason::FolderInPlace;
    QTest::newRow("missing folder") << u"no such folder/new.dat"_s << FileIo::Reason::NoFolder;
    QTest::newRow("a file for a folder") << u"old.dat/new.dat"_s << FileIo::Reason::NoFolder;
}

void TestFileIo::saveRefusesAndKeepsTheOldFile()
{
    QFETCH(QString, name);
    QFETCH(FileIo::Reason, reason);
    QVERIFY(QFile::setPermissions(path(u"old.dat"_s), ReadOnlyBits));
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    const FileIo::Error error = FileIo::save(path(name), "new");
    QCOMPARE(error.reason(), reason);
    QVERIFY(error.message().startsWith(QDir::toNativeSeparators(path(name))));
    QCOMPARE(readAll(path(u"old.dat"_s)), QByteArray("old bytes"));
    QCOMPARE(files(), QStringList{u"old.dat"_s});
}

void TestFileIo::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<qint64>("accepted");
    QTest::addColumn<qint64>("afterLimit");
    QTest::newRow("no space at once") << qint64(0) << qint64(-1);
    QTest::newRow("no space after 4096 bytes") << qint64(4096) << qint64(-1);
    QTest::newRow("short write") << qint64(100) << qint64(0);
}

// A full disk leaves the old file whole and no temporary file behind.
void TestFileIo::failedWriteKeepsTheOldFile()
{
    QFETCH(qint64, accepted);
    QFETCH(qint64, afterLimit);
    const FileIo::ScopedWriteFunction fullDisk(diskTaking(accepted, afterLimit));
    QCOMPARE(FileIo::save(path(u"old.dat"_s), QByteArray(10000, 'x')).reason(),
             FileIo::Reason::NoSpace);
    const FileIo::ScopedWriteFunction stillFull(diskTaking(accepted, afterLimit));
    QCOMPARE(FileIo::save(path(u"old.dat"_s), QByteArray(10000, 'x'), FileIo::Sync::Never,
                          FileIo::Rewrites::Often)
                 .reason(),
             FileIo::Reason::NoSpace);
    QCOMPARE(FileIo::save(path(u"new.dat"_s), QByteArray(10000, 'x'), FileIo::Sync::Never).why(),
             u"места нет"_s);
    QCOMPARE(readAll(path(u"old.dat"_s)), QByteArray("old bytes"));
    // Only the twin, whose half-written bytes nobody reads, may stay.
    QCOMPARE(files().filter(u"old.dat"_s), (QStringList{u".old.dat.zolvane"_s, u"old.dat"_s}));
    QVERIFY(!files().contains(u"new.dat"_s));
}

void TestFileIo::saveReplacesALinkNotItsTarget_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("a file") << u"old.dat"_s << false;
    QTest::newRow("a read-only file") << u"old.dat"_s << true;
    QTest::newRow("a folder") << u"folder"_s << false;
}

// The link is replaced by a file of its own; what it led to keeps its bytes and its bits.
void TestFileIo::saveReplacesALinkNotItsTarget()
{
    QFETCH(QString, target);
    QFETCH(bool, readOnly);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    writeAll(path(u"folder/inside.dat"_s), "inside");
    if (readOnly)
        QVERIFY(QFile::setPermissions(path(target), ReadOnlyBits));
    const QFileDevice::Permissions bits = QFile::permissions(path(target));
    for (const auto rewrites :
         {FileIo::Rewrites::Seldom, FileIo::Rewrites::Often, FileIo::Rewrites::Alike}) {
        QFile::remove(path(u"link.dat"_s));
        QVERIFY(QFile::link(path(target), path(u"link.dat"_s)));
        QVERIFY(!FileIo::save(path(u"link.dat"_s), "new", FileIo::Sync::Never, rewrites));
        QVERIFY(!QFileInfo(path(u"link.dat"_s)).isSymLink());
        QCOMPARE(readAll(path(u"link.dat"_s)), QByteArray("new"));
        QCOMPARE(readAll(path(u"old.dat"_s)), QByteArray("old bytes"));
        QCOMPARE(QFile::permissions(path(target)), bits);
        QCOMPARE(readAll(path(u"folder/inside.dat"_s)), QByteArray("inside"));
        QCOMPARE(QDir(path(u"folder"_s)).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"inside.dat"_s});
    }
}

void TestFileIo::alikeSaveKeepsAFileHoldingTheBytes_data()
{
    QByteArray large(200'000, '\0');
    for (int i = 0; i < large.size(); ++i)
        large[i] = char(i * 13);
    QByteArray largeLastByteOther = large;
    largeLastByteOther.back() ^= 1;
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("held");
    QTest::addColumn<QByteArray>("saved");
    QTest::addColumn<bool>("kept");
    QTest::newRow("the same bytes")
        << u"old.dat"_s << QByteArray("old bytes") << QByteArray("old bytes") << true;
    QTest::newRow("larger than one read") << u"old.dat"_s << large << large << true;
    QTest::newRow("same length, other bytes")
        << u"old.dat"_s << QByteArray("old bytes") << QByteArray("odd bytes") << false;
    QTest::newRow("the last of many bytes other")
        << u"old.dat"_s << large << largeLastByteOther << false;
    QTest::newRow("the bytes and more")
        << u"old.dat"_s << QByteArray("old") << QByteArray("old bytes") << false;
    QTest::newRow("the start of the bytes")
        << u"old.dat"_s << QByteArray("old bytes") << QByteArray("old") << false;
    QTest::newRow("a link to the same bytes")
        << u"link.dat"_s << QByteArray("old bytes") << QByteArray("old bytes") << false;
}

// Kept: the same file, its times unchanged. Anything else is replaced by a file of the bytes.
void TestFileIo::alikeSaveKeepsAFileHoldingTheBytes()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, held);
    QFETCH(QByteArray, saved);
    QFETCH(bool, kept);
    writeAll(path(u"old.dat"_s), held);
    QVERIFY(QFile::link(path(u"old.dat"_s), path(u"link.dat"_s)));
    const auto before = FileIo::stamp(path(name));
    QVERIFY(before);
    bool keptSaid = !kept;
    QVERIFY(
        !FileIo::save(path(name), saved, FileIo::Sync::Never, FileIo::Rewrites::Alike, &keptSaid));
    QCOMPARE(keptSaid, kept);
    QCOMPARE(FileIo::stamp(path(name)) == before, kept);
    QVERIFY(!QFileInfo(path(name)).isSymLink() || kept);
    QCOMPARE(readAll(path(name)), saved);
    QCOMPARE(readAll(path(u"old.dat"_s)), name == u"old.dat"_s ? saved : held);
}

// A save over a file writes beside it first, under a name that carries this process's id.
void TestFileIo::temporaryFileNamesItsProcess()
{
    QStringList seen;
    const FileIo::ScopedWriteFunction look([&](QByteArrayView chunk) -> qint64 {
        seen = files();
        return chunk.size();
    });
    QVERIFY(!FileIo::save(path(u"old.dat"_s), "new bytes", FileIo::Sync::Never));
    seen.removeAll(u"old.dat"_s);
    QCOMPARE(seen.size(), 1);
    QCOMPARE(FileIo::temporaryFileOwner(seen.first()),
             std::optional<qint64>(QCoreApplication::applicationPid()));
    QCOMPARE(files(), QStringList{u"old.dat"_s});
}

void TestFileIo::temporaryFileOwner_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<qint64>("owner"); // -1: not a temporary file of a save
    QTest::newRow("with its process") << u".zolvane.4242.00000000deadbeef.tmp"_s << qint64(4242);
    QTest::newRow("older form") << u".zolvane.00000000deadbeef.tmp"_s << qint64(0);
    QTest::newRow("process 0") << u".zolvane.0.00000000deadbeef.tmp"_s << qint64(-1);
    QTest::newRow("short random part") << u".zolvane.4242.deadbeef.tmp"_s << qint64(-1);
    QTest::newRow("capital hex") << u".zolvane.4242.00000000DEADBEEF.tmp"_s << qint64(-1);
    QTest::newRow("letters for a process") << u".zolvane.x1.00000000deadbeef.tmp"_s << qint64(-1);
    QTest::newRow("the cache's twin") << u".!Cashe.dat.zolvane"_s << qint64(-1);
    QTest::newRow("prefix and suffix only") << u".zolvane.tmp"_s << qint64(-1);
}

void TestFileIo::temporaryFileOwner()
{
    QFETCH(QString, name);
    QFETCH(qint64, owner);
    QCOMPARE(FileIo::temporaryFileOwner(name),
             owner < 0 ? std::nullopt : std::optional<qint64>(owner));
}

// A real small file system, where root may mount one: the disk says "full" itself.
void TestFileIo::fullFileSystemKeepsTheOldFile()
{
    const QString mountPoint = path(u"small"_s);
    QVERIFY(QDir().mkpath(mountPoint));
    const auto run = [](const QString& program, const QStringList& arguments) {
        QProcess process;
        process.start(program, arguments);
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    };
    if (!run(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=64k"_s, u"tmpfs"_s, mountPoint}))
        QSKIP("no small file system can be mounted here (needs root)");
    const auto unmount = qScopeGuard([&] { run(u"umount"_s, {mountPoint}); });
    const QString old = mountPoint + u"/picture.jpg"_s;
    QVERIFY(!FileIo::save(old, QByteArray(8 * 1024, 'o')));
    // What is left is less than the new picture needs.
    QVERIFY(!FileIo::save(mountPoint + u"/filler"_s, QByteArray(48 * 1024, 'f')));
    const FileIo::Error error = FileIo::save(old, QByteArray(12 * 1024, 'n'));
    QCOMPARE(error.reason(), FileIo::Reason::NoSpace);
    QCOMPARE(readAll(old), QByteArray(8 * 1024, 'o'));
    QCOMPARE(QDir(mountPoint).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestFileIo::readFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("links");
    QTest::newRow("missing") << u"missing.dat"_s << int(FileIo::Links::Follow);
    QTest::newRow("folder") << u"folder"_s << int(FileIo::Links::Follow);
    QTest::newRow("empty name") << QString() << int(FileIo::Links::Follow);
    QTest::newRow("link refused") << u"link.dat"_s << int(FileIo::Links::Refuse);
}

void TestFileIo::readFails()
{
    QFETCH(QString, name);
    QFETCH(int, links);
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
    QVERIFY(QFile::link(path(u"old.dat"_s), path(u"link.dat"_s)));
    const FileIo::Contents contents = FileIo::read(name.isEmpty() ? QString() : path(name),
                                                   FileIo::NoLimit, FileIo::Links(links));
    QVERIFY(contents.error);
    QVERIFY(contents.bytes.isEmpty());
}

void TestFileIo::readHonoursTheLimit()
{
    QCOMPARE(FileIo::read(path(u"old.dat"_s), 9).bytes, QByteArray("old bytes"));
    QVERIFY(FileIo::read(path(u"old.dat"_s), 8).error);
    QCOMPARE(FileIo::read(path(u"old.dat"_s)).bytes, QByteArray("old bytes"));
}

void TestFileIo::isReadOnly_data()
{
    QTest::addColumn<int>("permissions");
    QTest::addColumn<bool>("expected");
    QTest::newRow("0644") << int(OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther)
                          << false;
    QTest::newRow("0444") << int(ReadOnlyBits) << true;
    QTest::newRow("0000") << 0 << true;
    QTest::newRow("group write only")
        << int(QFileDevice::ReadOwner | QFileDevice::WriteGroup) << false;
    QTest::newRow("other write only")
        << int(QFileDevice::ReadOwner | QFileDevice::WriteOther) << false;
}

// The mode bits decide, also for root, to whom every file is writable.
void TestFileIo::isReadOnly()
{
    QFETCH(int, permissions);
    QFETCH(bool, expected);
    QVERIFY(QFile::setPermissions(path(u"old.dat"_s), QFileDevice::Permissions(permissions)));
    QCOMPARE(FileIo::isReadOnly(path(u"old.dat"_s)), expected);
    QVERIFY(!FileIo::isReadOnly(path(u"missing.dat"_s)));
}

QTEST_GUILESS_MAIN(TestFileIo)
#include "tst_FileIo.moc"
