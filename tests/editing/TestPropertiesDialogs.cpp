#include "common/FixedClock.h"
#include "common/ui/MessageBox.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "editing/ui/NotePropertiesDialog.h"
#include "editing/ui/TaskPropertiesDialog.h"
#include "tests/support/TestSql.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestPropertiesDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void goalDialogShape();
    void addGoalThroughDialog();
    void goalValidationKeepsDialogOpen();
    void editGoalWithoutChangesWritesNothing();
    void addTaskThroughDialog();
    void completedTaskNotDoneIsSavedOpen();
    void daysPlannedComparedAsNumbers();
    void assignmentFillsZeros();
    void assignmentDuplicateRefused();
    void emptyNoteAllowed();

private:
    template <typename T>
    static T* field(QWidget* dialog, const char* name)
    {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        if (!w) {
            qFatal("no field %s", name);
        }
        return w;
    }
    static void typeInto(QWidget* dialog, const char* name, const QString& text)
    {
        QWidget* w = dialog->findChild<QWidget*>(QLatin1String(name));
        if (auto* box = qobject_cast<QComboBox*>(w); box && box->isEditable()) {
            w = box->lineEdit();
        }
        QTest::keyClicks(w, text);
    }
    static void choose(QWidget* dialog, const char* name, const QString& text)
    {
        auto* box = field<QComboBox>(dialog, name);
        box->setCurrentIndex(box->findText(text));
    }
    static void clickOk(QWidget* dialog) { QTest::mouseClick(field<QPushButton>(dialog, "OK"), Qt::LeftButton); }

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
    auto* members = field<QComboBox>(&d, "DEFAULT_RESOURCE");
    QCOMPARE(members->count(), 2);
    QCOMPARE(members->itemText(0), QStringLiteral("Ann"));
    QVERIFY(field<QComboBox>(&d, "PRIORITY")->isEditable());
    QVERIFY(!field<QComboBox>(&d, "OBJECT_TYPE")->isEditable());
    QVERIFY(!field<QLineEdit>(&d, "CREATED")->isEnabled());
    d.show();
    QVERIFY(field<QLineEdit>(&d, "ID")->isHidden());
    QVERIFY(field<QLineEdit>(&d, "P_GID")->isHidden());
    // Every field starts empty when adding.
    QCOMPARE(field<QComboBox>(&d, "STATUS")->currentText(), QString());
    QCOMPARE(field<QComboBox>(&d, "DEFAULT_RESOURCE")->currentText(), QString());
    // Escape cancels without writing.
    QTest::keyClick(&d, Qt::Key_Escape);
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")), qint64(0));
}

void TestPropertiesDialogs::addGoalThroughDialog()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 parent = p.goal(QStringLiteral("Parent"), std::nullopt, QStringLiteral("Completed"));
    GoalPropertiesDialog d;
    d.setClock(&m_clock);
    d.prepareAdd(p.connection(), parent);
    QCOMPARE(field<QLineEdit>(&d, "P_GID")->text(), QString::number(parent));
    d.show();
    choose(&d, "OBJECT_TYPE", QStringLiteral("Application"));
    typeInto(&d, "SHORT_NAME", QStringLiteral("O'Brien's app"));
    typeInto(&d, "PRIORITY", QStringLiteral("15"));
    choose(&d, "STATUS", QStringLiteral("Open"));
    choose(&d, "DEFAULT_RESOURCE", QStringLiteral("Ann"));
    clickOk(&d);
    QVERIFY(!d.isVisible());
    QVERIFY(MessageBox::takeShown().isEmpty());
    const EditOutcome& o = d.outcome();
    QVERIFY(o.ok && o.written);
    QCOMPARE(p.scalar(QStringLiteral("SELECT SHORT_NAME || '|' || OBJECT_TYPE || '|' || PRIORITY || '|' || CREATED"
                                     " FROM GOALS_SW WHERE ID = ?"),
                      {o.id})
                 .toString(),
             QStringLiteral("O'Brien's app|Application|15|2026-05-06 07:08:09"));
    // What the window needs for the tree: the node's values and the parent it reopened.
    QCOMPARE(o.objectType + o.status, QStringLiteral("ApplicationOpen"));
    QCOMPARE(o.parentId, std::optional<qint64>(parent));
    QCOMPARE(o.statusChanges.size(), 1);
    QCOMPARE(o.statusChanges.first().imageKey(), QStringLiteral("GoalOpen"));

    // The same dialog, reused for editing, shows the stored goal.
    QVERIFY(d.prepareEdit(p.connection(), o.id));
    QCOMPARE(field<QLineEdit>(&d, "SHORT_NAME")->text(), QStringLiteral("O'Brien's app"));
    QCOMPARE(field<QComboBox>(&d, "PRIORITY")->currentText(), QStringLiteral("15"));
    QCOMPARE(field<QComboBox>(&d, "DEFAULT_RESOURCE")->currentText(), QStringLiteral("Ann"));
    QVERIFY(!field<QLineEdit>(&d, "CREATED")->text().isEmpty());
}

