#include "editing/ui/DeleteCommands.h"

#include "common/ui/MessageBox.h"
#include "common/ui/MessageBoxPrompter.h"

namespace {
EditOutcome shown(QWidget* parent, EditOutcome outcome)
{
    if (!outcome.ok) {
        MessageBox::error(parent, outcome.error);
    }
    return outcome;
}
} // namespace

EditOutcome
DeleteCommands::deleteGoal(QWidget* parent, const QString& connection, qint64 goalId, ObjectDeleter::GoalSource source)
{
    MessageBoxPrompter prompter(parent);
    return shown(parent, ObjectDeleter::deleteGoal(connection, goalId, source, prompter));
}

EditOutcome DeleteCommands::deleteTask(QWidget* parent, const QString& connection, qint64 taskId)
{
    MessageBoxPrompter prompter(parent);
    return shown(parent, ObjectDeleter::deleteTask(connection, taskId, prompter));
}

EditOutcome
DeleteCommands::deleteAssignment(QWidget* parent, const QString& connection, qint64 taskId, const QString& member)
{
    MessageBoxPrompter prompter(parent);
    return shown(parent, ObjectDeleter::deleteAssignment(connection, taskId, member, prompter));
}

EditOutcome DeleteCommands::deleteNote(QWidget* parent, const QString& connection, qint64 noteId)
{
    MessageBoxPrompter prompter(parent);
    return shown(parent, ObjectDeleter::deleteNote(connection, noteId, prompter));
}
