#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "charts/ui/ChartWindow.h"
#include "charts/ui/TimelineWindow.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "common/ui/MessageBox.h"
#include "editing/ui/PropertiesDialog.h"
#include "reports/ui/ReportsWindow.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/AppTestSupport.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPointer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

using namespace AppTest;

namespace {

const QString kMorning = QStringLiteral("2026-03-02 09:00:00");
const QString kEvening = QStringLiteral("2026-03-02 17:30:00");
const QString kDana = QStringLiteral("Dana O'Brien");

// The start-up of a first run: no stored path, so the file dialog asks; the user
// names a file that does not exist yet and agrees to create it.
class NewProjectStartup : public StartupUi
{
public:
    explicit NewProjectStartup(QString path)
        : m_path(std::move(path))
    {
    }
    QString askDatabasePath(QWidget*) override { return m_path; }
    bool confirmCreate(QWidget*, const QString&) override { return true; }
    void showError(QWidget*, const QString& text) override { qWarning("%s", qPrintable(text)); }

private:
    QString m_path;
};

} // namespace

// One user's working day on a new project, through the real windows: team, goals,
// tasks, assignments, progress, notes, snapshots, the timeline, and tidying up.
// The steps run in order on one main window and one project file; each checks the
// file (on a connection of its own) and what the windows show.
class TestWorkingDay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void firstStartCreatesProject();
    void teamMembersAdded();
    void goalAndSubGoal();
    void tasksAndAssignments();
    void morningSnapshot();
    void progressCompletesTasksAndGoals();
    void noteWrittenAndEdited();
    void eveningSnapshot();
    void morningTimeline();
    void goalDeletedWithSubtree();

private:
    // One value from the project file, read beside the program.
    QVariant value(const QString& sql, const QVariantList& binds = {}) const
    {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("check")));
        q.prepare(sql);
        for (const QVariant& v : binds) {
            q.addBindValue(v);
        }
        if (!q.exec() || !q.next()) {
            qWarning("query failed: %s", qPrintable(sql));
            return {};
        }
        return q.value(0);
    }
    int count(const QString& table) const { return value(QStringLiteral("SELECT COUNT(*) FROM ") + table).toInt(); }
    // Boxes shown since the last call (all are answered automatically).
    static QStringList boxes()
    {
        QStringList texts;
        for (const MessageBox::Shown& box : MessageBox::takeShown()) {
            texts << box.title + QStringLiteral(": ") + box.text;
        }
        return texts;
    }

    // Opens a property dialog through the context menu, lets `look` see it and
    // fills in `fields`; every save is stamped by the day's clock.
    bool edit(QTreeWidget* pane,
              QTreeWidgetItem* item,
              const char* menuItem,
              const Fields& fields,
              std::function<void(QWidget*)> look = {})
    {
        // "mnuPopAddGoal" and "mnuPopPropertiesGoal" open "frmPropertiesGoal", and so on.
        QString dialog;
        for (const char* kind : {"Goal", "Task", "Res", "Note"}) {
            if (QByteArray(menuItem).endsWith(kind)) {
                dialog = QStringLiteral("frmProperties") + QLatin1String(kind);
            }
        }
        auto answered = std::make_shared<bool>(false);
        whenModal(dialog, [this, fields, look, answered](QWidget* d) {
            if (auto* properties = qobject_cast<PropertiesDialog*>(d)) {
                properties->setClock(&m_clock);
            }
            if (look) {
                look(d);
            }
            fill(d, fields);
            *answered = true;
            clickButton(d, "OK");
        });
        return command(m_main.get(), pane, item, menuItem) && *answered;
    }
    // The Tools menu's item `name`, as the menu bar offers it.
    void tools(const char* name)
    {
        QMenu* menu = child<QMenu>(m_main->menuBar(), QStringLiteral("mnuRpt"));
        QAction* action = child<QAction>(m_main.get(), QLatin1String(name));
        QVERIFY(menu && action && menu->actions().contains(action) && action->isEnabled());
        action->trigger();
    }
    QTreeWidgetItem* goalNode(qint64 id) const { return m_main->editCommands()->findGoalNode(id); }
    void clickTask(const QString& name)
    {
        QTreeWidgetItem* row = rowNamed(m_main->taskList(), name);
        QVERIFY2(row, qPrintable(name));
        clickRow(m_main->taskList(), row);
    }
    // Sets the assignment of `member` on the selected task.
    bool setAssignment(const QString& member, const QString& workload, const QString& done, const QString& days)
    {
        return edit(m_main->resourceList(),
                    rowNamed(m_main->resourceList(), member),
                    "mnuPopPropertiesRes",
                    workload.isEmpty()
                        ? Fields{{"PER_COMPLETED", done}, {"DAYS_NEEDED", days}}
                        : Fields{{"PER_WORKLOAD", workload}, {"PER_COMPLETED", done}, {"DAYS_NEEDED", days}});
    }
    static QLineEdit* field(QWidget* team, int index)
    {
        return child<QLineEdit>(team, QStringLiteral("txtFields_%1").arg(index));
    }

    QTemporaryDir m_dir;
    QString m_path;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<NewProjectStartup> m_startup;
    std::unique_ptr<MainWindow> m_main;
    FixedClock m_clock{QDateTime(QDate(2026, 3, 2), QTime(8, 0))};
    bool m_broken = false;
    qint64 m_release = 0; // the top goal
    qint64 m_guide = 0; // its sub-goal
    qint64 m_write = 0; // the first task under the sub-goal
};

