#include "platform/ProgramFolder.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace {

QString joined(const QString& folder, const QString& name)
{
    return folder + u'/' + name;
}

} // namespace

ProgramFolder::ProgramFolder(const QString& root, const QString& data)
    : m_root(QDir::cleanPath(root)),
      m_data(data.isEmpty() ? joined(m_root, u"data"_s) : QDir::cleanPath(data))
{}

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

QString ProgramFolder::dataFile(const QString& fileName) const
{
    return joined(m_data, fileName);
}
