#include "gui/widgets/RImage.h"
#include "gui/widgets/Twips.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QColor Ground(0xE0, 0xE0, 0xE0);

// A one-pixel white GIF.
const QByteArray TinyGif =
    QByteArray::fromHex("47494638396101000100800000ffffff0000002c00000000010001000002024401003b");

QString writePicture(const QTemporaryDir& dir, const QString& name, QSize size, const QColor& color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    const QString path = dir.filePath(name);
    if (!image.save(path))
        qFatal("cannot write the test picture");
    return path;
}

bool fuzzyEqual(double a, double b)
{
    return std::abs(a - b) < 1e-3;
}

} // namespace

class TestRImage : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void fitting_data();
    void fitting();
    void ratioExactlyAtThresholdFitsHeight();
    void missingFileKeepsPreviousPicture();
    void picturesInQuickSuccessionShowTheLatest();
    void notAPictureKeepsPreviousPicture();
    void notAPictureWithinOneIntervalKeepsTheOneBefore_data();
    void notAPictureWithinOneIntervalKeepsTheOneBefore();
    void failureWithoutPictureShowsNothing();
    void heightFollowsWidth();
    void hostResizeInPixels();
    void resizeDoesNotRefit();
    void formatsLoad_data();
    void formatsLoad();
    void drawsGroundFrameAndPicture();

private:
    QTemporaryDir m_dir;
};

void TestRImage::init()
{
    QVERIFY(m_dir.isValid());
}

void TestRImage::fitting_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRectF>("expected");
    // Control 1330 x 1000 twips.
    QTest::newRow("400x300 wider") << QSize(400, 300) << QRectF(0, (1000 - 997.5) / 2, 1330, 997.5);
    QTest::newRow("100x300 tall") << QSize(100, 300)
                                  << QRectF((1330 - 1000 / 3.0) / 2, 0, 1000 / 3.0, 1000);
    QTest::newRow("800x100 wide") << QSize(800, 100)
                                  << QRectF(0, (1000 - 166.25) / 2, 1330, 166.25);
    QTest::newRow("square") << QSize(50, 50) << QRectF(165, 0, 1000, 1000);
}

void TestRImage::fitting()
{
    QFETCH(QSize, picture);
    QFETCH(QRectF, expected);
    RImage image;
    image.setSizeTwips(1330, 1000);
    const QString path = writePicture(m_dir, u"p.png"_s, picture, Qt::red);
    image.setPicture(path);
    QCOMPARE(image.Picture(), path);
    const QRectF got = image.imageRect();
    QVERIFY2(
        fuzzyEqual(got.left(), expected.left()) && fuzzyEqual(got.top(), expected.top()) &&
            fuzzyEqual(got.width(), expected.width()) &&
            fuzzyEqual(got.height(), expected.height()),
        qPrintable(
            u"%1 %2 %3 %4"_s.arg(got.left()).arg(got.top()).arg(got.width()).arg(got.height())));
    QCOMPARE(image.shownPicture().size(), picture);
}

void TestRImage::ratioExactlyAtThresholdFitsHeight()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(writePicture(m_dir, u"p.png"_s, QSize(133, 100), Qt::blue));
    const QRectF got = image.imageRect();
    QCOMPARE(got.top(), 0.0);
    QCOMPARE(got.height(), 1000.0);
    QVERIFY(fuzzyEqual(got.width(), 1330));
    QVERIFY(fuzzyEqual(got.left(), 0));
}

void TestRImage::missingFileKeepsPreviousPicture()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(writePicture(m_dir, u"p.png"_s, QSize(100, 300), Qt::red));
    const QRectF before = image.imageRect();
    const QString missing = m_dir.filePath(u"gone.jpg"_s);
    image.setPicture(missing);
    QCOMPARE(image.Picture(), missing);
    QCOMPARE(image.imageRect(), before);
    QCOMPARE(image.shownPicture().size(), QSize(100, 300));
    QCOMPARE(QColor(image.shownPicture().pixel(0, 0)), QColor(Qt::red));
}

// A run on a fast line gives pictures faster than the eye follows: the frame loads the latest
// when it comes round, and never a picture that was replaced before.
void TestRImage::picturesInQuickSuccessionShowTheLatest()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.resize(Twips::toPixels(1330), Twips::toPixels(1000));
    image.show();
    const QString first = writePicture(m_dir, u"first.png"_s, QSize(400, 300), Qt::red);
    const QString second = writePicture(m_dir, u"second.png"_s, QSize(100, 300), Qt::blue);
    image.setPicture(first);
    image.setPicture(second);
    QVERIFY(QFile::remove(first)); // had it been loaded, the frame would not care
    QTRY_COMPARE_WITH_TIMEOUT(QColor(image.grab().toImage().pixel(44, 33)), QColor(Qt::blue), 1000);
    QCOMPARE(image.shownPicture().size(), QSize(100, 300));
}

void TestRImage::notAPictureKeepsPreviousPicture()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(writePicture(m_dir, u"p.png"_s, QSize(400, 300), Qt::red));
    const QString junk = m_dir.filePath(u"junk.jpg"_s);
    TestSupport::writeAll(junk, "<html>not a picture</html>");
    // Refitting the kept picture after the control grew shows it fitted to the new size.
    image.setSizeTwips(2660, 0);
    image.setPicture(junk);
    QCOMPARE(image.Picture(), junk);
    QVERIFY(fuzzyEqual(image.imageRect().width(), 2660));
    QVERIFY(fuzzyEqual(image.imageRect().height(), 1995));
    QCOMPARE(image.shownPicture().size(), QSize(400, 300));
}

