#include "common/Twips.h"

#include <QtTest>

class TestTwips : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void toPixels_data();
    void toPixels();
    void roundTrip_data();
    void roundTrip();
};

void TestTwips::toPixels_data()
{
    QTest::addColumn<double>("twips");
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one inch") << 1440.0 << 96 << 96;
    QTest::newRow("a third down") << 500.0 << 96 << 33;
    // Truncation gave 30: a shortfall of two thirds of a pixel.
    QTest::newRow("two thirds up") << 460.0 << 96 << 31;
    QTest::newRow("half up") << 7.5 << 96 << 1;
    QTest::newRow("negative half away from zero") << -7.5 << 96 << -1;
    QTest::newRow("large screen") << 4590.0 << 144 << 459;
}

void TestTwips::toPixels()
{
    QFETCH(double, twips);
    QFETCH(int, dpi);
    QFETCH(int, pixels);
    QCOMPARE(Twips::toPixels(twips, dpi), pixels);
}

void TestTwips::roundTrip_data()
{
    QTest::addColumn<int>("dpi");
    QTest::newRow("96") << 96;
    // A pixel is 13.09 twips: truncating both ways lost a pixel on most widths.
    QTest::newRow("110") << 110;
    QTest::newRow("157") << 157;
}

void TestTwips::roundTrip()
{
    QFETCH(int, dpi);
    for (int pixels = -50; pixels <= 4000; ++pixels) {
        QCOMPARE(Twips::toPixels(Twips::toTwips(pixels, dpi), dpi), pixels);
    }
    QCOMPARE(Twips::toTwips(96, 0), 96);
}

QTEST_GUILESS_MAIN(TestTwips)
#include "TestTwips.moc"
