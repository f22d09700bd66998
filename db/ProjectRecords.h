#pragma once

#include <QString>
#include <optional>

// Plain rows of the project tables, as the writers and dialogs exchange them.
// Dates are stored text ("YYYY-MM-DD HH:MM:SS"); an id of 0 means "not yet allocated".

struct GoalRecord
{
    qint64 id = 0;
    QString objectType = QStringLiteral("Goal");
    QString shortName;
    int priority = 50;
    QString status = QStringLiteral("Open");
    std::optional<qint64> parentId; // P_GID; empty for a top-level goal
    QString description; // NULL when empty
    QString defaultResource; // NULL when empty
    QString created;
    QString lastEdited; // NULL when empty
};

struct TaskRecord
{
    qint64 id = 0;
    QString objectType = QStringLiteral("Task");
    QString shortName;
    int priority = 50;
    QString status = QStringLiteral("Open");
    double daysPlanned = 0;
    qint64 goalId = 0; // FK_ID
    QString description;
    QString created;
    QString lastEdited;
};

struct AssignmentRecord
{
    qint64 taskId = 0;
    QString member;
    double perWorkload = 0;
    double perCompleted = 0;
    double daysNeeded = 0;
};

struct NoteRecord
{
    qint64 id = 0;
    qint64 taskId = 0;
    QString notes; // NULL when empty
    QString timestamp;
};

struct MemberRecord
{
    QString name;
    // Begin and end of working hours, "HH:MM", Monday (0) to Sunday (6).
    QString begin[7];
    QString end[7];
    QString description;

    static MemberRecord withHours(const QString& name, const QString& from, const QString& to, int workdays = 5)
    {
        MemberRecord m;
        m.name = name;
        for (int d = 0; d < 7; ++d) {
            m.begin[d] = d < workdays ? from : QStringLiteral("00:00");
            m.end[d] = d < workdays ? to : QStringLiteral("00:00");
        }
        return m;
    }
};
