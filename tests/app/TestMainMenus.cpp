#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "charts/ui/ChartWindow.h"
#include "common/ui/MessageBox.h"
#include "reports/ui/ReportsWindow.h"
#include "team/ui/TeamMemberWindow.h"
#include "tests/support/AppTestSupport.h"

#include <QHeaderView>
#include <QToolBar>

using namespace AppTest;

class TestMainMenus : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void aboutBox();
    void reportsOpensBothWindows();
    void teamMembersWindowAndClosing();
    void renamedMemberShowsWhenBack();
    void toolbarPlaceholders();
    void toolbarViewModes();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<AppSettings> m_settings;
    NoDialogs m_ui;
};

void TestMainMenus::init()
{
    m_settings = std::make_unique<AppSettings>(m_dir.filePath(QStringLiteral("settings.ini")));
    MessageBox::setAutoAnswer(true);
    MessageBox::takeShown();
}

void TestMainMenus::cleanup()
{
    MessageBox::setAutoAnswer(false);
}

void TestMainMenus::aboutBox()
{
    // Help > About shows the one box over the main window, every time the same.
    auto w = openWindow(*m_settings, m_ui, QString());
    QList<QPointer<QWidget>> shown;
    for (int i = 0; i < 2; ++i) {
        whenModal(QStringLiteral("frmAbout"), [&](QWidget* box) {
            shown << box;
            QTest::keyClick(box, Qt::Key_Escape);
        });
        w->aboutAction()->trigger();
    }
    QCOMPARE(shown.size(), 2);
    QVERIFY(shown.first() && !shown.first()->isVisible());
    QCOMPARE(shown.first()->parentWidget(), w.get());
    QCOMPARE(shown.last().data(), shown.first().data());
}

// Tools > Reports opens both windows modeless (opening and closing them: the
// working day); open ones are reused, and closing the main window closes them all.
void TestMainMenus::reportsOpensBothWindows()
{
    TempProject p;
    p.goal(QStringLiteral("G"));
    auto w = openWindow(*m_settings, m_ui, p.path());
    w->reportsAction()->trigger();
    QPointer<ReportsWindow> reports = w->reportsWindow();
    QPointer<ChartWindow> chart = w->chartWindow();
    QVERIFY(reports && chart && !reports->isModal() && !chart->isModal());
    w->reportsAction()->trigger();
    QCOMPARE(w->reportsWindow(), reports.data());
    QCOMPARE(w->chartWindow(), chart.data());
    QVERIFY(MessageBox::takeShown().isEmpty());

    QVERIFY(w->close());
    QVERIFY(!reports->isVisible());
    QTRY_VERIFY(!chart);
}

void TestMainMenus::teamMembersWindowAndClosing()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    auto w = openWindow(*m_settings, m_ui, p.path());
    w->teamMembersAction()->trigger();
    QPointer<TeamMemberWindow> team = w->teamMemberWindow();
    QVERIFY(team && team->isVisible());
    w->teamMembersAction()->trigger();
    QCOMPARE(w->teamMemberWindow(), team.data());

    // A change the team window cannot write keeps it, and so the program, open.
    auto* monday = team->findChild<QLineEdit*>(QStringLiteral("txtFields_1"));
    QVERIFY(monday);
    monday->selectAll();
    QTest::keyClicks(monday, QStringLiteral("8.00"));
    QVERIFY(!w->close());
    QVERIFY(w->isVisible() && team->isVisible());
    QCOMPARE(MessageBox::takeShown().size(), 1);
    monday->selectAll();
    QTest::keyClicks(monday, QStringLiteral("07:30"));
    QVERIFY(w->close());
    QTRY_VERIFY(!team);
    QCOMPARE(p.scalar(QStringLiteral("SELECT MON_BEG FROM RESOURCES WHERE R_NAME = 'Ann'")).toString(),
             QStringLiteral("07:30"));
}

