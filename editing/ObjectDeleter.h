#pragma once

#include "editing/EditOutcome.h"

class Prompter;

// The four deletions. Each asks its Yes/No question ("Delete", No by default)
// first; any answer but Yes changes nothing (outcome.cancelled). The delete and its
// status walk are then one transaction, and only while the row is still as it was
// when the question was asked: a row someone else changed or removed meanwhile is
// left alone (outcome.conflict). The database removes what hangs below:
// a goal's sub-goals at every depth, their tasks, assignments and notes; a task's
// assignments and notes. UI thread only.
class ObjectDeleter
{
public:
    // Where the goal was selected. From the task list the walk runs from the
    // goal's parent before the delete, as the task list's refresh expects; from
    // the tree it runs from the parent after the delete.
    enum class GoalSource { Tree, TaskList };

    static EditOutcome deleteGoal(const QString& connection, qint64 goalId, GoalSource source, Prompter& prompter);
    // Deletes the task, then walks from its goal.
    static EditOutcome deleteTask(const QString& connection, qint64 taskId, Prompter& prompter);
    // Deletes the assignment, brings the task's status in line with the
    // assignments that remain (as saving one does), then walks from its goal.
    static EditOutcome
    deleteAssignment(const QString& connection, qint64 taskId, const QString& member, Prompter& prompter);
    // Deletes the note; no status changes.
    static EditOutcome deleteNote(const QString& connection, qint64 noteId, Prompter& prompter);

    static QString goalQuestion();
    static QString taskQuestion();
    static QString assignmentQuestion();
    static QString noteQuestion();
};
