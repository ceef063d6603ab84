#include "gui/resources/BusyFrames.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A pixel well inside each of the six dots, clockwise from the top.
constexpr QPoint DotCentres[BusyFrames::Count] = {{15, 4},  {24, 10}, {24, 20},
                                                  {15, 25}, {6, 20},  {6, 10}};

const QRgb Dark = qRgb(0x00, 0x00, 0xC0);
const QRgb HalfDark = qRgb(0x60, 0x60, 0xC8);
const QRgb Grey = qRgb(0xA8, 0xA8, 0xA8);

} // namespace

class TestBusyFrames : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void framesAreDistinct();
    void darkDotChasesRound_data();
    void darkDotChasesRound();
};

void TestBusyFrames::framesAreDistinct()
{
    for (int i = 0; i < BusyFrames::Count; ++i) {
        const QImage frame = BusyFrames::image(i);
        QCOMPARE(frame.size(), QSize(32, 32));
        for (int j = 0; j < i; ++j)
            QVERIFY2(frame != BusyFrames::image(j),
                     qPrintable(u"frames %1 and %2"_s.arg(i).arg(j)));
    }
}

void TestBusyFrames::darkDotChasesRound_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("halfDark");
    for (int index = 0; index < BusyFrames::Count; ++index)
        QTest::addRow("frame %d", index) << index << (index + 5) % 6;
}

void TestBusyFrames::darkDotChasesRound()
{
    QFETCH(int, index);
    QFETCH(int, halfDark);
    const QImage frame = BusyFrames::image(index);
    for (int dot = 0; dot < BusyFrames::Count; ++dot) {
        const QRgb expected = dot == index ? Dark : dot == halfDark ? HalfDark : Grey;
        QCOMPARE(frame.pixel(DotCentres[dot]), expected);
    }
    // The ground between the dots and round them stays transparent.
    for (const QPoint ground : {QPoint(0, 0), QPoint(31, 31), QPoint(15, 15), QPoint(31, 0)})
        QCOMPARE(qAlpha(frame.pixel(ground)), 0);
}

QTEST_MAIN(TestBusyFrames)
#include "tst_BusyFrames.moc"
