#include "common/FixedClock.h"
#include "common/ui/MessageBox.h"
#include "db/Database.h"
#include "db/RowImage.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "editing/AssignmentEditor.h"
#include "editing/GoalEditor.h"
#include "editing/NoteEditor.h"
#include "editing/ObjectDeleter.h"
#include "editing/TaskEditor.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "team/MemberFields.h"
#include "team/MemberStore.h"
#include "team/TeamMemberForm.h"
#include "tests/support/ScriptedPrompter.h"
#include "tests/support/ServerDatabase.h"
#include "tests/support/WidgetTest.h"

#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <thread>

using namespace WidgetTest;

namespace {
const QString kA = QStringLiteral("a"); // one person's window
const QString kB = QStringLiteral("b"); // another's, on the same project

// One project open on two connections, as a file or on a team server. Holds member
// Alice, goal "Top" (default member Alice) with sub-goal "Sub", task "Task" under
// "Sub" assigned to Alice, and a note on it.
struct SharedProject
{
    QTemporaryDir dir;
    std::unique_ptr<ServerDatabase> server;
    QString location;
    qint64 top = 0;
    qint64 sub = 0;
    qint64 task = 0;
    qint64 note = 0;

    ~SharedProject()
    {
        Database::close(kA);
        Database::close(kB);
    }
};

// Opens `engine` ("file" or "server"); false after QSKIP/QFAIL when it cannot.
bool openShared(const QString& engine, SharedProject* p)
{
    if (engine == QLatin1String("server")) {
        p->server = std::make_unique<ServerDatabase>();
        if (!p->server->isValid()) {
            return false;
        }
        p->location = p->server->url();
    } else {
        p->location = p->dir.filePath(QStringLiteral("shared.cwk"));
    }
    QString error;
    if (!Database::create(p->location, kA, &error) || !Database::open(p->location, kB, &error)) {
        qWarning() << error;
        return false;
    }
    FixedClock clock(QDateTime(QDate(2026, 2, 3), QTime(9, 0)));
    ScriptedPrompter prompter;
    MemberStore::Failure failure;
    if (!MemberStore(kA).insert(MemberRecord::withHours("Alice", "08:00", "16:00"), &failure)) {
        qWarning() << failure.description;
        return false;
    }
    GoalRecord goal;
    goal.shortName = QStringLiteral("Top");
    goal.defaultResource = QStringLiteral("Alice");
    p->top = GoalEditor::add(kA, goal, prompter, clock).id;
    goal.shortName = QStringLiteral("Sub");
    goal.parentId = p->top;
    p->sub = GoalEditor::add(kA, goal, prompter, clock).id;
    TaskRecord task;
    task.shortName = QStringLiteral("Task");
    task.goalId = p->sub;
    task.daysPlanned = 4;
    p->task = TaskEditor::add(kA, task, prompter, clock).id;
    p->note = NoteEditor::add(kA, p->task, QStringLiteral("first"), clock).id;
    return p->top > 0 && p->sub > 0 && p->task > 0 && p->note > 0;
}

#define OPEN_SHARED(engine, project)                                                                                   \
    do {                                                                                                               \
        if (!openShared(engine, &project)) {                                                                           \
            if (project.server && !project.server->isValid()) {                                                        \
                CW_REQUIRE_SERVER(*project.server);                                                                    \
            }                                                                                                          \
            QFAIL("the shared project could not be built");                                                            \
        }                                                                                                              \
    } while (false)

QVariant scalar(const QString& connection, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery q(Sql::db(connection));
    QString error;
    if (!Sql::run(q, sql, values, &error) || !q.next()) {
        qWarning() << error;
        return {};
    }
    return q.value(0);
}

// Answers Yes to every question; at question number `at` (from 0) it first runs
// `meanwhile`: another person acting while the question is open.
class ActingPrompter : public ScriptedPrompter
{
public:
    ActingPrompter(int at, std::function<void()> meanwhile)
        : m_at(at)
        , m_meanwhile(std::move(meanwhile))
    {
    }
    bool ask(const QString& title, const QString& text, bool yesIsDefault) override
    {
        ScriptedPrompter::ask(title, text, yesIsDefault);
        if (questions() == m_at + 1) {
            m_meanwhile();
        }
        return true;
    }

private:
    int m_at;
    std::function<void()> m_meanwhile;
};

void addEngines()
{
    QTest::addColumn<QString>("engine");
}
} // namespace

