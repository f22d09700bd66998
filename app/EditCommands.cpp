#include "app/EditCommands.h"

#include "app/MainWindow.h"
#include "app/PopMenu.h"
#include "browser/ui/GoalTree.h"
#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "editing/ui/AssignmentPropertiesDialog.h"
#include "editing/ui/DeleteCommands.h"
#include "editing/ui/GoalPropertiesDialog.h"
#include "editing/ui/NotePropertiesDialog.h"
#include "editing/ui/TaskPropertiesDialog.h"

#include <QTreeWidgetItemIterator>

EditCommands::EditCommands(MainWindow& window, PopMenu& menu)
    : QObject(&window)
    , m_window(window)
{
    const std::pair<PopMenu::Item, void (EditCommands::*)()> commands[] = {
        {PopMenu::AddGoal, &EditCommands::addGoal},
        {PopMenu::AddTask, &EditCommands::addTask},
        {PopMenu::AddRes, &EditCommands::addAssignment},
        {PopMenu::AddNote, &EditCommands::addNote},
        {PopMenu::DeleteGoal, &EditCommands::deleteGoal},
        {PopMenu::DeleteTask, &EditCommands::deleteTask},
        {PopMenu::DeleteRes, &EditCommands::deleteAssignment},
        {PopMenu::DeleteNote, &EditCommands::deleteNote},
        {PopMenu::PropertiesGoal, &EditCommands::goalProperties},
        {PopMenu::PropertiesTask, &EditCommands::taskProperties},
        {PopMenu::PropertiesRes, &EditCommands::assignmentProperties},
        {PopMenu::PropertiesNote, &EditCommands::noteProperties},
    };
    for (const auto& [item, command] : commands) {
        // Queued: the menu closes before a modal dialog or question opens.
        connect(menu.item(item), &QAction::triggered, this, command, Qt::QueuedConnection);
    }
}

EditCommands::~EditCommands() = default;

GoalPropertiesDialog* EditCommands::goalDialog()
{
    if (!m_goalDialog) {
        m_goalDialog = new GoalPropertiesDialog(&m_window);
    }
    return m_goalDialog;
}

TaskPropertiesDialog* EditCommands::taskDialog()
{
    if (!m_taskDialog) {
        m_taskDialog = new TaskPropertiesDialog(&m_window);
    }
    return m_taskDialog;
}

AssignmentPropertiesDialog* EditCommands::assignmentDialog()
{
    if (!m_assignmentDialog) {
        m_assignmentDialog = new AssignmentPropertiesDialog(&m_window);
    }
    return m_assignmentDialog;
}

NotePropertiesDialog* EditCommands::noteDialog()
{
    if (!m_noteDialog) {
        m_noteDialog = new NotePropertiesDialog(&m_window);
    }
    return m_noteDialog;
}

QTreeWidgetItem* EditCommands::selectedNode() const
{
    return m_window.goalTree()->currentItem();
}

QTreeWidgetItem* EditCommands::findGoalNode(qint64 goalId) const
{
    for (QTreeWidgetItemIterator it(m_window.goalTree()); *it; ++it) {
        if (GoalTree::goalId(*it) == goalId) {
            return *it;
        }
    }
    return nullptr;
}

void EditCommands::applyStatusChanges(const QList<StatusChange>& changes)
{
    for (const StatusChange& change : changes) {
        if (change.kind != StatusChange::Kind::Goal) {
            continue; // task rows are redrawn by the task list's refill
        }
        if (QTreeWidgetItem* node = findGoalNode(change.id)) {
            GoalTree::setImageKey(node, change.imageKey());
        }
    }
}

void EditCommands::refreshLowerLists()
{
    const int row = m_window.taskList()->selectedIndex();
    m_window.FillResourceList(row);
    m_window.FillNoteList(row);
}

void EditCommands::refreshForTask(qint64 taskId)
{
    m_window.FillTaskList(selectedNode());
    // The plain row with that ID: a bold goal row may carry the same number.
    m_window.taskList()->selectTaskRow(taskId);
    refreshLowerLists();
}

