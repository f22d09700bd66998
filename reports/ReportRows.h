#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The row sets the three reports print, read from the report views for one snapshot.
// Numbers that are empty in the snapshot, or not known (see Figure), are NaN, which
// keeps a large overview compact in memory. Text values are as stored; dates are stored text.

struct OverviewRow
{
    QChar obj; // 'G', 'T' or 'R'
    QString hName; // indented outline name: the leading spaces are the indentation
    QString status;
    QString completionDate;
    double planned = 0;
    double rWrk = 0; // the member's share; empty on goal and task lines
    double perComp = 0;
    double needed = 0;
    double est = 0;
    double diff = 0;
};

struct ScheduleAssignment
{
    QString res;
    QString status;
    double pw = 0;
    double comp = 0;
    double diff = 0;
};

// One open task with the team members working on it, in member order.
struct TaskScheduleGroup
{
    std::optional<qint64> counterTask;
    qint64 taskId = 0;
    QString name;
    QString path;
    QString status;
    double comp = 0;
    double diff = 0;
    QList<ScheduleAssignment> members;
};

struct MemberScheduleLine
{
    std::optional<qint64> counterTask;
    QString name;
    QString path;
    QString status;
    double pw = 0;
    double comp = 0;
    double diff = 0;
};

// One team member with that member's open tasks in completion order.
struct MemberScheduleGroup
{
    QString res;
    QList<MemberScheduleLine> tasks;
};

class ReportRows
{
public:
    // Stored stamps of all snapshots, newest first. Rows whose stamp is not a stored
    // date and time (see Stamp::sqlIsStamp) are no snapshot that can be placed in
    // time: they are left out here, in newestStamp() and in stampExists().
    static bool stamps(const QString& connection, QStringList* out, QString* error);
    // The newest stamp, or an empty text when there is no snapshot.
    static bool newestStamp(const QString& connection, QString* out, QString* error);
    static bool stampExists(const QString& connection, const QString& stamp, bool* exists, QString* error);

    // Every row of the snapshot in outline order.
    static bool overview(const QString& connection, const QString& stamp, QList<OverviewRow>* out, QString* error);
    // Open tasks ordered by their completion number, each with its assignments ordered by member.
    static bool
    taskSchedule(const QString& connection, const QString& stamp, QList<TaskScheduleGroup>* out, QString* error);
    // Members in name order, each with the open assignments ordered by the task's completion number.
    static bool
    memberSchedule(const QString& connection, const QString& stamp, QList<MemberScheduleGroup>* out, QString* error);
};
