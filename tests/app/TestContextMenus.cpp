#include "app/PopMenuRules.h"
#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "common/ui/MessageBox.h"
#include "tests/support/AppTestSupport.h"

using namespace AppTest;

namespace {
QStringList names(const QString& shortNames)
{
    QStringList list;
    for (const QString& n : shortNames.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        list << QStringLiteral("mnuPop") + n;
    }
    return list;
}
} // namespace

class TestContextMenus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void offeredItems_data();
    void offeredItems();
    void keyboardOpensFocusedPanesMenu();
    void noProjectNoMenu();
    void rulesWithoutSelection();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_ui;
};

void TestContextMenus::init()
{
    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestContextMenus::cleanup()
{
    MessageBox::setAutoAnswer(false);
}

void TestContextMenus::offeredItems_data()
{
    QTest::addColumn<QString>("node"); // tree node chosen first; empty: the root
    QTest::addColumn<QString>("taskRow"); // task row chosen next; empty: as the refill left it
    QTest::addColumn<int>("pane");
    QTest::addColumn<QString>("row"); // row right-clicked; empty: the pane's blank space
    QTest::addColumn<QString>("offered"); // empty: no menu

    const auto row =
        [](const char* name, const char* node, const char* taskRow, int pane, const char* row, const char* offered) {
            QTest::newRow(name) << node << taskRow << pane << row << offered;
        };
    const char* sum = "SUMMARY";
    row("root node", "", "", 0, "Goals/Applications", "AddGoal");
    row("goal node", "G", "", 0, "G", "AddGoal DeleteGoal Sep1 PropertiesGoal");
    row("summary row at the root", "", "", 1, sum, "AddGoal");
    row("summary row of a goal", "G", "", 1, sum, "AddGoal AddTask");
    row("top-level goal row at the root", "", "", 1, "G", "AddGoal DeleteGoal Sep1 PropertiesGoal");
    row("sub-goal row", "G", "", 1, "Sub", "AddGoal AddTask DeleteGoal Sep1 PropertiesGoal");
    row("task row", "G", "", 1, "T", "AddGoal AddTask DeleteTask Sep1 PropertiesTask");
    row("assignment of a task with two", "G", "T", 2, "Ann", "AddRes DeleteRes Sep1 PropertiesRes");
    row("only assignment of a task", "G", "U", 2, "O'Brien", "AddRes Sep1 PropertiesRes");
    row("totals row", "G", "T", 2, "TOTALS", "AddRes");
    row("resources while a goal row is chosen", "G", "Sub", 2, "", "");
    row("note of a task", "G", "T", 3, "Two", "AddNote DeleteNote Sep1 PropertiesNote");
    row("task without notes", "G", "U", 3, "", "AddNote");
    row("notes while a goal row is chosen", "G", "Sub", 3, "", "");
}

void TestContextMenus::offeredItems()
{
    QFETCH(QString, node);
    QFETCH(QString, taskRow);
    QFETCH(int, pane);
    QFETCH(QString, row);
    QFETCH(QString, offered);
    Sample sample;
    auto w = openWindow(*m_settings, m_ui, sample.project.path());
    if (!node.isEmpty()) {
        clickRow(w->goalTree(), childNamed(w->goalTree()->root(), node));
    }
    TaskList* tasks = w->taskList();
    auto find = [&](QTreeWidget* list, const QString& text) -> QTreeWidgetItem* {
        if (text == QLatin1String("SUMMARY") || text == QLatin1String("TOTALS")) {
            return list->topLevelItem(list->topLevelItemCount() - 1);
        }
        return list == w->goalTree()
            ? (text == w->goalTree()->root()->text(0) ? w->goalTree()->root() : childNamed(w->goalTree()->root(), text))
            : rowNamed(list, text);
    };
    if (!taskRow.isEmpty()) {
        clickRow(tasks, find(tasks, taskRow));
    }
    QTreeWidget* views[4] = {w->goalTree(), tasks, w->resourceList(), w->noteList()};
    QTreeWidget* view = views[pane];
    QPoint clicked;
    if (row.isEmpty()) {
        // Blank space below the rows.
        const QPoint blank(20, view->viewport()->height() - 5);
        QTest::mouseClick(view->viewport(), Qt::RightButton, {}, blank);
        clicked = view->viewport()->mapToGlobal(blank);
    } else {
        QTreeWidgetItem* item = find(view, row);
        QVERIFY2(item, qPrintable(row));
        clicked = clickRow(view, item, Qt::RightButton);
        QCOMPARE(view->currentItem(), item); // a right click chooses the row it hits
    }
    QCOMPARE(int(w->state().activePane), pane);
    QCOMPARE(w->popMenu()->isVisible(), !offered.isEmpty());
    if (!offered.isEmpty()) {
        QCOMPARE(w->popMenu()->visibleItems(), names(offered));
        QCOMPARE(w->popMenu()->pos(), clicked); // opened where the button went down
        w->popMenu()->hide();
    }
}

void TestContextMenus::keyboardOpensFocusedPanesMenu()
{
    Sample sample;
    auto w = openWindow(*m_settings, m_ui, sample.project.path());
    clickRow(w->goalTree(), childNamed(w->goalTree()->root(), QStringLiteral("G")));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    QVERIFY(!w->popMenu()->isVisible()); // a left click opens no menu
    QTest::keyClick(w->taskList(), Qt::Key_Menu);
    QVERIFY(w->state().activePane == AppState::Pane::TaskList);
    QVERIFY(w->popMenu()->isVisible());
    QCOMPARE(w->popMenu()->visibleItems(), names("AddGoal AddTask DeleteTask Sep1 PropertiesTask"));
    w->popMenu()->hide();
    QTest::keyClick(w->resourceList(), Qt::Key_F10, Qt::ShiftModifier);
    QVERIFY(w->state().activePane == AppState::Pane::ResourceList);
    QCOMPARE(w->popMenu()->visibleItems(), names("AddRes DeleteRes Sep1 PropertiesRes"));
    w->popMenu()->hide();
    // Visibility stays from the last menu: each must set every item it offers or hides.
    QTest::keyClick(w->noteList(), Qt::Key_Menu);
    QCOMPARE(w->popMenu()->visibleItems(), names("AddNote DeleteNote Sep1 PropertiesNote"));
    w->popMenu()->hide();
    clickRow(w->goalTree(), w->goalTree()->root(), Qt::RightButton);
    QCOMPARE(w->popMenu()->visibleItems(), names("AddGoal"));
    w->popMenu()->hide();
    // A plain F10 is not the menu key.
    QTest::keyClick(w->noteList(), Qt::Key_F10);
    QVERIFY(!w->popMenu()->isVisible());
    QVERIFY(w->state().activePane == AppState::Pane::Tree);
}

// Both start-up dialogs cancelled: the window opens empty and nothing breaks.
void TestContextMenus::noProjectNoMenu()
{
    auto w = openWindow(*m_settings, m_ui, QString());
    QVERIFY(!w->projectOpen());
    QVERIFY(!w->reportsAction()->isEnabled() && !w->teamMembersAction()->isEnabled());
    w->openReports();
    w->openTeamMembers();
    QVERIFY(!w->reportsWindow() && !w->chartWindow() && !w->teamMemberWindow());
    QTest::mouseClick(w->goalTree()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QTest::mouseClick(w->taskList()->viewport(), Qt::RightButton, {}, QPoint(10, 10));
    QVERIFY(!w->popMenu()->isVisible());
    // The commands find nothing to work on and change nothing.
    w->editCommands()->addTask();
    w->editCommands()->deleteGoal();
    w->editCommands()->noteProperties();
    QVERIFY(MessageBox::takeShown().isEmpty());
    QVERIFY(w->close());
}

void TestContextMenus::rulesWithoutSelection()
{
    // States a mouse seldom reaches: no chosen row anywhere.
    PopMenuRules::Selection s;
    s.treeRootSelected = false;
    s.taskRow = PopMenuRules::TaskRow::None;
    PopMenuRules::Items items = PopMenuRules::SetPopMenu(AppState::Pane::TaskList, s);
    QVERIFY(items.showMenu && items.addGoal && items.addTask);
    QVERIFY(!items.deleteGoal && !items.deleteTask && !items.separator);
    s.taskRow = PopMenuRules::TaskRow::Task;
    s.noteRows = 2;
    s.noteSelected = false;
    items = PopMenuRules::SetPopMenu(AppState::Pane::NoteList, s);
    QVERIFY(items.showMenu && items.addNote && !items.deleteNote && !items.propertiesNote);
    s.resourceRows = 3;
    s.resourceRow = PopMenuRules::ResourceRow::None;
    items = PopMenuRules::SetPopMenu(AppState::Pane::ResourceList, s);
    QVERIFY(items.showMenu && items.addRes && !items.deleteRes && !items.propertiesRes);
}

QTEST_MAIN(TestContextMenus)
#include "TestContextMenus.moc"
