#pragma once

#include <QString>
#include <optional>

// Plain rows of the project tables, as the writers, editors and the snapshot exchange
// them. A column that may be NULL is an optional; dates are stored text
// ("YYYY-MM-DD HH:MM:SS"); an id of 0 means "not yet allocated".

// The columns goals and tasks share.
struct ObjectRecord
{
    explicit ObjectRecord(const QString& type)
        : objectType(type)
    {
    }

    qint64 id = 0;
    QString objectType; // OBJECT_TYPE
    QString shortName;
    qint64 priority = 50;
    QString status = QStringLiteral("Open");
    std::optional<QString> description;
    QString created;
    std::optional<QString> lastEdited;
};

struct GoalRecord : ObjectRecord
{
    GoalRecord()
        : ObjectRecord(QStringLiteral("Goal"))
    {
    }

    std::optional<qint64> parentId; // P_GID; empty for a top-level goal
    std::optional<QString> defaultResource;
};

struct TaskRecord : ObjectRecord
{
    TaskRecord()
        : ObjectRecord(QStringLiteral("Task"))
    {
    }

    double daysPlanned = 0; // days
    qint64 goalId = 0; // FK_ID
};

struct AssignmentRecord
{
    qint64 taskId = 0; // FK_TASKID
    QString member; // FK_R_NAME
    double perWorkload = 0; // percent of the task's workload
    double perCompleted = 0; // percent of that share done
    double daysNeeded = 0; // days in which perCompleted was reached
};

struct NoteRecord
{
    qint64 id = 0; // NID
    qint64 taskId = 0;
    std::optional<QString> notes;
    QString timestamp;
};

struct MemberRecord
{
    QString name;
    // Begin and end of working hours, "HH:MM" (or "HH:MM:SS" as stored), Monday (0) to Sunday (6).
    QString begin[7];
    QString end[7];
    std::optional<QString> description;

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

// Member names are one member whatever their letter case, compared as the
// database's NOCASE collation compares them (ASCII letters only).
class MemberName
{
public:
    static QString key(const QString& name)
    {
        QString folded = name;
        for (QChar& c : folded) {
            if (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) {
                c = QChar(c.unicode() + ('a' - 'A'));
            }
        }
        return folded;
    }
};
