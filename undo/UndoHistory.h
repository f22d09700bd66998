#pragma once

#include <QList>
#include <QString>

// Taking back and re-applying the steps the project's undo log keeps (UndoLog). Undoing
// a step puts every row it touched back as it was before, redoing puts them as they
// were after, in one transaction each. Either is refused, changing nothing, when a row
// the step touched is no longer as the step left it (another window, the command line
// or another program changed it since). UI thread only; no transaction may be open on
// the connection.
class UndoHistory
{
public:
    struct Step
    {
        qint64 id = 0;
        QString name;
        QString created; // YYYY-MM-DD HH:MM:SS
        bool done = true; // false: undone, waiting to be redone
    };

    // The kept steps the connection's user may undo (on a server, its role's), oldest
    // first: the done ones, then the undone ones.
    static bool steps(const QString& connection, QList<Step>* steps, QString* error);
    // Undoes the latest done step. False with *error when there is none or it is refused.
    static bool undo(const QString& connection, QString* error);
    // Redoes the earliest undone step.
    static bool redo(const QString& connection, QString* error);
    // Undoes or redoes step by step until `lastDone` is the latest done step (0: none
    // is). Stops at the first refusal; the steps before it stay undone or redone.
    static bool goTo(const QString& connection, qint64 lastDone, QString* error);

private:
    static bool apply(const QString& connection, const Step& step, bool backwards, QString* error);
};
