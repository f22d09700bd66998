#pragma once

#include "db/ProjectRecords.h"
#include "editing/EditOutcome.h"

class Prompter;
class RowImage;

// Reading and saving a task's resource assignments for the assignment dialog.
// After a save the task's status follows its assignments and the goals above it
// are walked; the row and those status changes are one transaction. A member can
// be assigned to a task only once. UI thread only.
class AssignmentEditor
{
public:
    // Reads the assignment; *image (when given) keeps the row as read for saveChanges().
    static bool load(const QString& connection,
                     qint64 taskId,
                     const QString& member,
                     AssignmentRecord* row,
                     RowImage* image,
                     QString* error);

    static EditOutcome add(const QString& connection, const AssignmentRecord& row, Prompter& prompter);

    // Writes what differs between `stored` and `edited` (the member, which moves
    // the assignment to another member, and the three numbers compared as numbers).
    // An assignment no longer as `loaded` shows it is refused (outcome.conflict).
    static EditOutcome saveChanges(const QString& connection,
                                   const RowImage& loaded,
                                   const AssignmentRecord& stored,
                                   const AssignmentRecord& edited,
                                   Prompter& prompter);

    // How an assignment is named to the user.
    static QString describedAs(const QString& member);

    // The refusal for a member already assigned to the task.
    static QString duplicateMessage(const QString& member);

    // The task's status from its assignments, then the walk from the task's goal;
    // changes are appended to outcome->statusChanges. Used after saves and deletions.
    static bool followAssignments(
        const QString& connection, qint64 taskId, Prompter& prompter, EditOutcome* outcome, QString* error);
};
