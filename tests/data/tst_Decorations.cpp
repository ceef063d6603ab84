#include "Decorations.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QTest>

using namespace Qt::StringLiterals;
using TestSupport::readAll;

class TestDecorations : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void images_data();
    void images();
};

void TestDecorations::images_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("drawn");
    QTest::addColumn<QSize>("size");
    QTest::newRow("bg.gif") << u"bg.gif"_s << Decorations::bg() << QSize(48, 48);
    QTest::newRow("bghead.gif") << u"bghead.gif"_s << Decorations::bghead() << QSize(16, 96);
    QTest::newRow("head.gif") << u"head.gif"_s << Decorations::head() << QSize(201, 72);
}

void TestDecorations::images()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, drawn);
    QFETCH(QSize, size);
    const QByteArray committed = readAll(QStringLiteral(ZOLVANE_SOURCE_DIR "/data/") + name);
    // The committed file is what the generator draws today.
    QCOMPARE(committed, drawn);
    QBuffer buffer(&drawn);
    QImageReader reader(&buffer);
    QCOMPARE(reader.format(), QByteArray("gif"));
    const QImage image = reader.read();
    QCOMPARE(image.size(), size);
    // Not one flat colour.
    QVERIFY(image.pixel(0, 0) != image.pixel(size.width() / 2, size.height() / 2) ||
            image.pixel(0, 0) != image.pixel(0, size.height() - 1));
    // The build puts the same file beside the programs.
    QCOMPARE(readAll(QStringLiteral(ZOLVANE_BIN_DIR "/data/") + name), committed);
}

QTEST_MAIN(TestDecorations)
#include "tst_Decorations.moc"