void EditCommands::addGoal()
{
    QTreeWidgetItem* node = selectedNode();
    if (!node || !m_window.projectOpen()) {
        return;
    }
    GoalPropertiesDialog* dialog = goalDialog();
    if (!dialog->openForAdd(MainWindow::kConnection, GoalTree::goalId(node))) {
        return;
    }
    const EditOutcome& o = dialog->outcome();
    applyStatusChanges(o.statusChanges);
    // A collapsed node shows its new child when it is next clicked.
    if (node->isExpanded()) {
        m_window.goalTree()->AddGoalNode(node, o.objectType, o.shortName, o.id, o.status);
    }
    m_window.FillTaskList(node);
    refreshLowerLists();
}

void EditCommands::goalProperties()
{
    QTreeWidgetItem* node = selectedNode();
    const AppState::Pane pane = m_window.state().activePane;
    std::optional<qint64> goalId;
    if (pane == AppState::Pane::Tree) {
        goalId = GoalTree::goalId(node);
    } else if (pane == AppState::Pane::TaskList) {
        goalId = m_window.taskList()->selectedGoalId();
    }
    if (!node || !goalId) {
        return;
    }
    GoalPropertiesDialog* dialog = goalDialog();
    if (!dialog->openForEdit(MainWindow::kConnection, *goalId)) {
        return;
    }
    const EditOutcome& o = dialog->outcome();
    applyStatusChanges(o.statusChanges);
    if (pane == AppState::Pane::Tree) {
        // The node itself is brought up to date through its parent; the task
        // list (the goal's own contents) does not change.
        if (QTreeWidgetItem* parent = node->parent()) {
            m_window.goalTree()->UpdateGoalNode(parent, o.objectType, o.shortName, o.id, o.status);
        }
        return;
    }
    m_window.goalTree()->UpdateGoalNode(node, o.objectType, o.shortName, o.id, o.status);
    m_window.FillTaskList(node);
    refreshLowerLists();
}

void EditCommands::addTask()
{
    const std::optional<qint64> goalId = GoalTree::goalId(selectedNode());
    if (!goalId) {
        return; // tasks hang under goals, never under the root
    }
    TaskPropertiesDialog* dialog = taskDialog();
    if (!dialog->openForAdd(MainWindow::kConnection, *goalId)) {
        return;
    }
    applyStatusChanges(dialog->outcome().statusChanges);
    refreshForTask(dialog->outcome().id);
}

void EditCommands::taskProperties()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    if (!taskId || !selectedNode()) {
        return;
    }
    TaskPropertiesDialog* dialog = taskDialog();
    if (!dialog->openForEdit(MainWindow::kConnection, *taskId)) {
        return;
    }
    applyStatusChanges(dialog->outcome().statusChanges);
    refreshForTask(dialog->outcome().id);
}

void EditCommands::addAssignment()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    if (!taskId || !selectedNode()) {
        return;
    }
    AssignmentPropertiesDialog* dialog = assignmentDialog();
    if (!dialog->openForAdd(MainWindow::kConnection, *taskId)) {
        return;
    }
    applyStatusChanges(dialog->outcome().statusChanges);
    refreshForTask(*taskId);
}

void EditCommands::assignmentProperties()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    const QString member = m_window.resourceList()->selectedMember();
    if (!taskId || member.isEmpty() || !selectedNode()) {
        return;
    }
    AssignmentPropertiesDialog* dialog = assignmentDialog();
    if (!dialog->openForEdit(MainWindow::kConnection, *taskId, member)) {
        return;
    }
    applyStatusChanges(dialog->outcome().statusChanges);
    refreshForTask(*taskId);
}

void EditCommands::addNote()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    if (!taskId) {
        return;
    }
    if (noteDialog()->openForAdd(MainWindow::kConnection, *taskId)) {
        m_window.FillNoteList(m_window.taskList()->selectedIndex());
    }
}

