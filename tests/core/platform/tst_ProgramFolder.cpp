#include "core/platform/ProgramFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;

class TestProgramFolder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void chosenFolder_data();
    void chosenFolder();
    void probe();
};

void TestProgramFolder::chosenFolder_data()
{
    QTest::addColumn<bool>("dataBeside");
    QTest::addColumn<bool>("installedData");
    QTest::addColumn<bool>("readOnlyBits");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("data");

    const QString bin = u"prefix/bin"_s;
    const QString user = u"home/zolvane"_s;
    const QString installed = u"prefix/share/zolvane/data"_s;
    QTest::newRow("portable copy") << true << false << false << bin << bin + u"/data"_s;
    QTest::newRow("lone executable") << false << false << false << bin << bin + u"/data"_s;
    QTest::newRow("data beside wins") << true << true << false << bin << bin + u"/data"_s;
    // An install into the user's own ~/.local is writable, and still stays clean.
    QTest::newRow("installed, writable") << false << true << false << user << installed;
    // Root may write anywhere: the probe, not the bits, decides.
    QTest::newRow("portable copy, read-only bits")
        << true << false << true << (::geteuid() == 0 ? bin : user) << bin + u"/data"_s;
    QTest::newRow("installed, read-only bits") << false << true << true << user << installed;
}

void TestProgramFolder::chosenFolder()
{
    QFETCH(bool, dataBeside);
    QFETCH(bool, installedData);
    QFETCH(bool, readOnlyBits);
    QFETCH(QString, root);
    QFETCH(QString, data);

    QTemporaryDir dir;
    const QString bin = dir.filePath(u"prefix/bin"_s);
    QVERIFY(QDir().mkpath(dataBeside ? bin + u"/data"_s : bin));
    if (installedData)
        QVERIFY(QDir().mkpath(dir.filePath(u"prefix/share/zolvane/data"_s)));
    if (readOnlyBits)
        QVERIFY(QFile::setPermissions(bin, QFile::ReadOwner | QFile::ExeOwner));

    const ProgramFolder folder = ProgramFolder::forExecutable(bin, dir.filePath(u"home/zolvane"_s));
    QFile::setPermissions(bin, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QCOMPARE(folder.root(), dir.filePath(root));
    QCOMPARE(folder.data(), dir.filePath(data));
    QVERIFY(QFileInfo(folder.root()).isDir());
    QCOMPARE(QFileInfo::exists(dir.filePath(u"home"_s)), root.startsWith(u"home"_s));
}

// The probe leaves nothing behind, and /proc, which takes no new file even from root, stands in
// for a read-only mount.
void TestProgramFolder::probe()
{
    QTemporaryDir dir;
    QVERIFY(ProgramFolder::takesNewFiles(dir.path()));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{});
    QVERIFY(!ProgramFolder::takesNewFiles(dir.filePath(u"missing"_s)));
    if (QFileInfo(u"/proc/self"_s).isDir())
        QVERIFY(!ProgramFolder::takesNewFiles(u"/proc"_s));
}

QTEST_GUILESS_MAIN(TestProgramFolder)
#include "tst_ProgramFolder.moc"
