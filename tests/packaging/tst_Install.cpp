// The install as a user meets it: the files laid out, the installed programs run by an ordinary
// user with a fresh home, and the distribution's validators on the desktop files and the package.
#include "DemoSiteThread.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <pwd.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Exit code (-1 when it did not run to its end) and everything it printed.
std::pair<int, QString> run(const QString& program, const QStringList& arguments,
                            const QProcessEnvironment& environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool ended =
        process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    const QString output = QString::fromUtf8(process.readAll()) + process.errorString();
    return {ended ? process.exitCode() : -1, output};
}

// Every entry below `root` with its time of change: any write shows, in files and folders.
QStringList snapshot(const QString& root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo entry(it.next());
        entries << entry.filePath() + QString::number(entry.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void layout();
    void fetchIntoTheUsersFolder();
    void firstStartOncePerUser();
    void validators();

private:
    QString usr(const QString& path) const { return m_dir.filePath(u"dest/usr/"_s + path); }
    QString userData(const QString& path) const
    {
        return m_dir.filePath(u"home/.local/share/zolvane/"_s + path);
    }
    // An installed program as the user, in a bare environment where its windows answer themselves.
    std::pair<int, QString> runAsUser(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir{QDir::tempPath() + u"/zolvane-install-XXXXXX"_s};
    QString m_build = QStringLiteral(ZOLVANE_BIN_DIR) + u"/.."_s;
    QStringList m_installed;
    QStringList m_becomeUser; // setpriv's arguments when root
    bool m_noUser = false;    // root, without a user nobody or setpriv to become it
};

void TestInstall::initTestCase()
{
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::permissions(m_dir.path()) |
                                                    QFile::ReadOther | QFile::ExeOther));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DESTDIR"_s, m_dir.filePath(u"dest"_s));
    const auto [status, output] =
        run(u"cmake"_s, {u"--install"_s, m_build, u"--prefix"_s, u"/usr"_s}, environment);
    QVERIFY2(status == 0, qPrintable(output));
    m_installed = snapshot(m_dir.filePath(u"dest"_s));
    QVERIFY(QDir().mkpath(m_dir.filePath(u"home"_s)));
    if (::geteuid() != 0)
        return;
    const passwd* nobody = ::getpwnam("nobody");
    m_noUser = !nobody || QStandardPaths::findExecutable(u"setpriv"_s).isEmpty();
    if (m_noUser)
        return;
    QVERIFY(::chown(QFile::encodeName(m_dir.filePath(u"home"_s)).constData(), nobody->pw_uid,
                    nobody->pw_gid) == 0);
    m_becomeUser = {u"--reuid=%1"_s.arg(nobody->pw_uid), u"--regid=%1"_s.arg(nobody->pw_gid),
                    u"--clear-groups"_s, u"--"_s};
}

std::pair<int, QString> TestInstall::runAsUser(const QString& program, const QStringList& arguments)
{
    QProcessEnvironment environment;
    environment.insert(u"HOME"_s, m_dir.filePath(u"home"_s));
    environment.insert(u"XDG_RUNTIME_DIR"_s, m_dir.filePath(u"home/.runtime"_s));
    environment.insert(u"PATH"_s, u"/usr/bin:/bin"_s);
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    environment.insert(u"ZOLVANE_TEST_ANSWER_WINDOWS"_s, u"1"_s);
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    for (const QString& name : {u"ASAN_OPTIONS"_s, u"LSAN_OPTIONS"_s, u"UBSAN_OPTIONS"_s})
        if (own.contains(name))
            environment.insert(name, own.value(name));
    if (m_becomeUser.isEmpty())
        return run(usr(program), arguments, environment);
    return run(u"setpriv"_s, m_becomeUser + QStringList{usr(program)} + arguments, environment);
}

