#include "core/platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

using namespace Qt::StringLiterals;

namespace {

QString joined(const QString& folder, const QString& name)
{
    return folder + u'/' + name;
}

// The installed decoration images, relative to the installed executable (set by the build from
// the install layout).
QString installedData(const QString& executableFolder)
{
    return QDir::cleanPath(joined(executableFolder, QStringLiteral(ZOLVANE_INSTALLED_DATA)));
}

bool isFolder(const QString& path)
{
    return QFileInfo(path).isDir();
}

} // namespace

ProgramFolder::ProgramFolder(const QString& root, const QString& data)
    : m_root(QDir::cleanPath(root)),
      m_data(data.isEmpty() ? joined(m_root, u"data"_s) : QDir::cleanPath(data))
{}

ProgramFolder ProgramFolder::forExecutable(const QString& executableFolder,
                                           const QString& perUserFolder)
{
    const QString beside = joined(executableFolder, u"data"_s);
    const QString installed = installedData(executableFolder);
    // An installed program finds no data beside itself, but the installed data further up: it
    // never writes into the prefix, even when the prefix is the user's own (~/.local).
    const bool isInstalled = !isFolder(beside) && isFolder(installed);
    if (!isInstalled && takesNewFiles(executableFolder))
        return ProgramFolder(executableFolder);
    QDir().mkpath(perUserFolder);
    return ProgramFolder(perUserFolder, isInstalled ? installed : beside);
}

ProgramFolder ProgramFolder::forThisProgram()
{
    return forExecutable(QCoreApplication::applicationDirPath(),
                         QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

bool ProgramFolder::takesNewFiles(const QString& folder)
{
    QTemporaryFile probe(joined(folder, u".zolvane-probe-XXXXXX"_s));
    return probe.open();
}

QString ProgramFolder::options() const
{
    return joined(m_root, u"options.ini"_s);
}

QString ProgramFolder::downloads() const
{
    return joined(m_root, u"downloads"_s);
}

QString ProgramFolder::download(const QString& fileName) const
{
    return joined(downloads(), fileName);
}

QString ProgramFolder::album() const
{
    return download(u"index.htm"_s);
}

QString ProgramFolder::cache() const
{
    return joined(m_root, u"!cashe"_s);
}

QString ProgramFolder::runLock() const
{
    return joined(m_root, u".zolvane.lock"_s);
}

QStringList ProgramFolder::written() const
{
    const QString real = QFileInfo(m_root).canonicalFilePath();
    return {real.isEmpty() ? m_root : real, downloads(), cache()};
}

QString ProgramFolder::dataFile(const QString& fileName) const
{
    return joined(m_data, fileName);
}
