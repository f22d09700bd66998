#pragma once

#include "editing/EditOutcome.h"
#include "editing/ObjectDeleter.h"

class QWidget;

// The four delete commands of the context menus: the question in a message box,
// then the deletion with its status walk, an error in the error box. The opener
// refreshes the tree and the lists from the outcome when outcome.written is set.
class DeleteCommands
{
public:
    static EditOutcome
    deleteGoal(QWidget* parent, const QString& connection, qint64 goalId, ObjectDeleter::GoalSource source);
    static EditOutcome deleteTask(QWidget* parent, const QString& connection, qint64 taskId);
    static EditOutcome
    deleteAssignment(QWidget* parent, const QString& connection, qint64 taskId, const QString& member);
    static EditOutcome deleteNote(QWidget* parent, const QString& connection, qint64 noteId);
};
