#include "core/platform/BrowserStart.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace BrowserStart {

namespace {

struct Opener {
    QString program;
    QStringList arguments;
};

Opener platformOpener(const QString& argument)
{
#if defined(Q_OS_WIN)
    return {u"rundll32"_s, {u"url.dll,FileProtocolHandler"_s, argument}};
#elif defined(Q_OS_MACOS)
    return {u"open"_s, {argument}};
#else
    return {u"xdg-open"_s, {argument}};
#endif
}

// $BROWSER may list several programs separated by ":", to be tried in turn.
QList<Opener> openersFor(const QString& argument)
{
    const QString browser = QProcessEnvironment::systemEnvironment().value(u"BROWSER"_s);
    if (browser.isEmpty())
        return {platformOpener(argument)};
#if defined(Q_OS_WIN)
    const QStringList programs{browser};
#else
    const QStringList programs = browser.split(u':', Qt::SkipEmptyParts);
#endif
    QList<Opener> openers;
    for (const QString& program : programs)
        openers.append({program, {argument}});
    return openers;
}

} // namespace

Error StartBrowser(const QString& argument)
{
    QStringList tried;
    for (const Opener& opener : openersFor(argument)) {
        if (QProcess::startDetached(opener.program, opener.arguments))
            return {};
        tried.append(opener.program);
    }
    return Error(u"Не удалось запустить браузер (%1)"_s.arg(tried.join(u", "_s)));
}

} // namespace BrowserStart
