#include "core/platform/FileSystem.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using TestSupport::readAll;
using TestSupport::writeAll;

namespace {

using TestSupport::ReadOnlyBits;

void makeReadOnly(const QString& path)
{
    QVERIFY(QFile::setPermissions(path, ReadOnlyBits));
}

QByteArray everyByte()
{
    QByteArray bytes;
    for (int i = 0; i < 256; ++i)
        bytes.append(static_cast<char>(i));
    return bytes;
}

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestFileSystem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();

    void fileExists_data();
    void fileExists();
    void folderExists_data();
    void folderExists();

    void createFolderMakesTheFolder();
    void createFolderFails_data();
    void createFolderFails();

    void deleteFileRemovesOnePath();
    void deleteFileFails_data();
    void deleteFileFails();
    void deleteFilePattern_data();
    void deleteFilePattern();
    void deleteFileTakesLinksNotWhatTheyLeadTo();
    void deleteFileRefusesALinkForItsFolder();

    void copyFileMakesAnExactCopy();
    void copyFileReplacesTheTarget();
    void copyFileOntoItselfKeepsTheBytes();
    void copyFileFails_data();
    void copyFileFails();

    void createTextFileMakesAnEmptyFile();
    void createTextFileReplacesAFile();
    void createTextFileFails_data();
    void createTextFileFails();

    void setFolderHiddenKeepsTheFolder();
    void setFolderHiddenFailsForAMissingFolder();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFileSystem::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    writeAll(path(u"file.txt"_s), "text");
    writeAll(path(u"no extension"_s), "");
    QVERIFY(QDir(m_dir->path()).mkdir(u"folder"_s));
}

void TestFileSystem::fileExists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");
    QTest::newRow("file") << u"file.txt"_s << true;
    QTest::newRow("empty file without extension") << u"no extension"_s << true;
    QTest::newRow("folder") << u"folder"_s << false;
    QTest::newRow("missing") << u"missing.txt"_s << false;
    QTest::newRow("inside a missing folder") << u"missing/file.txt"_s << false;
}

void TestFileSystem::fileExists()
{
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(FileSystem::FileExists(path(name)), expected);
}

void TestFileSystem::folderExists_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("expected");
    QTest::newRow("folder") << u"folder"_s << true;
    QTest::newRow("folder with a trailing slash") << u"folder/"_s << true;
    QTest::newRow("file") << u"file.txt"_s << false;
    QTest::newRow("missing") << u"missing"_s << false;
}

void TestFileSystem::folderExists()
{
    QFETCH(QString, name);
    QFETCH(bool, expected);
    QCOMPARE(FileSystem::FolderExists(path(name)), expected);
}

void TestFileSystem::createFolderMakesTheFolder()
{
    QVERIFY(!FileSystem::CreateFolder(path(u"!cashe"_s)));
    QVERIFY(QFileInfo(path(u"!cashe"_s)).isDir());
    QVERIFY(FileSystem::FolderExists(path(u"!cashe"_s)));
}

void TestFileSystem::createFolderFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<FileIo::Reason>("reason");
    QTest::newRow("folder exists") << u"folder"_s << FileIo::Reason::Exists;
    QTest::newRow("a file of that name exists") << u"file.txt"_s << FileIo::Reason::Exists;
    QTest::newRow("parent missing") << u"missing/child"_s << FileIo::Reason::NoFolder;
}

void TestFileSystem::createFolderFails()
{
    QFETCH(QString, name);
    QFETCH(FileIo::Reason, reason);
    QCOMPARE(FileSystem::CreateFolder(path(name)).reason(), reason);
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
}

void TestFileSystem::deleteFileRemovesOnePath()
{
    QVERIFY(!FileSystem::DeleteFile(path(u"file.txt"_s)));
    QVERIFY(!QFile::exists(path(u"file.txt"_s)));
    QVERIFY(QFile::exists(path(u"no extension"_s)));
}

void TestFileSystem::deleteFileFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << u"missing.txt"_s;
    QTest::newRow("a folder") << u"folder"_s;
    QTest::newRow("read-only file") << u"file.txt"_s;
    QTest::newRow("pattern in a missing folder") << u"missing/*.*"_s;
}

void TestFileSystem::deleteFileFails()
{
    QFETCH(QString, name);
    makeReadOnly(path(u"file.txt"_s));
    QVERIFY(FileSystem::DeleteFile(path(name)));
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
    QVERIFY(QFileInfo(path(u"folder"_s)).isDir());
}

