#include "core/platform/FolderLock.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class TestFolderLock : public QObject {
    Q_OBJECT

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Holders exclude each other until the first lets go, and letting go leaves no file behind.
    void oneHolderAtATime()
    {
        const QString lock = path(u".zolvane.lock"_s);
        FolderLock first;
        QVERIFY(!first.take(lock));
        QVERIFY(first.isHeld());
        FolderLock second;
        QCOMPARE(second.take(lock).reason(), FileIo::Reason::Busy);
        QVERIFY(!second.isHeld());
        first.release();
        QVERIFY(!second.take(lock));
        QCOMPARE(FolderLock().take(lock).reason(), FileIo::Reason::Busy);
        FolderLock moved = std::move(second);
        QVERIFY(moved.isHeld());
        moved.release();
        QCOMPARE(entries(), QStringList());
        QVERIFY(!first.take(lock));
    }

    // A link in the lock file's place leads nowhere: it is replaced, and what it led to stays.
    void linkInThePlaceIsNotFollowed()
    {
        const QString outside = path(u"outside.txt"_s);
        TestSupport::writeAll(outside, "not a lock");
        QVERIFY(QFile::link(outside, path(u".zolvane.lock"_s)));
        FolderLock lock;
        QVERIFY(!lock.take(path(u".zolvane.lock"_s)));
        QVERIFY(!QFileInfo(path(u".zolvane.lock"_s)).isSymLink());
        QCOMPARE(TestSupport::readAll(outside), QByteArray("not a lock"));
        QCOMPARE(FolderLock().take(path(u".zolvane.lock"_s)).reason(), FileIo::Reason::Busy);
    }

    void missingFolderIsNoBusyFolder()
    {
        FolderLock lock;
        const FileIo::Error error = lock.take(path(u"missing/.zolvane.lock"_s));
        QCOMPARE(error.reason(), FileIo::Reason::NoFolder);
        QVERIFY(!lock.isHeld());
    }
};

QTEST_GUILESS_MAIN(TestFolderLock)
#include "tst_FolderLock.moc"
