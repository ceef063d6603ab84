// Saves PNG pictures of the program's windows: the Main window idle, with the proxy check box
// focused and in the middle of a run against the demo site, the cache dialog, About and the
// first-run window.
#include "DemoSiteThread.h"
#include "core/net/ResponseCache.h"
#include "core/platform/ProgramFolder.h"
#include "gui/Main.h"
#include "gui/dialogs/About.h"
#include "gui/dialogs/First.h"
#include "gui/dialogs/Options.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

bool save(QWidget& window, const QString& folder, const QString& name)
{
    window.show();
    QCoreApplication::processEvents();
    const QString path = folder + u'/' + name;
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "saved" : "FAILED", qPrintable(path));
    return saved;
}

void writeSettings(const QString& folder, const QByteArray& port)
{
    QFile file(folder + u"/options.ini"_s);
    if (file.open(QIODevice::WriteOnly))
        file.write("[Main]\r\nDownloadImages=5\r\nUseProxy=True\r\nProxyName=127.0.0.1\r\n"
                   "ProxyPort=" +
                   port + "\r\nCasheSize=300\r\n");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"screenshots"_s;
    QDir().mkpath(out);
    QTemporaryDir programFolder;
    bool ok = true;

    {
        First first;
        ok &= save(first, out, u"first.png"_s);
    }
    {
        About about;
        ok &= save(about, out, u"about.png"_s);
    }

    DemoSiteThread site;
    site.server().addFault("stall=picture:3");
    writeSettings(programFolder.path(), site.portText());
    const ProgramFolder folder(programFolder.path());
    {
        ResponseCache cache;
        cache.setFolder(folder.cache());
        Options options(cache, 300);
        ok &= save(options, out, u"options.png"_s);
    }

    Main window(folder);
    ok &= save(window, out, u"main-idle.png"_s);
    // The proxy check box reached with the keyboard shows its focus mark.
    QApplication::setActiveWindow(&window);
    window.findChild<QWidget*>(u"UseProxy"_s)->setFocus();
    ok &= save(window, out, u"main-proxy-focused.png"_s);
    window.findChild<QWidget*>(u"Down"_s)->setFocus();

    // In the middle of a run: two pictures saved, the third one on its way.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &window, [&] {
        if (site.stats().pictureRequests < 3)
            return;
        poll.stop();
        ok &= save(window, out, u"main-running.png"_s);
        window.close();
    });
    poll.start();
    window.session().Down_Click();
    return ok ? 0 : 1;
}