class TestConcurrentEdits : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        MessageBox::setAutoAnswer(true);
        MessageBox::takeShown();
    }
    void cleanup() { MessageBox::setAutoAnswer(false); }
    void secondSaveIsRefused_data();
    void secondSaveIsRefused();
    void deleteAgainstEdit_data();
    void deleteAgainstEdit();
    void memberRenamedWhileEdited_data();
    void memberRenamedWhileEdited();
    void dialogShowsRefusalAndReloads_data();
    void dialogShowsRefusalAndReloads();
    void statusWalkHoldsTheGoalItAsksAbout();
    void goalsAddedAtOnceGetDistinctIdentifiers();

private:
    FixedClock m_clock{QDateTime(QDate(2026, 2, 4), QTime(11, 0))};
};

void TestConcurrentEdits::secondSaveIsRefused_data()
{
    addEngines();
    QTest::addColumn<QString>("object");
    for (const char* engine : {"file", "server"}) {
        for (const char* object : {"goal", "assignment", "note"}) {
            QTest::addRow("%s, %s", engine, object) << engine << object;
        }
    }
}

void TestConcurrentEdits::secondSaveIsRefused()
{
    QFETCH(QString, engine);
    QFETCH(QString, object);
    SharedProject p;
    OPEN_SHARED(engine, p);
    ScriptedPrompter prompter;
    // Both connections load the row; each then saves a change of its own, A first.
    std::function<EditOutcome()> save[2];
    QString storedSql;
    QString what;
    for (int i : {0, 1}) {
        const QString c = i == 0 ? kA : kB;
        auto loaded = std::make_shared<RowImage>();
        QString error;
        if (object == QLatin1String("goal")) {
            auto goal = std::make_shared<GoalRecord>();
            QVERIFY(GoalEditor::load(c, p.sub, goal.get(), loaded.get(), &error));
            save[i] = [=, &prompter, this] {
                GoalRecord edited = *goal;
                edited.shortName = "Sub by " + c;
                return GoalEditor::saveChanges(c, *loaded, *goal, edited, prompter, m_clock);
            };
            storedSql = "SELECT SHORT_NAME FROM GOALS_SW";
            what = QStringLiteral("Goal \"Sub\"");
        } else if (object == QLatin1String("assignment")) {
            auto assignment = std::make_shared<AssignmentRecord>();
            QVERIFY(AssignmentEditor::load(c, p.task, "Alice", assignment.get(), loaded.get(), &error));
            save[i] = [=, &prompter] {
                AssignmentRecord edited = *assignment;
                edited.perCompleted = c == kA ? 40 : 60;
                return AssignmentEditor::saveChanges(c, *loaded, *assignment, edited, prompter);
            };
            storedSql = "SELECT PER_COMPLETED FROM TASK_OBJECT_RESOURCE";
            what = AssignmentEditor::describedAs("Alice");
        } else {
            auto note = std::make_shared<NoteRecord>();
            QVERIFY(NoteEditor::load(c, p.note, note.get(), loaded.get(), &error));
            save[i] = [=, this] { return NoteEditor::saveChanges(c, *loaded, *note, "by " + c, m_clock); };
            storedSql = "SELECT NOTES FROM TASK_OBJECT_WORKSHEET";
            what = NoteEditor::describedAs();
        }
    }

    const EditOutcome first = save[0]();
    QVERIFY2(first.ok && first.written, qPrintable(first.error));
    const QString afterFirst = scalar(kA, storedSql).toString();
    const EditOutcome second = save[1]();
    QVERIFY(!second.ok && second.conflict);
    QCOMPARE(second.error, RowImage::changedMessage(what));
    QCOMPARE(scalar(kA, storedSql).toString(), afterFirst);
}

