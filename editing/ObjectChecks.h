#pragma once

#include "editing/StatusChange.h"

#include <QList>
#include <QString>
#include <optional>

class Prompter;

// The stored side of the status rules: whether a task's members have finished
// it, whether a goal's sub-objects are finished, and the walks that bring stored
// statuses in line. Questions go through the Prompter; nothing is shown here.
// Every function returns false with *error on a database error. UI thread only.
class ObjectChecks
{
public:
    enum SubObjects : int { AllFinished = 0, SomeOpen = 1, None = 2 };

    // True when no assignment with a positive workload is below 100 % complete
    // and the workloads add up to at least 100 %. A task without assignments is
    // not finished.
    static bool ResourcesCompleted(const QString& connection, qint64 taskId, bool* done, QString* error);

    // The state of a goal's direct sub-goals and tasks (0, 1 or 2 above).
    static bool SubObjectState(const QString& connection, qint64 goalId, int* state, QString* error);

    // Walks from goal `goalId` up the stored P_GID chain to the top: a
    // "Completed" goal with an "Open" sub-object reopens, an "Open" goal whose
    // sub-objects are all finished completes, an "On Hold" or "Closed" one only
    // if the user agrees. Changed goals are appended to *changes bottom-up. An
    // empty goalId (the root) changes nothing. Runs in a transaction of its own
    // (a savepoint inside the caller's), so a failure leaves no answer half-applied.
    // Each goal is held from its reading to the caller's commit, so no other
    // connection changes it between the decision (or the user's answer) and the write.
    static bool CheckParentStatus(const QString& connection,
                                  std::optional<qint64> goalId,
                                  Prompter& prompter,
                                  QList<StatusChange>* changes,
                                  QString* error);

    // Brings a task's stored status in line with its assignments: an "Open" task
    // its members finished completes silently, an "On Hold" or "Closed" one if the
    // user agrees, a "Completed" one they have not finished reopens. A change is
    // appended to *changes.
    static bool CheckTaskStatus(
        const QString& connection, qint64 taskId, Prompter& prompter, QList<StatusChange>* changes, QString* error);

    // The texts of the two walk questions.
    static QString parentQuestion(const QString& shortName);
    static QString taskQuestion(const QString& shortName, const QString& status);
};
