#pragma once

#include "app/AppState.h"
#include "app/MainLayout.h"
#include "app/PopMenuRules.h"

#include <QMainWindow>
#include <QPointer>
#include <QSet>
#include <memory>
#include <optional>

class AboutBox;
class AppSettings;
class ChangeListener;
class ChartWindow;
class CompareWindow;
class TimelineWindow;
class TrendWindow;
class EditCommands;
class GoalTree;
class NoteList;
class PopMenu;
class UndoMenu;
class QAction;
class QFrame;
class QLabel;
class QTimer;
class QToolBar;
class QTreeWidgetItem;
class ReportsWindow;
class ResourceList;
class SplitterStrip;
class StartupUi;
class TaskList;
class TeamMemberWindow;

// The main window "frmMain": goal tree on the left; task, resource and note lists
// stacked on the right, divided by three splitters; menu bar, toolbar (hidden at
// every start) and status bar. Owns the shared connection "dbConn". Restores its
// place, size, splitters and pane visibility from the settings when created and
// stores them when closed. UI thread only.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static const QString kConnection;
    // How long changes others commit are gathered before the panes show them.
    static constexpr int kRefreshDelayMs = 300;

    // `dbPathOverride` opens that file for this run without touching the stored path.
    MainWindow(AppSettings& settings,
               StartupUi& startupUi,
               const QString& dbPathOverride = QString(),
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Finds, opens and shows the project: stored path, file dialog, one retry;
    // then the tree's top level and the three lists. Returns true when a project
    // is open. Called once after construction.
    bool InitDatabase();

    // The pane procedures dialogs and commands call after a change.
    // Refills the task list for a node of the goal tree (the root or a goal).
    void FillTaskList(QTreeWidgetItem* node);
    // Refill the lower lists for row `row` of the task list (0 = first row); a
    // hidden list is left as it is.
    void FillResourceList(int row);
    void FillNoteList(int row);
    // Lays the panes out again from the splitters.
    void SizeControls();
    // Shows what others have changed on the server: the loaded tree levels, the task
    // list (its selected row kept while it exists), the lists below it, and the reports
    // window's snapshot list.
    void refreshFromServer();
    // Refreshes the tree and lists as refreshFromServer() does, shortly and once,
    // after whatever dialog or write is open now.
    void refreshSoon();

    GoalTree* goalTree() const { return m_tvGoal; }
    TaskList* taskList() const { return m_lvTask; }
    ResourceList* resourceList() const { return m_lvResource; }
    NoteList* noteList() const { return m_lvNotes; }
    QToolBar* toolBar() const { return m_toolBar; }
    // The status bar's message, left of the date and time.
    QString statusText() const;
    AppState& state() { return m_state; }
    const MainLayout& mainLayout() const { return m_layout; }
    QString databasePath() const { return m_dbPath; }
    // True once InitDatabase has opened a project; until then the commands that
    // need data are disabled and no context menu opens.
    bool projectOpen() const { return !m_dbPath.isEmpty(); }

    // The context menu "mnuPop" and the commands hung on it.
    PopMenu* popMenu() const { return m_mnuPop; }
    EditCommands* editCommands() const { return m_commands; }
    // Sets the context menu's items for `pane` and what is selected there, and
    // opens it at `globalPos` when the pane offers a menu. Returns whether it opened.
    bool SetPopMenu(AppState::Pane pane, const QPoint& globalPos);

    // Tools > Reports: the reports window, then the chart window, both modeless;
    // an open one is brought to the front.
    void openReports();
    // Tools > Forecast Trend: the forecast trend window, modeless; an open one
    // is brought to the front.
    void openTrend();
    // Tools > Timeline: the newest snapshot's timeline window, modeless; an open one
    // is brought to the front.
    void openTimeline();
    // Tools > Team Members: the team member window on its own connection.
    void openTeamMembers();
    // Tools > Compare Snapshots...: the comparison window, modeless; an open one comes to the front.
    void openCompare();
    // Help > About...: the About box, modally.
    void openAbout();
    // The open (or closed but kept) windows; null when none.
    ReportsWindow* reportsWindow() const;
    ChartWindow* chartWindow() const;
    CompareWindow* compareWindow() const;
    TeamMemberWindow* teamMemberWindow() const;

    // The task list's view mode as the toolbar sets it: 0 large icons, 1 small
    // icons, 2 list, 3 details (the start).
    int taskListViewMode() const { return m_taskListViewMode; }
    void setTaskListViewMode(int mode);

    // The commands other windows hang on: Tools > Reports, Tools > Team Members,
    // Help > About...
    QAction* reportsAction() const { return m_mnuRptRpt1; }
    QAction* teamMembersAction() const { return m_mnuRptRes; }
    QAction* trendAction() const { return m_mnuRptTrend; }
    QAction* aboutAction() const { return m_mnuHelpAbout; }

    // Twips and pixels at this window's logical DPI.
    int pixelsX(double twips) const;
    int pixelsY(double twips) const;
    double twipsX(int pixels) const;
    double twipsY(int pixels) const;

Q_SIGNALS:
    // A right click on `pane` asks for its context menu; AppState::activePane is already set.
    void contextMenuRequested(AppState::Pane pane);
    void reportsRequested();
    void teamMembersRequested();
    void aboutRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void buildMenus();
    void buildToolBar();
    void toolButtonClicked(QAction* button);
    void keyboardMenu(AppState::Pane pane);
    PopMenuRules::Selection paneSelection() const;
    void placeBeside(QWidget* window, int step);
    // Shows a tool window on this project beside the main window, made on first use.
    template <typename Window>
    void showTool(QPointer<Window>& window);
    void loadSettings();
    void connectStrip(MainLayout::Splitter splitter);
    void paneClicked(AppState::Pane pane, bool rightButton);
    void onNodeClicked(QTreeWidgetItem* node);
    void onPanesResized();
    void readWindowGeometry();
    void applyLayout();
    void applyBars();
    void place(QWidget* widget, const TwipsRect& rect);
    bool openProject(const QString& path, bool chosenInDialog, QString* error);
    QString askPath();
    void updateClock();

    AppSettings& m_settings;
    StartupUi& m_startupUi;
    QString m_dbPathOverride;
    QString m_dbPath;
    AppState m_state;
    MainLayout m_layout;

    QWidget* m_panes = nullptr;
    GoalTree* m_tvGoal = nullptr;
    TaskList* m_lvTask = nullptr;
    ResourceList* m_lvResource = nullptr;
    NoteList* m_lvNotes = nullptr;
    SplitterStrip* m_strips[3] = {nullptr, nullptr, nullptr};
    QFrame* m_bars[3] = {nullptr, nullptr, nullptr};
    QToolBar* m_toolBar = nullptr;
    QAction* m_mnuViewResources = nullptr;
    QAction* m_mnuViewNotes = nullptr;
    QAction* m_mnuViewToolbar = nullptr;
    QAction* m_mnuViewStatusBar = nullptr;
    QAction* m_mnuRptRpt1 = nullptr;
    QAction* m_mnuRptRes = nullptr;
    QAction* m_mnuRptCompare = nullptr;
    QAction* m_mnuRptTrend = nullptr;
    QAction* m_mnuRptTimeline = nullptr;
    QAction* m_mnuHelpAbout = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusDate = nullptr;
    QLabel* m_statusTime = nullptr;
    PopMenu* m_mnuPop = nullptr;
    UndoMenu* m_undoMenu = nullptr;
    ChangeListener* m_listener = nullptr;
    QTimer* m_refreshTimer = nullptr;
    QSet<QString> m_changedTables; // announced since the last refresh
    EditCommands* m_commands = nullptr;
    AboutBox* m_about = nullptr;
    QPointer<ReportsWindow> m_reports;
    QPointer<ChartWindow> m_chart;
    QPointer<CompareWindow> m_compare;
    QPointer<TrendWindow> m_trend;
    QPointer<TimelineWindow> m_timeline;
    QPointer<TeamMemberWindow> m_team;
    // Set while the team window may have renamed members the resource list shows.
    bool m_membersMayHaveChanged = false;
    std::optional<QPoint> m_rightPress; // where the last right button went down over a pane
    int m_taskListViewMode = 3;
    QSize m_taskListIconSize;
};
