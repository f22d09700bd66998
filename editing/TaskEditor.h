#pragma once

#include "db/ProjectRecords.h"
#include "editing/EditOutcome.h"
#include "editing/StatusChangeCheck.h"

class Clock;
class Prompter;
class RowImage;

// Reading and saving tasks and software objects for the task dialog. Each save is
// one transaction: the row, its identifier, the new task's default assignment and
// the status walk from the task's goal all stay or all go. UI thread only.
class TaskEditor
{
public:
    // Reads the task; *image (when given) keeps the row as read for saveChanges().
    static bool load(const QString& connection, qint64 id, TaskRecord* task, RowImage* image, QString* error);

    // Adds `task` (its id is ignored) under task.goalId, stamped CREATED now, with
    // one assignment: the goal's default member carrying 100 % of the workload, 0 %
    // done in 0 days. A goal without a default member is refused with a message
    // and nothing is written.
    static EditOutcome add(const QString& connection, const TaskRecord& task, Prompter& prompter, const Clock& clock);

    // Writes the columns of `edited` that differ from `stored` (DAYSPLANNED and
    // PRIORITY compared as numbers; the description compared by
    // textDiffers) with LAST_EDITED now, then walks from the task's goal. A task
    // that is no longer as `loaded` shows it is refused (outcome.conflict).
    static EditOutcome saveChanges(const QString& connection,
                                   const RowImage& loaded,
                                   const TaskRecord& stored,
                                   const TaskRecord& edited,
                                   Prompter& prompter,
                                   const Clock& clock);

    // The dialog's check of the selected status against the task's assignments.
    static bool checkStatusChange(const QString& connection,
                                  const TaskRecord& stored,
                                  const QString& selected,
                                  Prompter& prompter,
                                  StatusChangeCheck::Verdict* verdict,
                                  QString* error);
};
