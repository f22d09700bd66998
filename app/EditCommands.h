#pragma once

#include "editing/StatusChange.h"

#include <QList>
#include <QObject>

class AssignmentPropertiesDialog;
class GoalPropertiesDialog;
class MainWindow;
class NotePropertiesDialog;
class PopMenu;
class QTreeWidgetItem;
class TaskPropertiesDialog;

// The twelve commands of the context menu "mnuPop": add and properties open the
// property dialogs modally over the main window (each dialog created on first use
// and reused); delete asks its question and deletes. After anything was written
// the tree and the lists are brought up to date in a fixed order, and the tree
// icons of goals whose status the rules changed are updated. What to add to or
// edit comes from AppState::activePane and the panes' selections. UI thread only.
class EditCommands : public QObject
{
    Q_OBJECT

public:
    // Hangs the commands on the items of `menu`.
    EditCommands(MainWindow& window, PopMenu& menu);
    ~EditCommands() override;

    void addGoal();
    void addTask();
    void addAssignment();
    void addNote();
    void goalProperties();
    void taskProperties();
    void assignmentProperties();
    void noteProperties();
    void deleteGoal();
    void deleteTask();
    void deleteAssignment();
    void deleteNote();

    // Sets the icon of every loaded goal node whose status changed.
    void applyStatusChanges(const QList<StatusChange>& changes);
    // The loaded tree node of goal `goalId`, or null.
    QTreeWidgetItem* findGoalNode(qint64 goalId) const;

private:
    GoalPropertiesDialog* goalDialog();
    TaskPropertiesDialog* taskDialog();
    AssignmentPropertiesDialog* assignmentDialog();
    NotePropertiesDialog* noteDialog();
    QTreeWidgetItem* selectedNode() const;
    // The refresh after a task or assignment save: the task list of the selected
    // node, the task's row selected again, then its assignment and note lists.
    void refreshForTask(qint64 taskId);
    // After the task list was refilled: the lower lists follow its selected row.
    void refreshLowerLists();

    MainWindow& m_window;
    GoalPropertiesDialog* m_goalDialog = nullptr;
    TaskPropertiesDialog* m_taskDialog = nullptr;
    AssignmentPropertiesDialog* m_assignmentDialog = nullptr;
    NotePropertiesDialog* m_noteDialog = nullptr;
};