// A run gives a picture, then within the same pacing interval a file that is no picture: the
// picture given first is shown, though it was never loaded before the second came.
void TestRImage::notAPictureWithinOneIntervalKeepsTheOneBefore_data()
{
    QTest::addColumn<bool>("shownBefore");
    QTest::newRow("first of the run") << false;
    QTest::newRow("after an earlier picture") << true;
}

void TestRImage::notAPictureWithinOneIntervalKeepsTheOneBefore()
{
    QFETCH(bool, shownBefore);
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.resize(Twips::toPixels(1330), Twips::toPixels(1000));
    image.show();
    QVERIFY(QTest::qWaitForWindowExposed(&image));
    if (shownBefore) {
        image.setPicture(writePicture(m_dir, u"earlier.png"_s, QSize(400, 300), Qt::green));
        QTRY_COMPARE(QColor(image.grab().toImage().pixel(44, 33)), QColor(Qt::green));
    }
    const QString first = writePicture(m_dir, u"first.png"_s, QSize(100, 300), Qt::blue);
    const QString junk = m_dir.filePath(u"second.jpg"_s);
    TestSupport::writeAll(junk, "<html>not a picture</html>");
    image.setPicture(first);
    image.setPicture(junk);
    QTest::qWait(3 * 40); // the paced load has come round
    QCOMPARE(QColor(image.grab().toImage().pixel(44, 33)), QColor(Qt::blue));
    QCOMPARE(image.shownPicture().size(), QSize(100, 300));
    QCOMPARE(image.shownPath(), first);
    QCOMPARE(image.Picture(), junk);
}

void TestRImage::failureWithoutPictureShowsNothing()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(m_dir.filePath(u"none.png"_s));
    QVERIFY(image.shownPicture().isNull());
    QCOMPARE(image.imageRect(), QRectF(0, 0, 1330, 1000)); // the empty frame follows the control
    const QImage shot = image.grab().toImage();
    QCOMPARE(QColor(shot.pixel(44, 33)), Ground);
}

void TestRImage::heightFollowsWidth()
{
    RImage image;
    image.setSizeTwips(1330, 5000);
    QCOMPARE(image.widthTwips(), 1330.0f);
    QCOMPARE(image.heightTwips(), 1000.0f);
    QCOMPARE(image.size(), QSize(89, 67));
}

void TestRImage::hostResizeInPixels()
{
    RImage image;
    image.show();
    image.resize(266, 600);
    QCOMPARE(image.size(), QSize(266, 200));
    QCOMPARE(image.widthTwips(), 3990.0f);
    QCOMPARE(image.heightTwips(), 3000.0f);
}

void TestRImage::resizeDoesNotRefit()
{
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(writePicture(m_dir, u"p.png"_s, QSize(100, 300), Qt::red));
    const QPointF corner = image.imageRect().topLeft();
    image.setSizeTwips(2660, 2000);
    QCOMPARE(image.imageRect().topLeft(), corner);
    QCOMPARE(image.imageRect().size(), QSizeF(2660, 2000));
}

void TestRImage::formatsLoad_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("png") << u"a.png"_s;
    QTest::newRow("jpeg") << u"a.jpg"_s;
    QTest::newRow("bmp") << u"a.bmp"_s;
    QTest::newRow("gif") << u"a.gif"_s;
    QTest::newRow("jpeg without suffix") << u"picture"_s;
    QTest::newRow("png named as a jpeg") << u"png.jpg"_s;
    QTest::newRow("webp, found by asking every reader") << u"a.webp"_s;
}

void TestRImage::formatsLoad()
{
    QFETCH(QString, name);
    QString path;
    QSize size(60, 30);
    if (name.endsWith(u".gif"_s)) {
        path = m_dir.filePath(name);
        TestSupport::writeAll(path, TinyGif);
        size = QSize(1, 1);
    } else if (name == u"picture"_s || name == u"png.jpg"_s) {
        const QString other = writePicture(
            m_dir, name == u"picture"_s ? u"tmp.jpg"_s : u"tmp.png"_s, size, Qt::green);
        path = m_dir.filePath(name);
        QVERIFY(QFile::rename(other, path));
    } else {
        path = writePicture(m_dir, name, size, Qt::green);
    }
    RImage image;
    image.setSizeTwips(1330, 1000);
    image.setPicture(path);
    QCOMPARE(image.shownPicture().size(), size);
}

void TestRImage::drawsGroundFrameAndPicture()
{
    RImage image;
    image.setSizeTwips(1995, 1500); // 133 x 100 pixels
    image.setPicture(writePicture(m_dir, u"p.png"_s, QSize(100, 300), Qt::red));
    const QImage shot = image.grab().toImage();
    QCOMPARE(shot.size(), QSize(133, 100));
    const QColor frame = QApplication::palette().color(QPalette::Active, QPalette::WindowText);
    QCOMPARE(QColor(shot.pixel(0, 0)), frame);
    QCOMPARE(QColor(shot.pixel(132, 50)), frame);
    QCOMPARE(QColor(shot.pixel(5, 99)), frame);
    QCOMPARE(QColor(shot.pixel(10, 50)), Ground);
    QCOMPARE(QColor(shot.pixel(120, 50)), Ground);
    QCOMPARE(QColor(shot.pixel(66, 50)), QColor(Qt::red));
    QCOMPARE(QColor(shot.pixel(66, 0)), QColor(Qt::red)); // the picture lies over the frame
    QCOMPARE(QColor(shot.pixel(66, 99)), QColor(Qt::red));
}

QTEST_MAIN(TestRImage)
#include "tst_RImage.moc"