void EditCommands::noteProperties()
{
    const std::optional<qint64> noteId = m_window.noteList()->selectedNoteId();
    if (!noteId || !m_window.taskList()->selectedTaskId()) {
        return;
    }
    if (noteDialog()->openForEdit(MainWindow::kConnection, *noteId)) {
        m_window.FillNoteList(m_window.taskList()->selectedIndex());
    }
}

void EditCommands::deleteGoal()
{
    QTreeWidgetItem* node = selectedNode();
    GoalTree* tree = m_window.goalTree();
    const AppState::Pane pane = m_window.state().activePane;
    if (!node) {
        return;
    }
    if (pane == AppState::Pane::TaskList) {
        // A sub-goal of the selected node; its status walk runs before the delete.
        const std::optional<qint64> goalId = m_window.taskList()->selectedGoalId();
        if (!goalId) {
            return;
        }
        const EditOutcome o = DeleteCommands::deleteGoal(
            &m_window, MainWindow::kConnection, *goalId, ObjectDeleter::GoalSource::TaskList);
        if (o.conflict) {
            m_window.FillTaskList(node); // the goal as someone else left it
            refreshLowerLists();
        }
        if (!o.ok || !o.written) {
            return;
        }
        applyStatusChanges(o.statusChanges);
        for (int i = 0; i < node->childCount(); ++i) {
            if (GoalTree::goalId(node->child(i)) == *goalId) {
                delete node->takeChild(i);
                break;
            }
        }
        m_window.FillTaskList(node);
    } else if (pane == AppState::Pane::Tree) {
        const std::optional<qint64> goalId = GoalTree::goalId(node);
        QTreeWidgetItem* parent = node->parent();
        if (!goalId || !parent) {
            return; // the root is not a goal
        }
        const EditOutcome o =
            DeleteCommands::deleteGoal(&m_window, MainWindow::kConnection, *goalId, ObjectDeleter::GoalSource::Tree);
        if (!o.ok || !o.written) {
            return;
        }
        // The node goes with everything loaded beneath it; its parent takes the selection.
        tree->setCurrentItem(parent);
        delete parent->takeChild(parent->indexOfChild(node));
        applyStatusChanges(o.statusChanges);
        m_window.FillTaskList(tree->currentItem());
    } else {
        return;
    }
    refreshLowerLists();
}

void EditCommands::deleteTask()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    QTreeWidgetItem* node = selectedNode();
    if (!taskId || !node) {
        return;
    }
    const EditOutcome o = DeleteCommands::deleteTask(&m_window, MainWindow::kConnection, *taskId);
    if (o.conflict) {
        refreshForTask(*taskId); // the task as someone else left it
    }
    if (!o.ok || !o.written) {
        return;
    }
    applyStatusChanges(o.statusChanges);
    m_window.FillTaskList(node);
    refreshLowerLists();
}

void EditCommands::deleteAssignment()
{
    const std::optional<qint64> taskId = m_window.taskList()->selectedTaskId();
    const QString member = m_window.resourceList()->selectedMember();
    QTreeWidgetItem* node = selectedNode();
    if (!taskId || member.isEmpty() || !node) {
        return;
    }
    const EditOutcome o = DeleteCommands::deleteAssignment(&m_window, MainWindow::kConnection, *taskId, member);
    if (o.conflict) {
        refreshForTask(*taskId);
    }
    if (!o.ok || !o.written) {
        return;
    }
    applyStatusChanges(o.statusChanges);
    m_window.FillTaskList(node);
    m_window.taskList()->selectTaskRow(*taskId);
    // The same task stays chosen, so its notes are still the ones shown.
    m_window.FillResourceList(m_window.taskList()->selectedIndex());
}

void EditCommands::deleteNote()
{
    const std::optional<qint64> noteId = m_window.noteList()->selectedNoteId();
    if (!noteId) {
        return;
    }
    const EditOutcome o = DeleteCommands::deleteNote(&m_window, MainWindow::kConnection, *noteId);
    if ((o.ok && o.written) || o.conflict) {
        m_window.FillNoteList(m_window.taskList()->selectedIndex());
    }
}
