#include "platform/BrowserStart.h"

#include "platform/OperationError.h"

#include <QProcess>
#include <QProcessEnvironment>

using namespace Qt::StringLiterals;

namespace BrowserStart {

namespace {

struct Opener {
    QString program;
    QStringList arguments;
};

Opener openerFor(const QString& argument)
{
    const QString browser = QProcessEnvironment::systemEnvironment().value(u"BROWSER"_s);
    if (!browser.isEmpty())
        return {browser, {argument}};
#if defined(Q_OS_WIN)
    return {u"rundll32"_s, {u"url.dll,FileProtocolHandler"_s, argument}};
#elif defined(Q_OS_MACOS)
    return {u"open"_s, {argument}};
#else
    return {u"xdg-open"_s, {argument}};
#endif
}

} // namespace

void StartBrowser(const QString& argument)
{
    const Opener opener = openerFor(argument);
    if (!QProcess::startDetached(opener.program, opener.arguments))
        throw OperationError(u"Не удалось запустить браузер (%1)"_s.arg(opener.program));
}

} // namespace BrowserStart
