#pragma once

#include "editing/StatusChange.h"

#include <QList>
#include <QString>
#include <optional>

// What a save or a delete did, for the window that refreshes afterwards.
// Every save and delete is one transaction: when ok is false nothing of it
// remains in the file and error holds "<code>: <description>" or a clear message.
struct EditOutcome
{
    bool ok = false;
    QString error;
    bool written = false; // a row was added, changed or deleted
    bool cancelled = false; // a deletion the user did not confirm
    // Another connection changed or removed the row since it was loaded: nothing was
    // written, and the opener reloads the row before the user tries again.
    bool conflict = false;

    // The object saved or deleted: a goal or task ID, a note's NID, or for an
    // assignment the task's ID (with member below).
    qint64 id = 0;
    QString objectType;
    QString shortName;
    QString status;
    std::optional<qint64> parentId; // a goal's P_GID, or the goal (FK_ID) of a task or assignment
    QString member; // assignment only

    // Stored statuses the status rules changed, in the order they were written:
    // the task first (assignments), then the goals from the bottom of the walk up.
    QList<StatusChange> statusChanges;

    static EditOutcome failure(const QString& message)
    {
        EditOutcome o;
        o.error = message;
        return o;
    }
};
