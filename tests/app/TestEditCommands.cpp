#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"
#include "tests/support/AppTestSupport.h"

using namespace AppTest;

namespace {
const int kMarker = Qt::UserRole + 77;

// Marks every row of a list; a refill drops the marks.
void mark(QTreeWidget* list)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        list->topLevelItem(i)->setData(0, kMarker, true);
    }
}

// Goals, tasks, assignments and notes in the file.
QString rowCounts(const TempProject& p)
{
    return text(p,
                QStringLiteral("SELECT (SELECT COUNT(*) FROM GOALS_SW) || '/' || (SELECT COUNT(*) FROM TASKS_OBJECTS) "
                               "|| '/' || (SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE) || '/' || "
                               "(SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET)"));
}

bool marked(QTreeWidget* list)
{
    return list->topLevelItemCount() > 0 && list->topLevelItem(0)->data(0, kMarker).toBool();
}

// Answers the next goal dialog with a whole new goal.
void answerNewGoal(const QString& type, const QString& name, const QString& status, const QString& member)
{
    answerWith(QStringLiteral("frmPropertiesGoal"),
               {{"OBJECT_TYPE", type},
                {"SHORT_NAME", name},
                {"PRIORITY", "20"},
                {"STATUS", status},
                {"DEFAULT_RESOURCE", member}});
}

// Answers the next task dialog with a whole new open task of two days.
void answerNewTask(const QString& type, const QString& name)
{
    answerWith(
        QStringLiteral("frmPropertiesTask"),
        {{"OBJECT_TYPE", type}, {"SHORT_NAME", name}, {"PRIORITY", "10"}, {"STATUS", "Open"}, {"DAYSPLANNED", "2"}});
}
} // namespace

class TestEditCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void addGoalAndEditItFromBothPanes();
    void addGoalUnderCollapsedNode();
    void addAndEditTaskAndAssignment();
    void newOpenTaskReopensCompletedGoals();
    void notesRefreshOnlyTheNoteList();
    void deleteGoal_data();
    void deleteGoal();
    void answerNoChangesNothing();
    void refusedSaveRefreshesTheWindow();
    void deleteAssignmentThenTask();

private:
    std::unique_ptr<MainWindow> open(const TempProject& p) { return openWindow(*m_settings, m_ui, p.path()); }
    QTreeWidgetItem* clickGoal(MainWindow* w, const QString& name)
    {
        QTreeWidgetItem* node = childNamed(w->goalTree()->root(), name);
        if (node) {
            clickRow(w->goalTree(), node);
        }
        return node;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_ui;
};

void TestEditCommands::init()
{
    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestEditCommands::cleanup()
{
    MessageBox::setAutoAnswer(false);
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    for (const MessageBox::Shown& box : shown) {
        qWarning("unexpected box: %s: %s", qPrintable(box.title), qPrintable(box.text));
    }
}

void TestEditCommands::addGoalAndEditItFromBothPanes()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    QVERIFY(g->isExpanded());
    answerNewGoal(QStringLiteral("Application"), QStringLiteral("Say \"hi\""), QStringLiteral("On Hold"), "O'Brien");
    QVERIFY(command(w.get(), w->goalTree(), g, "mnuPopAddGoal"));
    const qint64 id = s.project.scalar(QStringLiteral("SELECT GOAL_APP FROM COUNTERS")).toLongLong();
    QCOMPARE(text(s.project, QStringLiteral("SELECT SHORT_NAME FROM GOALS_SW WHERE ID = ? AND P_GID = ?"), {id, s.g}),
             QStringLiteral("Say \"hi\""));
    QTreeWidgetItem* node = childNamed(g, QStringLiteral("Say \"hi\""));
    QVERIFY(node);
    QCOMPARE(GoalTree::goalId(node), std::optional<qint64>(id));
    QCOMPARE(GoalTree::imageKey(node), QStringLiteral("ApplicationOn Hold"));
    QVERIFY(TaskList::isGoalRow(rowNamed(w->taskList(), QStringLiteral("Say \"hi\""))));

    // From the task list: the tree node and the list follow.
    answerWith(QStringLiteral("frmPropertiesGoal"), {{"SHORT_NAME", "Renamed"}});
    QVERIFY(
        command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Say \"hi\"")), "mnuPopPropertiesGoal"));
    QCOMPARE(node->text(0), QStringLiteral("Renamed"));
    QVERIFY(rowNamed(w->taskList(), QStringLiteral("Renamed")));
    QCOMPARE(g->childCount(), 2);

    // From the tree: the node follows through its parent; the task list, which
    // shows the goal's own contents, is left as it is.
    clickRow(w->goalTree(), node);
    mark(w->taskList());
    answerWith(QStringLiteral("frmPropertiesGoal"), {{"SHORT_NAME", "Again"}, {"STATUS", "Closed"}});
    QVERIFY(command(w.get(), w->goalTree(), node, "mnuPopPropertiesGoal"));
    QCOMPARE(node->text(0), QStringLiteral("Again"));
    QCOMPARE(GoalTree::imageKey(node), QStringLiteral("ApplicationClosed"));
    QCOMPARE(w->goalTree()->currentItem(), node);
    QVERIFY(marked(w->taskList()));
    QCOMPARE(g->childCount(), 2);

    // Opening and pressing OK without a change writes and refreshes nothing.
    const QString edited = text(s.project, QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {id});
    clickRow(w->goalTree(), g);
    mark(w->taskList());
    answerWith(QStringLiteral("frmPropertiesGoal"), {});
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Again")), "mnuPopPropertiesGoal"));
    QVERIFY(marked(w->taskList()));
    QCOMPARE(text(s.project, QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {id}), edited);
}

