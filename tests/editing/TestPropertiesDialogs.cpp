#include "common/FixedClock.h"
#include "common/ui/MessageBox.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "editing/ui/NotePropertiesDialog.h"
#include "editing/ui/TaskPropertiesDialog.h"
#include "tests/support/TestSql.h"
#include "tests/support/WidgetTest.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namespace WidgetTest;

class TestPropertiesDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void goalDialogShape();
    void addGoalThroughDialog();
    void goalValidationKeepsDialogOpen();
    void addTaskThroughDialog();
    void completedTaskNotDoneIsSavedOpen();
    void daysPlannedComparedAsNumbers();
    void assignmentDuplicateRefused();
    void emptyNoteAllowed();

private:
    FixedClock m_clock{QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9))};
};

void TestPropertiesDialogs::init()
{
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestPropertiesDialogs::cleanup()
{
    MessageBox::setAutoAnswer(false);
}

void TestPropertiesDialogs::goalDialogShape()
{
    TempProject p;
    p.member(QStringLiteral("Zoe"));
    p.member(QStringLiteral("Ann"));
    GoalPropertiesDialog d;
    d.prepareAdd(p.connection(), std::nullopt);
    // Members in name order; the caption test covers the fixed lists.
    auto* members = child<QComboBox>(&d, "DEFAULT_RESOURCE");
    QCOMPARE(members->count(), 2);
    QCOMPARE(members->itemText(0), QStringLiteral("Ann"));
    d.show();
    // Every field starts empty when adding.
    QCOMPARE(child<QComboBox>(&d, "STATUS")->currentText(), QString());
    QCOMPARE(child<QComboBox>(&d, "DEFAULT_RESOURCE")->currentText(), QString());
}

// What the editor writes is the saving test's; the dialog hands it the fields and its clock.
void TestPropertiesDialogs::addGoalThroughDialog()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 parent = p.goal(QStringLiteral("Parent"));
    GoalPropertiesDialog d;
    d.setClock(&m_clock);
    d.prepareAdd(p.connection(), parent);
    d.show();
    chooseIn(&d, "OBJECT_TYPE", QStringLiteral("Application"));
    typeInto(&d, "SHORT_NAME", QStringLiteral("O'Brien's app"));
    typeInto(&d, "PRIORITY", QStringLiteral("15"));
    chooseIn(&d, "STATUS", QStringLiteral("Open"));
    chooseIn(&d, "DEFAULT_RESOURCE", QStringLiteral("Ann"));
    clickButton(&d, "OK");
    QVERIFY(!d.isVisible());
    QVERIFY(MessageBox::takeShown().isEmpty());
    const EditOutcome& o = d.outcome();
    QVERIFY(o.ok && o.written);
    QCOMPARE(p.scalar(QStringLiteral("SELECT SHORT_NAME || '|' || OBJECT_TYPE || '|' || PRIORITY || '|' || CREATED"
                                     " || '|' || P_GID FROM GOALS_SW WHERE ID = ?"),
                      {o.id})
                 .toString(),
             QStringLiteral("O'Brien's app|Application|15|2026-05-06 07:08:09|%1").arg(parent));
}

void TestPropertiesDialogs::goalValidationKeepsDialogOpen()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    GoalPropertiesDialog d;
    d.prepareAdd(p.connection(), std::nullopt);
    d.show();
    chooseIn(&d, "OBJECT_TYPE", QStringLiteral("Goal"));
    // A name of blanks alone is no name (the messages: the validation test).
    typeInto(&d, "SHORT_NAME", QStringLiteral("   "));
    typeInto(&d, "PRIORITY", QStringLiteral("15"));
    clickButton(&d, "OK");
    QVERIFY(d.isVisible());
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(d.focusWidget(), child<QLineEdit>(&d, "SHORT_NAME"));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")), qint64(0));
    QCOMPARE(countOf(p, QStringLiteral("SELECT GOAL_APP FROM COUNTERS")), qint64(0));
    d.reject();
}

