#pragma once

#include "db/ProjectRecords.h"

#include <QSqlQuery>
#include <QString>

// Inserts project rows through prepared statements that are reused across calls,
// so bulk builders (demo, synthetic projects, tests) stay fast. The caller holds
// the Transaction; records with id 0 take the next identifier from COUNTERS.
// Optional text that is empty is stored as NULL.
class ProjectWriter
{
public:
    explicit ProjectWriter(const QString& connection);

    bool addMember(const MemberRecord& member, QString* error);
    bool addGoal(GoalRecord& goal, QString* error);
    bool addTask(TaskRecord& task, QString* error);
    bool addAssignment(const AssignmentRecord& assignment, QString* error);
    bool addNote(NoteRecord& note, QString* error);

private:
    bool ready(QSqlQuery& query, const QString& sql, QString* error);

    QString m_connection;
    QSqlQuery m_member;
    QSqlQuery m_goal;
    QSqlQuery m_task;
    QSqlQuery m_assignment;
    QSqlQuery m_note;
};
