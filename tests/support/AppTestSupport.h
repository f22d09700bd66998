#pragma once

#include "app/AppSettings.h"
#include "app/EditCommands.h"
#include "app/MainWindow.h"
#include "app/PopMenu.h"
#include "app/StartupUi.h"
#include "browser/ui/GoalTree.h"
#include "tests/support/TestSql.h"
#include "tests/support/WidgetTest.h"

#include <QtTest>

// Shared by the main window's GUI tests: a start-up without dialogs, commands
// through the context menu, and one sample project.
namespace AppTest {

using namespace WidgetTest;

class NoDialogs : public StartupUi
{
public:
    QString askDatabasePath(QWidget*) override { return {}; }
    bool confirmCreate(QWidget*, const QString&) override { return false; }
    void showError(QWidget*, const QString& text) override { qWarning("%s", qPrintable(text)); }
};

// A shown main window on `project` (none: both start-up dialogs cancelled).
inline std::unique_ptr<MainWindow> openWindow(AppSettings& settings, StartupUi& ui, const QString& project)
{
    auto w = std::make_unique<MainWindow>(settings, ui, project);
    if (!project.isEmpty() && !w->InitDatabase()) {
        qFatal("cannot open %s", qPrintable(project));
    }
    w->show();
    if (!QTest::qWaitForWindowExposed(w.get())) {
        qFatal("window not exposed");
    }
    return w;
}

// Clicks the visible item `name` of the open context menu and lets the command run.
inline bool chooseMenuItem(MainWindow* w, const char* name)
{
    PopMenu* menu = w->popMenu();
    QAction* action = menu->findChild<QAction*>(QLatin1String(name));
    if (!menu->isVisible() || !action || !action->isVisible()) {
        qWarning("menu item %s is not offered", name);
        menu->hide();
        return false;
    }
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    if (menu->isVisible()) {
        qWarning("the menu stayed open");
        return false;
    }
    // The command runs once the menu has closed.
    QCoreApplication::processEvents();
    return true;
}

// Right-clicks `item` of `pane` and chooses the menu item `name`.
inline bool command(MainWindow* w, QTreeWidget* pane, QTreeWidgetItem* item, const char* name)
{
    clickRow(pane, item, Qt::RightButton);
    return chooseMenuItem(w, name);
}

inline QString text(const TempProject& p, const QString& sql, const QVariantList& values = {})
{
    return p.scalar(sql, values).toString();
}

// Goal "G" (default member Ann) with sub-goal "Sub", task "T" (Ann 60 %, O'Brien
// 40 %, notes "One" and "Two") and task "U" (O'Brien alone, no notes).
struct Sample
{
    TempProject project;
    qint64 g = 0, sub = 0, t = 0, u = 0;
    Sample()
    {
        project.member(QStringLiteral("Ann"));
        project.member(QStringLiteral("O'Brien"));
        g = project.goal(QStringLiteral("G"));
        runSql(project, QStringLiteral("UPDATE GOALS_SW SET DEFAULT_RESOURCE = 'Ann' WHERE ID = ?"), {g});
        sub = project.goal(QStringLiteral("Sub"), g);
        t = project.task(g, QStringLiteral("T"), 10);
        u = project.task(g, QStringLiteral("U"), 4);
        project.assign(t, QStringLiteral("Ann"), 60, 50, 3);
        project.assign(t, QStringLiteral("O'Brien"), 40, 0, 0);
        project.assign(u, QStringLiteral("O'Brien"), 100, 0, 0);
        project.note(t, QStringLiteral("One"));
        project.note(t, QStringLiteral("Two"));
    }
};

} // namespace AppTest