void TestEditCommands::addGoalUnderCollapsedNode()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    g->setExpanded(false);
    answerNewGoal(QStringLiteral("Goal"), QStringLiteral("Later"), QStringLiteral("Open"), "Ann");
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")), "mnuPopAddGoal"));
    // The list shows it at once; the collapsed node when it is next clicked.
    QVERIFY(TaskList::isGoalRow(rowNamed(w->taskList(), QStringLiteral("Later"))));
    QCOMPARE(g->childCount(), 1);
    clickRow(w->goalTree(), g);
    QVERIFY(childNamed(g, QStringLiteral("Later")));
    // The lists below follow the first row after the refill: a goal row has none.
    QCOMPARE(w->resourceList()->topLevelItemCount(), 0);
}

void TestEditCommands::addAndEditTaskAndAssignment()
{
    Sample s;
    // A sub-goal whose ID the new task will share: the plain row must be chosen.
    const qint64 twin = s.project.goal(QStringLiteral("Twin"), s.g);
    QCOMPARE(twin, s.u + 1);
    s.project.member(QStringLiteral("Cid"));
    auto w = open(s.project);
    clickGoal(w.get(), QStringLiteral("G"));
    TaskList* tasks = w->taskList();
    answerNewTask(QStringLiteral("Software Object"), QStringLiteral("Parser"));
    QVERIFY(command(w.get(), tasks, tasks->topLevelItem(tasks->topLevelItemCount() - 1), "mnuPopAddTask"));
    QCOMPARE(tasks->selectedRow()->text(0), QStringLiteral("Parser"));
    QCOMPARE(tasks->selectedTaskId(), std::optional<qint64>(twin));
    QVERIFY(rowNamed(tasks, QStringLiteral("Twin")));
    QCOMPARE(w->noteList()->topLevelItemCount(), 0);

    // Edit a task that already has notes: it is chosen again with both lists.
    answerWith(QStringLiteral("frmPropertiesTask"), {{"SHORT_NAME", "T2"}});
    QVERIFY(command(w.get(), tasks, rowNamed(tasks, QStringLiteral("T")), "mnuPopPropertiesTask"));
    QCOMPARE(tasks->selectedRow()->text(0), QStringLiteral("T2"));
    QCOMPARE(rowTexts(w->resourceList()), (QStringList{"Ann", "O'Brien", "Totals:"}));
    QCOMPARE(w->noteList()->topLevelItemCount(), 2);
    QCOMPARE(text(s.project, QStringLiteral("SELECT SHORT_NAME FROM TASKS_OBJECTS WHERE ID = ?"), {s.t}),
             QStringLiteral("T2"));

    // A new assignment leaves the task chosen, and its notes shown.
    answerWith(QStringLiteral("frmPropertiesRes"), {{"FK_R_NAME", "Cid"}});
    QVERIFY(command(w.get(), w->resourceList(), w->resourceList()->topLevelItem(0), "mnuPopAddRes"));
    QCOMPARE(tasks->selectedTaskId(), std::optional<qint64>(s.t));
    QCOMPARE(rowTexts(w->resourceList()), (QStringList{"Ann", "Cid", "O'Brien", "Totals:"}));
    QCOMPARE(w->noteList()->topLevelItemCount(), 2);
}