void TestWorkingDay::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_path = m_dir.filePath(QStringLiteral("day.cwk"));
    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    m_startup = std::make_unique<NewProjectStartup>(m_path);
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestWorkingDay::init()
{
    if (m_broken) {
        QSKIP("an earlier step of the day failed");
    }
}

void TestWorkingDay::cleanup()
{
    if (QTest::currentTestFailed()) {
        m_broken = true;
    }
    // A box nobody expected is a fault of the step that showed it.
    const QStringList shown = boxes();
    if (!shown.isEmpty() && !m_broken) {
        m_broken = true;
        QFAIL(qPrintable(QStringLiteral("unexpected boxes: ") + shown.join(QStringLiteral(" | "))));
    }
}

void TestWorkingDay::cleanupTestCase()
{
    if (m_main) {
        m_main->close();
        m_main.reset();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    MessageBox::setAutoAnswer(false);
}

void TestWorkingDay::firstStartCreatesProject()
{
    m_main = std::make_unique<MainWindow>(*m_settings, *m_startup);
    QVERIFY(m_main->InitDatabase());
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
    QCOMPARE(m_main->databasePath(), m_path);

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(m_path);
        QVERIFY(db.open());
    }
    QCOMPARE(count(QStringLiteral("GOALS_SW")) + count(QStringLiteral("RESOURCES")), 0);
    QCOMPARE(m_main->goalTree()->root()->childCount(), 0);
}

// Tools > Team Members: two members with their weekly hours, then the window is closed.
void TestWorkingDay::teamMembersAdded()
{
    tools("mnuRptRes");
    QPointer<TeamMemberWindow> team = m_main->teamMemberWindow();
    QVERIFY(team && team->isVisible());

    // Ann works Monday to Friday 08:00-16:00; Dana Monday to Wednesday mornings.
    struct Member
    {
        QString name;
        int days;
        QString from, to;
    };
    const QList<Member> members{{QStringLiteral("Ann"), 5, "08:00", "16:00"}, {kDana, 3, "09:00", "13:00"}};
    for (const Member& m : members) {
        clickButton(team, "cmdAdd");
        QTest::keyClicks(field(team, 0), m.name);
        for (int day = 1; day <= m.days; ++day) {
            QTest::keyClicks(field(team, 2 * day - 1), m.from);
            QTest::keyClicks(field(team, 2 * day), m.to);
        }
        clickButton(team, "cmdUpdate"); // a refusal would show a box, which fails the step
    }
    QCOMPARE(count(QStringLiteral("RESOURCES")), 2); // their hours show in the morning's dates
    clickButton(team, "cmdClose");
    QTRY_VERIFY(!team);
}

