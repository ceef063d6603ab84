#include "core/net/Download_Control.h"
#include "core/net/EngineTexts.h"
#include "core/platform/Constants.h"
#include "gui/resources/Artwork.h"
#include "gui/resources/BusyFrames.h"
#include "gui/widgets/DownloadPanel.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

QLabel* part(DownloadPanel& panel, const QString& name)
{
    return panel.findChild<QLabel*>(name);
}

class PaintCounter : public QObject {
public:
    explicit PaintCounter(QObject* watched) { watched->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TransferOutcome refusedDown(Download_Control& engine)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(port);
    QTimer::singleShot(5000, &engine, &Download_Control::Stopped);
    return engine.Down("/", false);
}

} // namespace

class TestDownloadPanel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutInPixels();
    void followsTheEngine();
    void linkLookAfterAnError();
    void iconShowsTheBusyFrame();
    void busyIconTurnsAndStops();
    void clickOpensTheMakersPage();
    void clickWithoutLinkDoesNothing();
    void failedBrowserStartIsShown();
    void countsArePaintedAtMostOnceAFrame_data();
    void countsArePaintedAtMostOnceAFrame();
};

void TestDownloadPanel::layoutInPixels()
{
    DownloadPanel panel;
    QCOMPARE(panel.size(), QSize(233, 39));
    QCOMPARE(part(panel, u"I1"_s)->geometry(), QRect(4, 2, 32, 32));
    QCOMPARE(part(panel, u"Label1"_s)->geometry(), QRect(88, 2, 86, 13));
    QCOMPARE(part(panel, u"St"_s)->geometry(), QRect(36, 20, 192, 13));
    QCOMPARE(part(panel, u"Label1"_s)->text(), u"Обмен данными:"_s);
    QCOMPARE(panel.statusText(), u"Ready"_s);
    QCOMPARE(part(panel, u"St"_s)->palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(panel.palette().color(QPalette::Window), QColor(0xE0, 0xE0, 0xE0));
    panel.resize(500, 500);
    QCOMPARE(panel.size(), QSize(233, 39));

    const QImage shown = panel.grab().toImage();
    QCOMPARE(shown.pixelColor(232, 38), QColor(0xE0, 0xE0, 0xE0));
    QCOMPARE(shown.pixelColor(1, 1), QColor(0xE0, 0xE0, 0xE0));
}

void TestDownloadPanel::followsTheEngine()
{
    Download_Control engine;
    DownloadPanel panel;
    panel.follow(&engine);
    refusedDown(engine);
    QCOMPARE(panel.statusText(), u"Ошибка 10061"_s);
    QCOMPARE(panel.statusText(), EngineTexts::status(engine.status()));
    QVERIFY(panel.statusIsLink());

    DownloadPanel late; // a panel made after the error shows the present state
    late.follow(&engine);
    QCOMPARE(late.statusText(), u"Ошибка 10061"_s);
    QVERIFY(late.statusIsLink());
}

void TestDownloadPanel::linkLookAfterAnError()
{
    Download_Control engine;
    DownloadPanel panel;
    panel.follow(&engine);
    QLabel* st = part(panel, u"St"_s);
    const QColor normal = st->palette().color(QPalette::WindowText);
    QCOMPARE(normal, panel.palette().color(QPalette::ButtonText));
    QVERIFY(!st->font().underline());
    QCOMPARE(st->cursor().shape(), Qt::ArrowCursor);

    refusedDown(engine);
    QCOMPARE(st->palette().color(QPalette::WindowText), QColor(0, 0, 192));
    QVERIFY(st->font().underline());
    // The program's own hand, not the system's.
    QCOMPARE(st->cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(st->cursor().hotSpot(), QPoint(5, 0));
    QCOMPARE(st->cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
             Artwork::handCursorImage().convertToFormat(QImage::Format_ARGB32));

    refusedDown(engine); // the next Down clears the look first, the new error sets it again
    QVERIFY(panel.statusIsLink());
    panel.setStatusLink(false);
    QCOMPARE(st->palette().color(QPalette::WindowText), normal);
    QVERIFY(!st->font().underline());
    QCOMPARE(st->cursor().shape(), Qt::ArrowCursor);
}

void TestDownloadPanel::iconShowsTheBusyFrame()
{
    DownloadPanel panel;
    QLabel* icon = part(panel, u"I1"_s);
    QCOMPARE(icon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), BusyFrames::image(0));
    panel.setFrame(4);
    QCOMPARE(panel.frame(), 4);
    QCOMPARE(icon->pixmap().toImage().convertToFormat(QImage::Format_ARGB32), BusyFrames::image(4));
    panel.setFrame(6); // not a frame: the icon stays
    QCOMPARE(panel.frame(), 4);
}

// While the engine is busy the icon shows the next of its six pictures every half second, the
// first again after the last; when the engine is done it shows the first at once.
void TestDownloadPanel::busyIconTurnsAndStops()
{
    QTcpServer silent; // takes the connection and never answers
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    Download_Control engine;
    engine.setRHost("127.0.0.1");
    engine.setDirectPort(silent.serverPort());
    DownloadPanel panel;
    panel.follow(&engine);
    panel.setFrame(5);

    QList<int> seen{panel.frame()};
    qint64 firstTurnMs = -1;
    QElapsedTimer clock;
    QTimer watch;
    watch.setInterval(10);
    QObject::connect(&watch, &QTimer::timeout, &panel, [&] {
        if (panel.frame() == seen.last())
            return;
        if (firstTurnMs < 0)
            firstTurnMs = clock.elapsed();
        seen << panel.frame();
        if (panel.frame() == 2)
            engine.Stopped();
    });
    QTimer::singleShot(10000, &engine, &Download_Control::Stopped);
    watch.start();
    clock.start();
    engine.Down("/", false);

    QCOMPARE(seen, QList<int>({5, 0, 1, 2}));
    QCOMPARE(panel.frame(), 0);
    QVERIFY(!panel.isBusy());
    QVERIFY2(firstTurnMs >= DownloadPanel::FrameIntervalMs * 9 / 10,
             qPrintable(QString::number(firstTurnMs)));
}

void TestDownloadPanel::clickOpensTheMakersPage()
{
    QTemporaryDir dir;
    const QString script = dir.filePath(u"browser.sh"_s);
    const QString record = dir.filePath(u"opened.txt"_s);
    TestSupport::writeAll(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"" + record.toUtf8() +
                                      ".part\" && mv \"" + record.toUtf8() + ".part\" \"" +
                                      record.toUtf8() + "\"\n");
    QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    qputenv("BROWSER", script.toLocal8Bit());

    DownloadPanel panel;
    panel.setStatusText(u"Ошибка 10061"_s);
    panel.setStatusLink(true);
    QTest::mouseClick(part(panel, u"St"_s), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(record), 5000);
    QCOMPARE(TestSupport::readAll(record),
             QByteArray(Constants::MakerPage.data(), Constants::MakerPage.size()));
    QCOMPARE(panel.statusText(), u"Ошибка 10061"_s);
    qunsetenv("BROWSER");
}

void TestDownloadPanel::clickWithoutLinkDoesNothing()
{
    qputenv("BROWSER", "/nonexistent/browser");
    DownloadPanel panel;
    panel.setStatusText(u"Загрузка завершена"_s);
    QTest::mouseClick(part(panel, u"St"_s), Qt::LeftButton);
    QCOMPARE(panel.statusText(), u"Загрузка завершена"_s);
    qunsetenv("BROWSER");
}

void TestDownloadPanel::failedBrowserStartIsShown()
{
    qputenv("BROWSER", "/nonexistent/browser");
    DownloadPanel panel;
    panel.setStatusText(u"Ошибка 10054"_s);
    panel.setStatusLink(true);
    QTest::mouseClick(part(panel, u"St"_s), Qt::LeftButton);
    QCOMPARE(panel.statusText(), u"Браузер не запустился"_s);
    qunsetenv("BROWSER");
}

void TestDownloadPanel::countsArePaintedAtMostOnceAFrame_data()
{
    QTest::addColumn<bool>("paced");
    QTest::newRow("a run is on") << true;
    QTest::newRow("no run") << false;
}

// Arrivals come faster than a screen shows them: during a run the first count is painted at once
// and the rest at the frame's end, the latest winning; outside a run every one is painted at once.
void TestDownloadPanel::countsArePaintedAtMostOnceAFrame()
{
    QFETCH(bool, paced);
    DownloadPanel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QLabel* st = part(panel, u"St"_s);
    PaintCounter counter(st);
    panel.setPaced(paced);

    constexpr int Arrivals = 30;
    QElapsedTimer clock;
    clock.start();
    for (int count = 1; count <= Arrivals; ++count) {
        panel.showStatus({.kind = TransferStatus::Kind::Receiving, .bytes = count});
        if (count == 1)
            QCOMPARE(counter.paints, 1);
        if (!paced)
            QCOMPARE(counter.paints, count);
    }
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(panel.statusText(), u"Загрузка данных:  30 Bytes"_s);
    QTRY_COMPARE_WITH_TIMEOUT(st->text(), u"Загрузка данных:  30 Bytes"_s, 1000);
    if (paced)
        QVERIFY2(counter.paints <= 2 + elapsed / 16, qPrintable(QString::number(counter.paints)));
}

QTEST_MAIN(TestDownloadPanel)
#include "tst_DownloadPanel.moc"
