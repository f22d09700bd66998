#include "cli/DemoProject.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Database.h"
#include "db/RowImage.h"
#include "db/UndoLog.h"
#include "editing/AssignmentEditor.h"
#include "editing/GoalEditor.h"
#include "editing/NoteEditor.h"
#include "editing/ObjectDeleter.h"
#include "editing/TaskEditor.h"
#include "schedule/SnapshotGenerator.h"
#include "team/MemberStore.h"
#include "tests/support/CliRun.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/TestSql.h"
#include "undo/UndoHistory.h"

#include <QRandomGenerator>
#include <QSqlRecord>
#include <QtTest>

namespace {

// Answers every question at random; the deletions' own question is answered Yes
// three times in four so that most deletions happen.
class RandomPrompter : public Prompter
{
public:
    explicit RandomPrompter(QRandomGenerator& random)
        : m_random(random)
    {
    }
    void inform(const QString&, const QString&) override { }
    bool ask(const QString&, const QString&, bool) override { return m_random.bounded(4) != 0; }

private:
    QRandomGenerator& m_random;
};

// Every row and column of a table, in rowid order, values with their types at full precision.
QStringList dumpTable(const QString& connection, const QString& table)
{
    QSqlQuery q(Sql::db(connection));
    q.setForwardOnly(true);
    QStringList rows;
    if (!q.exec(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(table))) {
        return {QStringLiteral("error: ") + q.lastError().text()};
    }
    while (q.next()) {
        QStringList cells;
        for (int i = 0; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            cells << (v.isNull() ? QStringLiteral("NULL")
                          : v.typeId() == QMetaType::Double
                          ? QStringLiteral("r") + QString::number(v.toDouble(), 'g', 17)
                          : v.typeId() == QMetaType::LongLong ? QStringLiteral("i") + v.toString()
                                                              : QStringLiteral("t") + v.toString());
        }
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList dumpEditable(const QString& connection)
{
    QStringList all;
    for (const QString& table : UndoLog::capturedTables()) {
        all << table << dumpTable(connection, table);
    }
    return all;
}

QStringList dumpSnapshots(const QString& connection)
{
    return dumpTable(connection, QStringLiteral("CompDates")) + dumpTable(connection, QStringLiteral("CompDatesHours"));
}

QList<QVariantList> rowsOf(const QString& connection, const QString& sql)
{
    QSqlQuery q(Sql::db(connection));
    QList<QVariantList> rows;
    if (q.exec(sql)) {
        while (q.next()) {
            QVariantList row;
            for (int i = 0; i < q.record().count(); ++i) {
                row << q.value(i);
            }
            rows << row;
        }
    }
    return rows;
}

int doneSteps(const QString& connection)
{
    QList<UndoHistory::Step> steps;
    QString error;
    UndoHistory::steps(connection, &steps, &error);
    return int(std::count_if(steps.begin(), steps.end(), [](const UndoHistory::Step& s) { return s.done; }));
}

const QStringList kStatuses = {
    QStringLiteral("Open"), QStringLiteral("Completed"), QStringLiteral("On Hold"), QStringLiteral("Closed")};

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { UndoLog::setCapturing(true); }
    void cleanupTestCase() { UndoLog::setCapturing(false); }
    void randomEditsUndoToStartAndRedoToEnd();
    void stepsNamedFromTheirRows_data();
    void stepsNamedFromTheirRows();
    void historySurvivesReopening();
    void conflictingUndoRefusedAndChangesNothing_data();
    void conflictingUndoRefusedAndChangesNothing();
    void writesOutsideStepsLogNothing();
    void formatTwoGainsTheLog();
    void keepsTheLatestSteps();

private:
    static void buildDemo(TempProject& p)
    {
        UndoLog::setCapturing(false);
        FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-06 22:00:00")));
        QString error;
        QVERIFY2(DemoProject::build(p.connection(), clock, &error), qPrintable(error));
        UndoLog::setCapturing(true);
    }
    static void randomAction(const QString& c, QRandomGenerator& random, const Clock& clock);
};

void TestUndo::randomAction(const QString& c, QRandomGenerator& random, const Clock& clock)
{
    RandomPrompter prompter(random);
    auto pick = [&](const QString& sql) -> QVariantList {
        const QList<QVariantList> rows = rowsOf(c, sql);
        return rows.isEmpty() ? QVariantList() : rows.at(random.bounded(int(rows.size())));
    };
    const QVariantList member = pick(QStringLiteral("SELECT R_NAME FROM RESOURCES"));
    const QVariantList goal = pick(QStringLiteral("SELECT ID FROM GOALS_SW"));
    const QVariantList task = pick(QStringLiteral("SELECT ID FROM TASKS_OBJECTS"));
    const QVariantList assignment = pick(QStringLiteral("SELECT FK_TASKID, FK_R_NAME FROM TASK_OBJECT_RESOURCE"));
    const QVariantList note = pick(QStringLiteral("SELECT NID FROM TASK_OBJECT_WORKSHEET"));
    const QString status = kStatuses.at(random.bounded(int(kStatuses.size())));
    const QString name = QStringLiteral("n%1").arg(random.bounded(1000));
    QString error;
    switch (random.bounded(14)) {
    case 0: {
        GoalRecord g;
        g.shortName = name;
        g.status = status;
        if (!goal.isEmpty() && random.bounded(4) != 0) {
            g.parentId = goal.at(0).toLongLong();
        }
        if (!member.isEmpty()) {
            g.defaultResource = member.at(0).toString();
        }
        GoalEditor::add(c, g, prompter, clock);
        break;
    }
    case 1:
        if (!goal.isEmpty()) {
            GoalRecord stored;
            RowImage image;
            if (GoalEditor::load(c, goal.at(0).toLongLong(), &stored, &image, &error)) {
                GoalRecord edited = stored;
                edited.status = status;
                edited.priority = random.bounded(100);
                GoalEditor::saveChanges(c, image, stored, edited, prompter, clock);
            }
        }
        break;
    case 2:
        if (!goal.isEmpty()) {
            TaskRecord t;
            t.shortName = name;
            t.goalId = goal.at(0).toLongLong();
            t.daysPlanned = random.bounded(1000) / 7.0;
            TaskEditor::add(c, t, prompter, clock);
        }
        break;
    case 3:
        if (!task.isEmpty()) {
            TaskRecord stored;
            RowImage image;
            if (TaskEditor::load(c, task.at(0).toLongLong(), &stored, &image, &error)) {
                TaskRecord edited = stored;
                edited.status = status;
                edited.daysPlanned = random.bounded(1000) / 3.0;
                TaskEditor::saveChanges(c, image, stored, edited, prompter, clock);
            }
        }
        break;
    case 4:
        if (!task.isEmpty() && !member.isEmpty()) {
            AssignmentRecord a;
            a.taskId = task.at(0).toLongLong();
            a.member = member.at(0).toString();
            a.perWorkload = random.bounded(101);
            a.perCompleted = random.bounded(2) ? 100 : random.bounded(100) / 3.0;
            a.daysNeeded = random.bounded(50) / 7.0;
            AssignmentEditor::add(c, a, prompter);
        }
        break;
    case 5:
        if (!assignment.isEmpty()) {
            AssignmentRecord stored;
            RowImage image;
            if (AssignmentEditor::load(
                    c, assignment.at(0).toLongLong(), assignment.at(1).toString(), &stored, &image, &error)) {
                AssignmentRecord edited = stored;
                edited.perCompleted = random.bounded(3) ? 100 : random.bounded(100) / 7.0;
                edited.daysNeeded = random.bounded(50) / 3.0;
                AssignmentEditor::saveChanges(c, image, stored, edited, prompter);
            }
        }
        break;
    case 6:
        if (!task.isEmpty()) {
            NoteEditor::add(c, task.at(0).toLongLong(), name, clock);
        }
        break;
    case 7:
        if (!note.isEmpty()) {
            NoteRecord stored;
            RowImage image;
            if (NoteEditor::load(c, note.at(0).toLongLong(), &stored, &image, &error)) {
                NoteEditor::saveChanges(c, image, stored, name, clock);
            }
        }
        break;
    case 8:
        if (!goal.isEmpty() && random.bounded(3) == 0) {
            ObjectDeleter::deleteGoal(c,
                                      goal.at(0).toLongLong(),
                                      random.bounded(2) ? ObjectDeleter::GoalSource::Tree
                                                        : ObjectDeleter::GoalSource::TaskList,
                                      prompter);
        }
        break;
    case 9:
        if (!task.isEmpty()) {
            ObjectDeleter::deleteTask(c, task.at(0).toLongLong(), prompter);
        }
        break;
    case 10:
        if (!assignment.isEmpty()) {
            ObjectDeleter::deleteAssignment(c, assignment.at(0).toLongLong(), assignment.at(1).toString(), prompter);
        }
        break;
    case 11:
        if (!note.isEmpty()) {
            ObjectDeleter::deleteNote(c, note.at(0).toLongLong(), prompter);
        }
        break;
    case 12: {
        MemberStore store(c);
        MemberStore::Failure failure;
        if (!member.isEmpty() && random.bounded(2)) {
            // A rename, letter case only now and then, carried to assignments and goals.
            MemberRecord m = MemberRecord::withHours(random.bounded(3) ? name : member.at(0).toString().toUpper(),
                                                     QStringLiteral("08:00"),
                                                     QStringLiteral("16:30"));
            RowImage image;
            if (store.read(member.at(0).toString(), &image, &failure)) {
                store.update(image, m, &failure);
            }
        } else if (!member.isEmpty() && random.bounded(2)) {
            RowImage image;
            if (store.read(member.at(0).toString(), &image, &failure)) {
                store.remove(image, &failure);
            }
        } else {
            store.insert(MemberRecord::withHours(name, QStringLiteral("09:00"), QStringLiteral("17:00")), &failure);
        }
        break;
    }
    default:
        // Undos and redos at random among the edits.
        if (random.bounded(2)) {
            UndoHistory::undo(c, &error);
        } else {
            UndoHistory::redo(c, &error);
        }
        break;
    }
}

// From the sample project, random edits through the real editors with undos and redos
// among them: at every checkpoint undoing everything gives the start back exactly, and
// redoing everything the checkpoint's state; snapshots stay as they are throughout.
void TestUndo::randomEditsUndoToStartAndRedoToEnd()
{
    TempProject p;
    buildDemo(p);
    const QString c = p.connection();
    const QStringList start = dumpEditable(c);
    QRandomGenerator random(20);
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    const int actions = 300;
    for (int i = 1; i <= actions; ++i) {
        randomAction(c, random, clock);
        QVERIFY2(!Transaction::isOpen(c), "an action left its transaction open");
        if (i % 50 != 0) {
            continue;
        }
        if (i == 150) {
            // A snapshot in between is no step and is never undone.
            QString stamp, error;
            QVERIFY2(SnapshotGenerator::GenerateCompDates(c, clock, &stamp, &error), qPrintable(error));
        }
        const QStringList end = dumpEditable(c);
        const QStringList snapshots = dumpSnapshots(c);
        const int done = doneSteps(c);
        QVERIFY(done > 0);
        QString error;
        QList<UndoHistory::Step> steps;
        QVERIFY(UndoHistory::steps(c, &steps, &error));
        const qint64 lastDone = steps.at(done - 1).id;
        QVERIFY2(UndoHistory::goTo(c, 0, &error), qPrintable(error));
        QCOMPARE(dumpEditable(c), start);
        QCOMPARE(doneSteps(c), 0);
        // Everything redone, the steps undone before the checkpoint included, then
        // back to where the checkpoint stood.
        QVERIFY2(UndoHistory::goTo(c, steps.last().id, &error), qPrintable(error));
        QCOMPARE(doneSteps(c), int(steps.size()));
        QVERIFY2(UndoHistory::goTo(c, lastDone, &error), qPrintable(error));
        QCOMPARE(dumpEditable(c), end);
        QCOMPARE(doneSteps(c), done);
        QCOMPARE(dumpSnapshots(c), snapshots);
    }
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoCurrent WHERE STEP IS NOT NULL")), 0);
}

void TestUndo::stepsNamedFromTheirRows_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("name");
    QTest::newRow("add goal") << 0 << QStringLiteral("Add goal \"New\"");
    QTest::newRow("edit task") << 1 << QStringLiteral("Edit task \"Design\"");
    QTest::newRow("delete goal with its subtree")
        << 2 << QStringLiteral("Delete goal \"Alpha\" and everything below it");
    QTest::newRow("edit assignment") << 3 << QStringLiteral("Edit assignment of Ann on \"Design\"");
    QTest::newRow("delete note") << 4 << QStringLiteral("Delete note on \"Design\"");
    QTest::newRow("rename member") << 5 << QStringLiteral("Rename team member \"Ann\" to \"Anna\"");
}

void TestUndo::stepsNamedFromTheirRows()
{
    QFETCH(int, action);
    QFETCH(QString, name);
    TempProject p;
    UndoLog::setCapturing(false);
    p.member(QStringLiteral("Ann"));
    const qint64 alpha = p.goal(QStringLiteral("Alpha"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann'"));
    const qint64 design = p.task(alpha, QStringLiteral("Design"), 4);
    p.assign(design, QStringLiteral("Ann"), 100, 10, 1);
    const qint64 note = p.note(design, QStringLiteral("n"));
    UndoLog::setCapturing(true);
    const QString c = p.connection();
    ScriptedPrompter yes({true, true, true});
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    QString error;
    switch (action) {
    case 0: {
        GoalRecord g;
        g.shortName = QStringLiteral("New");
        QVERIFY(GoalEditor::add(c, g, yes, clock).ok);
        break;
    }
    case 1: {
        TaskRecord stored;
        RowImage image;
        QVERIFY(TaskEditor::load(c, design, &stored, &image, &error));
        TaskRecord edited = stored;
        edited.daysPlanned = 9;
        QVERIFY(TaskEditor::saveChanges(c, image, stored, edited, yes, clock).ok);
        break;
    }
    case 2:
        QVERIFY(ObjectDeleter::deleteGoal(c, alpha, ObjectDeleter::GoalSource::Tree, yes).ok);
        break;
    case 3: {
        AssignmentRecord stored;
        RowImage image;
        QVERIFY(AssignmentEditor::load(c, design, QStringLiteral("Ann"), &stored, &image, &error));
        AssignmentRecord edited = stored;
        edited.perCompleted = 50;
        QVERIFY(AssignmentEditor::saveChanges(c, image, stored, edited, yes).ok);
        break;
    }
    case 4:
        QVERIFY(ObjectDeleter::deleteNote(c, note, yes).ok);
        break;
    default: {
        MemberStore::Failure failure;
        RowImage image;
        QVERIFY(MemberStore(c).read(QStringLiteral("Ann"), &image, &failure));
        QVERIFY(MemberStore(c).update(
            image,
            MemberRecord::withHours(QStringLiteral("Anna"), QStringLiteral("08:00"), QStringLiteral("16:00")),
            &failure));
        break;
    }
    }
    QList<UndoHistory::Step> steps;
    QVERIFY(UndoHistory::steps(c, &steps, &error));
    QCOMPARE(steps.size(), 1);
    QCOMPARE(steps.first().name, name);
}

// The history is kept in the file: after closing and opening it the last step is
// undone, and a new step after an undo drops the one that could have been redone.
void TestUndo::historySurvivesReopening()
{
    TempProject p;
    buildDemo(p);
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    ScriptedPrompter prompter;
    const QString c = p.connection();
    const QStringList start = dumpEditable(c);
    const qint64 top = p.scalar(QStringLiteral("SELECT MIN(ID) FROM GOALS_SW WHERE P_GID IS NULL")).toLongLong();
    ScriptedPrompter yes({true});
    QVERIFY(ObjectDeleter::deleteGoal(c, top, ObjectDeleter::GoalSource::Tree, yes).ok);
    NoteEditor::add(
        c, p.scalar(QStringLiteral("SELECT MIN(ID) FROM TASKS_OBJECTS")).toLongLong(), QStringLiteral("x"), clock);
    p.close();
    QString error;
    QVERIFY2(Database::open(p.path(), c, &error), qPrintable(error));
    QCOMPARE(doneSteps(c), 2);
    QVERIFY2(UndoHistory::undo(c, &error), qPrintable(error));
    QVERIFY2(UndoHistory::undo(c, &error), qPrintable(error));
    QCOMPARE(dumpEditable(c), start);
    QVERIFY2(UndoHistory::redo(c, &error), qPrintable(error));
    GoalRecord g;
    g.shortName = QStringLiteral("after undo");
    QVERIFY(GoalEditor::add(c, g, prompter, clock).ok);
    QList<UndoHistory::Step> steps;
    QVERIFY(UndoHistory::steps(c, &steps, &error));
    QCOMPARE(steps.size(), 2);
    QVERIFY(steps.at(0).done && steps.at(1).done);
    QVERIFY(!UndoHistory::redo(c, &error));
}

void TestUndo::conflictingUndoRefusedAndChangesNothing_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("named");
    QTest::newRow("row updated") << QStringLiteral(
                                        "UPDATE TASKS_OBJECTS SET DAYSPLANNED = 77 WHERE SHORT_NAME = 'Design'")
                                 << QStringLiteral("task \"Design\" was changed since.");
    QTest::newRow("letter case only") << QStringLiteral("UPDATE RESOURCES SET R_NAME = 'ANN'")
                                      << QStringLiteral("was changed since.");
    QTest::newRow("row deleted") << QStringLiteral("DELETE FROM TASK_OBJECT_WORKSHEET") << QStringLiteral("note ");
    QTest::newRow("deleted row's id taken")
        << QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, CREATED)"
                          " VALUES (%1, 'Goal', 'Gamma', 1, 'Open', '2026-01-01 00:00:00')")
        << QStringLiteral("goal \"Beta\" was changed since.");
    // Another program wrote the log itself: its text is never run.
    QTest::newRow("log names another table")
        << QStringLiteral("UPDATE UndoEntry SET TBL = 'GOALS_SW WHERE 0; DELETE FROM RESOURCES --'"
                          " WHERE ID = (SELECT MAX(ID) FROM UndoEntry)")
        << QStringLiteral("its record in the project is damaged");
}

