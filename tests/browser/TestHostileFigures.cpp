#include "browser/ResourceListRows.h"
#include "browser/TaskListRows.h"
#include "charts/ChartAxis.h"
#include "charts/ChartCsv.h"
#include "charts/ChartPivot.h"
#include "common/FixedClock.h"
#include "db/Sql.h"
#include "reports/CsvExport.h"
#include "reports/ReportFormat.h"
#include "reports/ReportRows.h"
#include "schedule/SnapshotGenerator.h"
#include "tests/support/TestSql.h"

#include <QRegularExpression>
#include <QtTest>
#include <cmath>
#include <limits>

using Colour = ListRow::Colour;
using Measure = ChartState::Measure;

// Figures another tool wrote into a project, outside anything the program
// writes: every list, report, export and chart shows them as empty, and no
// colour judges a difference that is unknown.
class TestHostileFigures : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void shownAsEmpty_data();
    void shownAsEmpty();
};

namespace {
constexpr double kInf = std::numeric_limits<double>::infinity();

// "nan", "inf", an exponent or more digits in a row than any known figure has.
bool isGarbage(const QString& text)
{
    static const QRegularExpression garbage(QStringLiteral("nan|inf|\\de[+-]?\\d|\\d{13}"),
                                            QRegularExpression::CaseInsensitiveOption);
    return garbage.match(text).hasMatch();
}

void verifyClean(const QStringList& texts, const char* where)
{
    for (const QString& text : texts) {
        if (isGarbage(text)) {
            QFAIL(qPrintable(QStringLiteral("%1 shows \"%2\"").arg(QLatin1String(where), text)));
        }
    }
}

QList<ListRow> taskRows(const TempProject& p, std::optional<qint64> goal)
{
    QList<ListRow> rows;
    QString error;
    if (!TaskListRows::build(p.connection(), goal, &rows, &error)) {
        qFatal("%s", qPrintable(error));
    }
    return rows;
}

QStringList cells(const QList<ListRow>& rows)
{
    QStringList out;
    for (const ListRow& row : rows) {
        out << row.cells;
    }
    return out;
}
} // namespace

void TestHostileFigures::shownAsEmpty_data()
{
    QTest::addColumn<QString>("liveSql"); // writes `value` into the project's tables
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("snapshotColumn"); // then writes `stored` into the snapshot's assignment rows
    QTest::addColumn<QVariant>("stored");

    // Ann's share is not started (its estimate is the planned share); Bob's is half done.
    const QString planned = QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = ?");
    const QString needed = QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET DAYS_NEEDED = ? WHERE FK_R_NAME = 'Bob'");
    const QString completed =
        QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = ? WHERE FK_R_NAME = 'Bob'");
    const QString workload = QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_WORKLOAD = ? WHERE FK_R_NAME = 'Ann'");
    const QVariant nanText(QStringLiteral("nan"));
    QTest::newRow("+Inf days planned") << planned << QVariant(kInf) << QStringLiteral("Planned") << QVariant(kInf);
    QTest::newRow("1e308 days planned") << planned << QVariant(1e308) << QStringLiteral("Planned") << QVariant(1e308);
    // A planned share may be negative (a negative workload), so the snapshot gets none.
    QTest::newRow("-5 days planned") << planned << QVariant(-5.0) << QString() << QVariant();
    // SQLite keeps text it cannot read as a number, even in a REAL column.
    QTest::newRow("text nan days planned") << planned << nanText << QStringLiteral("Planned") << nanText;
    QTest::newRow("-Inf days needed") << needed << QVariant(-kInf) << QStringLiteral("Needed") << QVariant(-kInf);
    QTest::newRow("1e308 days needed") << needed << QVariant(1e308) << QStringLiteral("Est") << QVariant(1e308);
    // Summed into a whole percentage, the old snapshot made the smallest integer of it.
    QTest::newRow("huge percent completed")
        << completed << QVariant(1e300) << "PerComp" << QVariant(-9.223372036854776e18);
    QTest::newRow("-1e300 percent workload")
        << workload << QVariant(-1e300) << QStringLiteral("Res_PerWrk") << QVariant(-1e300);
}