// A rename made in the team window must not leave a stale name in the resource
// list, whose Properties would then point at no assignment.
void TestMainMenus::renamedMemberShowsWhenBack()
{
    TempProject p;
    p.member(QStringLiteral("Ann"));
    const qint64 goal = p.goal(QStringLiteral("G"));
    p.assign(p.task(goal, QStringLiteral("T"), 2), QStringLiteral("Ann"), 100, 0, 0);
    auto w = openWindow(*m_settings, m_ui, p.path());
    clickRow(w->goalTree(), childNamed(w->goalTree()->topLevelItem(0), QStringLiteral("G")));
    clickRow(w->taskList(), rowNamed(w->taskList(), QStringLiteral("T")));
    QVERIFY(rowNamed(w->resourceList(), QStringLiteral("Ann")));

    w->teamMembersAction()->trigger();
    QPointer<TeamMemberWindow> team = w->teamMemberWindow();
    QVERIFY(team);
    QApplication::setActiveWindow(team);
    runSql(p, QStringLiteral("UPDATE RESOURCES SET R_NAME = 'Anna' WHERE R_NAME = 'Ann'"));
    QApplication::setActiveWindow(w.get());
    QTRY_VERIFY(rowNamed(w->resourceList(), QStringLiteral("Anna")));
    QVERIFY(!rowNamed(w->resourceList(), QStringLiteral("Ann")));
}

// Each placeholder button answers with a box that names it.
void TestMainMenus::toolbarPlaceholders()
{
    auto w = openWindow(*m_settings, m_ui, QString());
    QToolBar* bar = w->toolBar();
    QVERIFY(!bar->isVisible());
    w->findChild<QAction*>(QStringLiteral("mnuViewToolbar"))->trigger();
    for (const QString key : {"Back", "Forward", "Copy", "Paste", "Delete", "Properties"}) {
        QAction* button = nullptr;
        for (QAction* a : bar->actions()) {
            if (a->data().toString() == key) {
                button = a;
            }
        }
        QVERIFY2(button, qPrintable(key));
        QTest::mouseClick(bar->widgetForAction(button), Qt::LeftButton);
        const QList<MessageBox::Shown> shown = MessageBox::takeShown();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().text.contains(key), qPrintable(shown.first().text));
    }
}

void TestMainMenus::toolbarViewModes()
{
    TempProject p;
    const qint64 g = p.goal(QStringLiteral("G"));
    p.task(g, QStringLiteral("T"), 2);
    auto w = openWindow(*m_settings, m_ui, p.path());
    TaskList* tasks = w->taskList();
    const QSize smallIcons = tasks->iconSize();
    auto press = [&](const QString& key) {
        for (QAction* a : w->toolBar()->actions()) {
            if (a->data().toString() == key) {
                a->trigger();
            }
        }
    };
    QCOMPARE(w->taskListViewMode(), 3);
    press(QStringLiteral("View Large Icons"));
    QCOMPARE(w->taskListViewMode(), 0);
    QVERIFY(tasks->isHeaderHidden() && tasks->isColumnHidden(1) && tasks->isColumnHidden(6));
    QCOMPARE(tasks->iconSize(), QSize(32, 32));
    // The mode outlives a refill of the list.
    clickRow(w->goalTree(), childNamed(w->goalTree()->root(), QStringLiteral("G")));
    QVERIFY(tasks->isColumnHidden(3));
    press(QStringLiteral("View Small Icons"));
    QCOMPARE(tasks->iconSize(), smallIcons);
    QVERIFY(tasks->isHeaderHidden());
    press(QStringLiteral("View List"));
    QVERIFY(tasks->isColumnHidden(2));
    press(QStringLiteral("View Details"));
    QVERIFY(!tasks->isHeaderHidden() && !tasks->isColumnHidden(1) && !tasks->isColumnHidden(6));
    QVERIFY(MessageBox::takeShown().isEmpty());
}

QTEST_MAIN(TestMainMenus)
#include "TestMainMenus.moc"
