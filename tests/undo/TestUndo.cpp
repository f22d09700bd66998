#include "cli/DemoProject.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/ChangeListener.h"
#include "db/Database.h"
#include "db/RowImage.h"
#include "db/ServerSchema.h"
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
#include "tests/support/ServerDatabase.h"
#include "tests/support/TempProject.h"
#include "tests/support/TestSql.h"
#include "undo/UndoHistory.h"

#include <QRandomGenerator>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

namespace {

const QString kC = QStringLiteral("test");

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

QList<QVariantList> rowsOf(const QString& connection, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(Sql::db(connection));
    QString error;
    QList<QVariantList> rows;
    if (!Sql::run(q, sql, values, &error)) {
        return {QVariantList{QVariant(QStringLiteral("error: ") + error)}};
    }
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < q.record().count(); ++i) {
            // A server's row versions rise with every change, an undo's too.
            if (q.record().fieldName(i) != QLatin1String(ServerSchema::kVersionColumn)) {
                row << q.value(i);
            }
        }
        rows << row;
    }
    return rows;
}

// The first value `sql` yields.
QVariant valueOf(const QString& connection, const QString& sql)
{
    return rowsOf(connection, sql).value(0).value(0);
}

// Every row and column of the tables, in a file's rowid or a server's key order, values
// with their types at full precision.
QStringList dump(const QString& connection, const QStringList& tables)
{
    QStringList all;
    for (const QString& table : tables) {
        all << table;
        const QString sql = Database::isServer(connection) ? QStringLiteral("SELECT * FROM %1 ORDER BY 1, 2")
                                                           : QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid");
        for (const QVariantList& row : rowsOf(connection, sql.arg(table))) {
            QStringList cells;
            for (const QVariant& v : row) {
                cells << (v.isNull() ? QStringLiteral("NULL")
                                     : QLatin1String(v.typeName()) + QLatin1Char(':') +
                                  (v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                                                   : v.toString()));
            }
            all << cells.join(QLatin1Char('|'));
        }
    }
    return all;
}

QStringList dumpEditable(const QString& connection)
{
    return dump(connection, UndoLog::capturedTables());
}

QList<UndoHistory::Step> stepsOf(const QString& connection)
{
    QList<UndoHistory::Step> steps;
    QString error;
    if (!UndoHistory::steps(connection, &steps, &error)) {
        qWarning() << error;
    }
    return steps;
}

int doneSteps(const QString& connection)
{
    const QList<UndoHistory::Step> steps = stepsOf(connection);
    return int(std::count_if(steps.begin(), steps.end(), [](const UndoHistory::Step& s) { return s.done; }));
}

