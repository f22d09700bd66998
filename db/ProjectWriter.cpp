#include "db/ProjectWriter.h"

#include "db/Counters.h"
#include "db/Sql.h"

namespace {
bool allocate(const QString& connection, Counters::Kind kind, qint64& id, QString* error)
{
    if (id != 0) {
        return true;
    }
    const auto next = Counters::next(connection, kind, error);
    if (!next) {
        return false;
    }
    id = *next;
    return true;
}
} // namespace

ProjectWriter::ProjectWriter(const QString& connection)
    : m_connection(connection)
    , m_member(Sql::db(connection))
    , m_goal(Sql::db(connection))
    , m_task(Sql::db(connection))
    , m_assignment(Sql::db(connection))
    , m_note(Sql::db(connection))
{
}

bool ProjectWriter::ready(QSqlQuery& query, const QString& sql, QString* error)
{
    if (!query.lastQuery().isEmpty()) {
        return true;
    }
    return Sql::prepare(query, sql, error);
}

bool ProjectWriter::addMember(const MemberRecord& member, QString* error)
{
    if (!ready(m_member,
               QStringLiteral("INSERT INTO RESOURCES (R_NAME, MON_BEG, MON_END, TUE_BEG, TUE_END, WED_BEG, WED_END,"
                              " THU_BEG, THU_END, FRI_BEG, FRI_END, SAT_BEG, SAT_END, SUN_BEG, SUN_END, R_DESCRIPTION)"
                              " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               error)) {
        return false;
    }
    int i = 0;
    m_member.bindValue(i++, member.name);
    for (int d = 0; d < 7; ++d) {
        m_member.bindValue(i++, member.begin[d]);
        m_member.bindValue(i++, member.end[d]);
    }
    m_member.bindValue(i++, Sql::textOrNull(member.description));
    return Sql::exec(m_member, error);
}

bool ProjectWriter::addGoal(GoalRecord& goal, QString* error)
{
    if (!ready(m_goal,
               QStringLiteral("INSERT INTO GOALS_SW (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, P_GID, DESCRIPTION,"
                              " DEFAULT_RESOURCE, CREATED, LAST_EDITED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               error) ||
        !allocate(m_connection, Counters::Kind::Goal, goal.id, error)) {
        return false;
    }
    m_goal.bindValue(0, goal.id);
    m_goal.bindValue(1, goal.objectType);
    m_goal.bindValue(2, goal.shortName);
    m_goal.bindValue(3, goal.priority);
    m_goal.bindValue(4, goal.status);
    m_goal.bindValue(5, Sql::orNull(goal.parentId));
    m_goal.bindValue(6, Sql::textOrNull(goal.description));
    m_goal.bindValue(7, Sql::textOrNull(goal.defaultResource));
    m_goal.bindValue(8, goal.created);
    m_goal.bindValue(9, Sql::textOrNull(goal.lastEdited));
    return Sql::exec(m_goal, error);
}

bool ProjectWriter::addTask(TaskRecord& task, QString* error)
{
    if (!ready(m_task,
               QStringLiteral("INSERT INTO TASKS_OBJECTS (ID, OBJECT_TYPE, SHORT_NAME, PRIORITY, STATUS, DAYSPLANNED,"
                              " FK_ID, DESCRIPTION, CREATED, LAST_EDITED) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
               error) ||
        !allocate(m_connection, Counters::Kind::Task, task.id, error)) {
        return false;
    }
    m_task.bindValue(0, task.id);
    m_task.bindValue(1, task.objectType);
    m_task.bindValue(2, task.shortName);
    m_task.bindValue(3, task.priority);
    m_task.bindValue(4, task.status);
    m_task.bindValue(5, task.daysPlanned);
    m_task.bindValue(6, task.goalId);
    m_task.bindValue(7, Sql::textOrNull(task.description));
    m_task.bindValue(8, task.created);
    m_task.bindValue(9, Sql::textOrNull(task.lastEdited));
    return Sql::exec(m_task, error);
}

bool ProjectWriter::addAssignment(const AssignmentRecord& assignment, QString* error)
{
    if (!ready(m_assignment,
               QStringLiteral("INSERT INTO TASK_OBJECT_RESOURCE (FK_TASKID, FK_R_NAME, PER_WORKLOAD, PER_COMPLETED,"
                              " DAYS_NEEDED) VALUES (?, ?, ?, ?, ?)"),
               error)) {
        return false;
    }
    m_assignment.bindValue(0, assignment.taskId);
    m_assignment.bindValue(1, assignment.member);
    m_assignment.bindValue(2, assignment.perWorkload);
    m_assignment.bindValue(3, assignment.perCompleted);
    m_assignment.bindValue(4, assignment.daysNeeded);
    return Sql::exec(m_assignment, error);
}

bool ProjectWriter::addNote(NoteRecord& note, QString* error)
{
    if (!ready(m_note,
               QStringLiteral("INSERT INTO TASK_OBJECT_WORKSHEET (NID, TASKID, NOTES, TIMESTAMP) VALUES (?, ?, ?, ?)"),
               error) ||
        !allocate(m_connection, Counters::Kind::Note, note.id, error)) {
        return false;
    }
    m_note.bindValue(0, note.id);
    m_note.bindValue(1, note.taskId);
    m_note.bindValue(2, Sql::textOrNull(note.notes));
    m_note.bindValue(3, note.timestamp);
    return Sql::exec(m_note, error);
}