void TestInstall::layout()
{
    QStringList expected =
        u"bin/zolvane bin/zolvane-fetch share/doc/zolvane/changelog.gz "
        u"share/doc/zolvane/copyright share/man/man1/zolvane-fetch.1.gz "
        u"share/man/man1/zolvane.1.gz share/zolvane/data/bg.gif "
        u"share/zolvane/data/bghead.gif share/zolvane/data/head.gif"_s.split(u' ');
    expected << u"share/applications/com.zolvane.verezozavidozoz.desktop"_s
             << u"share/metainfo/com.zolvane.verezozavidozoz.metainfo.xml"_s;
    for (const int size : {16, 32, 48, 64, 128, 256})
        expected << u"share/icons/hicolor/%1x%1/apps/zolvane.png"_s.arg(size);
    QStringList files;
    for (QDirIterator it(usr({}), QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(usr({})).relativeFilePath(it.next());
    files.sort();
    expected.sort();
    QCOMPARE(files, expected);
}

void TestInstall::fetchIntoTheUsersFolder()
{
    if (m_noUser)
        QSKIP("no ordinary user to run as");
    DemoSiteThread site;
    const auto [status, output] =
        runAsUser(u"bin/zolvane-fetch"_s,
                  {u"-n"_s, u"3"_s, u"-p"_s, u"--proxy-port"_s, QString::number(site.port())});
    QVERIFY2(status == 0, qPrintable(output));
    QVERIFY2(output.contains(u"Альбом: "_s + userData(u"downloads/index.htm"_s)),
             qPrintable(output));
    QCOMPARE(TestSupport::readAll(userData(u"downloads/index.htm"_s)).count("<tr>\r\n<td>"), 3);
    QCOMPARE(TestSupport::readAll(
                 userData(u"downloads/"_s + QString::fromLatin1(site.content().picture(3).name))),
             site.content().pictureBytes(3));
    QCOMPARE(TestSupport::readAll(userData(u"downloads/head.gif"_s)),
             TestSupport::readAll(usr(u"share/zolvane/data/head.gif"_s)));
    QVERIFY(QFileInfo::exists(userData(u"!cashe/!Cashe.dat"_s)));
    QCOMPARE(snapshot(m_dir.filePath(u"dest"_s)), m_installed);
}

void TestInstall::firstStartOncePerUser()
{
    if (m_noUser)
        QSKIP("no ordinary user to run as");
    for (const bool first : {true, false}) {
        const auto [status, output] = runAsUser(u"bin/zolvane"_s, {});
        QVERIFY2(status == 0, qPrintable(output));
        QCOMPARE(output.contains(u"shown: First\n"_s), first);
        QCOMPARE(TestSupport::readAll(userData(u"options.ini"_s)),
                 QByteArray("[Main]\r\nDownloadImages=10\r\nUseProxy=False\r\n"
                            "ProxyName=127.0.0.1\r\nProxyPort=8080\r\nCasheSize=300\r\n"));
    }
    QCOMPARE(snapshot(m_dir.filePath(u"dest"_s)), m_installed);
}

// The tools come with scripts/setup; lintian fails only on errors, warnings may stay.
void TestInstall::validators()
{
    const QString package = m_dir.filePath(u"package"_s);
    const QList<std::pair<QString, QStringList>> checks = {
        {u"desktop-file-validate"_s,
         {usr(u"share/applications/com.zolvane.verezozavidozoz.desktop"_s)}},
        {u"appstreamcli"_s,
         {u"validate"_s, u"--no-net"_s,
          usr(u"share/metainfo/com.zolvane.verezozavidozoz.metainfo.xml"_s)}},
        {u"cpack"_s, {u"--config"_s, m_build + u"/CPackConfig.cmake"_s, u"-B"_s, package}},
        {u"sh"_s,
         {u"-c"_s, u"lintian --fail-on error \"$0\"/zolvane_*_$(dpkg --print-architecture).deb"_s,
          package}}};
    for (const auto& [tool, arguments] : checks) {
        const auto [status, output] = run(tool, arguments);
        QVERIFY2(status == 0, qPrintable(tool + u": "_s + output));
    }
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_Install.moc"