void TestConcurrentEdits::deleteAgainstEdit_data()
{
    addEngines();
    QTest::addColumn<bool>("deleteFirst");
    for (const char* engine : {"file", "server"}) {
        QTest::addRow("%s, delete then save", engine) << engine << true;
        QTest::addRow("%s, save while the delete is asked", engine) << engine << false;
    }
}

void TestConcurrentEdits::deleteAgainstEdit()
{
    QFETCH(QString, engine);
    QFETCH(bool, deleteFirst);
    SharedProject p;
    OPEN_SHARED(engine, p);
    GoalRecord a;
    RowImage loadedA;
    QString error;
    QVERIFY(GoalEditor::load(kA, p.sub, &a, &loadedA, &error));
    GoalRecord edited = a;
    edited.shortName = QStringLiteral("Renamed");
    ScriptedPrompter quiet;
    EditOutcome saved;
    ActingPrompter deleter(deleteFirst ? -1 : 0,
                           [&] { saved = GoalEditor::saveChanges(kA, loadedA, a, edited, quiet, m_clock); });
    const EditOutcome removed = ObjectDeleter::deleteGoal(kB, p.sub, ObjectDeleter::GoalSource::Tree, deleter);
    if (deleteFirst) {
        QVERIFY2(removed.ok && removed.written, qPrintable(removed.error));
        saved = GoalEditor::saveChanges(kA, loadedA, a, edited, quiet, m_clock);
        QVERIFY(!saved.ok && saved.conflict);
        QCOMPARE(saved.error, RowImage::changedMessage(QStringLiteral("Goal \"Sub\"")));
        QCOMPARE(scalar(kA, "SELECT COUNT(*) FROM GOALS_SW WHERE ID = ?", {p.sub}).toInt(), 0);
    } else {
        QVERIFY2(saved.ok && saved.written, qPrintable(saved.error));
        QVERIFY(!removed.ok && removed.conflict);
        QCOMPARE(removed.error, RowImage::changedMessage(QStringLiteral("Goal \"Sub\"")));
        // The edit stands, and nothing below the goal went with a delete that did not happen.
        QCOMPARE(scalar(kA, "SELECT SHORT_NAME FROM GOALS_SW WHERE ID = ?", {p.sub}).toString(),
                 QStringLiteral("Renamed"));
        QCOMPARE(scalar(kA, "SELECT COUNT(*) FROM TASKS_OBJECTS WHERE FK_ID = ?", {p.sub}).toInt(), 1);
    }
}

void TestConcurrentEdits::memberRenamedWhileEdited_data()
{
    addEngines();
    QTest::newRow("file") << "file";
    QTest::newRow("server") << "server";
}

