#pragma once

#include <QString>
#include <optional>

// The rows the property dialogs edit, as stored. Optional text is NULL in the
// file; dates are stored text and empty when NULL.

struct GoalProperties
{
    qint64 id = 0;
    QString objectType;
    QString shortName;
    qint64 priority = 0;
    QString status;
    std::optional<qint64> parentId; // P_GID; empty for a top-level goal
    std::optional<QString> description;
    std::optional<QString> defaultResource;
    QString created;
    QString lastEdited;
};

struct TaskProperties
{
    qint64 id = 0;
    QString objectType;
    QString shortName;
    qint64 priority = 0;
    QString status;
    double daysPlanned = 0; // days
    qint64 goalId = 0; // FK_ID
    std::optional<QString> description;
    QString created;
    QString lastEdited;
};

struct AssignmentProperties
{
    qint64 taskId = 0; // FK_TASKID
    QString member; // FK_R_NAME
    double perWorkload = 0; // percent of the task's workload
    double perCompleted = 0; // percent of that share done
    double daysNeeded = 0; // days in which perCompleted was reached
};

struct NoteProperties
{
    qint64 id = 0; // NID
    qint64 taskId = 0;
    std::optional<QString> notes;
    QString timestamp;
};

// A stored value that may be NULL against the text of a field. NULL differs from
// any text but the empty one: an empty field over a NULL column is no change, so
// pressing OK on an untouched object never stamps it as edited.
inline bool textDiffers(const std::optional<QString>& stored, const QString& text)
{
    return stored ? *stored != text : !text.isEmpty();
}
