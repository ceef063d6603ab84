#include "platform/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr QFileDevice::Permissions ReadAndEnter =
    QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadUser | QFileDevice::ExeUser |
    QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

QStringList everythingIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

} // namespace

class TestProgramFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void chosenFolder_data();
    void chosenFolder();
    void folderWithoutNewFilesIsNeverUsed();
    void probeLeavesNothingBehind();

private:
    QString path(const QString& relative) const { return m_dir->path() + u'/' + relative; }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestProgramFolder::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir().mkpath(path(u"prefix/bin"_s)));
}

void TestProgramFolder::cleanup()
{
    QFile::setPermissions(path(u"prefix/bin"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_dir.reset();
}

void TestProgramFolder::chosenFolder_data()
{
    QTest::addColumn<bool>("dataBeside");
    QTest::addColumn<bool>("installedData");
    QTest::addColumn<bool>("readOnlyBits");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("data");

    const QString bin = u"prefix/bin"_s;
    const QString user = u"home/.local/share/zolvane"_s;
    const QString installed = u"prefix/share/zolvane/data"_s;
    QTest::newRow("portable copy") << true << false << false << bin << bin + u"/data"_s;
    QTest::newRow("lone executable") << false << false << false << bin << bin + u"/data"_s;
    QTest::newRow("data beside wins over an install")
        << true << true << false << bin << bin + u"/data"_s;
    // An install into the user's own ~/.local is writable, and still stays clean.
    QTest::newRow("installed, writable prefix") << false << true << false << user << installed;
    // Root may write anywhere: the probe, not the bits, decides.
    const bool root = ::geteuid() == 0;
    QTest::newRow("portable copy, read-only bits")
        << true << false << true << (root ? bin : user) << bin + u"/data"_s;
    QTest::newRow("installed, read-only bits") << false << true << true << user << installed;
}

void TestProgramFolder::chosenFolder()
{
    QFETCH(bool, dataBeside);
    QFETCH(bool, installedData);
    QFETCH(bool, readOnlyBits);
    QFETCH(QString, root);
    QFETCH(QString, data);

    if (dataBeside)
        QVERIFY(QDir().mkpath(path(u"prefix/bin/data"_s)));
    if (installedData)
        QVERIFY(QDir().mkpath(path(u"prefix/share/zolvane/data"_s)));
    if (readOnlyBits)
        QVERIFY(QFile::setPermissions(path(u"prefix/bin"_s), ReadAndEnter));

    const ProgramFolder folder =
        ProgramFolder::forExecutable(path(u"prefix/bin"_s), path(u"home/.local/share/zolvane"_s));
    QCOMPARE(folder.root(), path(root));
    QCOMPARE(folder.data(), path(data));
    QVERIFY(QFileInfo(folder.root()).isDir());
    QCOMPARE(everythingIn(path(u"prefix/bin"_s)),
             dataBeside ? QStringList{u"data"_s} : QStringList{});
    QCOMPARE(QFileInfo::exists(path(u"home"_s)), root.startsWith(u"home"_s));
}

// /proc takes no new file even from root: the stand-in for a read-only mount.
void TestProgramFolder::folderWithoutNewFilesIsNeverUsed()
{
    if (!QFileInfo(u"/proc/self"_s).isDir())
        QSKIP("no /proc");
    QVERIFY(!ProgramFolder::takesNewFiles(u"/proc"_s));
    const ProgramFolder folder = ProgramFolder::forExecutable(u"/proc"_s, path(u"user"_s));
    QCOMPARE(folder.root(), path(u"user"_s));
    QCOMPARE(folder.data(), u"/proc/data"_s);
}

void TestProgramFolder::probeLeavesNothingBehind()
{
    const QString folder = path(u"prefix/bin"_s);
    QVERIFY(ProgramFolder::takesNewFiles(folder));
    QCOMPARE(everythingIn(folder), QStringList{});
    QVERIFY(!ProgramFolder::takesNewFiles(path(u"missing"_s)));
    QVERIFY(!QFileInfo::exists(path(u"missing"_s)));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_ProgramFolder.moc"
