// Start-up of the Main window, from construction (settings read, controls built) until the
// window is on screen: median of repeated starts, each in a fresh program folder with an
// options.ini, so the first-run window never shows.
#include "gui/Main.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    constexpr int Starts = 31;
    std::vector<qint64> micros;
    for (int i = 0; i < Starts; ++i) {
        QTemporaryDir folder;
        QFile settings(folder.filePath(QStringLiteral("options.ini")));
        if (!settings.open(QIODevice::WriteOnly))
            return 1;
        settings.write("[Main]\r\nDownloadImages=10\r\nUseProxy=False\r\nProxyName=127.0.0.1\r\n"
                       "ProxyPort=8080\r\nCasheSize=300\r\n");
        settings.close();

        QElapsedTimer clock;
        clock.start();
        Main window{ProgramFolder(folder.path())};
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return 1;
        micros.push_back(clock.nsecsElapsed() / 1000);
    }
    std::sort(micros.begin(), micros.end());
    std::printf("Main window start-up to shown: median %.2f ms (min %.2f, max %.2f, %d starts)\n",
                micros[Starts / 2] / 1000.0, micros.front() / 1000.0, micros.back() / 1000.0,
                Starts);
    return 0;
}
