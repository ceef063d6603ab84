#include "core/platform/Leftovers.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString leftoverOf(qint64 processId, const QString& random = u"0123456789abcdef"_s)
{
    return u".zolvane.%1.%2.tmp"_s.arg(processId).arg(random);
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

void write(const QString& path, const QDateTime& modified = {})
{
    TestSupport::writeAll(path, "some bytes");
    if (modified.isValid()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    }
}

} // namespace

class TestLeftovers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Gone: the temporary files of processes that have ended, and those of the older form that
    // no save in progress could have left. Everything else stays.
    void onlyFilesOfEndedSavesGo()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        const QStringList folders = {root, root + u"/downloads"_s, root + u"/!cashe"_s};
        QVERIFY(QDir().mkpath(folders[1]));
        QVERIFY(QDir().mkpath(folders[2]));
        const qint64 ended = TestSupport::endedProcessId();
        QVERIFY(ended > 0);
        QVERIFY(!Leftovers::processRunning(ended));
        const qint64 running = QCoreApplication::applicationPid();
        QVERIFY(Leftovers::processRunning(running));
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const QString nameless = u".zolvane.0123456789abcdef.tmp"_s;

        for (const QString& folder : folders) {
            write(folder + u'/' + leftoverOf(ended));
            write(folder + u'/' + leftoverOf(running));
            write(folder + u'/' + nameless, now.addSecs(-2 * 60 * 60));
        }
        const QStringList kept = {
            u".!Cashe.dat.zolvane"_s,
            u".zolvane.0.0123456789abcdef.tmp"_s,
            u".zolvane.12.0123456789ABCDEF.tmp"_s,
            u".zolvane.fedcba9876543210.tmp"_s, // the older form, but written just now
            u".zolvane.lock"_s,
            u"picture.jpg"_s,
        };
        for (const QString& name : kept)
            write(root + u'/' + name, name.contains(u"fedcba"_s) ? now.addSecs(-60) : now);
        // Only plain files: a link or a folder of such a name stays, and what a link leads to.
        write(root + u"/outside.dat"_s);
        QVERIFY(QFile::link(root + u"/outside.dat"_s,
                            root + u'/' + leftoverOf(ended, u"1"_s.repeated(16))));
        QVERIFY(QDir().mkpath(root + u'/' + leftoverOf(ended, u"2"_s.repeated(16))));

        QVERIFY(!Leftovers::removeIn(folders));

        QStringList expectedRoot = kept;
        expectedRoot << leftoverOf(running) << u"!cashe"_s << u"downloads"_s << u"outside.dat"_s
                     << leftoverOf(ended, u"1"_s.repeated(16))
                     << leftoverOf(ended, u"2"_s.repeated(16));
        expectedRoot.sort();
        QCOMPARE(entries(root), expectedRoot);
        QCOMPARE(entries(folders[1]), QStringList{leftoverOf(running)});
        QCOMPARE(entries(folders[2]), QStringList{leftoverOf(running)});
        QCOMPARE(TestSupport::readAll(root + u"/outside.dat"_s), QByteArray("some bytes"));
    }

    // A link in the place of a folder the program writes is none of its own.
    void linkedFolderIsNotLookedInto()
    {
        QTemporaryDir dir;
        const qint64 ended = TestSupport::endedProcessId();
        QVERIFY(ended > 0);
        QVERIFY(QDir().mkpath(dir.path() + u"/elsewhere"_s));
        const QString outside = dir.path() + u"/elsewhere/"_s + leftoverOf(ended);
        write(outside);
        QVERIFY(QFile::link(dir.path() + u"/elsewhere"_s, dir.path() + u"/downloads"_s));
        QCOMPARE(Leftovers::removeIn({dir.path() + u"/downloads"_s}).reason(),
                 FileIo::Reason::Link);
        QVERIFY(QFile::exists(outside));
        // A folder that is not there is nothing to clean.
        QVERIFY(!Leftovers::removeIn({dir.path() + u"/!cashe"_s}));
    }
};

QTEST_GUILESS_MAIN(TestLeftovers)
#include "tst_Leftovers.moc"