void TestFileSystem::deleteFilePattern_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("readOnly");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("remaining");
    QTest::addColumn<bool>("fails");

    const QStringList cache = {u"!Cashe.dat"_s, u"cashe00001.tmp"_s, u"cashe00002.tmp"_s,
                               u"noext"_s, u"Имя файла.gif"_s};
    QTest::newRow("*.* takes every file, also those without a dot")
        << cache << QStringList() << u"*.*"_s << QStringList() << false;
    QTest::newRow("*.tmp takes only those")
        << cache << QStringList() << u"*.tmp"_s
        << QStringList{u"!Cashe.dat"_s, u"noext"_s, u"Имя файла.gif"_s} << false;
    QTest::newRow("no match succeeds and does nothing")
        << QStringList{u"a.dat"_s} << QStringList() << u"*.tmp"_s << QStringList{u"a.dat"_s}
        << false;
    QTest::newRow("empty folder succeeds")
        << QStringList() << QStringList() << u"*.*"_s << QStringList() << false;
    QTest::newRow("read-only file stays, the others go, the call fails")
        << cache << QStringList{u"cashe00001.tmp"_s} << u"*.*"_s << QStringList{u"cashe00001.tmp"_s}
        << true;
}

void TestFileSystem::deleteFilePattern()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, readOnly);
    QFETCH(QString, pattern);
    QFETCH(QStringList, remaining);
    QFETCH(bool, fails);

    const QString folder = path(u"folder"_s);
    for (const QString& name : files)
        writeAll(folder + u'/' + name, name.toUtf8());
    for (const QString& name : readOnly)
        makeReadOnly(folder + u'/' + name);
    QVERIFY(QDir(folder).mkdir(u"sub.folder"_s));

    QCOMPARE(bool(FileSystem::DeleteFile(folder + u'/' + pattern)), fails);
    QStringList expected = remaining;
    expected.sort();
    QCOMPARE(filesIn(folder), expected);
    for (const QString& name : remaining)
        QCOMPARE(readAll(folder + u'/' + name), name.toUtf8());
    QVERIFY(QFileInfo(folder + u"/sub.folder"_s).isDir());
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text")); // outside the folder
}

// A link in the folder goes, and what it leads to stays: a file outside (read-only or not), a
// folder with its files. A link to a folder counts as a folder and stays.
void TestFileSystem::deleteFileTakesLinksNotWhatTheyLeadTo()
{
    const QString folder = path(u"folder"_s);
    QVERIFY(QDir(m_dir->path()).mkdir(u"outside"_s));
    writeAll(path(u"outside/kept.txt"_s), "kept");
    writeAll(path(u"locked.txt"_s), "locked");
    makeReadOnly(path(u"locked.txt"_s));
    QVERIFY(QFile::link(path(u"file.txt"_s), folder + u"/to file.tmp"_s));
    QVERIFY(QFile::link(path(u"locked.txt"_s), folder + u"/to locked.tmp"_s));
    QVERIFY(QFile::link(path(u"missing.txt"_s), folder + u"/to nothing.tmp"_s));
    QVERIFY(QFile::link(path(u"outside"_s), folder + u"/to folder.tmp"_s));

    QVERIFY(!FileSystem::DeleteFile(folder + u"/*.*"_s));
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             QStringList{u"to folder.tmp"_s});
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
    QCOMPARE(readAll(path(u"locked.txt"_s)), QByteArray("locked"));
    QCOMPARE(readAll(path(u"outside/kept.txt"_s)), QByteArray("kept"));

    // One path: the link itself goes.
    QVERIFY(QFile::link(path(u"locked.txt"_s), folder + u"/one.lnk"_s));
    QVERIFY(!FileSystem::DeleteFile(folder + u"/one.lnk"_s));
    QVERIFY(!QFileInfo(folder + u"/one.lnk"_s).isSymLink());
    QCOMPARE(readAll(path(u"locked.txt"_s)), QByteArray("locked"));
}

void TestFileSystem::deleteFileRefusesALinkForItsFolder()
{
    QVERIFY(QFile::link(m_dir->path(), path(u"folder/linked"_s)));
    QCOMPARE(FileSystem::DeleteFile(path(u"folder/linked/*.*"_s)).reason(), FileIo::Reason::Link);
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
    QVERIFY(QFile::exists(path(u"no extension"_s)));
}