void TestEditCommands::newOpenTaskReopensCompletedGoals()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 top = p.goal(QStringLiteral("Top"), std::nullopt, QStringLiteral("Completed"));
    const qint64 done = p.goal(QStringLiteral("Done"), top, QStringLiteral("Completed"));
    runSql(p, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = ?"), {done});
    const qint64 old = p.task(done, QStringLiteral("Old"), 1, QStringLiteral("Completed"));
    p.assign(old, QStringLiteral("Ann"), 100, 100, 1);
    auto w = open(p);
    QTreeWidgetItem* topNode = clickGoal(w.get(), QStringLiteral("Top"));
    QTreeWidgetItem* doneNode = childNamed(topNode, QStringLiteral("Done"));
    clickRow(w->goalTree(), doneNode);
    QCOMPARE(GoalTree::imageKey(doneNode), QStringLiteral("GoalCompleted"));
    answerNewTask(QStringLiteral("Task"), QStringLiteral("Fresh"));
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Old")), "mnuPopAddTask"));
    // The reopening is the editor's rule; the window must show it on both nodes.
    QCOMPARE(GoalTree::imageKey(doneNode), QStringLiteral("GoalOpen"));
    QCOMPARE(GoalTree::imageKey(topNode), QStringLiteral("GoalOpen"));
    QCOMPARE(w->taskList()->selectedRow()->text(0), QStringLiteral("Fresh"));
}

void TestEditCommands::notesRefreshOnlyTheNoteList()
{
    Sample s;
    auto w = open(s.project);
    clickGoal(w.get(), QStringLiteral("G"));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    mark(w->taskList());
    mark(w->resourceList());
    answerWith(QStringLiteral("frmPropertiesNote"), {{"NOTES", "Three"}});
    QVERIFY(command(w.get(), w->noteList(), w->noteList()->topLevelItem(0), "mnuPopAddNote"));
    QVERIFY(rowNamed(w->noteList(), QStringLiteral("Three")));
    QCOMPARE(w->noteList()->topLevelItemCount(), 3);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(command(w.get(), w->noteList(), rowNamed(w->noteList(), QStringLiteral("Two")), "mnuPopDeleteNote"));
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(w->noteList()->topLevelItemCount(), 2);
    QVERIFY(!rowNamed(w->noteList(), QStringLiteral("Two")));
    QVERIFY(marked(w->taskList()));
    QVERIFY(marked(w->resourceList()));
}

void TestEditCommands::deleteGoal_data()
{
    QTest::addColumn<bool>("fromTree");
    QTest::addColumn<QString>("parentStatus");
    // From the tree the walk runs after the delete and finds only finished
    // sub-objects; from the task list it runs before, while "Only" is still open.
    QTest::newRow("from the tree") << true << "Completed";
    QTest::newRow("from the task list") << false << "Open";
}

void TestEditCommands::deleteGoal()
{
    QFETCH(bool, fromTree);
    QFETCH(QString, parentStatus);
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 parent = p.goal(QStringLiteral("P"));
    const qint64 only = p.goal(QStringLiteral("Only"), parent);
    const qint64 deep = p.goal(QStringLiteral("Deep"), only);
    p.assign(p.task(deep, QStringLiteral("DeepTask"), 1), QStringLiteral("Ann"), 100, 0, 0);
    const qint64 finished = p.task(parent, QStringLiteral("Finished"), 1, QStringLiteral("Completed"));
    p.assign(finished, QStringLiteral("Ann"), 100, 100, 1);

    auto w = open(p);
    QTreeWidgetItem* parentNode = clickGoal(w.get(), QStringLiteral("P"));
    QTreeWidgetItem* onlyNode = childNamed(parentNode, QStringLiteral("Only"));
    clickRow(w->goalTree(), onlyNode);
    QVERIFY(childNamed(onlyNode, QStringLiteral("Deep")));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    if (fromTree) {
        QVERIFY(command(w.get(), w->goalTree(), onlyNode, "mnuPopDeleteGoal"));
    } else {
        clickRow(w->goalTree(), parentNode);
        QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Only")), "mnuPopDeleteGoal"));
    }
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QCOMPARE(shown.first().title, QStringLiteral("Delete"));

    // What goes with the goal, and the parent's status, are the deleter's rules; here
    // the window must pass where the command came from and follow the result.
    QCOMPARE(p.scalar(QStringLiteral("SELECT COUNT(*) FROM GOALS_SW WHERE ID IN (?, ?)"), {only, deep}).toInt(), 0);
    QCOMPARE(text(p, QStringLiteral("SELECT STATUS FROM GOALS_SW WHERE ID = ?"), {parent}), parentStatus);
    QCOMPARE(GoalTree::imageKey(parentNode), QStringLiteral("Goal") + parentStatus);
    // The node went with everything beneath it; the parent is chosen with its list.
    QCOMPARE(parentNode->childCount(), 0);
    QVERIFY(!w->editCommands()->findGoalNode(deep));
    QCOMPARE(w->goalTree()->currentItem(), parentNode);
    QCOMPARE(rowTexts(w->taskList()).first(), QStringLiteral("Finished"));
    QCOMPARE(w->taskList()->topLevelItemCount(), 2);
    QCOMPARE(w->taskList()->selectedIndex(), 0);
    QCOMPARE(rowTexts(w->resourceList()).first(), QStringLiteral("Ann"));
}

