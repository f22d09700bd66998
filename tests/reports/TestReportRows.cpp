#include "common/CsvField.h"
#include "common/Figure.h"
#include "common/Stamp.h"
#include "reports/CsvExport.h"
#include "reports/ReportFormat.h"
#include "reports/ReportRows.h"
#include "tests/support/ReportFixture.h"

#include <QtTest>

using namespace ReportFixture;

class TestReportRows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unplaceableStampsAreNoSnapshot_data();
    void unplaceableStampsAreNoSnapshot();
    void overviewOfChosenSnapshotInOutlineOrder();
    void taskScheduleGroupsOpenTasks();
    void membersCompareWithoutCase();
    void csvLines();
    void csvFileIsComplete();
    void csvCellsAreNeverFormulas();
    void numberFormats_data();
    void numberFormats();
};

void TestReportRows::unplaceableStampsAreNoSnapshot_data()
{
    QTest::addColumn<QString>("stamp");
    QTest::addColumn<bool>("placed");
    // Written by another tool; "garbage" and the 9999 one sort after every real stamp
    // and were taken for the newest snapshot.
    QTest::newRow("garbage") << "garbage" << false;
    QTest::newRow("impossible date and time") << "9999-99-99 99:99:99" << false;
    QTest::newRow("30 February") << "2026-02-30 09:00:00" << false;
    QTest::newRow("24 o'clock") << "2026-03-10 24:00:00" << false;
    QTest::newRow("date without time") << "2026-03-10" << false;
    QTest::newRow("leading space") << " 2026-03-10 09:00:00" << false;
    QTest::newRow("fraction of a second") << "2026-03-10 09:00:00.5" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leap day") << "2024-02-29 09:00:00" << true;
    QTest::newRow("newer real stamp") << "2026-03-10 23:59:59" << true;
}

// A snapshot whose stamp is not a date and time cannot be placed in time: it is
// neither listed, nor the newest, nor found when asked for by its stamp.
void TestReportRows::unplaceableStampsAreNoSnapshot()
{
    QFETCH(QString, stamp);
    QFETCH(bool, placed);
    // The program reads stamps with one rule in code and in its statements.
    QCOMPARE(Stamp::fromText(stamp).isValid(), placed);
    TempProject p;
    build(p);
    row(p, stamp, goal(1, 0, "Cairnwork", QVariant(), 1));
    QStringList expected{kNew, kOld, kIdle};
    if (placed) {
        expected << stamp;
        std::sort(expected.begin(), expected.end(), std::greater<>());
    }
    QStringList stamps;
    QString newest;
    bool exists = !placed;
    QString error;
    QVERIFY2(ReportRows::stamps(p.connection(), &stamps, &error), qPrintable(error));
    QCOMPARE(stamps, expected);
    QVERIFY2(ReportRows::newestStamp(p.connection(), &newest, &error), qPrintable(error));
    QCOMPARE(newest, expected.first());
    QVERIFY2(ReportRows::stampExists(p.connection(), stamp, &exists, &error), qPrintable(error));
    QCOMPARE(exists, placed);
    // A real stamp no snapshot has is not found either.
    QVERIFY(ReportRows::stampExists(p.connection(), QStringLiteral("2026-03-02 09:00:01"), &exists, &error));
    QVERIFY(!exists);
}

void TestReportRows::overviewOfChosenSnapshotInOutlineOrder()
{
    TempProject p;
    build(p);
    QList<OverviewRow> rows;
    QString error;
    QVERIFY2(ReportRows::overview(p.connection(), kNew, &rows, &error), qPrintable(error));
    QStringList names;
    for (const OverviewRow& r : rows) {
        names << r.hName;
    }
    QCOMPARE(names,
             QStringList({"Cairnwork",
                          "    Alpha",
                          "        Design",
                          "            Amy",
                          "        Build",
                          "            Dan",
                          "            Amy",
                          "        Check",
                          "            Bob",
                          "        Beta",
                          "            Old",
                          "                Bob"}));
    // The share shows on assignment lines only.
    for (const OverviewRow& r : rows) {
        QCOMPARE(!Figure::isKnown(r.rWrk), r.obj != QLatin1Char('R'));
    }
    QCOMPARE(rows.at(5).rWrk, 40.0); // the root's figures: the CSV test
    QCOMPARE(rows.at(4).completionDate, QStringLiteral("2026-03-12 15:30:00"));
    QVERIFY(rows.at(1).completionDate.isEmpty());

    QVERIFY(ReportRows::overview(p.connection(), kOld, &rows, &error));
    QCOMPARE(rows.size(), 4);
    QCOMPARE(rows.at(0).planned, 99.0);
}

