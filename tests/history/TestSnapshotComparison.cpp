#include "tests/support/SnapshotProbe.h"
#include "tests/support/TestSql.h"

#include "cli/SyntheticProject.h"
#include "history/ScheduleReplay.h"
#include "history/SnapshotComparison.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

using P = SnapshotProbe;
using Cmp = SnapshotComparison;

namespace {
// A Sunday: nobody works, so a start a second later changes no date.
const QString kSunday = QStringLiteral("2026-03-01 12:00:00");
const qint64 kDay = 86400;

struct Compared
{
    SnapshotState a;
    SnapshotState b;
    Cmp comparison;
};

void compare(const TempProject& p, const QString& from, const QString& to, Compared& c)
{
    QString error;
    QVERIFY2(SnapshotState::load(p.connection(), from, &c.a, &error), qPrintable(error));
    QVERIFY2(SnapshotState::load(p.connection(), to, &c.b, &error), qPrintable(error));
    QVERIFY2(c.comparison.compare(c.a, c.b, &error), qPrintable(error));
}

const Cmp::Row* find(const Cmp& c, SnapshotRow::Kind kind, qint64 id, const QString& member = {})
{
    for (const Cmp::Row& row : c.rows()) {
        if (row.kind == kind && row.id == id && row.member.compare(member, Qt::CaseInsensitive) == 0) {
            return &row;
        }
    }
    return nullptr;
}

// Ann and Bob work Monday to Friday 08:00-16:00. Ann: "API" (priority 10, 5 days)
// then "UI" (priority 20, 3 days); Bob: "Docs" (2 days). From Sunday kSunday: API
// ends Friday 6 March 16:00, UI Wednesday 11 March 16:00, Docs Tuesday 3 March 16:00.
struct Plan
{
    TempProject p;
    qint64 goal = 0;
    qint64 api = 0;
    qint64 ui = 0;
    qint64 docs = 0;

    Plan()
    {
        p.member(QStringLiteral("Ann"));
        p.member(QStringLiteral("Bob"));
        goal = p.goal(QStringLiteral("Build"));
        api = p.task(goal, QStringLiteral("API"), 5, QStringLiteral("Open"), 10);
        ui = p.task(goal, QStringLiteral("UI"), 3, QStringLiteral("Open"), 20);
        docs = p.task(goal, QStringLiteral("Docs"), 2, QStringLiteral("Open"), 30);
        p.assign(api, QStringLiteral("Ann"), 100, 0, 0);
        p.assign(ui, QStringLiteral("Ann"), 100, 0, 0);
        p.assign(docs, QStringLiteral("bob"), 100, 0, 0);
    }
    void exec(const QString& sql) const { runSql(p, sql); }
};
} // namespace

class TestSnapshotComparison : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void eachCauseAlone_data();
    void eachCauseAlone();
    void outlineNameOfAnyStoredDepth();
    void rowsMatchAndFlag();
    void randomHistoriesAddUp();
};

