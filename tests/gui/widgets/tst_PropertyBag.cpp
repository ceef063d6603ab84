#include "gui/widgets/PropertyBag.h"

#include <QFont>
#include <QTest>

using namespace Qt::StringLiterals;

class TestPropertyBag : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void keysIgnoreCase_data();
    void keysIgnoreCase();
    void readMissingGivesDefault();
    void valueEqualToWriteDefaultIsLeftOut();
    void valueEqualToWriteDefaultRemovesOldEntry();
    void withoutWriteDefaultAlwaysStored();
    void fontsRoundTrip();
};

void TestPropertyBag::keysIgnoreCase_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("read");
    QTest::newRow("lower to mixed") << u"caption"_s << u"Caption"_s;
    QTest::newRow("mixed to lower") << u"ForeHover"_s << u"forehover"_s;
    QTest::newRow("upper to mixed") << u"ENABLED"_s << u"Enabled"_s;
}

void TestPropertyBag::keysIgnoreCase()
{
    QFETCH(QString, written);
    QFETCH(QString, read);
    PropertyBag bag;
    bag.WriteProperty(written, 42);
    QCOMPARE(bag.ReadProperty(read, 7).toInt(), 42);
    QVERIFY(bag.contains(read));
    QCOMPARE(bag.keys(), QStringList{written.toLower()});
    bag.WriteProperty(read, 43);
    QCOMPARE(bag.size(), 1);
    QCOMPARE(bag.ReadProperty(written).toInt(), 43);
}

void TestPropertyBag::readMissingGivesDefault()
{
    PropertyBag bag;
    bag.WriteProperty(u"Other"_s, true);
    QCOMPARE(bag.ReadProperty(u"Caption"_s, u"Command1"_s).toString(), u"Command1"_s);
    QVERIFY(!bag.ReadProperty(u"Caption"_s).isValid());
}

void TestPropertyBag::valueEqualToWriteDefaultIsLeftOut()
{
    PropertyBag bag;
    bag.WriteProperty(u"Enabled"_s, true, true);
    QVERIFY(!bag.contains(u"enabled"_s));
    bag.WriteProperty(u"Enabled"_s, false, true);
    QCOMPARE(bag.ReadProperty(u"Enabled"_s, true).toBool(), false);
}

void TestPropertyBag::valueEqualToWriteDefaultRemovesOldEntry()
{
    PropertyBag bag;
    bag.WriteProperty(u"Value"_s, true, false);
    QVERIFY(bag.contains(u"Value"_s));
    bag.WriteProperty(u"VALUE"_s, false, false);
    QVERIFY(!bag.contains(u"Value"_s));
    QCOMPARE(bag.size(), 0);
}

void TestPropertyBag::withoutWriteDefaultAlwaysStored()
{
    PropertyBag bag;
    bag.WriteProperty(u"ForeColor"_s, 0u);
    QVERIFY(bag.contains(u"forecolor"_s));
    QCOMPARE(bag.ReadProperty(u"ForeColor"_s, 5u).toUInt(), 0u);
}

void TestPropertyBag::fontsRoundTrip()
{
    QFont font(u"Verdana"_s, 8);
    font.setBold(true);
    PropertyBag bag;
    bag.WriteProperty(u"Font"_s, font, QFont(u"Verdana"_s, 8));
    QVERIFY(bag.contains(u"Font"_s));
    QCOMPARE(bag.ReadProperty(u"Font"_s).value<QFont>(), font);
    bag.WriteProperty(u"Font"_s, QFont(u"Verdana"_s, 8), QFont(u"Verdana"_s, 8));
    QVERIFY(!bag.contains(u"Font"_s));
}

QTEST_GUILESS_MAIN(TestPropertyBag)
#include "tst_PropertyBag.moc"