void TestConcurrentEdits::memberRenamedWhileEdited()
{
    QFETCH(QString, engine);
    SharedProject p;
    OPEN_SHARED(engine, p);
    TeamMemberForm form(kA);
    QVERIFY(form.load().ok);
    QCOMPARE(form.storedName(), QStringLiteral("Alice"));
    AssignmentRecord assignment;
    RowImage assignmentLoaded;
    QString error;
    QVERIFY(AssignmentEditor::load(kA, p.task, "Alice", &assignment, &assignmentLoaded, &error));

    // B renames Alice; the rename travels to her assignment and the goals' default member.
    MemberStore other(kB);
    RowImage alice;
    MemberStore::Failure failure;
    QVERIFY(other.read("Alice", &alice, &failure));
    QVERIFY2(other.update(alice, MemberRecord::withHours("Alicia", "08:00", "16:00"), &failure),
             qPrintable(failure.description));

    QVERIFY(form.edit().ok);
    form.setField(MemberFields::kNotes, QStringLiteral("A's note"));
    const TeamMemberForm::Result r = form.update();
    QVERIFY(!r.ok);
    QCOMPARE(r.description, RowImage::changedMessage(MemberStore::describedAs("Alice")));
    // The form shows the member as she now stands, and A's note went nowhere.
    QVERIFY(!form.isEditing());
    QCOMPARE(form.storedName(), QStringLiteral("Alicia"));
    QCOMPARE(form.field(MemberFields::kNotes), QString());
    QCOMPARE(scalar(kA, "SELECT COUNT(*) FROM RESOURCES WHERE R_DESCRIPTION IS NOT NULL").toInt(), 0);

    // A's assignment dialog, opened on Alice before the rename, is refused as well.
    AssignmentRecord edited = assignment;
    edited.perCompleted = 50;
    ScriptedPrompter prompter;
    const EditOutcome o = AssignmentEditor::saveChanges(kA, assignmentLoaded, assignment, edited, prompter);
    QVERIFY(!o.ok && o.conflict);
    QCOMPARE(scalar(kA, "SELECT PER_COMPLETED FROM TASK_OBJECT_RESOURCE").toDouble(), 0.0);

    // Now loaded afresh, A's change goes through.
    form.setField(MemberFields::kNotes, QStringLiteral("A's note"));
    QVERIFY2(form.update().ok, qPrintable(form.update().description));
    QCOMPARE(scalar(kA, "SELECT R_DESCRIPTION FROM RESOURCES WHERE R_NAME = 'Alicia'").toString(),
             QStringLiteral("A's note"));
}

// The refusal itself is the editor's, on either engine (above); the dialog's answer to it is the same on both.
void TestConcurrentEdits::dialogShowsRefusalAndReloads_data()
{
    QTest::addColumn<bool>("removed");
    QTest::newRow("changed") << false;
    QTest::newRow("removed") << true;
}

void TestConcurrentEdits::dialogShowsRefusalAndReloads()
{
    QFETCH(bool, removed);
    SharedProject p;
    OPEN_SHARED(QStringLiteral("file"), p);
    GoalPropertiesDialog d;
    d.setClock(&m_clock);
    QVERIFY(d.prepareEdit(kA, p.sub));
    d.show();
    QString error;
    if (removed) {
        QVERIFY(Sql::run(kB, "DELETE FROM GOALS_SW WHERE ID = ?", {p.sub}, &error));
    } else {
        QVERIFY(
            Sql::run(kB, "UPDATE GOALS_SW SET PRIORITY = 7, SHORT_NAME = 'Sub by B' WHERE ID = ?", {p.sub}, &error));
    }
    typeInto(&d, "SHORT_NAME", QStringLiteral("Sub by A"));
    clickButton(&d, "OK");
    const auto shown = MessageBox::takeShown();
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.first().text, RowImage::changedMessage(QStringLiteral("Goal \"Sub\"")));
    QVERIFY(!d.outcome().written);
    if (removed) {
        QVERIFY(!d.isVisible());
        return;
    }
    // Still open, showing B's values; A's edit is not in the project.
    QVERIFY(d.isVisible());
    QCOMPARE(child<QLineEdit>(&d, "SHORT_NAME")->text(), QStringLiteral("Sub by B"));
    QCOMPARE(child<QComboBox>(&d, "PRIORITY")->currentText(), QStringLiteral("7"));
    QCOMPARE(scalar(kA, "SELECT SHORT_NAME FROM GOALS_SW WHERE ID = ?", {p.sub}).toString(),
             QStringLiteral("Sub by B"));
    // A second OK, now on the row as it stands, saves.
    typeInto(&d, "SHORT_NAME", QStringLiteral("Sub by A"));
    clickButton(&d, "OK");
    QVERIFY(d.outcome().written);
    QCOMPARE(scalar(kA, "SELECT PRIORITY FROM GOALS_SW WHERE ID = ?", {p.sub}).toInt(), 7);
}

