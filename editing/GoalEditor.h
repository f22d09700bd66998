#pragma once

#include "db/ProjectRecords.h"
#include "editing/EditOutcome.h"
#include "editing/StatusChangeCheck.h"

class Clock;
class Prompter;
class RowImage;

// Reading and saving goals and applications for the goal dialog. Each save is one
// transaction: the row, its identifier from COUNTERS and the status walk from the
// goal's parent all stay or all go. UI thread only.
class GoalEditor
{
public:
    // Reads the goal; *image (when given) keeps the row as read for saveChanges().
    static bool load(const QString& connection, qint64 id, GoalRecord* goal, RowImage* image, QString* error);

    // Adds `goal` (its id is ignored) under goal->parentId, stamped CREATED now.
    // Empty description and default resource are stored as NULL.
    static EditOutcome add(const QString& connection, const GoalRecord& goal, Prompter& prompter, const Clock& clock);

    // Writes the columns of `edited` that differ from `stored` (type, name,
    // priority, status, description, default resource; texts compared
    // by textDiffers) with LAST_EDITED now, then walks from the goal's parent.
    // Nothing differing writes nothing: outcome.ok with written false. A goal that
    // is no longer as `loaded` shows it is refused (outcome.conflict).
    static EditOutcome saveChanges(const QString& connection,
                                   const RowImage& loaded,
                                   const GoalRecord& stored,
                                   const GoalRecord& edited,
                                   Prompter& prompter,
                                   const Clock& clock);

    // The dialog's check of the selected status against the goal's stored
    // sub-objects. False with *error on a database error (the check then fails).
    static bool checkStatusChange(const QString& connection,
                                  const GoalRecord& stored,
                                  const QString& selected,
                                  Prompter& prompter,
                                  StatusChangeCheck::Verdict* verdict,
                                  QString* error);
};