void TestEditCommands::answerNoChangesNothing()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    mark(w->taskList());
    mark(w->resourceList());
    mark(w->noteList());
    const QString before = rowCounts(s.project);
    const QList<std::pair<QTreeWidget*, const char*>> deletes{{w->taskList(), "mnuPopDeleteTask"},
                                                              {w->resourceList(), "mnuPopDeleteRes"},
                                                              {w->noteList(), "mnuPopDeleteNote"}};
    for (const auto& [pane, item] : deletes) {
        MessageBox::setNextAnswer(QMessageBox::No);
        QVERIFY(command(w.get(), pane, pane->currentItem(), item));
        QCOMPARE(MessageBox::takeShown().size(), 1);
    }
    MessageBox::setNextAnswer(QMessageBox::No);
    QVERIFY(command(w.get(), w->goalTree(), g, "mnuPopDeleteGoal"));
    QCOMPARE(MessageBox::takeShown().first().defaultButton, QMessageBox::No);
    QCOMPARE(rowCounts(s.project), before);
    QVERIFY(marked(w->taskList()) && marked(w->resourceList()) && marked(w->noteList()));
    QCOMPARE(g->childCount(), 1);
}

// A save refused because another program renamed the goal meanwhile: after the
// dialog is cancelled, the tree and the task list show the goal as it now is.
void TestEditCommands::refusedSaveRefreshesTheWindow()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    QTreeWidgetItem* sub = childNamed(g, QStringLiteral("Sub"));
    QVERIFY(sub);
    whenModal(QStringLiteral("frmPropertiesGoal"), [&](QWidget* d) {
        runSql(s.project, QStringLiteral("UPDATE GOALS_SW SET SHORT_NAME = 'Theirs' WHERE SHORT_NAME = 'Sub'"));
        fill(d, {{"SHORT_NAME", "Mine"}, {"DEFAULT_RESOURCE", "Ann"}});
        clickButton(d, "OK"); // refused, shown, reloaded
        clickButton(d, "Cancel");
    });
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Sub")), "mnuPopPropertiesGoal"));
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.contains(QStringLiteral("changed by someone else")), qPrintable(shown.first().text));
    QTRY_COMPARE(sub->text(0), QStringLiteral("Theirs"));
    QVERIFY(rowNamed(w->taskList(), QStringLiteral("Theirs")));
    QCOMPARE(text(s.project, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW WHERE SHORT_NAME = 'Mine'")),
             QStringLiteral("0"));
}

// Deleting an assignment keeps its task chosen with its notes; deleting a task
// chooses the first row of the refilled list.
void TestEditCommands::deleteAssignmentThenTask()
{
    Sample s;
    auto w = open(s.project);
    clickGoal(w.get(), QStringLiteral("G"));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    mark(w->noteList());
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(
        command(w.get(), w->resourceList(), rowNamed(w->resourceList(), QStringLiteral("O'Brien")), "mnuPopDeleteRes"));
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(w->taskList()->selectedTaskId(), std::optional<qint64>(s.t));
    QCOMPARE(rowTexts(w->resourceList()), (QStringList{"Ann", "Totals:"}));
    QVERIFY(marked(w->noteList())); // same task: its notes stay as they are
    QCOMPARE(text(s.project,
                  QStringLiteral("SELECT group_concat(FK_R_NAME) FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ?"),
                  {s.t}),
             QStringLiteral("Ann"));

    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("U")), "mnuPopDeleteTask"));
    QCOMPARE(MessageBox::takeShown().size(), 1);
    QCOMPARE(rowTexts(w->taskList()).mid(0, 2), (QStringList{"Sub", "T"}));
    QCOMPARE(w->taskList()->selectedIndex(), 0);
    QCOMPARE(w->resourceList()->topLevelItemCount(), 0); // a goal row has no assignments
    QCOMPARE(s.project.scalar(QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE WHERE FK_TASKID = ?"), {s.u})
                 .toInt(),
             0);
}

QTEST_MAIN(TestEditCommands)
#include "TestEditCommands.moc"
