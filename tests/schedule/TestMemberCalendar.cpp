#include "common/Stamp.h"
#include "schedule/MemberCalendar.h"

#include <QtTest>
#include <limits>

namespace {
// Seven times of day each, Monday first.
MemberCalendar week(const QStringList& begin, const QStringList& end)
{
    QString b[7];
    QString e[7];
    for (int d = 0; d < 7; ++d) {
        b[d] = begin.at(d);
        e[d] = end.at(d);
    }
    return *MemberCalendar::fromTimes(b, e, nullptr);
}

// Monday to Friday from..to, Saturday and Sunday free.
MemberCalendar weekdays(const QString& from = QStringLiteral("08:00"), const QString& to = QStringLiteral("16:00"))
{
    const QStringList free(2, QStringLiteral("00:00"));
    return week(QStringList(5, from) + free, QStringList(5, to) + free);
}

QStringList placeAll(MemberCalendar& calendar, const QString& start, const QList<double>& hours)
{
    calendar.start(Stamp::fromText(start));
    QStringList ends;
    for (double h : hours) {
        const QString end = MemberCalendar::toText(calendar.place(h));
        ends << (end.isNull() ? QStringLiteral("-") : end);
    }
    return ends;
}
} // namespace

class TestMemberCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fullTimeWeek_data();
    void fullTimeWeek();
    void otherWeeks_data();
    void otherWeeks();
    void storedTimesOfDay();
    void workBeyondTheLastDate();
    void storedMoments_data();
    void storedMoments();
};

// 2026-12-07 is a Monday. The member works 08:00 to 16:00 on weekdays.
void TestMemberCalendar::fullTimeWeek_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QList<double>>("hours");
    QTest::addColumn<QStringList>("ends");

    QTest::newRow("16 h then 8 h from Monday 10:00")
        << "2026-12-07 10:00:00" << QList<double>{16, 8} << QStringList{"2026-12-09 10:00:00", "2026-12-10 10:00:00"};
    QTest::newRow("Friday 15:00 with 4 h crosses the weekend")
        << "2026-12-11 15:00:00" << QList<double>{4} << QStringList{"2026-12-14 11:00:00"};
    QTest::newRow("07:00 lies before the day's begin")
        << "2026-12-07 07:00:00" << QList<double>{4} << QStringList{"2026-12-07 12:00:00"};
    QTest::newRow("cursor at the day's end offers nothing")
        << "2026-12-07 16:00:00" << QList<double>{1} << QStringList{"2026-12-08 09:00:00"};
    QTest::newRow("a day filled exactly, the next work starts the next day")
        << "2026-12-07 10:00:00" << QList<double>{6, 1} << QStringList{"2026-12-07 16:00:00", "2026-12-08 09:00:00"};
    QTest::newRow("no work left is skipped and leaves the cursor")
        << "2026-12-07 10:00:00" << QList<double>{0, -3, 2} << QStringList{"-", "-", "2026-12-07 12:00:00"};
    // Days another tool wrote as NaN: no moment ends such work, nor the member's later work.
    QTest::newRow("work of unknown size dates nothing after it")
        << "2026-12-07 10:00:00" << QList<double>{2, std::numeric_limits<double>::quiet_NaN(), 2}
        << QStringList{"2026-12-07 12:00:00", "-", "-"};
    QTest::newRow("time of day in whole minutes: 15:59:30 offers one minute")
        << "2026-12-07 15:59:30" << QList<double>{1} << QStringList{"2026-12-08 08:59:00"};
    QTest::newRow("the seconds of the cursor carry into the end")
        << "2026-12-07 15:30:45" << QList<double>{0.5} << QStringList{"2026-12-07 16:00:45"};
    QTest::newRow("a tenth of an hour is six minutes, not a rounding error")
        << "2026-12-07 10:00:00" << QList<double>{0.1, 0.1, 0.1}
        << QStringList{"2026-12-07 10:06:00", "2026-12-07 10:12:00", "2026-12-07 10:18:00"};
    QTest::newRow("1000 days of effort are exactly 200 weeks")
        << "2026-12-07 08:00:00" << QList<double>{8000} << QStringList{"2030-10-04 16:00:00"};
}

void TestMemberCalendar::fullTimeWeek()
{
    QFETCH(QString, start);
    QFETCH(QList<double>, hours);
    QFETCH(QStringList, ends);
    MemberCalendar calendar = weekdays();
    QCOMPARE(placeAll(calendar, start, hours), ends);
}

