#pragma once

#include "browser/GoalValues.h"

#include <QHash>
#include <QList>
#include <QString>
#include <optional>

// The goal roll-up ("CalcGoalValues"): a goal's values are the sums over its own
// counted tasks plus the values of its sub-goals that are "Open" or "Completed";
// sub-goals "On Hold" or "Closed" add nothing, with their whole subtree.
//
// Set-based: load() reads the hierarchy and the per-task figures once, and the
// roll-up then runs in memory. Should the hierarchy ever loop (the schema
// refuses it), a goal met again on its own path adds nothing, so the roll-up
// always ends. Display-free; one instance per fill, nothing is kept between fills.
class GoalRollup
{
public:
    // Reads every goal and the figures of the counted tasks under `scope` and its
    // subtree (every goal when empty). False with *error on a database error.
    bool load(const QString& connection, std::optional<qint64> scope, QString* error);

    // The values of goal `goalId` over its subtree; 0 stands for the whole
    // project (its top-level goals). Goals outside the loaded scope give zeros.
    GoalValues CalcGoalValues(qint64 goalId) const;

private:
    struct Goal
    {
        bool counts = false; // "Open" or "Completed": contributes to its parent
        GoalValues own; // its own counted tasks
        QList<qint64> children;
    };

    bool loadHierarchy(const QString& connection, QString* error);
    bool loadTasks(const QString& connection, std::optional<qint64> scope, QString* error);

    QHash<qint64, Goal> m_goals;
    QList<qint64> m_topLevel;
    mutable QHash<qint64, GoalValues> m_rolledUp;
};