void TestFileSystem::copyFileMakesAnExactCopy()
{
    writeAll(path(u"bg.gif"_s), everyByte());
    QVERIFY(!FileSystem::CopyFile(path(u"bg.gif"_s), path(u"folder/bg.gif"_s)));
    QCOMPARE(readAll(path(u"folder/bg.gif"_s)), everyByte());
    QCOMPARE(readAll(path(u"bg.gif"_s)), everyByte());
}

void TestFileSystem::copyFileReplacesTheTarget()
{
    writeAll(path(u"folder/file.txt"_s), QByteArray(1000, 'x'));
    QVERIFY(!FileSystem::CopyFile(path(u"file.txt"_s), path(u"folder/file.txt"_s)));
    QCOMPARE(readAll(path(u"folder/file.txt"_s)), QByteArray("text"));
}

void TestFileSystem::copyFileOntoItselfKeepsTheBytes()
{
    QVERIFY(!FileSystem::CopyFile(path(u"file.txt"_s), path(u"file.txt"_s)));
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
}

void TestFileSystem::copyFileFails_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::newRow("missing source") << u"missing.gif"_s << u"folder/file.txt"_s;
    QTest::newRow("source is a folder") << u"folder"_s << u"folder/file.txt"_s;
    QTest::newRow("read-only target") << u"file.txt"_s << u"folder/read-only.txt"_s;
    QTest::newRow("target is a folder") << u"file.txt"_s << u"folder"_s;
    QTest::newRow("target folder missing") << u"file.txt"_s << u"missing/file.txt"_s;
}

void TestFileSystem::copyFileFails()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    writeAll(path(u"folder/file.txt"_s), "old target");
    writeAll(path(u"folder/read-only.txt"_s), "kept");
    makeReadOnly(path(u"folder/read-only.txt"_s));

    QVERIFY(FileSystem::CopyFile(path(source), path(target)));
    QCOMPARE(readAll(path(u"folder/file.txt"_s)), QByteArray("old target"));
    QCOMPARE(readAll(path(u"folder/read-only.txt"_s)), QByteArray("kept"));
    QVERIFY(!QFile::exists(path(u"missing"_s)));
    QCOMPARE(filesIn(path(u"folder"_s)),
             QStringList({u"file.txt"_s, u"read-only.txt"_s})); // no stray temporary file
}

void TestFileSystem::createTextFileMakesAnEmptyFile()
{
    QVERIFY(!FileSystem::CreateTextFile(path(u"options.ini"_s)));
    QVERIFY(FileSystem::FileExists(path(u"options.ini"_s)));
    QCOMPARE(QFileInfo(path(u"options.ini"_s)).size(), 0);
}

void TestFileSystem::createTextFileReplacesAFile()
{
    QVERIFY(!FileSystem::CreateTextFile(path(u"file.txt"_s)));
    QVERIFY(FileSystem::FileExists(path(u"file.txt"_s)));
    QCOMPARE(QFileInfo(path(u"file.txt"_s)).size(), 0);
}

void TestFileSystem::createTextFileFails_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("read-only file") << u"file.txt"_s;
    QTest::newRow("a folder") << u"folder"_s;
    QTest::newRow("folder missing") << u"missing/options.ini"_s;
}

void TestFileSystem::createTextFileFails()
{
    QFETCH(QString, name);
    makeReadOnly(path(u"file.txt"_s));
    QVERIFY(FileSystem::CreateTextFile(path(name)));
    QCOMPARE(readAll(path(u"file.txt"_s)), QByteArray("text"));
    QVERIFY(QFileInfo(path(u"folder"_s)).isDir());
    QVERIFY(!QFile::exists(path(u"missing"_s)));
}

void TestFileSystem::setFolderHiddenKeepsTheFolder()
{
    writeAll(path(u"folder/!Cashe.dat"_s), "db");
    QVERIFY(!FileSystem::SetFolderHidden(path(u"folder"_s)));
    QVERIFY(FileSystem::FolderExists(path(u"folder"_s)));
    QCOMPARE(readAll(path(u"folder/!Cashe.dat"_s)), QByteArray("db"));
}

void TestFileSystem::setFolderHiddenFailsForAMissingFolder()
{
    QVERIFY(FileSystem::SetFolderHidden(path(u"missing"_s)));
    QVERIFY(FileSystem::SetFolderHidden(path(u"file.txt"_s)));
}

QTEST_GUILESS_MAIN(TestFileSystem)
#include "tst_FileSystem.moc"
