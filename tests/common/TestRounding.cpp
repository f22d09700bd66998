#include "common/Rounding.h"
#include "common/Stamp.h"

#include <QtTest>
#include <limits>

class TestRounding : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void halfEven_data();
    void halfEven();
    void toIntegerSaturates_data();
    void toIntegerSaturates();
    void stampsAreNaiveWallClock();
};

void TestRounding::halfEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("expected");
    QTest::newRow("2.125") << 2.125 << 2 << 2.12;
    // stored as 2.67499999..., still a half
    QTest::newRow("2.675") << 2.675 << 2 << 2.68;
    QTest::newRow("-2.125") << -2.125 << 2 << -2.12;
    QTest::newRow("16.5") << 16.5 << 0 << 16.0;
    QTest::newRow("17.5") << 17.5 << 0 << 18.0;
    QTest::newRow("not a half") << 2.126 << 2 << 2.13;
}

void TestRounding::halfEven()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, expected);
    QCOMPARE(Rounding::halfEven(value, decimals), expected);
}

void TestRounding::toIntegerSaturates_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    // A plain cast made the smallest integer of each of these (undefined behaviour).
    QTest::newRow("1e300") << 1e300 << std::numeric_limits<qint64>::max();
    QTest::newRow("+Inf") << std::numeric_limits<double>::infinity() << std::numeric_limits<qint64>::max();
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << qint64(0);
}

void TestRounding::toIntegerSaturates()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(Rounding::toInteger(value), expected);
}

// A stamp inside the spring-forward gap of the test's time zone must survive.
void TestRounding::stampsAreNaiveWallClock()
{
    const QString text = QStringLiteral("2026-03-29 02:30:00");
    const QDateTime t = Stamp::fromText(text);
    QVERIFY(t.isValid());
    QCOMPARE(Stamp::toText(t), text);
    QCOMPARE(Stamp::toText(t.addSecs(24 * 3600)), QStringLiteral("2026-03-30 02:30:00"));
    QVERIFY(!Stamp::fromText(QStringLiteral("2026-02-30 10:00:00")).isValid());
}

QTEST_GUILESS_MAIN(TestRounding)
#include "TestRounding.moc"