void TestSnapshotComparison::eachCauseAlone_data()
{
    QTest::addColumn<QString>("before"); // the edit made before snapshot A
    QTest::addColumn<QString>("edit");
    QTest::addColumn<QString>("later");
    QTest::addColumn<int>("cause");
    QTest::addColumn<qint64>("change"); // of API's date, seconds
    QTest::addColumn<QString>("largest"); // the change that moved API most, in words

    // 40 h at 4 h a day: ten working days, to Friday 13 March 12:00.
    QTest::newRow("working hours") << ""
                                   << "UPDATE RESOURCES SET MON_END = '12:00', TUE_END = '12:00', WED_END = '12:00',"
                                      " THU_END = '12:00', FRI_END = '12:00' WHERE R_NAME = 'Ann'"
                                   << "2026-03-01 12:00:01" << 1 << 6 * kDay + 20 * 3600
                                   << "+6.8 d: Ann's working hours changed";
    // UI first: API runs Thursday 5 to Wednesday 11 March.
    QTest::newRow("queue") << ""
                           << "UPDATE TASKS_OBJECTS SET PRIORITY = 5 WHERE SHORT_NAME = 'UI'"
                           << "2026-03-01 12:00:01" << 3 << 5 * kDay
                           << "+5.0 d: 'UI' moved in the order of work (its priority or a goal's above it)";
    // A one-day task before API: API ends on the next working day, Monday.
    const QString oneDayTask = QStringLiteral(
        "INSERT INTO TASKS_OBJECTS (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, DAYSPLANNED, FK_ID, CREATED)"
        " SELECT 99, 'Task', 'Spec', 5, 'Open', 1, ID, '2026-01-01 09:00:00' FROM GOALS_SW;"
        " INSERT INTO TASK_OBJECT_RESOURCE VALUES (99, 'Ann', 100, 0, 0)");
    QTest::newRow("scope") << "" << oneDayTask << "2026-03-01 12:00:01" << 2 << 3 * kDay << "+3.0 d: 'Spec' added";
    // The same the other way round: API ends the Friday instead of the Monday after.
    QTest::newRow("scope removed") << oneDayTask << "DELETE FROM TASKS_OBJECTS WHERE ID = 99"
                                   << "2026-03-01 12:00:01" << 2 << -3 * kDay << "-3.0 d: 'Spec' removed";
    // Seven days planned instead of five, nothing done yet: Tuesday 10 March.
    QTest::newRow("re-planning") << ""
                                 << "UPDATE TASKS_OBJECTS SET DAYSPLANNED = 7 WHERE SHORT_NAME = 'API'"
                                 << "2026-03-01 12:00:01" << 4 << 4 * kDay
                                 << "+4.0 d: Ann's share of 'API' re-estimated from 5 to 7 days";
    // Half done in one day: two days in all, one left, Monday 2 March.
    QTest::newRow("progress") << ""
                              << "UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = 50, DAYS_NEEDED = 1"
                                 " WHERE FK_R_NAME = 'Ann' AND FK_TASKID = (SELECT ID FROM TASKS_OBJECTS"
                                 " WHERE SHORT_NAME = 'API')"
                              << "2026-03-01 12:00:01" << 5 << -4 * kDay
                              << "-4.0 d: Ann's share of 'API' now 50 % done, 1 day used";
    QTest::newRow("time passed") << ""
                                 << ""
                                 << "2026-03-08 12:00:00" << 0 << 7 * kDay
                                 << "+7.0 d: time passed from 2026-03-01 12:00:00 to 2026-03-08 12:00:00";
}

void TestSnapshotComparison::eachCauseAlone()
{
    QFETCH(QString, before);
    QFETCH(QString, edit);
    QFETCH(QString, later);
    QFETCH(int, cause);
    QFETCH(qint64, change);
    QFETCH(QString, largest);
    Plan plan;
    for (const QString& sql : before.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        plan.exec(sql);
    }
    const QString a = P::generate(plan.p, kSunday);
    for (const QString& sql : edit.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        plan.exec(sql);
    }
    const QString b = P::generate(plan.p, later);
    Compared c;
    compare(plan.p, a, b, c);
    for (const Cmp::Row* row : {find(c.comparison, SnapshotRow::Kind::Assignment, plan.api, QStringLiteral("ann")),
                                find(c.comparison, SnapshotRow::Kind::Task, plan.api)}) {
        QVERIFY(row);
        QVERIFY2(row->explained, qPrintable(Cmp::flagWords(row->flags)));
        QCOMPARE(row->dateB - row->dateA, change);
    }
    // Alone, the one change moves API as all changes together do.
    const Cmp::Row* api = find(c.comparison, SnapshotRow::Kind::Task, plan.api);
    const auto changes = c.comparison.largestChanges(int(api - c.comparison.rows().data()));
    QCOMPARE(changes.size(), std::size_t(1));
    QCOMPARE(changes[0].words, largest);
    QCOMPARE(changes[0].seconds, change);
    QCOMPARE(changes[0].cause, cause);
    // Every row's whole change lies under the one cause (Bob's task under none).
    for (const Cmp::Row& row : c.comparison.rows()) {
        if (row.explained) {
            for (int k = 0; k < Cmp::kCauses; ++k) {
                QCOMPARE(row.causes[std::size_t(k)], k == cause ? row.dateB - row.dateA : 0);
            }
        }
    }
}

// Tree_Depth is read from the file, where another program may have written anything.
void TestSnapshotComparison::outlineNameOfAnyStoredDepth()
{
    Cmp::Row row;
    row.kind = SnapshotRow::Kind::Assignment;
    row.member = QStringLiteral("Ann");
    row.name = QStringLiteral("API");
    row.depth = 2;
    QCOMPARE(row.outlineName(), QStringLiteral("            Ann"));
    row.depth = std::numeric_limits<int>::max();
    QCOMPARE(row.outlineName(), QString(4 * SnapshotRow::kIndentLevels, QLatin1Char(' ')) + QStringLiteral("Ann"));
    row.kind = SnapshotRow::Kind::Task;
    row.depth = -7;
    QCOMPARE(row.outlineName(), QStringLiteral("API"));
}

