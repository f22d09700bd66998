#pragma once

#include "app/AppState.h"

#include <QMainWindow>
#include <memory>

class AppSettings;
class GoalTree;
class QLabel;
class QSplitter;
class QTreeWidget;
class QTreeWidgetItem;
class StartupUi;

// The main window "frmMain": goal tree on the left; task, resource and note lists
// stacked on the right; status bar. Owns the shared connection "dbConn".
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    static const QString kConnection;

    // `dbPathOverride` opens that file for this run without touching the stored path.
    MainWindow(AppSettings& settings,
               StartupUi& startupUi,
               const QString& dbPathOverride = QString(),
               QWidget* parent = nullptr);
    ~MainWindow() override;

    // Finds, opens and shows the project: stored path, file dialog, one retry.
    // Returns true when a project is open. Called once by the load step.
    bool InitDatabase();

    GoalTree* goalTree() const { return m_tvGoal; }
    QTreeWidget* taskList() const { return m_lvTask; }
    QTreeWidget* resourceList() const { return m_lvResource; }
    QTreeWidget* noteList() const { return m_lvNotes; }
    AppState& state() { return m_state; }
    QString databasePath() const { return m_dbPath; }

private:
    void buildUi();
    bool openProject(const QString& path, bool chosenInDialog, QString* error);
    QString askPath();
    void onNodeClicked(QTreeWidgetItem* node);
    void updateClock();

    AppSettings& m_settings;
    StartupUi& m_startupUi;
    QString m_dbPathOverride;
    QString m_dbPath;
    AppState m_state;

    GoalTree* m_tvGoal = nullptr;
    QTreeWidget* m_lvTask = nullptr;
    QTreeWidget* m_lvResource = nullptr;
    QTreeWidget* m_lvNotes = nullptr;
    QSplitter* m_split = nullptr;
    QSplitter* m_listSplit = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusDate = nullptr;
    QLabel* m_statusTime = nullptr;
};