// A goal under the root, then a sub-goal under it, both through the goal dialog.
void TestWorkingDay::goalAndSubGoal()
{
    GoalTree* tree = m_main->goalTree();
    QTreeWidgetItem* root = tree->root();
    clickRow(tree, root);
    m_clock.set(QDateTime(QDate(2026, 3, 2), QTime(8, 5)));
    QStringList offered;
    const Fields goal{{"OBJECT_TYPE", "Goal"}, {"PRIORITY", "20"}, {"STATUS", "Open"}, {"DEFAULT_RESOURCE", "Ann"}};
    QVERIFY(edit(tree, root, "mnuPopAddGoal", goal + Fields{{"SHORT_NAME", "Release 2.0"}}, [&](QWidget* d) {
        // The members added a moment ago are offered at once.
        auto* members = child<QComboBox>(d, QStringLiteral("DEFAULT_RESOURCE"));
        for (int i = 0; members && i < members->count(); ++i) {
            offered << members->itemText(i);
        }
    }));
    QCOMPARE(offered, (QStringList{"Ann", kDana}));
    m_release = value(QStringLiteral("SELECT ID FROM GOALS_SW WHERE SHORT_NAME = 'Release 2.0' AND P_GID IS NULL"))
                    .toLongLong();
    QVERIFY(m_release > 0);
    QTreeWidgetItem* releaseNode = childNamed(root, QStringLiteral("Release 2.0"));
    QVERIFY(releaseNode);
    QVERIFY(TaskList::isGoalRow(rowNamed(m_main->taskList(), QStringLiteral("Release 2.0"))));

    clickRow(tree, releaseNode);
    QVERIFY(edit(tree, releaseNode, "mnuPopAddGoal", goal + Fields{{"SHORT_NAME", "User guide"}}));
    m_guide = value(QStringLiteral("SELECT ID FROM GOALS_SW WHERE P_GID = ?"), {m_release}).toLongLong();
    QTreeWidgetItem* guideNode = childNamed(releaseNode, QStringLiteral("User guide"));
    QVERIFY(guideNode);
}

// Two tasks under the sub-goal; the second shared between Ann (60 %) and Dana (40 %).
void TestWorkingDay::tasksAndAssignments()
{
    TaskList* tasks = m_main->taskList();
    clickRow(m_main->goalTree(), goalNode(m_guide));
    QCOMPARE(tasks->topLevelItemCount(), 1); // the summary row alone
    struct NewTask
    {
        QString name, priority, days;
    };
    for (const NewTask& t : {NewTask{"Write chapters", "20", "5"}, NewTask{"Take screenshots", "30", "2"}}) {
        QVERIFY(edit(tasks,
                     tasks->topLevelItem(0),
                     "mnuPopAddTask",
                     {{"OBJECT_TYPE", "Task"},
                      {"SHORT_NAME", t.name},
                      {"PRIORITY", t.priority},
                      {"STATUS", "Open"},
                      {"DAYSPLANNED", t.days}}));
        // The new task is chosen, carried by the goal's default member.
        QCOMPARE(tasks->selectedRow()->text(0), t.name);
    }
    m_write = value(QStringLiteral("SELECT ID FROM TASKS_OBJECTS WHERE SHORT_NAME = 'Write chapters'")).toLongLong();

    // Dana joins the screenshots with 40 %; Ann's share drops to 60 %.
    QVERIFY(edit(m_main->resourceList(),
                 rowNamed(m_main->resourceList(), QStringLiteral("Ann")),
                 "mnuPopAddRes",
                 {{"FK_R_NAME", kDana}, {"PER_WORKLOAD", "40"}}));
    QCOMPARE(rowTexts(m_main->resourceList()), (QStringList{"Ann", kDana, "Totals:"}));
    QVERIFY(setAssignment(QStringLiteral("Ann"), QStringLiteral("60"), QStringLiteral("0"), QStringLiteral("0")));
    QCOMPARE(rowTexts(m_main->resourceList(), 1), (QStringList{"60", "40", "100"}));
}

