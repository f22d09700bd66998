#pragma once

#include <QString>

// One stored status that a save, a delete or a status walk changed, so the
// window can bring the goal's tree node or the task's row icon up to date.
struct StatusChange
{
    enum class Kind { Goal, Task };

    Kind kind = Kind::Goal;
    qint64 id = 0;
    QString objectType; // "Goal", "Application", "Task" or "Software Object"
    QString status; // the new stored status

    // The icon key of the object: its kind followed directly by its status.
    QString imageKey() const { return objectType + status; }
};
