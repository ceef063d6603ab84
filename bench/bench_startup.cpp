// Start-up of the Main window, two ways:
//
//  - in the process: from construction (settings read, controls built) until the window is on
//    screen, each start in a fresh program folder with an options.ini, so the first-run window
//    never shows;
//  - from outside, as a user starts the program: from the exec until the Main window is visible,
//    against a minimal Qt Widgets program (one label) started the same way (this executable, in
//    the other --show mode), and until each process has ended.
//
//     bench_startup [starts]                      (default 31)
//     bench_startup --show main DIR | minimal     (one start, for the measurement from outside)
#include "bench/support/WindowStart.h"
#include "core/platform/ProgramFolder.h"
#include "gui/Main.h"
#include "gui/WindowApplication.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Says "visible" on standard output once the window is exposed and painted, then ends the
// program the normal way.
class VisibleReport : public QObject {
public:
    explicit VisibleReport(QWidget& window) : m_window(window)
    {
        window.windowHandle()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose && !m_reported &&
            m_window.windowHandle()->isExposed()) {
            m_reported = true;
            // The expose paints the window; the report goes out once that is done.
            QTimer::singleShot(0, this, [] {
                std::fputs("visible\n", stdout);
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_window;
    bool m_reported = false;
};

// As the program's own main.cpp starts it.
int showMain(int argc, char* argv[], const QString& folder)
{
    const auto app = WindowApplication::make(argc, argv);
    QCoreApplication::setApplicationName(ProgramFolder::ApplicationName);
    Main window(ProgramFolder{folder});
    QObject::connect(&window, &Main::programEnded, app.get(), [] { QCoreApplication::exit(0); });
    window.show();
    VisibleReport report(window);
    return QApplication::exec();
}

// The "hello world" of Qt Widgets: one label, so that its fonts are looked up as any window
// with text must.
int showMinimal(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(u"Привет"_s);
    window.resize(360, 240);
    window.show();
    VisibleReport report(window);
    return app.exec();
}

double milliseconds(qint64 micros)
{
    return double(micros) / 1000.0;
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

int measureInProcess(int argc, char* argv[], int starts)
{
    QApplication app(argc, argv);
    std::vector<qint64> micros;
    for (int i = 0; i < starts; ++i) {
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
                milliseconds(micros[micros.size() / 2]), milliseconds(micros.front()),
                milliseconds(micros.back()), starts);
    return 0;
}

int measureFromOutside(const QString& self, int starts)
{
    std::vector<qint64> mainVisible, mainWhole, minimalVisible, minimalWhole;
    for (int i = 0; i < starts; ++i) {
        // Alternating, so that a change in the machine's load weighs on both alike.
        const WindowStart::Measured main = WindowStart::measure(self, WindowStart::Kind::Main);
        const WindowStart::Measured minimal =
            WindowStart::measure(self, WindowStart::Kind::Minimal);
        if (!main.ok || !minimal.ok) {
            std::printf("a start failed: %s\n",
                        qPrintable(main.ok ? minimal.failure : main.failure));
            return 1;
        }
        mainVisible.push_back(main.visibleUs);
        mainWhole.push_back(main.wholeUs);
        minimalVisible.push_back(minimal.visibleUs);
        minimalWhole.push_back(minimal.wholeUs);
    }
    const qint64 visible = median(mainVisible), bare = median(minimalVisible);
    std::printf("exec until visible (median of %d, offscreen): Main window %.1f ms, minimal Qt "
                "Widgets program %.1f ms: %.2f x\n",
                starts, milliseconds(visible), milliseconds(bare), double(visible) / double(bare));
    std::printf("exec until ended: Main window %.1f ms, minimal %.1f ms\n",
                milliseconds(median(mainWhole)), milliseconds(median(minimalWhole)));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && QByteArrayView(argv[1]) == "--show") {
        if (QByteArrayView(argv[2]) == "main" && argc >= 4)
            return showMain(argc, argv, QString::fromLocal8Bit(argv[3]));
        return showMinimal(argc, argv);
    }
    // Both measurements run offscreen: the same on every machine, with or without a display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int starts = argc > 1 ? std::max(1, std::atoi(argv[1])) : 31;
    const int status = measureInProcess(argc, argv, starts);
    if (status != 0)
        return status;
    return measureFromOutside(QString::fromLocal8Bit(argv[0]), starts);
}
