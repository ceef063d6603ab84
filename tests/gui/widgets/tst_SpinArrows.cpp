#include "gui/widgets/SpinArrows.h"

#include <QSignalSpy>
#include <QTest>

class TestSpinArrows : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void arrowsStep_data();
    void arrowsStep();
    void keysStepWithFocus();
    void otherButtonsDoNothing();
};

namespace {
constexpr QPoint UpperArrow(6, 3);
constexpr QPoint LowerArrow(6, 13);
} // namespace

void TestSpinArrows::arrowsStep_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("upper");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("expected");
    QTest::newRow("up raises") << 10 << true << 1 << 11;
    QTest::newRow("down lowers") << 10 << false << 1 << 9;
    QTest::newRow("stops at the top") << 2999 << true << 3 << 3000;
    QTest::newRow("stops at the bottom") << 2 << false << 3 << 1;
    QTest::newRow("many ups") << 1 << true << 25 << 26;
}

void TestSpinArrows::arrowsStep()
{
    QFETCH(int, start);
    QFETCH(bool, upper);
    QFETCH(int, clicks);
    QFETCH(int, expected);

    SpinArrows spin(nullptr);
    spin.setGeometry(0, 0, 13, 17);
    spin.setRange(1, 3000);
    spin.setValue(start);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    QSignalSpy changes(&spin, &SpinArrows::valueChanged);
    for (int i = 0; i < clicks; ++i)
        QTest::mouseClick(&spin, Qt::LeftButton, {}, upper ? UpperArrow : LowerArrow);
    QCOMPARE(spin.value(), expected);
    QCOMPARE(changes.size(), std::abs(expected - start));
    if (!changes.isEmpty())
        QCOMPARE(changes.last().at(0).toInt(), expected);
}

void TestSpinArrows::keysStepWithFocus()
{
    SpinArrows spin(nullptr);
    spin.setRange(10, 1000);
    spin.setValue(300);
    QTest::keyClick(&spin, Qt::Key_Up);
    QCOMPARE(spin.value(), 301);
    QTest::keyClick(&spin, Qt::Key_Down);
    QTest::keyClick(&spin, Qt::Key_Down);
    QCOMPARE(spin.value(), 299);
}

void TestSpinArrows::otherButtonsDoNothing()
{
    SpinArrows spin(nullptr);
    spin.setGeometry(0, 0, 13, 17);
    spin.setRange(1, 3000);
    spin.setValue(10);
    QTest::mouseClick(&spin, Qt::RightButton, {}, UpperArrow);
    QTest::mouseClick(&spin, Qt::MiddleButton, {}, LowerArrow);
    QCOMPARE(spin.value(), 10);
}

QTEST_MAIN(TestSpinArrows)
#include "tst_SpinArrows.moc"
