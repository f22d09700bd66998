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

// Runs a command that asks first, answering `answer`; true when it ran and asked once.
bool confirmed(MainWindow* w,
               QTreeWidget* pane,
               QTreeWidgetItem* item,
               const char* menuItem,
               QMessageBox::StandardButton answer = QMessageBox::Yes)
{
    MessageBox::setNextAnswer(answer);
    return command(w, pane, item, menuItem) && MessageBox::takeShown().size() == 1;
}
} // namespace

class TestEditCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void editGoalFromBothPanes();
    void addGoalUnderCollapsedNode();
    void addAndEditTask();
    void notesRefreshOnlyTheNoteList();
    void deleteGoal_data();
    void deleteGoal();
    void answerNoChangesNothing();
    void refusedSaveRefreshesTheWindow();
    void deleteAssignmentThenTask();

private:
    std::unique_ptr<MainWindow> open(const TempProject& p) { return openWindow(*m_settings, m_ui, p.path()); }
    // The sample's window with goal G and its task T chosen.
    std::unique_ptr<MainWindow> openOnT(const Sample& s)
    {
        auto w = open(s.project);
        clickGoal(w.get(), QStringLiteral("G"));
        clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
        return w;
    }
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

// Adding a goal from the tree: the working day.
void TestEditCommands::editGoalFromBothPanes()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    QTreeWidgetItem* node = childNamed(g, QStringLiteral("Sub"));
    QVERIFY(node);

    // From the task list: the tree node and the list follow.
    answerWith(QStringLiteral("frmPropertiesGoal"), {{"SHORT_NAME", "Renamed"}, {"DEFAULT_RESOURCE", "Ann"}});
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Sub")), "mnuPopPropertiesGoal"));
    QCOMPARE(node->text(0), QStringLiteral("Renamed"));
    QVERIFY(rowNamed(w->taskList(), QStringLiteral("Renamed")));

    // From the tree: the node follows through its parent; the task list, which
    // shows the goal's own contents, is left as it is.
    clickRow(w->goalTree(), node);
    mark(w->taskList());
    answerWith(QStringLiteral("frmPropertiesGoal"), {{"SHORT_NAME", "Again"}, {"STATUS", "Closed"}});
    QVERIFY(command(w.get(), w->goalTree(), node, "mnuPopPropertiesGoal"));
    QCOMPARE(GoalTree::imageKey(node), QStringLiteral("GoalClosed"));
    QCOMPARE(w->goalTree()->currentItem(), node);
    QVERIFY(marked(w->taskList()));
    QCOMPARE(g->childCount(), 1);

    // Opening and pressing OK without a change writes and refreshes nothing.
    const QString edited = text(s.project, QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {s.sub});
    clickRow(w->goalTree(), g);
    mark(w->taskList());
    answerWith(QStringLiteral("frmPropertiesGoal"), {});
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Again")), "mnuPopPropertiesGoal"));
    QVERIFY(marked(w->taskList()));
    QCOMPARE(text(s.project, QStringLiteral("SELECT LAST_EDITED FROM GOALS_SW WHERE ID = ?"), {s.sub}), edited);
}

void TestEditCommands::addGoalUnderCollapsedNode()
{
    Sample s;
    auto w = open(s.project);
    QTreeWidgetItem* g = clickGoal(w.get(), QStringLiteral("G"));
    g->setExpanded(false);
    answerWith(QStringLiteral("frmPropertiesGoal"),
               {{"OBJECT_TYPE", "Goal"},
                {"SHORT_NAME", "Later"},
                {"PRIORITY", "20"},
                {"STATUS", "Open"},
                {"DEFAULT_RESOURCE", "Ann"}});
    QVERIFY(command(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")), "mnuPopAddGoal"));
    // The list shows it at once; the collapsed node when it is next clicked.
    QVERIFY(TaskList::isGoalRow(rowNamed(w->taskList(), QStringLiteral("Later"))));
    QCOMPARE(g->childCount(), 1);
    clickRow(w->goalTree(), g);
    QVERIFY(childNamed(g, QStringLiteral("Later")));
    // The lists below follow the first row after the refill: a goal row has none.
    QCOMPARE(w->resourceList()->topLevelItemCount(), 0);
}

void TestEditCommands::addAndEditTask()
{
    Sample s;
    // A sub-goal whose ID the new task will share: the plain row must be chosen.
    const qint64 twin = s.project.goal(QStringLiteral("Twin"), s.g);
    QCOMPARE(twin, s.u + 1);
    auto w = open(s.project);
    clickGoal(w.get(), QStringLiteral("G"));
    TaskList* tasks = w->taskList();
    answerWith(QStringLiteral("frmPropertiesTask"),
               {{"OBJECT_TYPE", "Software Object"},
                {"SHORT_NAME", "Parser"},
                {"PRIORITY", "10"},
                {"STATUS", "Open"},
                {"DAYSPLANNED", "2"}});
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
}

void TestEditCommands::notesRefreshOnlyTheNoteList()
{
    Sample s;
    auto w = openOnT(s);
    mark(w->taskList());
    mark(w->resourceList());
    answerWith(QStringLiteral("frmPropertiesNote"), {{"NOTES", "Three"}});
    QVERIFY(command(w.get(), w->noteList(), w->noteList()->topLevelItem(0), "mnuPopAddNote"));
    QVERIFY(rowNamed(w->noteList(), QStringLiteral("Three")));
    QCOMPARE(w->noteList()->topLevelItemCount(), 3);

    QVERIFY(confirmed(w.get(), w->noteList(), rowNamed(w->noteList(), QStringLiteral("Two")), "mnuPopDeleteNote"));
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
    if (fromTree) {
        QVERIFY(confirmed(w.get(), w->goalTree(), onlyNode, "mnuPopDeleteGoal"));
    } else {
        clickRow(w->goalTree(), parentNode);
        QVERIFY(confirmed(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("Only")), "mnuPopDeleteGoal"));
    }

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
    auto w = openOnT(s);
    QTreeWidgetItem* g = w->goalTree()->currentItem();
    mark(w->taskList());
    mark(w->resourceList());
    mark(w->noteList());
    const QString before = rowCounts(s.project);
    const QList<std::pair<QTreeWidget*, const char*>> deletes{{w->taskList(), "mnuPopDeleteTask"},
                                                              {w->resourceList(), "mnuPopDeleteRes"},
                                                              {w->noteList(), "mnuPopDeleteNote"}};
    for (const auto& [pane, item] : deletes) {
        QVERIFY(confirmed(w.get(), pane, pane->currentItem(), item, QMessageBox::No));
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
    auto w = openOnT(s);
    mark(w->noteList());
    QVERIFY(confirmed(
        w.get(), w->resourceList(), rowNamed(w->resourceList(), QStringLiteral("O'Brien")), "mnuPopDeleteRes"));
    QCOMPARE(w->taskList()->selectedTaskId(), std::optional<qint64>(s.t));
    QCOMPARE(rowTexts(w->resourceList()), (QStringList{"Ann", "Totals:"}));
    QVERIFY(marked(w->noteList())); // same task: its notes stay as they are

    QVERIFY(confirmed(w.get(), w->taskList(), rowNamed(w->taskList(), QStringLiteral("U")), "mnuPopDeleteTask"));
    QCOMPARE(rowTexts(w->taskList()).mid(0, 2), (QStringList{"Sub", "T"}));
    QCOMPARE(w->taskList()->selectedIndex(), 0);
    QCOMPARE(w->resourceList()->topLevelItemCount(), 0); // a goal row has no assignments
}

QTEST_MAIN(TestEditCommands)
#include "TestEditCommands.moc"