void TestSnapshotComparison::rowsMatchAndFlag()
{
    Plan plan;
    const qint64 other = plan.p.goal(QStringLiteral("Later"));
    const QString a = P::generate(plan.p, kSunday);
    // Docs is deleted; UI moves to "Later" and is re-planned; Bob, written in other
    // letters, starts API; a new task comes in.
    plan.exec(QStringLiteral("DELETE FROM TASKS_OBJECTS WHERE SHORT_NAME = 'Docs'"));
    plan.exec(
        QStringLiteral("UPDATE TASKS_OBJECTS SET FK_ID = %1, DAYSPLANNED = 4 WHERE SHORT_NAME = 'UI'").arg(other));
    plan.exec(QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE VALUES (%1, 'BOB', 0, 0, 0)").arg(plan.api));
    plan.exec(QStringLiteral("UPDATE GOALS_SW SET PRIORITY = 1 WHERE ID = %1").arg(other));
    const QString b = P::generate(plan.p, kSunday.left(18) + QLatin1Char('5'));
    Compared c;
    compare(plan.p, a, b, c);
    const auto flags = [&](SnapshotRow::Kind kind, qint64 id, const QString& member = {}) {
        const Cmp::Row* row = find(c.comparison, kind, id, member);
        return row ? Cmp::flagWords(row->flags) : QStringLiteral("(missing)");
    };
    QCOMPARE(flags(SnapshotRow::Kind::Task, plan.docs), QStringLiteral("removed"));
    QCOMPARE(flags(SnapshotRow::Kind::Assignment, plan.docs, QStringLiteral("Bob")), QStringLiteral("removed"));
    QCOMPARE(flags(SnapshotRow::Kind::Task, plan.ui), QStringLiteral("replanned requeued moved"));
    QCOMPARE(flags(SnapshotRow::Kind::Assignment, plan.api, QStringLiteral("bob")), QStringLiteral("added undated"));
    QCOMPARE(flags(SnapshotRow::Kind::Goal, other), QStringLiteral("replanned requeued undated"));
    // A removed row stays in the outline, after what preceded it in A.
    const auto& rows = c.comparison.rows();
    const Cmp::Row* at = find(c.comparison, SnapshotRow::Kind::Task, plan.docs);
    QVERIFY(at && at + 1 != rows.data() + rows.size());
    QCOMPARE((at + 1)->kind, SnapshotRow::Kind::Assignment);
    QCOMPARE((at + 1)->id, plan.docs);
    QCOMPARE(rows.size(), c.b.rows.size() + 2);
}

// Random edits of every kind between snapshots at random moments: for every pair,
// the replay lands on both stored dates and the six shares add up to each row's
// change to the second.
void TestSnapshotComparison::randomHistoriesAddUp()
{
    for (quint64 seed = 1; seed <= 4; ++seed) {
        TempProject p;
        SyntheticProject::Params params;
        params.goals = 8;
        params.tasks = 60;
        params.members = 4;
        params.depth = 3;
        params.seed = seed;
        QString error;
        QVERIFY2(SyntheticProject::build(p.connection(), params, &error), qPrintable(error));
        QRandomGenerator random{quint32(seed)};
        // "{a-b}" becomes a number from a to b, "{task}" one of the first half of the tasks.
        const auto randomised = [&](QString sql) {
            static const QRegularExpression range(QStringLiteral("\\{(\\d+)-(\\d+)\\}"));
            for (QRegularExpressionMatch m = range.match(sql); m.hasMatch(); m = range.match(sql)) {
                const int low = m.captured(1).toInt();
                sql.replace(m.capturedStart(),
                            m.capturedLength(),
                            QString::number(low + random.bounded(m.captured(2).toInt() - low + 1)));
            }
            return sql.replace(QStringLiteral("{task}"),
                               QStringLiteral("(SELECT ID FROM TASKS_OBJECTS ORDER BY ID LIMIT 1 OFFSET %1)")
                                   .arg(random.bounded(params.tasks / 2)));
        };
        // Hours, priorities of tasks and goals, re-planning, progress, status, removal,
        // moves and new tasks; a refused edit (a constraint) is simply skipped.
        const QStringList edits{
            "UPDATE RESOURCES SET TUE_END = '{12-19}:00', WED_BEG = '0{7-9}:30' WHERE rowid = {1-4}",
            "UPDATE TASKS_OBJECTS SET PRIORITY = {0-99} WHERE ID = {task}",
            "UPDATE GOALS_SW SET PRIORITY = {0-99} WHERE ID = {1-8}",
            "UPDATE TASKS_OBJECTS SET DAYSPLANNED = {0-19} WHERE ID = {task}",
            "UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = 25 * {0-4}, DAYS_NEEDED = {0-79} / 10.0"
            " WHERE FK_TASKID = {task}",
            "UPDATE TASKS_OBJECTS SET STATUS = CASE {0-3} WHEN 0 THEN 'Open' WHEN 1 THEN 'Completed'"
            " WHEN 2 THEN 'On Hold' ELSE 'Closed' END WHERE ID = {task}",
            "DELETE FROM TASKS_OBJECTS WHERE ID = {task}",
            "UPDATE TASKS_OBJECTS SET FK_ID = {1-8} WHERE ID = {task}",
            "INSERT INTO TASKS_OBJECTS (OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, DAYSPLANNED, FK_ID, CREATED)"
            " VALUES ('Task', 'New', {0-99}, 'Open', {0-9}, {1-8}, '2026-01-01 09:00:00');"
            "INSERT INTO TASK_OBJECT_RESOURCE SELECT last_insert_rowid(), R_NAME, 100, 0, 0 FROM RESOURCES"
            " LIMIT 1 OFFSET {0-3}",
        };
        QDateTime moment = Stamp::fromText(QStringLiteral("2026-03-02 08:30:00"));
        QStringList stamps;
        for (int round = 0; round < 4; ++round) {
            stamps << P::generate(p, Stamp::toText(moment));
            for (int edit = 0; edit < 12; ++edit) {
                for (const QString& sql : randomised(edits.at(random.bounded(edits.size()))).split(QLatin1Char(';'))) {
                    Sql::exec(p.connection(), sql, &error);
                }
            }
            moment = moment.addSecs(random.bounded(3 * 86400) + 1);
        }
        stamps << P::generate(p, Stamp::toText(moment));
        for (int i = 0; i < stamps.size(); ++i) {
            for (int j = i; j < stamps.size(); ++j) {
                Compared c;
                compare(p, stamps[i], stamps[j], c);
                int explained = 0;
                for (const Cmp::Row& row : c.comparison.rows()) {
                    if (!row.datedInBoth()) {
                        continue;
                    }
                    // With both sides' hours kept, only a row undated at a step in between is left unexplained.
                    QVERIFY2(row.explained || (row.flags & Cmp::Unexplained), qPrintable(stamps[i] + stamps[j]));
                    if (!row.explained) {
                        continue;
                    }
                    ++explained;
                    qint64 sum = 0;
                    for (qint64 share : row.causes) {
                        sum += share;
                    }
                    QCOMPARE(sum, row.dateB - row.dateA);
                }
                QVERIFY(explained > 0);
                // A row's date is the latest of the assignment rows the largest changes
                // measure it by, at every step; no change is listed that moved nothing.
                if (j == i + 1) {
                    const ScheduleReplay& steps = c.comparison.replay();
                    for (int s = 0; s < ScheduleReplay::kSteps; ++s) {
                        const std::vector<SnapshotRow> rows = steps.rowsAt(s);
                        for (std::size_t x = 0; x < rows.size(); ++x) {
                            qint64 latest = SnapshotRow::kNoDate;
                            for (int r : LargestChanges::datedBy(rows, int(x))) {
                                latest = std::max(latest, steps.date(s, r));
                            }
                            QCOMPARE(latest, steps.date(s, int(x)));
                        }
                    }
                    for (std::size_t r = 0; r < c.comparison.rows().size(); ++r) {
                        for (const LargestChanges::Change& one : c.comparison.largestChanges(int(r), 1000)) {
                            QVERIFY(one.seconds != 0);
                        }
                    }
                }
                // Step 0 is A and step 6 is B, dated to the second as the generation dated them.
                const std::vector<int> unmatched(c.b.rows.size(), -1);
                ScheduleReplay replay(c.a, c.b, unmatched);
                QVERIFY(replay.run(&error));
                for (std::size_t r = 0; r < c.a.rows.size(); ++r) {
                    QCOMPARE(replay.date(ScheduleReplay::A, int(r)), c.a.rows[r].completion);
                }
                for (std::size_t r = 0; r < c.b.rows.size(); ++r) {
                    QCOMPARE(replay.date(ScheduleReplay::Progress, int(r)), c.b.rows[r].completion);
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(TestSnapshotComparison)
#include "TestSnapshotComparison.moc"