void TestMemberCalendar::otherWeeks_data()
{
    QTest::addColumn<QStringList>("begin");
    QTest::addColumn<QStringList>("end");
    QTest::addColumn<qint64>("weekly"); // seconds
    QTest::addColumn<QList<double>>("hours");
    QTest::addColumn<QStringList>("ends");
    const QString free = QStringLiteral("00:00");
    // 8 hours a week: 100 hours are twelve weeks and half a thirteenth; the weeks
    // skipped at once must land on the same day and time as walking them.
    QTest::newRow("Monday 08-12 and Wednesday 13-17")
        << QStringList{"08:00", free, "13:00", free, free, free, free}
        << QStringList{"12:00", free, "17:00", free, free, free, free} << qint64(8 * 3600) << QList<double>{100, 4, 0.5}
        << QStringList{"2027-03-01 12:00:00", "2027-03-03 17:00:00", "2027-03-08 08:30:00"};
    // Weeks without usable hours: nothing can be dated, and the calendar must not loop.
    for (const auto& [from, to] :
         {std::pair{"00:00", "00:00"}, std::pair{"16:00", "08:00"}, std::pair{"09:30", "09:30"}}) {
        QTest::addRow("%s to %s every day", from, to) << QStringList(7, from) << QStringList(7, to) << qint64(0)
                                                      << QList<double>{1, 0, 8} << QStringList{"-", "-", "-"};
    }
    // A day whose end lies before its begin is free (it must not give back hours).
    QTest::newRow("only Sunday usable") << QStringList(6, "16:00") + QStringList{"10:00"}
                                        << QStringList(6, "08:00") + QStringList{"14:00"} << qint64(4 * 3600)
                                        << QList<double>{2, 3}
                                        << QStringList{"2026-12-13 12:00:00", "2026-12-20 11:00:00"};
}

void TestMemberCalendar::otherWeeks()
{
    QFETCH(QStringList, begin);
    QFETCH(QStringList, end);
    QFETCH(qint64, weekly);
    QFETCH(QList<double>, hours);
    QFETCH(QStringList, ends);
    MemberCalendar calendar = week(begin, end);
    QCOMPARE(calendar.weeklySeconds(), weekly);
    QCOMPARE(placeAll(calendar, "2026-12-07 08:00:00", hours), ends);
}

void TestMemberCalendar::storedTimesOfDay()
{
    QString begin[7] = {"08:00:30", "08:00", "08:00", "08:00", "08:00", "00:00", "00:00"};
    QString end[7] = {"16:00", "16:00", "16:00", "16:00", "16:00", "00:00", "00:00"};
    auto calendar = MemberCalendar::fromTimes(begin, end, nullptr);
    QVERIFY(calendar);
    QCOMPARE(calendar->weeklySeconds(), qint64(40 * 3600 - 30));

    end[3] = QStringLiteral("25:00");
    QString error;
    QVERIFY(!MemberCalendar::fromTimes(begin, end, &error));
    QVERIFY2(error.contains(QLatin1String("Thursday")), qPrintable(error));
}

// Work that would end after 9999-12-31 cannot be stored: it and all later work stay undated.
void TestMemberCalendar::workBeyondTheLastDate()
{
    MemberCalendar calendar = weekdays();
    QCOMPARE(placeAll(calendar, "2026-12-07 10:00:00", {2, 1e9, 1e300, 2}),
             (QStringList{"2026-12-07 12:00:00", "-", "-", "-"}));
}

// Stored moments read and written without QDateTime agree with the stored form
// (Stamp) at the edges of months, years and the calendar.
void TestMemberCalendar::storedMoments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    for (const char* t : {"2028-02-29 23:59:59",
                          "1969-12-31 23:59:59",
                          "0001-01-01 00:00:00",
                          "9999-12-31 23:59:59",
                          "2026-03-01 00:00:00"}) {
        QTest::newRow(t) << QString::fromLatin1(t) << true;
    }
    for (const char* t : {"2026-02-29 10:00:00",
                          "2026-03-01 24:00:00",
                          "2026-03-01T10:00:00",
                          "2026-3-01 10:00:00 ",
                          "0000-01-01 00:00:00",
                          "2026-03-01 10:60:00"}) {
        QTest::newRow(t) << QString::fromLatin1(t) << false;
    }
}

void TestMemberCalendar::storedMoments()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const qint64 seconds = MemberCalendar::fromText(text);
    QCOMPARE(seconds != MemberCalendar::kNever, valid);
    QCOMPARE(Stamp::fromText(text).isValid(), valid);
    if (valid) {
        QCOMPARE(seconds, MemberCalendar::toSeconds(Stamp::fromText(text)));
        QCOMPARE(MemberCalendar::toText(seconds), text);
    }
}

QTEST_GUILESS_MAIN(TestMemberCalendar)
#include "TestMemberCalendar.moc"