void TestReportRows::taskScheduleGroupsOpenTasks()
{
    TempProject p;
    build(p);
    QList<TaskScheduleGroup> groups;
    QString error;
    const auto shown = [&groups] {
        QStringList out;
        for (const TaskScheduleGroup& g : groups) {
            QStringList members;
            for (const ScheduleAssignment& m : g.members) {
                members << m.res;
            }
            out << QStringLiteral("#%1 %2 %3: %4")
                       .arg(g.counterTask.value_or(-1))
                       .arg(g.name, g.status, members.join(' '));
        }
        return out;
    };
    QVERIFY2(ReportRows::taskSchedule(p.connection(), kNew, &groups, &error), qPrintable(error));
    // Build and Check share number 2; their lines interleave by member (Amy, Bob, Dan)
    // but each task keeps its own group. The completed task Old is left out (the
    // groups' figures: the CSV test).
    QCOMPARE(shown(), (QStringList{"#1 Design Open: Amy", "#2 Build Open: Amy Dan", "#2 Check Open: Bob"}));
    QVERIFY(ReportRows::taskSchedule(p.connection(), kOld, &groups, &error));
    QCOMPARE(shown(), QStringList{"#1 Build Open: Amy"});
    QCOMPARE(groups.at(0).comp, 5.0);
    // Nothing open: no group (the member schedule's empty file: the CSV test).
    QVERIFY(ReportRows::taskSchedule(p.connection(), kIdle, &groups, &error));
    QVERIFY(groups.isEmpty());
}

void TestReportRows::membersCompareWithoutCase()
{
    TempProject p;
    row(p, kNew, task(4, 1, "    One", "\\G", "Open", 1, 0, 0));
    row(p, kNew, task(2, 2, "    Two", "\\G", "Open", 2, 0, 0));
    row(p, kNew, assignment(3, 1, "amy", "        amy", "Open", 50, 0, 0));
    row(p, kNew, assignment(1, 2, "Amy", "        Amy", "Open", 50, 0, 0));
    // Beyond ASCII, letter case makes two members, as the project's names compare.
    row(p, kNew, assignment(4, 1, "\u00c9mile", "        \u00c9mile", "Open", 50, 0, 0));
    row(p, kNew, assignment(2, 2, "\u00e9mile", "        \u00e9mile", "Open", 50, 0, 0));
    QList<MemberScheduleGroup> groups;
    QString error;
    QVERIFY(ReportRows::memberSchedule(p.connection(), kNew, &groups, &error));
    QStringList shown;
    for (const MemberScheduleGroup& g : groups) {
        shown << QStringLiteral("%1: %2").arg(g.res).arg(g.tasks.size());
    }
    QCOMPARE(shown, (QStringList{"amy: 2", "\u00c9mile: 1", "\u00e9mile: 1"}));
}

void TestReportRows::csvLines()
{
    TempProject p;
    build(p);
    // A name that needs quoting.
    row(p, kNew, assignment(0, 13, "O'Brien, \"Ob\"", "            O'Brien, \"Ob\"", "Open", 25, 0, 0));
    QStringList lines;
    QString error;
    QVERIFY2(CsvExport::lines(p.connection(), ReportLoader::Kind::Overview, kNew, &lines, &error), qPrintable(error));
    QCOMPARE(lines.size(), 14);
    QCOMPARE(lines.at(0), QStringLiteral("OBJ,HName,GT_Status,Completion_Date,Planned,RWrk,PerComp,Needed,Est,Diff"));
    QCOMPARE(lines.at(1), QStringLiteral("G,Cairnwork,,,30,,10,1,30,0"));
    QCOMPARE(lines.at(8), QStringLiteral("T,\"        Check\",Open,2026-03-12 15:30:00,10,,0,2,10,0"));
    QCOMPARE(lines.last(), QStringLiteral("R,\"            O'Brien, \"\"Ob\"\"\",Open,,2.5,25,0,1,2.5,0"));

    QVERIFY(CsvExport::lines(p.connection(), ReportLoader::Kind::TaskSchedule, kNew, &lines, &error));
    QCOMPARE(lines.at(0),
             QStringLiteral("T_CounterTask,T_NAME,T_PATH,T_STATUS,T_COMP,T_DIFF,R_RES,R_STATUS,R_PW,R_COMP,R_DIFF"));
    QCOMPARE(lines.at(2), QStringLiteral("2,Build,\\Alpha,Open,25.5,-1.255,Amy,Open,60,35,0.5"));
    QCOMPARE(lines.size(), 6);

    QVERIFY(CsvExport::lines(p.connection(), ReportLoader::Kind::MemberSchedule, kIdle, &lines, &error));
    QCOMPARE(lines, QStringList({"R_RES,CounterTask,T_NAME,T_PATH,R_STATUS,R_PW,R_COMP,R_DIFF"}));
}

