#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"
#include "db/Sql.h"
#include "tests/support/TempProject.h"

#include <QtTest>

class TestListPanes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void taskRowsLookAsTheyShould();
    void rowHelpers();
    void goalAndSummaryRowsEmptyTheLowerLists();
    void failedFillKeepsWhatItHas_data();
    void failedFillKeepsWhatItHas();
};

namespace {
bool allCellsBold(const QTreeWidgetItem* item)
{
    for (int i = 0; i < item->columnCount(); ++i) {
        if (!item->font(i).bold()) {
            return false;
        }
    }
    return true;
}
} // namespace

void TestListPanes::taskRowsLookAsTheyShould()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    p.goal(QStringLiteral("Sub"), g, QStringLiteral("On Hold"));
    const qint64 late =
        p.task(g, QStringLiteral("Late"), 1, QStringLiteral("Open"), 50, QStringLiteral("Software Object"));
    p.assign(late, QStringLiteral("Ann"), 100, 100, 2.5); // difference -1.5
    TaskList list;
    list.setConnection(p.connection());
    QVERIFY(list.FillTaskList(g));
    QCOMPARE(list.topLevelItemCount(), 3);
    QTreeWidgetItem* goal = list.topLevelItem(0);
    QTreeWidgetItem* task = list.topLevelItem(1);
    QTreeWidgetItem* summary = list.topLevelItem(2);
    QVERIFY(allCellsBold(goal));
    QVERIFY(allCellsBold(summary));
    QVERIFY(!task->font(0).bold() && !task->font(6).bold());
    QVERIFY(!goal->icon(0).isNull());
    QCOMPARE(goal->data(0, ListPane::ImageKeyRole).toString(), QStringLiteral("GoalOn Hold"));
    QCOMPARE(task->data(0, ListPane::ImageKeyRole).toString(), QStringLiteral("Software ObjectOpen"));
    QCOMPARE(task->text(6), QStringLiteral("-1.5"));
    QCOMPARE(task->foreground(6).color(), QColor(192, 0, 0));
    QCOMPARE(goal->foreground(6).color(), QColor(0, 255, 0));
    QCOMPARE(summary->foreground(6).color(), QColor(192, 0, 0));
    // The summary's priority cell is there but drawn in the list's background.
    QCOMPARE(summary->text(1), QStringLiteral("0"));
    QCOMPARE(summary->foreground(1).color(), list.palette().color(QPalette::Base));
    QCOMPARE(list.selectedIndex(), 0);
}

void TestListPanes::rowHelpers()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    // A goal and a task may carry the same number: only boldness tells them apart.
    const qint64 sub = p.goal(QStringLiteral("Sub"), g);
    p.task(g, QStringLiteral("First"), 1);
    const qint64 t = p.task(g, QStringLiteral("T"), 1);
    QCOMPARE(sub, t);
    TaskList list;
    list.setConnection(p.connection());
    QVERIFY(list.FillTaskList(g));
    QVERIFY(TaskList::isGoalRow(list.topLevelItem(0)));
    QVERIFY(TaskList::isTaskRow(list.topLevelItem(2)));
    QVERIFY(TaskList::isSummaryRow(list.topLevelItem(3)));
    QVERIFY(!TaskList::isTaskRow(list.topLevelItem(3)));
    QCOMPARE(list.selectedGoalId(), std::optional<qint64>(sub));
    QCOMPARE(list.selectedTaskId(), std::nullopt);
    QVERIFY(list.selectTaskRow(t));
    QCOMPARE(list.selectedIndex(), 2);
    QCOMPARE(list.selectedTaskId(), std::optional<qint64>(t));
    QVERIFY(list.selectGoalRow(sub));
    QCOMPARE(list.selectedIndex(), 0);
    QVERIFY(!list.selectTaskRow(t + 100));
    QCOMPARE(list.selectedIndex(), 0);
    QCOMPARE(TaskList::rowId(list.topLevelItem(3)), std::nullopt);
}

void TestListPanes::goalAndSummaryRowsEmptyTheLowerLists()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 g = p.goal(QStringLiteral("G"));
    p.goal(QStringLiteral("Sub"), g);
    const qint64 t = p.task(g, QStringLiteral("T"), 2);
    p.assign(t, QStringLiteral("Ann"), 100, 0, 0);
    const qint64 note = p.note(t, QStringLiteral("Started"));
    TaskList tasks;
    ResourceList resources;
    NoteList notes;
    resources.show();
    notes.show();
    tasks.setConnection(p.connection());
    resources.setConnection(p.connection());
    notes.setConnection(p.connection());
    QVERIFY(tasks.FillTaskList(g));
    for (int row : {1, 0, 2}) {
        resources.FillResourceList(tasks.detailTaskId(row));
        notes.FillNoteList(tasks.detailTaskId(row));
        const bool task = row == 1;
        QCOMPARE(resources.topLevelItemCount(), task ? 2 : 0);
        QCOMPARE(notes.topLevelItemCount(), task ? 1 : 0);
    }
    resources.FillResourceList(tasks.detailTaskId(1));
    notes.FillNoteList(tasks.detailTaskId(1));
    QVERIFY(ResourceList::isAssignmentRow(resources.topLevelItem(0)));
    QCOMPARE(resources.selectedMember(), QStringLiteral("Ann"));
    QVERIFY(ResourceList::isTotalsRow(resources.topLevelItem(1)));
    QVERIFY(allCellsBold(resources.topLevelItem(1)));
    QCOMPARE(resources.topLevelItem(1)->foreground(2).color(), resources.palette().color(QPalette::Base));
    QCOMPARE(notes.selectedNoteId(), std::optional<qint64>(note));
    // A hidden list is neither refilled nor cleared.
    resources.hide();
    resources.FillResourceList(tasks.detailTaskId(2));
    QCOMPARE(resources.topLevelItemCount(), 2);
}

void TestListPanes::failedFillKeepsWhatItHas_data()
{
    QTest::addColumn<QString>("view"); // dropped from the project
    QTest::addColumn<QString>("rows"); // each row's name, planned days and difference
    // Half-way: the rows built so far stay, without figures.
    QTest::newRow("task rows") << "qLvTasks"
                               << "Sub::";
    // Without roll-ups every row is still listed; the rolled-up cells stay empty.
    QTest::newRow("roll-ups") << "qCalcSubGoalValues"
                              << "Sub:: T:1:1 ::";
}

void TestListPanes::failedFillKeepsWhatItHas()
{
    QFETCH(QString, view);
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    p.goal(QStringLiteral("Sub"), g);
    p.task(g, QStringLiteral("T"), 1);
    QString error;
    QVERIFY(Sql::exec(p.connection(), QStringLiteral("DROP VIEW ") + view, &error));
    TaskList list;
    list.setConnection(p.connection());
    MessageBox::takeShown();
    MessageBox::setNextAnswer(QMessageBox::Ok);
    QVERIFY(!list.FillTaskList(g));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Error"));
    QCOMPARE(shown.first().icon, QMessageBox::Critical);
    QVERIFY2(shown.first().text.contains(view), qPrintable(shown.first().text));
    QStringList rows;
    for (int i = 0; i < list.topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = list.topLevelItem(i);
        rows << QStringList{row->text(0), row->text(2), row->text(6)}.join(QLatin1Char(':'));
    }
    QTEST(rows.join(QLatin1Char(' ')), "rows");
    QCOMPARE(list.topLevelItem(0)->text(1), QStringLiteral("50")); // the goal's own priority needs no roll-up
}

QTEST_MAIN(TestListPanes)
#include "TestListPanes.moc"