// Tools > Reports at nine: the first snapshot, with every task still open.
void TestWorkingDay::morningSnapshot()
{
    tools("mnuRptRpt1");
    QPointer<ReportsWindow> reports = m_main->reportsWindow();
    QVERIFY(reports && reports->isVisible() && m_main->chartWindow());
    auto* list = child<QListWidget>(reports, QStringLiteral("dParTStamp"));
    QCOMPARE(list->count(), 0);
    m_clock.set(Stamp::fromText(kMorning));
    reports->setClock(&m_clock);
    clickButton(reports, "bGenerateData");
    QCOMPARE(list->count(), 1);
    QCOMPARE(reports->selectedStamp(), kMorning);
    // The hours typed in the team window lay out the open work from nine on: Ann's
    // 40 hours of chapters end Monday next at 09:00, then her 9.6 hours of
    // screenshots on Tuesday at 10:36; Dana's 6.4 hours fit her mornings by Tuesday.
    const QString dates =
        QStringLiteral("SELECT group_concat(Completion_Date, ' / ') FROM (SELECT Completion_Date FROM CompDates WHERE "
                       "TimeStamp = ? AND OBJ = 'R' ORDER BY Completion_Date)");
    QCOMPARE(value(dates, {kMorning}).toString(),
             QStringLiteral("2026-03-03 11:24:00 / 2026-03-09 09:00:00 / 2026-03-10 10:36:00"));
    // The user closes both windows for now; the chart window goes for good.
    QPointer<ChartWindow> chart = m_main->chartWindow();
    QVERIFY(chart->close());
    QVERIFY(reports->close());
    QTRY_VERIFY(!chart);
}

// Progress through the assignment dialog: tasks complete without a question, and the walk
// completes both open goals above them (the rules: the status rule tests).
void TestWorkingDay::progressCompletesTasksAndGoals()
{
    TaskList* tasks = m_main->taskList();
    clickTask(QStringLiteral("Write chapters"));
    QVERIFY(setAssignment(QStringLiteral("Ann"), QString(), QStringLiteral("100"), QStringLiteral("6")));

    clickTask(QStringLiteral("Take screenshots"));
    QVERIFY(setAssignment(QStringLiteral("Ann"), QString(), QStringLiteral("100"), QStringLiteral("1")));
    QVERIFY(setAssignment(kDana, QString(), QStringLiteral("100"), QStringLiteral("1")));
    QCOMPARE(value(QStringLiteral("SELECT group_concat(STATUS, ' ') FROM (SELECT STATUS FROM TASKS_OBJECTS"
                                  " UNION ALL SELECT STATUS FROM GOALS_SW)"))
                 .toString(),
             QStringLiteral("Completed Completed Completed Completed"));
    QCOMPARE(GoalTree::imageKey(goalNode(m_release)), QStringLiteral("GoalCompleted"));
    // Six days for five planned: a day behind.
    QCOMPARE(tasks->topLevelItem(2)->text(6), QStringLiteral("-1"));
}