// Another connection (another window, the command line) changes a row the last steps
// touched: undoing is refused naming the step, and nothing changes.
void TestUndo::conflictingUndoRefusedAndChangesNothing()
{
    QFETCH(QString, change);
    QFETCH(QString, named);
    TempProject p;
    UndoLog::setCapturing(false);
    p.member(QStringLiteral("Ann"));
    const qint64 alpha = p.goal(QStringLiteral("Alpha"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann'"));
    const qint64 beta = p.goal(QStringLiteral("Beta"), alpha);
    const qint64 design = p.task(alpha, QStringLiteral("Design"), 4);
    p.assign(design, QStringLiteral("Ann"), 100, 10, 1);
    p.note(design, QStringLiteral("n"));
    UndoLog::setCapturing(true);
    const QString c = p.connection();
    QString error;
    // One step touching each of the rows changed below: the task, the member, the note,
    // and a deleted goal whose identifier is then taken by another.
    {
        UndoLog::Naming naming(c, QStringLiteral("Several things"));
        Transaction tx(c);
        QVERIFY(tx.isActive());
        runSql(p, QStringLiteral("UPDATE TASKS_OBJECTS SET DAYSPLANNED = 5"));
        runSql(p, QStringLiteral("UPDATE RESOURCES SET R_DESCRIPTION = 'lead'"));
        runSql(p, QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NOTES = 'm'"));
        runSql(p, QStringLiteral("DELETE FROM GOALS_SW WHERE ID = ?"), {beta});
        QVERIFY(tx.commit());
    }
    QVERIFY2(Database::open(p.path(), QStringLiteral("other"), &error), qPrintable(error));
    QVERIFY2(
        Sql::exec(QStringLiteral("other"), change.contains(QLatin1String("%1")) ? change.arg(beta) : change, &error),
        qPrintable(error));
    Database::close(QStringLiteral("other"));
    const QStringList before = dumpEditable(c);
    QVERIFY(!UndoHistory::undo(c, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot undo \"Several things\": ")), qPrintable(error));
    QVERIFY2(error.contains(named), qPrintable(error));
    QCOMPARE(dumpEditable(c), before);
    QCOMPARE(doneSteps(c), 1);
    QCOMPARE(countOf(p, QStringLiteral("PRAGMA foreign_keys")), 1);
}

// Writes outside a step leave no trace in the history: the command line's snapshot
// and a snapshot taken in a capturing process, which touches no editable row.
void TestUndo::writesOutsideStepsLogNothing()
{
    TempProject p;
    buildDemo(p);
    const QString c = p.connection();
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), 0);
    QString stamp, error;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    QVERIFY2(SnapshotGenerator::GenerateCompDates(c, clock, &stamp, &error), qPrintable(error));
    p.close();
    const CliRun r = CliRun::run({QStringLiteral("snapshot"), p.path()});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(Database::open(p.path(), c, &error), qPrintable(error));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), 0);
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoEntry")), 0);
}