// Sets a goal's priority through its editor, checked against `seen` (the row as read
// earlier) or the row as it is.
EditOutcome setPriority(const QString& c, qint64 goal, qint64 priority, const RowImage* seen = nullptr)
{
    GoalRecord stored;
    RowImage image;
    QString error;
    GoalEditor::load(c, goal, &stored, &image, &error);
    GoalRecord edited = stored;
    edited.priority = priority;
    ScriptedPrompter prompter;
    return GoalEditor::saveChanges(c,
                                   seen ? *seen : image,
                                   stored,
                                   edited,
                                   prompter,
                                   FixedClock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00"))));
}

// Closes the project and opens it again on kC.
bool reopen(const TempProject& p, QString* error)
{
    Database::close(kC);
    return Database::open(p.path(), kC, error);
}

void buildDemo(const QString& c)
{
    UndoLog::setCapturing(false);
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-06 22:00:00")));
    QString error;
    const bool built = DemoProject::build(c, clock, &error);
    UndoLog::setCapturing(true);
    QVERIFY2(built, qPrintable(error));
}

// Member Ann; goal Alpha (default member Ann) with sub-goal Beta (its identifier is
// returned) and task Design, assigned to Ann, with a note.
qint64 buildSmall(TempProject& p)
{
    UndoLog::setCapturing(false);
    p.member(QStringLiteral("Ann"));
    const qint64 alpha = p.goal(QStringLiteral("Alpha"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann'"));
    const qint64 beta = p.goal(QStringLiteral("Beta"), alpha);
    const qint64 design = p.task(alpha, QStringLiteral("Design"), 4);
    p.assign(design, QStringLiteral("Ann"), 100, 10, 1);
    p.note(design, QStringLiteral("n"));
    UndoLog::setCapturing(true);
    return beta;
}

const QStringList kStatuses = {
    QStringLiteral("Open"), QStringLiteral("Completed"), QStringLiteral("On Hold"), QStringLiteral("Closed")};

// Loads a goal or task, changes it and saves it, when it can be loaded.
template <typename Editor, typename Record, typename Change>
void edit(const QString& c, qint64 id, Prompter& prompter, const Clock& clock, Change change)
{
    Record stored;
    RowImage image;
    QString error;
    if (Editor::load(c, id, &stored, &image, &error)) {
        Record edited = stored;
        change(edited);
        Editor::saveChanges(c, image, stored, edited, prompter, clock);
    }
}

// One random edit through the real editors (status walks answered at random), or an
// undo or redo.
void randomAction(const QString& c, QRandomGenerator& random, const Clock& clock)
{
    RandomPrompter prompter(random);
    auto pick = [&](const char* sql) -> QVariantList {
        const QList<QVariantList> rows = rowsOf(c, QLatin1String(sql));
        return rows.isEmpty() ? QVariantList{QVariant(), QVariant()} : rows.at(random.bounded(int(rows.size())));
    };
    const QVariantList member = pick("SELECT R_NAME FROM RESOURCES");
    const qint64 goal = pick("SELECT ID FROM GOALS_SW").at(0).toLongLong();
    const qint64 task = pick("SELECT ID FROM TASKS_OBJECTS").at(0).toLongLong();
    const QVariantList assignment = pick("SELECT FK_TASKID, FK_R_NAME FROM TASK_OBJECT_RESOURCE");
    const qint64 note = pick("SELECT NID FROM TASK_OBJECT_WORKSHEET").at(0).toLongLong();
    const QString status = kStatuses.at(random.bounded(int(kStatuses.size())));
    const QString name = QStringLiteral("n%1").arg(random.bounded(1000));
    RowImage image;
    QString error;
    GoalRecord g;
    TaskRecord t;
    AssignmentRecord a;
    NoteRecord n;
    MemberStore store(c);
    MemberStore::Failure failure;
    switch (random.bounded(14)) {
    case 0:
        g.shortName = name;
        g.status = status;
        g.parentId = goal > 0 && random.bounded(4) != 0 ? std::optional<qint64>(goal) : std::nullopt;
        g.defaultResource = Sql::optionalText(member.at(0));
        GoalEditor::add(c, g, prompter, clock);
        break;
    case 1:
        edit<GoalEditor, GoalRecord>(c, goal, prompter, clock, [&](GoalRecord& edited) {
            edited.status = status;
            edited.priority = random.bounded(100);
        });
        break;
    case 2:
        t.shortName = name;
        t.goalId = goal;
        t.daysPlanned = random.bounded(1000) / 7.0;
        TaskEditor::add(c, t, prompter, clock);
        break;
    case 3:
        edit<TaskEditor, TaskRecord>(c, task, prompter, clock, [&](TaskRecord& edited) {
            edited.status = status;
            edited.daysPlanned = random.bounded(1000) / 3.0;
        });
        break;
    case 4:
        a.taskId = task;
        a.member = member.at(0).toString();
        a.perWorkload = random.bounded(101);
        a.perCompleted = random.bounded(2) ? 100 : random.bounded(100) / 3.0;
        a.daysNeeded = random.bounded(50) / 7.0;
        AssignmentEditor::add(c, a, prompter);
        break;
    case 5:
        if (AssignmentEditor::load(c, assignment.at(0).toLongLong(), assignment.at(1).toString(), &a, &image, &error)) {
            AssignmentRecord edited = a;
            edited.perCompleted = random.bounded(3) ? 100 : random.bounded(100) / 7.0;
            edited.daysNeeded = random.bounded(50) / 3.0;
            AssignmentEditor::saveChanges(c, image, a, edited, prompter);
        }
        break;
    case 6:
        NoteEditor::add(c, task, name, clock);
        break;
    case 7:
        if (NoteEditor::load(c, note, &n, &image, &error)) {
            NoteEditor::saveChanges(c, image, n, name, clock);
        }
        break;
    case 8:
        if (random.bounded(3) == 0) {
            ObjectDeleter::deleteGoal(c,
                                      goal,
                                      random.bounded(2) ? ObjectDeleter::GoalSource::Tree
                                                        : ObjectDeleter::GoalSource::TaskList,
                                      prompter);
        }
        break;
    case 9:
        ObjectDeleter::deleteTask(c, task, prompter);
        break;
    case 10:
        ObjectDeleter::deleteAssignment(c, assignment.at(0).toLongLong(), assignment.at(1).toString(), prompter);
        break;
    case 11:
        ObjectDeleter::deleteNote(c, note, prompter);
        break;
    case 12:
        if (member.at(0).isNull() || random.bounded(3) == 0) {
            store.insert(MemberRecord::withHours(name, QStringLiteral("09:00"), QStringLiteral("17:00")), &failure);
        } else if (store.read(member.at(0).toString(), &image, &failure) && random.bounded(2)) {
            store.remove(image, &failure);
        } else {
            // A rename, letter case only now and then, carried to assignments and goals.
            store.update(image,
                         MemberRecord::withHours(random.bounded(3) ? name : member.at(0).toString().toUpper(),
                                                 QStringLiteral("08:00"),
                                                 QStringLiteral("16:30")),
                         &failure);
        }
        break;
    default:
        random.bounded(2) ? UndoHistory::undo(c, &error) : UndoHistory::redo(c, &error);
        break;
    }
}

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
    void eachServerRoleUndoesItsOwnSteps();
    void writesOutsideStepsLogNothing();
    void olderProjectGainsTheLog();
    void keepsTheLatestSteps();
};

// From the sample project, random edits through the real editors with undos and redos
// among them: at every checkpoint undoing everything gives the start back exactly, and
// redoing everything the checkpoint's state; snapshots stay as they are throughout.
void TestUndo::randomEditsUndoToStartAndRedoToEnd()
{
    TempProject p(kC);
    const int actions = TempProject::onServer() ? 60 : 300;
    buildDemo(kC);
    const QStringList start = dumpEditable(kC);
    const QStringList snapshotTables = {QStringLiteral("CompDates"), QStringLiteral("CompDatesHours")};
    QRandomGenerator random(20);
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    const int every = actions / 6;
    for (int i = 1; i <= actions; ++i) {
        randomAction(kC, random, clock);
        QVERIFY2(!Transaction::isOpen(kC), "an action left its transaction open");
        if (i % every != 0) {
            continue;
        }
        if (i == 3 * every) {
            // A snapshot in between is no step and is never undone.
            QString stamp, error;
            QVERIFY2(SnapshotGenerator::GenerateCompDates(kC, clock, &stamp, &error), qPrintable(error));
        }
        const QStringList end = dumpEditable(kC);
        const QStringList snapshots = dump(kC, snapshotTables);
        const int done = doneSteps(kC);
        QVERIFY(done > 0);
        const QList<UndoHistory::Step> steps = stepsOf(kC);
        QString error;
        QVERIFY2(UndoHistory::goTo(kC, 0, &error), qPrintable(error));
        QCOMPARE(dumpEditable(kC), start);
        QCOMPARE(doneSteps(kC), 0);
        // Everything redone, the steps undone before the checkpoint included, then
        // back to where the checkpoint stood.
        QVERIFY2(UndoHistory::goTo(kC, steps.last().id, &error), qPrintable(error));
        QCOMPARE(doneSteps(kC), int(steps.size()));
        QVERIFY2(UndoHistory::goTo(kC, steps.at(done - 1).id, &error), qPrintable(error));
        QCOMPARE(dumpEditable(kC), end);
        QCOMPARE(doneSteps(kC), done);
        QCOMPARE(dump(kC, snapshotTables), snapshots);
    }
    if (!TempProject::onServer()) {
        QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoCurrent WHERE STEP IS NOT NULL")), 0);
    }
}

void TestUndo::stepsNamedFromTheirRows_data()
{
    // The writes an editor makes, the counters first.
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("name");
    QTest::newRow("add goal") << QStringList{"UPDATE COUNTERS SET GOAL_APP = 9",
                                             "INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS,"
                                             " CREATED) VALUES (9, 'Goal', 'New', 50, 'Open', '2026-12-07 09:15:00')"}
                              << QStringLiteral("Add goal \"New\"");
    QTest::newRow("edit task") << QStringList{"UPDATE TASKS_OBJECTS SET DAYSPLANNED = 9"}
                               << QStringLiteral("Edit task \"Design\"");
    QTest::newRow("delete goal with its subtree") << QStringList{"DELETE FROM GOALS_SW WHERE SHORT_NAME = 'Alpha'"}
                                                  << QStringLiteral("Delete goal \"Alpha\" and everything below it");
    QTest::newRow("edit assignment") << QStringList{"UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = 50"}
                                     << QStringLiteral("Edit assignment of Ann on \"Design\"");
    QTest::newRow("delete note") << QStringList{"DELETE FROM TASK_OBJECT_WORKSHEET"}
                                 << QStringLiteral("Delete note on \"Design\"");
    QTest::newRow("rename member") << QStringList{"UPDATE RESOURCES SET R_NAME = 'Anna'"}
                                   << QStringLiteral("Rename team member \"Ann\" to \"Anna\"");
}

void TestUndo::stepsNamedFromTheirRows()
{
    QFETCH(QStringList, writes);
    QFETCH(QString, name);
    TempProject p(kC);
    buildSmall(p);
    Transaction tx(kC);
    for (const QString& sql : writes) {
        runSql(p, sql);
    }
    QVERIFY(tx.commit());
    const QList<UndoHistory::Step> steps = stepsOf(kC);
    QCOMPARE(steps.size(), 1);
    QCOMPARE(steps.first().name, name);
}

// The history is kept in the project: after closing and opening it the last step is
// undone, and a new step after an undo drops the one that could have been redone.
void TestUndo::historySurvivesReopening()
{
    TempProject p(kC);
    buildDemo(kC);
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    const QStringList start = dumpEditable(kC);
    ScriptedPrompter yes({true});
    const qint64 top = valueOf(kC, QStringLiteral("SELECT MIN(ID) FROM GOALS_SW WHERE P_GID IS NULL")).toLongLong();
    QVERIFY(ObjectDeleter::deleteGoal(kC, top, ObjectDeleter::GoalSource::Tree, yes).ok);
    NoteEditor::add(kC, valueOf(kC, QStringLiteral("SELECT MIN(ID) FROM TASKS_OBJECTS")).toLongLong(), "x", clock);
    QString error;
    QVERIFY2(reopen(p, &error), qPrintable(error));
    QCOMPARE(doneSteps(kC), 2);
    QVERIFY2(UndoHistory::undo(kC, &error), qPrintable(error));
    QVERIFY2(UndoHistory::undo(kC, &error), qPrintable(error));
    QCOMPARE(dumpEditable(kC), start);
    QVERIFY2(UndoHistory::redo(kC, &error), qPrintable(error));
    GoalRecord g;
    g.shortName = QStringLiteral("after undo");
    QVERIFY(GoalEditor::add(kC, g, yes, clock).ok);
    const QList<UndoHistory::Step> steps = stepsOf(kC);
    QCOMPARE(steps.size(), 2);
    QVERIFY(steps.at(0).done && steps.at(1).done);
    QVERIFY(!UndoHistory::redo(kC, &error));
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
    TempProject p(kC);
    const qint64 beta = buildSmall(p);
    QString error;
    // One step touching each of the rows changed below: the task, the member, the note,
    // and a deleted goal whose identifier is then taken by another.
    {
        UndoLog::Naming naming(kC, QStringLiteral("Several things"));
        Transaction tx(kC);
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
    const QStringList before = dumpEditable(kC);
    QVERIFY(!UndoHistory::undo(kC, &error));
    QVERIFY2(error.startsWith(QStringLiteral("Cannot undo \"Several things\": ")), qPrintable(error));
    QVERIFY2(error.contains(named), qPrintable(error));
    QCOMPARE(dumpEditable(kC), before);
    QCOMPARE(doneSteps(kC), 1);
    if (!TempProject::onServer()) {
        QCOMPARE(countOf(p, QStringLiteral("PRAGMA foreign_keys")), 1);
    }
}

// Two people on one server: each undoes only his own steps; an undo is a new change for
// the other's conflict checks and reaches his window; an undo over the other's later
// change is refused and changes nothing.
void TestUndo::eachServerRoleUndoesItsOwnSteps()
{
    if (!TempProject::onServer()) {
        QSKIP("Roles are a server's");
    }
    TempProject p(kC);
    const QString role = QStringLiteral("cw_undo_%1").arg(QCoreApplication::applicationPid());
    const QString password = qEnvironmentVariable("PGPASSWORD").replace(QLatin1Char('\''), QStringLiteral("''"));
    const QString b = QStringLiteral("b");
    QString error;
    QVERIFY2(p.server()->exec(QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2'").arg(role, password), &error) &&
                 p.server()->exec(QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA public TO %1;"
                                                 " GRANT ALL ON ALL SEQUENCES IN SCHEMA public TO %1")
                                      .arg(role),
                                  &error),
             qPrintable(error));
    const auto dropRole = qScopeGuard([&] {
        Database::close(b);
        p.server()->exec(QStringLiteral("DROP OWNED BY %1").arg(role));
        p.server()->exec(QStringLiteral("DROP ROLE %1").arg(role));
    });
    QVERIFY2(Database::open(p.path() + QStringLiteral("?user=") + role, b, &error), qPrintable(error));
    ScriptedPrompter prompter;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    GoalRecord top;
    top.shortName = QStringLiteral("Top");
    const qint64 id = GoalEditor::add(b, top, prompter, clock).id;
    QVERIFY(id > 0);
    GoalRecord seen;
    RowImage seenByB;
    QVERIFY(GoalEditor::load(b, id, &seen, &seenByB, &error));
    QVERIFY(setPriority(kC, id, 60).ok);
    QCOMPARE(stepsOf(kC).size(), 1);
    QCOMPARE(stepsOf(b).size(), 1); // B's own "Add goal"

    ChangeListener listener(b);
    QSignalSpy heard(&listener, &ChangeListener::changed);
    QVERIFY2(UndoHistory::undo(kC, &error), qPrintable(error));
    QTRY_VERIFY(heard.contains(QVariantList{QStringLiteral("goals_sw")}));
    QCOMPARE(valueOf(b, QStringLiteral("SELECT PRIORITY FROM GOALS_SW")).toLongLong(), qint64(50));
    // B's goal reads as B saw it before, yet it was changed and changed back meanwhile.
    QVERIFY(setPriority(b, id, 70, &seenByB).conflict);

    QVERIFY2(UndoHistory::redo(kC, &error), qPrintable(error));
    QVERIFY(setPriority(b, id, 80).ok);
    const QStringList before = dumpEditable(kC);
    QVERIFY(!UndoHistory::undo(kC, &error));
    QCOMPARE(error, QStringLiteral("Cannot undo \"Edit goal \"Top\"\": goal \"Top\" was changed since."));
    QCOMPARE(dumpEditable(kC), before);
    QCOMPARE(doneSteps(kC), 1);
    // B's undo of his own edit goes through, A's step stays his.
    QVERIFY2(UndoHistory::undo(b, &error), qPrintable(error));
    QCOMPARE(valueOf(kC, QStringLiteral("SELECT PRIORITY FROM GOALS_SW")).toLongLong(), qint64(60));
    QCOMPARE(doneSteps(kC), 1);
}

// Writes outside a step leave no trace in the history: the command line's snapshot
// and a snapshot taken in a capturing process, which touches no editable row.
void TestUndo::writesOutsideStepsLogNothing()
{
    TempProject p(kC);
    buildDemo(kC);
    QString stamp, error;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    QVERIFY2(SnapshotGenerator::GenerateCompDates(kC, clock, &stamp, &error), qPrintable(error));
    p.close();
    const CliRun r = CliRun::run({QStringLiteral("snapshot"), p.path()});
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(Database::open(p.path(), kC, &error), qPrintable(error));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), 0);
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoEntry")), 0);
}

// A project made before the log (a file of the previous format, a server database
// without the log's tables) gains it when opened for writing; its first edit is a
// step like any other.
void TestUndo::olderProjectGainsTheLog()
{
    TempProject p(kC);
    UndoLog::setCapturing(false);
    GoalRecord g;
    g.shortName = QStringLiteral("G");
    ScriptedPrompter prompter;
    FixedClock clock(Stamp::fromText(QStringLiteral("2026-12-07 09:15:00")));
    const qint64 goal = GoalEditor::add(kC, g, prompter, clock).id;
    const QString drop = TempProject::onServer()
        ? QStringLiteral("SELECT 'TABLE', tablename || ' CASCADE' FROM pg_tables WHERE tablename LIKE 'undo%'"
                         " UNION ALL SELECT 'FUNCTION', 'cw_undo_log CASCADE'")
        : QStringLiteral("SELECT type, name FROM sqlite_master WHERE (name LIKE 'Undo%' OR name LIKE '%_undo_%')"
                         " AND name NOT LIKE 'sqlite_%' ORDER BY type = 'table'");
    QString error;
    for (const QVariantList& row : rowsOf(kC, drop)) {
        QVERIFY2(
            Sql::exec(kC,
                      QStringLiteral("DROP %1 IF EXISTS %2").arg(row.at(0).toString().toUpper(), row.at(1).toString()),
                      &error),
            qPrintable(error));
    }
    if (!TempProject::onServer()) {
        QVERIFY(Sql::exec(kC, QStringLiteral("PRAGMA user_version = 2"), &error));
    }
    UndoLog::setCapturing(true);
    QVERIFY2(reopen(p, &error), qPrintable(error));
    QCOMPARE(stepsOf(kC).size(), 0);
    QVERIFY(setPriority(kC, goal, 3).ok);
    QVERIFY2(UndoHistory::undo(kC, &error), qPrintable(error));
    QCOMPARE(valueOf(kC, QStringLiteral("SELECT PRIORITY FROM GOALS_SW")).toLongLong(), qint64(50));
}

// Only the latest steps are kept; older ones go with everything they logged.
void TestUndo::keepsTheLatestSteps()
{
    TempProject p(kC);
    UndoLog::setCapturing(false);
    p.note(p.task(p.goal(QStringLiteral("G")), QStringLiteral("T"), 1), QStringLiteral("n"));
    UndoLog::setCapturing(true);
    const int steps = UndoLog::kMaxSteps + 3;
    for (int i = 1; i <= steps; ++i) {
        Transaction tx(kC);
        runSql(p, QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NOTES = ?"), {QString::number(i)});
        QVERIFY(tx.commit());
    }
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoStep")), qint64(UndoLog::kMaxSteps));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoEntry")), qint64(UndoLog::kMaxSteps));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM UndoImage_TASK_OBJECT_WORKSHEET")),
             qint64(2 * UndoLog::kMaxSteps));
    QString error;
    QVERIFY2(UndoHistory::goTo(kC, 0, &error), qPrintable(error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT NOTES FROM TASK_OBJECT_WORKSHEET")).toString(), QStringLiteral("3"));
}

QTEST_GUILESS_MAIN(TestUndo)
#include "TestUndo.moc"