void TestPropertiesDialogs::goalValidationKeepsDialogOpen()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    GoalPropertiesDialog d;
    d.prepareAdd(p.connection(), std::nullopt);
    d.show();
    choose(&d, "OBJECT_TYPE", QStringLiteral("Goal"));
    // A name of blanks alone is no name.
    typeInto(&d, "SHORT_NAME", QStringLiteral("   "));
    typeInto(&d, "PRIORITY", QStringLiteral("high"));
    clickOk(&d);
    QVERIFY(d.isVisible());
    auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().text, QStringLiteral("Object name cannot be empty!"));
    QCOMPARE(d.focusWidget(), field<QLineEdit>(&d, "SHORT_NAME"));
    field<QLineEdit>(&d, "SHORT_NAME")->clear();
    typeInto(&d, "SHORT_NAME", QStringLiteral("G"));
    clickOk(&d);
    QVERIFY(d.isVisible());
    shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Error"));
    QCOMPARE(shown.first().icon, QMessageBox::Critical);
    QCOMPARE(shown.first().text, QStringLiteral("Object priority must be between 0(Highest) and 99(Lowest)!"));
    QCOMPARE(countOf(p, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")), qint64(0));
    QCOMPARE(countOf(p, QStringLiteral("SELECT GOAL_APP FROM COUNTERS")), qint64(0));
    d.reject();
}

void TestPropertiesDialogs::editGoalWithoutChangesWritesNothing()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = ?"), {g});
    GoalPropertiesDialog d; // the goal has no description (NULL)
    QVERIFY(d.prepareEdit(p.connection(), g));
    d.show();
    clickOk(&d);
    QVERIFY(!d.isVisible());
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QVERIFY(d.outcome().ok && !d.outcome().written);
    QVERIFY(p.scalar(QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {g}).isNull());
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
    choose(&d, "OBJECT_TYPE", QStringLiteral("Task"));
    typeInto(&d, "SHORT_NAME", QStringLiteral("  Write ")); // stored without the blanks
    typeInto(&d, "PRIORITY", QStringLiteral("10"));
    choose(&d, "STATUS", QStringLiteral("Completed"));
    typeInto(&d, "DAYSPLANNED", QStringLiteral("3.5"));
    // A new task cannot start completed: refused before anything is written.
    clickOk(&d);
    QVERIFY(d.isVisible());
    QCOMPARE(
        MessageBox::takeShown().first().text,
        QStringLiteral("At least one resource has not completed the workload. Object status cannot be Completed!"));
    QCOMPARE(countOf(p, QStringLiteral("SELECT TASK_OBJECT FROM COUNTERS")), qint64(0));
    choose(&d, "STATUS", QStringLiteral("On Hold"));
    clickOk(&d);
    QVERIFY(!d.isVisible());
    const EditOutcome& o = d.outcome();
    QVERIFY2(o.ok && o.written, qPrintable(o.error));
    QCOMPARE(p.scalar(QStringLiteral("SELECT SHORT_NAME || '|' || STATUS || '|' || DAYSPLANNED FROM TASKS_OBJECTS"
                                     " WHERE ID = ?"),
                      {o.id})
                 .toString(),
             QStringLiteral("Write|On Hold|3.5"));
    QCOMPARE(p.scalar(QStringLiteral("SELECT FK_R_NAME || PER_WORKLOAD FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ?"),
                      {o.id})
                 .toString(),
             QStringLiteral("Ann100.0"));
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
    clickOk(&d);
    QVERIFY(!d.isVisible());
    const auto shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Status change"));
    QCOMPARE(shown.first().icon, QMessageBox::Information);
    QCOMPARE(shown.first().text,
             QStringLiteral("At least one resource has not completed the assigned Workload. Status will be changed to "
                            "Open."));
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
    QCOMPARE(field<QLineEdit>(&d, "DAYSPLANNED")->text(), QStringLiteral("2"));
    d.show();
    field<QLineEdit>(&d, "DAYSPLANNED")->clear();
    typeInto(&d, "DAYSPLANNED", QStringLiteral("02"));
    clickOk(&d);
    QVERIFY(!d.isVisible());
    QVERIFY(d.outcome().ok && !d.outcome().written);
    QVERIFY(p.scalar(QStringLiteral("SELECT LAST_EDITED FROM TASKS_OBJECTS WHERE ID = ?"), {t}).isNull());
}

void TestPropertiesDialogs::assignmentFillsZeros()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    p.member(QStringLiteral("O'Brien"));
    const qint64 g = p.goal(QStringLiteral("G"));
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    AssignmentPropertiesDialog d;
    d.prepareAdd(p.connection(), t);
    d.show();
    QVERIFY(d.findChild<QLabel*>() != nullptr);
    choose(&d, "FK_R_NAME", QStringLiteral("O'Brien"));
    clickOk(&d);
    QVERIFY(!d.isVisible());
    for (const char* name : {"PER_WORKLOAD", "PER_COMPLETED", "DAYS_NEEDED"}) {
        QCOMPARE(field<QLineEdit>(&d, name)->text(), QStringLiteral("0"));
    }
    QCOMPARE(countOf(p,
                     QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE WHERE FK_R_NAME = ?"
                                    " AND PER_WORKLOAD = 0 AND PER_COMPLETED = 0 AND DAYS_NEEDED = 0"),
                     {QStringLiteral("O'Brien")}),
             qint64(1));
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
    clickOk(&d); // no member chosen
    QCOMPARE(MessageBox::takeShown().first().text, QStringLiteral("Resource cannot be empty!"));
    choose(&d, "FK_R_NAME", QStringLiteral("Ann"));
    clickOk(&d);
    QVERIFY(d.isVisible());
    QCOMPARE(MessageBox::takeShown().first().text, QStringLiteral("Resource Ann is already assigned to this task!"));
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
    clickOk(&d); // an empty note is allowed
    QVERIFY(!d.isVisible());
    const qint64 nid = d.outcome().id;
    QVERIFY(p.scalar(QStringLiteral("SELECT NOTES FROM TASK_OBJECT_WORKSHEET WHERE NID = ?"), {nid}).isNull());
}

QTEST_MAIN(TestPropertiesDialogs)
#include "TestPropertiesDialogs.moc"
