#pragma once

#include <QList>
#include <QString>
#include <optional>

// One goal as the goal tree shows it.
struct GoalNodeRow
{
    qint64 id = 0;
    QString objectType;
    QString shortName;
    QString status;
    bool hasChildren = false; // has sub-goals in the database
};

// Reads the goal tree's levels from qTreeGoal. Display-free.
class GoalTreeSource
{
public:
    // The goals directly under `parentId` (top-level goals for an empty parent),
    // in the order they were created. False with *error on a database error.
    static bool
    childGoals(const QString& connection, std::optional<qint64> parentId, QList<GoalNodeRow>* rows, QString* error);
};