// A note on the finished chapters, written and then edited.
void TestWorkingDay::noteWrittenAndEdited()
{
    clickTask(QStringLiteral("Write chapters"));
    NoteList* notes = m_main->noteList();
    QCOMPARE(notes->topLevelItemCount(), 0);
    m_clock.set(QDateTime(QDate(2026, 3, 2), QTime(15, 10)));
    QVERIFY(edit(notes, nullptr, "mnuPopAddNote", {{"NOTES", "Chapters 1-4 sent for review."}}));
    const QString note =
        QStringLiteral("SELECT NOTES || ' @ ' || TIMESTAMP FROM TASK_OBJECT_WORKSHEET WHERE TASKID = ?");
    QCOMPARE(value(note, {m_write}).toString(), QStringLiteral("Chapters 1-4 sent for review. @ 2026-03-02 15:10:00"));

    m_clock.set(QDateTime(QDate(2026, 3, 2), QTime(16, 0)));
    QVERIFY(
        edit(notes, notes->topLevelItem(0), "mnuPopPropertiesNote", {{"NOTES", "Chapters 1-4 reviewed; all done."}}));
    QCOMPARE(value(note, {m_write}).toString(),
             QStringLiteral("Chapters 1-4 reviewed; all done. @ 2026-03-02 16:00:00"));
    QCOMPARE(rowTexts(notes), QStringList{"Chapters 1-4 reviewed; all done."});
}

// The second snapshot, offered first (the reports it shows: the reports window test).
void TestWorkingDay::eveningSnapshot()
{
    tools("mnuRptRpt1");
    QPointer<ReportsWindow> reports = m_main->reportsWindow();
    QVERIFY(reports && reports->isVisible());
    m_clock.set(Stamp::fromText(kEvening));
    reports->setClock(&m_clock);
    clickButton(reports, "bGenerateData");
    QCOMPARE(child<QListWidget>(reports, QStringLiteral("dParTStamp"))->count(), 2);
    QCOMPARE(reports->selectedStamp(), kEvening);
    QVERIFY(reports->close());
}

// Tools > Timeline: the morning's plan, one bar per open assignment (where the
// bars lie: the timeline tests).
void TestWorkingDay::morningTimeline()
{
    tools("mnuRptTimeline");
    QPointer<TimelineWindow> timeline = m_main->findChild<TimelineWindow*>();
    QVERIFY(timeline && timeline->isVisible());
    const auto bars = [&] {
        int count = 0;
        for (const Timeline::Lane& lane : timeline->timeline().lanes()) {
            count += int(lane.bars.size());
        }
        return count;
    };
    // The evening's snapshot comes first: everything is done, nothing is scheduled.
    QCOMPARE(timeline->timeline().stamp(), kEvening);
    QCOMPARE(bars(), 0);
    timeline->showStamp(kMorning);
    QCOMPARE(bars(), 3); // Ann's two tasks and Dana's share
    QVERIFY(timeline->close());
    QTRY_VERIFY(!timeline);
}

// The top goal goes with everything beneath it; the history stays.
void TestWorkingDay::goalDeletedWithSubtree()
{
    GoalTree* tree = m_main->goalTree();
    QTreeWidgetItem* releaseNode = goalNode(m_release);
    QVERIFY(releaseNode);
    clickRow(tree, releaseNode);
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(command(m_main.get(), tree, releaseNode, "mnuPopDeleteGoal"));
    QCOMPARE(MessageBox::takeShown().size(), 1);

    QCOMPARE(count(QStringLiteral("GOALS_SW")) + count(QStringLiteral("TASKS_OBJECTS")) +
                 count(QStringLiteral("TASK_OBJECT_RESOURCE")) + count(QStringLiteral("TASK_OBJECT_WORKSHEET")),
             0);
    QCOMPARE(count(QStringLiteral("RESOURCES")), 2);
    QCOMPARE(value(QStringLiteral("SELECT COUNT(DISTINCT TimeStamp) FROM CompDates")).toInt(), 2);
    // The window follows as for any goal deleted from the tree (the edit command test).
    QCOMPARE(rowTexts(m_main->taskList()), QStringList{"0 Days to go"});
}

QTEST_MAIN(TestWorkingDay)
#include "TestWorkingDay.moc"
