#include "app/UndoMenu.h"
#include "browser/ui/NoteList.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"
#include "db/UndoLog.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/AppTestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QToolBar>
#include <QUndoStack>
#include <QUndoView>

using namespace AppTest;

// The Edit menu over a real window: a goal deleted through the context menu is
// taken back and re-applied from the menu and from the History list, and the tree
// follows; a step whose rows were changed since is refused with a box and stays offered.
class TestUndoMenu : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
        MessageBox::setAutoAnswer(true);
        MessageBox::takeShown();
    }
    void cleanup()
    {
        MessageBox::setAutoAnswer(false);
        UndoLog::setCapturing(false);
    }
    void undoAndRedoFromTheMenu();
    void historyGoesBackAndForth();
    void changedSinceIsRefused();
    void undoKeepsTheTreeAsItWas();
    void undoLeavesAMemberBeingEdited();
    void openingReplaysNothing();

private:
    std::unique_ptr<MainWindow> openDeleted(Sample& s)
    {
        auto w = openWindow(*m_settings, m_ui, s.project.path());
        QTreeWidgetItem* g = childNamed(w->goalTree()->root(), QStringLiteral("G"));
        if (!g) {
            return w;
        }
        clickRow(w->goalTree(), g);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        if (!command(w.get(), w->goalTree(), g, "mnuPopDeleteGoal")) {
            return w;
        }
        MessageBox::takeShown();
        // The menu's captions follow once the step has committed.
        QCoreApplication::processEvents();
        return w;
    }
    static bool treeHasG(MainWindow* w) { return childNamed(w->goalTree()->root(), QStringLiteral("G")) != nullptr; }
    // A double click as a user makes it: the first click only selects, the second goes.
    static void doubleClick(QUndoView* list, int row)
    {
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        const int before = list->stack()->index();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(list->stack()->index(), before);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }
    static UndoMenu* undoMenu(MainWindow* w) { return w->findChild<UndoMenu*>(); }

    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_ui;
};