void TestPropertiesDialogs::addTaskThroughDialog()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = ?"), {g});
    TaskPropertiesDialog d;
    d.setClock(&m_clock);
    d.prepareAdd(p.connection(), g);
    d.show();
    chooseIn(&d, "OBJECT_TYPE", QStringLiteral("Task"));
    typeInto(&d, "SHORT_NAME", QStringLiteral("  Write ")); // stored without the blanks
    typeInto(&d, "PRIORITY", QStringLiteral("10"));
    chooseIn(&d, "STATUS", QStringLiteral("On Hold"));
    typeInto(&d, "DAYSPLANNED", QStringLiteral("3.5"));
    clickButton(&d, "OK");
    QVERIFY(!d.isVisible());
    const EditOutcome& o = d.outcome();
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT SHORT_NAME || '|' || STATUS || '|' || DAYSPLANNED FROM TASKS_OBJECTS"
                                     " WHERE ID = ?"),
                      {o.id})
                 .toString(),
             QStringLiteral("Write|On Hold|3.5"));
    // The only sub-object is on hold: the open goal completes without a question.
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Completed"));
    QCOMPARE(o.parentId, std::optional<qint64>(g));
}

void TestPropertiesDialogs::completedTaskNotDoneIsSavedOpen()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"), std::nullopt, QStringLiteral("Completed"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2, QStringLiteral("Completed"));
    p.assign(t, QStringLiteral("Ann"), 100, 50, 1);
    TaskPropertiesDialog d;
    QVERIFY(d.prepareEdit(p.connection(), t));
    d.show();
    typeInto(&d, "SHORT_NAME", QStringLiteral("!"));
    clickButton(&d, "OK");
    QVERIFY(!d.isVisible());
    QCOMPARE(MessageBox::takeShown().size(), 1); // the notice that the task reopens
    QCOMPARE(statusOf(p, "TASKS_OBJECTS", t), QStringLiteral("Open"));
    QCOMPARE(statusOf(p, "GOALS_SW", g), QStringLiteral("Open"));
    QCOMPARE(d.outcome().statusChanges.size(), 1);
}

// "02" against a stored 2, and the empty description field against NULL, are no change.
void TestPropertiesDialogs::daysPlannedComparedAsNumbers()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    TaskPropertiesDialog d;
    QVERIFY(d.prepareEdit(p.connection(), t));
    QCOMPARE(child<QLineEdit>(&d, "DAYSPLANNED")->text(), QStringLiteral("2"));
    d.show();
    child<QLineEdit>(&d, "DAYSPLANNED")->clear();
    typeInto(&d, "DAYSPLANNED", QStringLiteral("02"));
    clickButton(&d, "OK");
    QVERIFY(!d.isVisible());
    QVERIFY(d.outcome().ok && !d.outcome().written);
    QVERIFY(p.scalar(QStringLiteral("SELECT LAST_EDITED FROM TASKS_OBJECTS WHERE ID = ?"), {t}).isNull());
}

void TestPropertiesDialogs::assignmentDuplicateRefused()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    p.assign(t, QStringLiteral("Ann"), 100, 0, 0);
    AssignmentPropertiesDialog d;
    d.prepareAdd(p.connection(), t);
    d.show();
    chooseIn(&d, "FK_R_NAME", QStringLiteral("Ann"));
    clickButton(&d, "OK");
    QVERIFY(d.isVisible());
    QVERIFY(MessageBox::takeShown().first().text.contains(QStringLiteral("Ann")));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE")), qint64(1));
    d.reject();
}

void TestPropertiesDialogs::emptyNoteAllowed()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    NotePropertiesDialog d;
    d.setClock(&m_clock);
    d.prepareAdd(p.connection(), t);
    d.show();
    clickButton(&d, "OK"); // an empty note is allowed
    QVERIFY(!d.isVisible());
    const qint64 nid = d.outcome().id;
    QVERIFY(p.scalar(QStringLiteral("SELECT NOTES FROM TASK_OBJECT_WORKSHEET WHERE NID = ?"), {nid}).isNull());
}

QTEST_MAIN(TestPropertiesDialogs)
#include "TestPropertiesDialogs.moc"