void TestHostileFigures::shownAsEmpty()
{
    QFETCH(QString, liveSql);
    QFETCH(QVariant, value);
    QFETCH(QString, snapshotColumn);
    QFETCH(QVariant, stored);

    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("Bob"));
    const qint64 goal = p.goal(QStringLiteral("Goal"));
    const qint64 task = p.task(goal, QStringLiteral("Task"), 10);
    p.assign(task, QStringLiteral("Ann"), 50, 0, 0);
    p.assign(task, QStringLiteral("Bob"), 50, 50, 2);
    // As another tool would: the file's CHECK constraints do not stop it.
    runSql(p, QStringLiteral("PRAGMA ignore_check_constraints = ON"));
    runSql(p, liveSql, {value});

    // Lists: the task list of the root and of the goal, the summary row, the resource list.
    for (const std::optional<qint64> node : {std::optional<qint64>(), std::optional<qint64>(goal)}) {
        const QList<ListRow> rows = taskRows(p, node);
        verifyClean(cells(rows), "the task list");
        const ListRow& summary = rows.last();
        QCOMPARE(summary.kind, ListRow::Kind::Summary);
        QCOMPARE(summary.cells[0], QString()); // no "nan Days to go"
        QCOMPARE(summary.cells[TaskListRows::kScheduleColumn], QString());
        QCOMPARE(summary.colours[TaskListRows::kScheduleColumn], Colour::Normal);
        QCOMPARE(rows.first().colours[TaskListRows::kScheduleColumn], Colour::Normal); // the goal's roll-up
    }
    QList<ListRow> resources;
    QString error;
    QVERIFY2(ResourceListRows::build(p.connection(), task, &resources, &error), qPrintable(error));
    verifyClean(cells(resources), "the resource list");
    QCOMPARE(resources.last().cells[ResourceListRows::kScheduleColumn], QString());
    QCOMPARE(resources.last().colours[ResourceListRows::kScheduleColumn], Colour::Normal);

    // The snapshot stores what it cannot know as NULL and dates nothing past it.
    QString stamp;
    const FixedClock clock(QDateTime(QDate(2026, 3, 2), QTime(9, 0)));
    QVERIFY2(SnapshotGenerator::GenerateCompDates(p.connection(), clock, &stamp, &error), qPrintable(error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM CompDates WHERE abs(Planned) >= 1e12 OR abs(PerComp) >= 1e12"
                                     " OR abs(Needed) >= 1e12 OR abs(Est) >= 1e12 OR abs(Diff) >= 1e12"
                                     " OR abs(Progress) >= 1e12 OR Completion_Date > '9999'"))
                 .toLongLong(),
             0LL);
    QVERIFY(p.scalar(QStringLiteral("SELECT Diff FROM CompDates WHERE OBJ = 'G' AND GT_ID = 0")).isNull());
    // A snapshot written before these checks, or by another tool, may already hold such values.
    if (!snapshotColumn.isEmpty()) {
        runSql(p, QStringLiteral("UPDATE CompDates SET %1 = ? WHERE OBJ = 'R'").arg(snapshotColumn), {stored});
    }

    // Reports: the rows the printed pages show, and the CSV exports.
    QList<OverviewRow> overview;
    QVERIFY2(ReportRows::overview(p.connection(), stamp, &overview, &error), qPrintable(error));
    QStringList printed;
    for (const OverviewRow& r : overview) {
        for (double figure : {r.planned, r.rWrk, r.perComp, r.needed, r.est, r.diff}) {
            printed << ReportFormat::twoDecimals(figure) << ReportFormat::asItComes(figure);
        }
    }
    QList<MemberScheduleGroup> members;
    QVERIFY2(ReportRows::memberSchedule(p.connection(), stamp, &members, &error), qPrintable(error));
    for (const MemberScheduleGroup& g : members) {
        for (const MemberScheduleLine& line : g.tasks) {
            printed << ReportFormat::asItComes(line.pw) << ReportFormat::asItComes(line.comp)
                    << ReportFormat::asItComes(line.diff);
        }
    }
    verifyClean(printed, "a printed report");
    QStringList csv; // each export's lines in turn, the overview's last
    for (ReportLoader::Kind kind :
         {ReportLoader::Kind::MemberSchedule, ReportLoader::Kind::TaskSchedule, ReportLoader::Kind::Overview}) {
        QVERIFY2(CsvExport::lines(p.connection(), kind, stamp, &csv, &error), qPrintable(error));
        verifyClean(csv, "a CSV export");
    }
    QVERIFY(csv.at(1).startsWith(QStringLiteral("G,Cairnwork,")));
    QVERIFY(csv.at(1).endsWith(QLatin1Char(','))); // the root's Diff

    // Charts over both trees: every measure, its pivot, axis and CSV.
    for (const ChartSource source : {ChartSource::Goals, ChartSource::Members}) {
        for (int m = int(Measure::Planned); m <= int(Measure::Progress); ++m) {
            const auto measure = Measure(m);
            ChartState state;
            state.source = source;
            state.measure = measure;
            if (source == ChartSource::Goals) {
                state.filter.add({ChartFilter::Kind::Root, 0, {}});
                state.filter.add({ChartFilter::Kind::Task, task, {}});
                state.filter.add({ChartFilter::Kind::Assignment, task, QStringLiteral("Bob")});
            } else {
                state.filter.add({ChartFilter::Kind::Member, 0, QStringLiteral("Ann")});
                state.filter.add({ChartFilter::Kind::Member, 0, QStringLiteral("Bob")});
            }
            ChartTable table;
            QVERIFY2(ChartPivot::run(p.connection(), state, &table, &error), qPrintable(error));
            for (const auto& row : table.cells) {
                for (const std::optional<double>& cell : row) {
                    QVERIFY(!cell || std::fabs(*cell) < 1e12);
                }
            }
            const ChartAxis axis = ChartAxis::compute(table, measure);
            QVERIFY(!axis.hasValues || (std::isfinite(axis.min) && std::isfinite(axis.max) && axis.min <= axis.max));
            verifyClean(ChartCsv::write(table, state).split(QLatin1Char('\n')), "a chart");
        }
    }
}

QTEST_GUILESS_MAIN(TestHostileFigures)
#include "TestHostileFigures.moc"