void TestUndoMenu::undoAndRedoFromTheMenu()
{
    Sample s;
    const QString before = text(s.project, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW"));
    auto w = openDeleted(s);
    UndoMenu* menu = undoMenu(w.get());
    QVERIFY(menu);
    QVERIFY(!treeHasG(w.get()));
    QCOMPARE(menu->undoAction()->text(), QStringLiteral("Undo Delete goal \"G\" and everything below it"));
    QVERIFY(menu->undoAction()->isEnabled());
    QVERIFY(!menu->redoAction()->isEnabled());
    QVERIFY(w->toolBar()->actions().contains(menu->undoAction()));
    QVERIFY(w->toolBar()->actions().contains(menu->redoAction()));

    // The context menu was the last active window offscreen.
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w->goalTree(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(treeHasG(w.get()));
    QCOMPARE(text(s.project, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")), before);
    QCOMPARE(menu->undoAction()->text(), QStringLiteral("Undo"));
    QVERIFY(!menu->undoAction()->isEnabled());
    QVERIFY(menu->redoAction()->text().startsWith(QStringLiteral("Redo Delete goal")));

    // Opened again, the undone step waits to be redone and is not replayed meanwhile.
    w.reset();
    w = openWindow(*m_settings, m_ui, s.project.path());
    QVERIFY(treeHasG(w.get()));
    QVERIFY(undoMenu(w.get())->redoAction()->isEnabled());
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
    QVERIFY(!treeHasG(w.get()));
    QCOMPARE(text(s.project, QStringLiteral("SELECT COUNT(*) FROM GOALS_SW")), QStringLiteral("0"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    // Opened again, the window offers the kept step at once, on the toolbar too.
    w.reset();
    w = openWindow(*m_settings, m_ui, s.project.path());
    QVERIFY(undoMenu(w.get())->undoAction()->isEnabled());
}

void TestUndoMenu::historyGoesBackAndForth()
{
    Sample s;
    auto w = openDeleted(s);
    UndoMenu* menu = undoMenu(w.get());
    w->findChild<QAction*>(QStringLiteral("mnuEditHistory"))->trigger();
    QVERIFY(menu->historyWindow() && QTest::qWaitForWindowExposed(menu->historyWindow()));
    auto* list = menu->historyWindow()->findChild<QUndoView*>(QStringLiteral("lstUndoHistory"));
    QCOMPARE(list->model()->rowCount(), 2);
    QVERIFY(list->model()->index(1, 0).data().toString().endsWith(
        QStringLiteral("  Delete goal \"G\" and everything below it")));
    QCOMPARE(list->currentIndex().row(), 1);

    QApplication::setActiveWindow(menu->historyWindow());
    doubleClick(list, 0);
    QVERIFY(treeHasG(w.get()));
    QCOMPARE(list->currentIndex().row(), 0);
    doubleClick(list, 1);
    QVERIFY(!treeHasG(w.get()));
    QCOMPARE(list->currentIndex().row(), 1);
}

void TestUndoMenu::changedSinceIsRefused()
{
    Sample s;
    auto w = openDeleted(s);
    // Another program takes the deleted goal's number meanwhile.
    runSql(s.project,
           QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, CREATED)"
                          " VALUES (?, 'Goal', 'Other', 1, 'Open', '2026-01-01 00:00:00')"),
           {s.g});
    QAction* undo = undoMenu(w.get())->undoAction();
    undo->trigger();
    const QList<MessageBox::Shown> shown = MessageBox::takeShown();
    QCOMPARE(shown.size(), 1);
    QVERIFY2(shown.first().text.endsWith(QStringLiteral("goal \"G\" was changed since.")),
             qPrintable(shown.first().text));
    QCOMPARE(text(s.project, QStringLiteral("SELECT GROUP_CONCAT(SHORT_NAME) FROM GOALS_SW")), QStringLiteral("Other"));
    QVERIFY(childNamed(w->goalTree()->root(), QStringLiteral("Other")));
    QVERIFY(undo->isEnabled());
    QVERIFY(!undoMenu(w.get())->redoAction()->isEnabled());
}

// An undo below an open goal leaves the tree as the user had it: the goal open and current.
void TestUndoMenu::undoKeepsTheTreeAsItWas()
{
    Sample s;
    auto w = openWindow(*m_settings, m_ui, s.project.path());
    QTreeWidgetItem* g = childNamed(w->goalTree()->root(), QStringLiteral("G"));
    QVERIFY(g);
    clickRow(w->goalTree(), g);
    QVERIFY(g->isExpanded());
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    MessageBox::setNextAnswer(QMessageBox::Yes);
    QVERIFY(command(w.get(), w->noteList(), rowNamed(w->noteList(), QStringLiteral("Two")), "mnuPopDeleteNote"));
    MessageBox::takeShown();
    QCoreApplication::processEvents();
    undoMenu(w.get())->undoAction()->trigger();
    QCOMPARE(text(s.project, QStringLiteral("SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET")), QStringLiteral("2"));
    g = childNamed(w->goalTree()->root(), QStringLiteral("G"));
    QVERIFY(g && g->isExpanded());
    QCOMPARE(w->goalTree()->currentItem(), g);
    QVERIFY(childNamed(g, QStringLiteral("Sub")));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

// An undo in the main window refreshes the team window, but never throws away what
// is being typed there.
void TestUndoMenu::undoLeavesAMemberBeingEdited()
{
    Sample s;
    auto w = openDeleted(s);
    w->teamMembersAction()->trigger();
    QPointer<TeamMemberWindow> team = w->teamMemberWindow();
    QVERIFY(team);
    auto* hours = team->findChild<QLineEdit*>(QStringLiteral("txtFields_1"));
    QVERIFY(hours);
    hours->clear();
    QTest::keyClicks(hours, QStringLiteral("07:30"));
    undoMenu(w.get())->undoAction()->trigger();
    QVERIFY(treeHasG(w.get()));
    QCOMPARE(hours->text(), QStringLiteral("07:30"));
    QVERIFY(MessageBox::takeShown().isEmpty());
    team->close();
}

// Mirroring the kept steps replays none of them: a step to redo that another program
// has made impossible neither fails on opening nor stands in the way of the next undo.
// An undo the menu has not caught up with yet takes back the latest step.
void TestUndoMenu::openingReplaysNothing()
{
    const QString kNotes =
        QStringLiteral("SELECT GROUP_CONCAT(NOTES) FROM (SELECT NOTES FROM TASK_OBJECT_WORKSHEET ORDER BY NOTES)");
    Sample s;
    auto w = openWindow(*m_settings, m_ui, s.project.path());
    clickRow(w->goalTree(), childNamed(w->goalTree()->root(), QStringLiteral("G")));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    for (const QString& note : {QStringLiteral("Two"), QStringLiteral("One")}) {
        QCoreApplication::processEvents();
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QVERIFY(command(w.get(), w->noteList(), rowNamed(w->noteList(), note), "mnuPopDeleteNote"));
    }
    // Taken back before the menu has caught up with the step just made: that step only.
    undoMenu(w.get())->undoAction()->trigger();
    QCOMPARE(text(s.project, kNotes), QStringLiteral("One"));
    runSql(s.project, QStringLiteral("UPDATE TASK_OBJECT_WORKSHEET SET NOTES = 'Changed'"));
    MessageBox::takeShown();
    w.reset();
    w = openWindow(*m_settings, m_ui, s.project.path());
    undoMenu(w.get())->undoAction()->trigger();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QCOMPARE(text(s.project, kNotes), QStringLiteral("Changed,Two"));
}

QTEST_MAIN(TestUndoMenu)
#include "TestUndoMenu.moc"