void TestConcurrentEdits::statusWalkHoldsTheGoalItAsksAbout()
{
    // On a file the writer holds the whole file; a server must hold the goal row the
    // walk asks about, or another person could change it before the answer is written.
    SharedProject p;
    OPEN_SHARED(QStringLiteral("server"), p);
    QString error;
    QVERIFY(Sql::run(kA, "UPDATE GOALS_SW SET STATUS = 'On Hold' WHERE ID = ?", {p.sub}, &error));
    TaskRecord done;
    done.shortName = QStringLiteral("Done");
    done.status = QStringLiteral("Completed");
    done.goalId = p.sub;
    ScriptedPrompter quiet;
    QVERIFY(TaskEditor::add(kA, done, quiet, m_clock).ok);

    // Deleting the open task leaves "Sub" finished: after the delete's own question
    // the walk asks before completing it, and B tries to take the goal meanwhile.
    bool heldWhileAsked = false;
    ActingPrompter twoStep(1, [&] {
        QVERIFY(Sql::exec(kB, "BEGIN", &error));
        heldWhileAsked = !Sql::run(kB, "SELECT ID FROM GOALS_SW WHERE ID = ? FOR UPDATE NOWAIT", {p.sub}, &error);
        QVERIFY(Sql::exec(kB, "ROLLBACK", &error));
    });
    const EditOutcome o = ObjectDeleter::deleteTask(kA, p.task, twoStep);
    QVERIFY2(o.ok, qPrintable(o.error));
    QCOMPARE(twoStep.questions(), 2);
    QVERIFY2(heldWhileAsked, "another connection could lock the goal while the walk asked about it");
    QCOMPARE(scalar(kB, "SELECT STATUS FROM GOALS_SW WHERE ID = ?", {p.sub}).toString(), QStringLiteral("Completed"));
}

void TestConcurrentEdits::goalsAddedAtOnceGetDistinctIdentifiers()
{
    // A file's writers queue for the whole file at BEGIN; a server's run side by side.
    SharedProject p;
    OPEN_SHARED(QStringLiteral("server"), p);
    // A adds a goal inside a longer transaction; B, on a connection of its own thread,
    // adds one meanwhile and must wait for A instead of taking the same number.
    Transaction tx(kA);
    QVERIFY2(tx.isActive(), qPrintable(tx.error()));
    GoalRecord goal;
    goal.shortName = QStringLiteral("By A");
    ScriptedPrompter prompter;
    const EditOutcome byA = GoalEditor::add(kA, goal, prompter, m_clock);
    QVERIFY2(byA.ok, qPrintable(byA.error));

    EditOutcome byB;
    const auto addByB = [&] {
        const QString c = QStringLiteral("c");
        QString error;
        if (!Database::open(p.location, c, &error)) {
            byB = EditOutcome::failure(error);
            return;
        }
        GoalRecord g;
        g.shortName = QStringLiteral("By B");
        ScriptedPrompter none;
        FixedClock clock(QDateTime(QDate(2026, 2, 4), QTime(12, 0)));
        byB = GoalEditor::add(c, g, none, clock);
        Database::close(c);
    };
    std::thread other(addByB);
    // B is seen waiting for A's lock, so the two really overlap.
    const bool waited = QTest::qWaitFor(
        [&] { return p.server->scalar("SELECT COUNT(*) FROM pg_locks WHERE NOT granted").toInt() > 0; });
    const bool committed = tx.commit();
    other.join();
    QVERIFY(waited);
    QVERIFY(committed);
    QVERIFY2(byB.ok, qPrintable(byB.error));
    QVERIFY(byA.id != byB.id);
    QCOMPARE(scalar(kB, "SELECT COUNT(*) FROM GOALS_SW WHERE SHORT_NAME IN ('By A', 'By B')").toInt(), 2);
    QCOMPARE(scalar(kB, "SELECT GOAL_APP FROM COUNTERS").toLongLong(), std::max(byA.id, byB.id));
}

QTEST_MAIN(TestConcurrentEdits)
#include "TestConcurrentEdits.moc"