// A file of the previous format is given the log when opened for writing; its first
// edit is a step like any other.
void TestUndo::formatTwoGainsTheLog()
{
    TempProject p;
    UndoLog::setCapturing(false);
    p.member(QStringLiteral("Ann"));
    const qint64 goal = p.goal(QStringLiteral("G"));
    const QString c = p.connection();
    for (const QVariantList& row :
         rowsOf(c,
                QStringLiteral("SELECT type, name FROM sqlite_master WHERE (name LIKE 'Undo%'"
                               " OR name LIKE '%_undo_%') AND name NOT LIKE 'sqlite_%' ORDER BY type = 'table'"))) {
        runSql(p, QStringLiteral("DROP %1 IF EXISTS %2").arg(row.at(0).toString().toUpper(), row.at(1).toString()));
    }
    runSql(p, QStringLiteral("PRAGMA user_version = 2"));
    p.close();
    UndoLog::setCapturing(true);
    QString error;
    QVERIFY2(Database::open(p.path(), c, &error), qPrintable(error));
    QCOMPARE(countOf(p, QStringLiteral("PRAGMA user_version")), qint64(3));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), qint64(0));
    GoalRecord stored;
    RowImage image;
    QVERIFY(GoalEditor::load(c, goal, &stored, &image, &error));
    GoalRecord edited = stored;
    edited.priority = 3;
    ScriptedPrompter prompter;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    QVERIFY(GoalEditor::saveChanges(c, image, stored, edited, prompter, clock).ok);
    QVERIFY2(UndoHistory::undo(c, &error), qPrintable(error));
    QCOMPARE(countOf(p, QStringLiteral("SELECT PRIORITY FROM GOALS_SW")), qint64(50));
}

// Only the latest steps are kept; older ones go with everything they logged.
void TestUndo::keepsTheLatestSteps()
{
    TempProject p;
    UndoLog::setCapturing(false);
    p.note(p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 1), QStringLiteral("n"));
    UndoLog::setCapturing(true);
    const int steps = UndoLog::kMaxSteps + 3;
    for (int i = 1; i <= steps; ++i) {
        Transaction tx(p.connection());
        runSql(p, QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NOTES = ?"), {QString::number(i)});
        QVERIFY(tx.commit());
    }
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), qint64(UndoLog::kMaxSteps));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoEntry")), qint64(UndoLog::kMaxSteps));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoImage_TASK_OBJECT_WORKSHEET")),
             qint64(2 * UndoLog::kMaxSteps));
    QString error;
    QVERIFY2(UndoHistory::goTo(p.connection(), 0, &error), qPrintable(error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT NOTES FROM TASK_OBJECT_WORKSHEET")).toString(), QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(TestUndo)
#include "TestUndo.moc"