// The member schedule of the newest snapshot, written whole: open assignments only
// (Bob's completed one on Old is left out), one group per member.
void TestReportRows::csvFileIsComplete()
{
    TempProject p;
    build(p);
    const QString path = p.dir() + QStringLiteral("/members.csv");
    QString error;
    QVERIFY2(CsvExport::write(p.connection(), ReportLoader::Kind::MemberSchedule, kNew, path, &error),
             qPrintable(error));
    QCOMPARE(fileBytes(path),
             QByteArray("R_RES,CounterTask,T_NAME,T_PATH,R_STATUS,R_PW,R_COMP,R_DIFF\r\n"
                        "Amy,1,Design,\\Alpha,Open,100,50,1\r\n"
                        "Amy,2,Build,\\Alpha,Open,60,35,0.5\r\n"
                        "Bob,2,Check,\\Alpha,Open,100,0,0\r\n"
                        "Dan,2,Build,\\Alpha,Open,40,10,-0.125\r\n"));
    // A folder that does not exist: an error, no file.
    QVERIFY(!CsvExport::write(
        p.connection(), ReportLoader::Kind::Overview, kNew, p.dir() + QStringLiteral("/none/x.csv"), &error));
    QVERIFY(error.contains(QStringLiteral("cannot be written")));
}

// Names another tool or a user wrote must not run as spreadsheet formulas; the
// program's own negative numbers must stay numbers.
void TestReportRows::csvCellsAreNeverFormulas()
{
    TempProject p;
    row(p, kNew, task(2, 12, "=HYPERLINK(\"http://x\",\"y\")", "@SUM(A1)", "Open", 1, 0, -1.5));
    row(p, kNew, assignment(1, 12, "-2+3", "    -2+3", "Open", 100, 0, -0.5));
    row(p, kNew, assignment(3, 12, "+Amy", "    +Amy", "\tOpen", 50, 0, 0));
    row(p, kNew, assignment(4, 12, "\rBob", "    \rBob", "Open", 50, 0, 0));
    QStringList lines;
    QString error;
    QVERIFY2(CsvExport::lines(p.connection(), ReportLoader::Kind::TaskSchedule, kNew, &lines, &error),
             qPrintable(error));
    const QString task = QStringLiteral("1,\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\",'@SUM(A1),Open,0,-1.5,");
    QCOMPARE(
        lines.mid(1),
        QStringList({task + "\"'\rBob\",Open,50,0,0", task + "'+Amy,'\tOpen,50,0,0", task + "'-2+3,Open,100,0,-0.5"}));
    // The overview indents its names; the indentation must not hide a formula.
    QCOMPARE(CsvField::text(QStringLiteral("    =1+1")), QStringLiteral("'    =1+1"));
}

void TestReportRows::numberFormats_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("two");
    QTest::addColumn<QString>("asItComes");
    QTest::newRow("empty") << Figure::kUnknown << QString() << QString();
    QTest::newRow("whole") << 12.0 << "12.00"
                           << "12";
    QTest::newRow("half to even down") << 0.125 << "0.12"
                                       << "0.125";
    QTest::newRow("half to even up") << 0.375 << "0.38"
                                     << "0.375";
    QTest::newRow("binary half") << 2.675 << "2.68"
                                 << "2.675";
    QTest::newRow("negative") << -1.255 << "-1.26"
                              << "-1.255";
    QTest::newRow("third") << 100.0 / 3 << "33.33"
                           << "33.3333333333333";
    QTest::newRow("million") << 1e6 << "1,000,000.00"
                             << "1000000";
}

void TestReportRows::numberFormats()
{
    QFETCH(double, value);
    QFETCH(QString, two);
    QFETCH(QString, asItComes);
    QCOMPARE(ReportFormat::twoDecimals(value), two);
    QCOMPARE(ReportFormat::asItComes(value), asItComes);
}

QTEST_GUILESS_MAIN(TestReportRows)
#include "TestReportRows.moc"
