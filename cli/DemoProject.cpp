#include "cli/DemoProject.h"

#include "common/Clock.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/ProjectWriter.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "schedule/SnapshotGenerator.h"

#include <cmath>

namespace {

constexpr int kSnapshots = 24;

struct DemoAssignment
{
    const char* member;
    double workload;
    double completed;
    double daysNeeded;
};

struct DemoTask
{
    const char* name;
    const char* type;
    int priority;
    const char* status;
    double days;
    QList<DemoAssignment> assignments;
    const char* note = nullptr;
};

struct DemoGoal
{
    const char* name;
    const char* type;
    int priority;
    const char* status;
    const char* defaultMember;
    const char* description;
    QList<DemoTask> tasks;
    QList<DemoGoal> children;
};

// When a goal reached its final status, in days before now: open goals are still
// open today; the others were completed, put on hold or closed a while ago.
int settleAge(const QString& status)
{
    if (status == QLatin1String("Completed")) {
        return 120;
    }
    if (status == QLatin1String("Closed")) {
        return 100;
    }
    if (status == QLatin1String("On Hold")) {
        return 60;
    }
    return 0;
}

// The plan with its identifiers and, for every object, the day it was added and the
// day its work stopped changing, so that the state of any past day can be rebuilt.
struct PlannedGoal
{
    GoalRecord record;
    int age = 0; // days before now it was created
    int settle = 0; // days before now it took its final status
    bool written = false;
};

struct PlannedTask
{
    TaskRecord record;
    QList<AssignmentRecord> assignments; // final figures
    const char* note = nullptr;
    int age = 0; // days before now it was added
    int settle = 0; // days before now it took its final status and figures
    bool written = false;
};

class Builder
{
public:
    Builder(const QString& connection, const QDateTime& now)
        : m_connection(connection)
        , m_writer(connection)
        , m_now(now)
    {
    }

    bool members(QString* error)
    {
        auto m = [](const char* name, const char* description) {
            MemberRecord r;
            r.name = QString::fromUtf8(name);
            r.description = QString::fromUtf8(description);
            return r;
        };
        MemberRecord alice = m("Alice Moreau", "Team lead, back end. Full time.");
        MemberRecord bram = m("Bram de Vries", "Mobile developer. Four-day week, Friday off.");
        MemberRecord chen = m("Chen Li", "Designer. Mornings only.");
        MemberRecord dana = m("Dana O'Brien", "Quality assurance. Late shift.");
        MemberRecord emil = m("Emil Novak", "Operations. Tuesday to Saturday.");
        for (int d = 0; d < 7; ++d) {
            const bool weekday = d < 5;
            alice.begin[d] = weekday ? QStringLiteral("08:00") : QStringLiteral("00:00");
            alice.end[d] = weekday ? QStringLiteral("16:30") : QStringLiteral("00:00");
            bram.begin[d] = d < 4 ? QStringLiteral("09:00") : QStringLiteral("00:00");
            bram.end[d] = d < 4 ? QStringLiteral("17:00") : QStringLiteral("00:00");
            chen.begin[d] = weekday ? QStringLiteral("07:30") : QStringLiteral("00:00");
            chen.end[d] = weekday ? QStringLiteral("12:30") : QStringLiteral("00:00");
            dana.begin[d] = weekday ? QStringLiteral("10:00") : QStringLiteral("00:00");
            dana.end[d] = weekday ? QStringLiteral("18:00") : QStringLiteral("00:00");
            const bool emilWorks = d >= 1 && d <= 5;
            emil.begin[d] = emilWorks ? QStringLiteral("08:00") : QStringLiteral("00:00");
            emil.end[d] = emilWorks ? QStringLiteral("16:00") : QStringLiteral("00:00");
        }
        for (const MemberRecord& r : {alice, bram, chen, dana, emil}) {
            if (!m_writer.addMember(r, error)) {
                return false;
            }
        }
        return true;
    }

    void plan(const DemoGoal& g, std::optional<qint64> parent, int age)
    {
        PlannedGoal goal;
        GoalRecord& rec = goal.record;
        rec.id = qint64(m_goals.size()) + 1;
        rec.objectType = QString::fromLatin1(g.type);
        rec.shortName = QString::fromUtf8(g.name);
        rec.priority = g.priority;
        rec.status = QString::fromLatin1(g.status);
        rec.parentId = parent;
        rec.description = QString::fromUtf8(g.description);
        rec.defaultResource = QString::fromUtf8(g.defaultMember);
        rec.created = stamp(age);
        if (age > 30) {
            rec.lastEdited = stamp(age / 3);
        }
        goal.age = age;
        goal.settle = settleAge(rec.status);
        const qint64 id = rec.id;
        const int settle = goal.settle;
        m_goals.push_back(goal);
        // Later tasks of a goal were added to the plan some weeks after the first.
        int taskAge = age - 3;
        for (const DemoTask& t : g.tasks) {
            PlannedTask task;
            TaskRecord& tr = task.record;
            tr.id = qint64(m_tasks.size()) + 1;
            tr.objectType = QString::fromLatin1(t.type);
            tr.shortName = QString::fromUtf8(t.name);
            tr.priority = t.priority;
            tr.status = QString::fromLatin1(t.status);
            tr.daysPlanned = t.days;
            tr.goalId = id;
            task.age = std::max(taskAge, settle + 20);
            tr.created = stamp(task.age);
            for (const DemoAssignment& a : t.assignments) {
                task.assignments.append({tr.id, QString::fromUtf8(a.member), a.workload, a.completed, a.daysNeeded});
            }
            task.note = t.note;
            // Open work goes on until the goal settles; other tasks reached their
            // status part of the way there.
            task.settle =
                tr.status == QLatin1String("Open") ? settle : settle + int(std::lround((task.age - settle) * 0.4));
            m_tasks.push_back(task);
            taskAge -= 25;
        }
        for (const DemoGoal& child : g.children) {
            plan(child, id, age - 7);
        }
    }

    // Brings the project to its state of `daysAgo` days before now: objects added
    // by then, statuses and figures as they were.
    bool stateAt(int daysAgo, QString* error)
    {
        for (PlannedGoal& goal : m_goals) {
            if (goal.age < daysAgo) {
                continue;
            }
            GoalRecord rec = goal.record;
            if (daysAgo > goal.settle) {
                rec.status = QStringLiteral("Open");
            }
            if (!goal.written) {
                if (!m_writer.addGoal(rec, error)) {
                    return false;
                }
                goal.written = true;
            } else if (!update(m_goalStatus,
                               QStringLiteral("UPDATE GOALS_SW SET STATUS = ? WHERE ID = ?"),
                               {rec.status, rec.id},
                               error)) {
                return false;
            }
        }
        for (PlannedTask& task : m_tasks) {
            if (task.age < daysAgo) {
                continue;
            }
            // Share of the way from its first day to its final state.
            const double f =
                daysAgo <= task.settle ? 1.0 : double(task.age - daysAgo) / double(std::max(1, task.age - task.settle));
            TaskRecord rec = task.record;
            if (f < 1.0) {
                rec.status = QStringLiteral("Open");
            }
            QList<AssignmentRecord> shares = task.assignments;
            for (AssignmentRecord& a : shares) {
                if (f >= 1.0) {
                    continue;
                }
                // Work reported in steps of 5 %; days spent grow a little faster than
                // the progress, so estimates creep up as the work goes on.
                a.perCompleted = std::min(95.0, 5.0 * std::round(a.perCompleted * f / 5.0));
                a.daysNeeded = std::round(a.daysNeeded * std::pow(f, 1.3) * 2.0) / 2.0;
                if (a.perCompleted > 0 && a.daysNeeded == 0) {
                    a.daysNeeded = 0.5;
                }
            }
            if (!task.written) {
                if (!m_writer.addTask(rec, error)) {
                    return false;
                }
                for (const AssignmentRecord& a : shares) {
                    if (!m_writer.addAssignment(a, error)) {
                        return false;
                    }
                }
                task.written = true;
                continue;
            }
            if (!update(m_taskStatus,
                        QStringLiteral("UPDATE TASKS_OBJECTS SET STATUS = ? WHERE ID = ?"),
                        {rec.status, rec.id},
                        error)) {
                return false;
            }
            for (const AssignmentRecord& a : shares) {
                if (!update(m_share,
                            QStringLiteral("UPDATE TASK_OBJECT_RESOURCE SET PER_COMPLETED = ?, DAYS_NEEDED = ?"
                                           " WHERE FK_TASKID = ? AND FK_R_NAME = ?"),
                            {a.perCompleted, a.daysNeeded, a.taskId, a.member},
                            error)) {
                    return false;
                }
            }
        }
        return true;
    }

    // The notes and the identifier counters of the final plan.
    bool finish(QString* error)
    {
        for (const PlannedTask& task : m_tasks) {
            if (!task.note) {
                continue;
            }
            NoteRecord note;
            note.taskId = task.record.id;
            note.notes = QString::fromUtf8(task.note);
            note.timestamp = stamp(task.age / 2);
            if (!m_writer.addNote(note, error)) {
                return false;
            }
        }
        // Identifiers were given explicitly; the counters continue after them.
        QSqlQuery counters(Sql::db(m_connection));
        if (!Sql::prepare(counters, QStringLiteral("UPDATE COUNTERS SET GOAL_APP = ?, TASK_OBJECT = ?"), error)) {
            return false;
        }
        counters.addBindValue(qint64(m_goals.size()));
        counters.addBindValue(qint64(m_tasks.size()));
        return Sql::exec(counters, error);
    }

    QDateTime moment(int days) const { return m_now.addDays(-days); }

private:
    QString stamp(int daysAgo) const
    {
        return Stamp::toText(m_now.addDays(-std::max(daysAgo, 1)).addSecs(-3600 * (daysAgo % 7)));
    }

    bool update(QSqlQuery& query, const QString& sql, const QVariantList& values, QString* error)
    {
        if (query.lastQuery().isEmpty() && !Sql::prepare(query, sql, error)) {
            return false;
        }
        for (int i = 0; i < values.size(); ++i) {
            query.bindValue(i, values.at(i));
        }
        return Sql::exec(query, error);
    }

    QString m_connection;
    ProjectWriter m_writer;
    QDateTime m_now;
    std::vector<PlannedGoal> m_goals;
    std::vector<PlannedTask> m_tasks;
    QSqlQuery m_goalStatus{Sql::db(m_connection)};
    QSqlQuery m_taskStatus{Sql::db(m_connection)};
    QSqlQuery m_share{Sql::db(m_connection)};
};

QList<DemoGoal> plan()
{
    const char* A = "Alice Moreau";
    const char* B = "Bram de Vries";
    const char* C = "Chen Li";
    const char* D = "Dana O'Brien";
    const char* E = "Emil Novak";
    return {
        {"Fieldbook 2.0 release",
         "Goal",
         10,
         "Open",
         A,
         "Ship the second major version of the Fieldbook app to all customers.",
         {{"Release plan and scope freeze",
           "Task",
           10,
           "Completed",
           3,
           {{A, 100, 100, 2.5}},
           "Scope frozen after the review with sales; two features moved to 2.1."},
          {"Release notes", "Task", 90, "Open", 1.5, {{A, 50, 0, 0}, {D, 50, 0, 0}}}},
         {{"Fieldbook Mobile",
           "Application",
           10,
           "Open",
           B,
           "The iOS and Android client.",
           {{"Offline sync engine",
             "Software Object",
             10,
             "Open",
             15,
             {{B, 70, 60, 7}, {A, 30, 50, 2}},
             "Conflict resolution works for forms; attachments still to do."},
            {"Photo capture with annotations", "Software Object", 20, "Open", 8, {{B, 100, 25, 2.5}}},
            {"Accessibility pass", "Task", 40, "Open", 4, {{C, 50, 0, 0}, {D, 50, 0, 0}}},
            {"Tablet layout", "Task", 60, "On Hold", 6, {{C, 100, 10, 1}}, "Waiting for the design system update."}},
           {{"App store submission",
             "Goal",
             50,
             "Open",
             D,
             "Everything the two stores ask for.",
             {{"Store screenshots", "Task", 20, "Open", 2, {{C, 100, 50, 1}}},
              {"Privacy questionnaire", "Task", 30, "Completed", 1, {{D, 100, 100, 1.5}}}},
             {}}}},
          {"Sync service",
           "Application",
           20,
           "Open",
           A,
           "Server side of the offline sync.",
           {{"Delta protocol v2",
             "Software Object",
             10,
             "Open",
             10,
             {{A, 100, 40, 5}},
             "Benchmarks show 3x less traffic on slow links."},
            {"Load test at 10k devices", "Task", 30, "Open", 3, {{E, 60, 0, 0}, {A, 40, 0, 0}}},
            {"Legacy API shutdown",
             "Task",
             80,
             "Closed",
             2,
             {{E, 100, 30, 1}},
             "Dropped: two customers still depend on it until next year."}},
           {}}}},
        {"Customer onboarding",
         "Goal",
         20,
         "Open",
         D,
         "Make the first week of a new customer smooth.",
         {{"Welcome checklist", "Task", 10, "Completed", 2, {{D, 100, 100, 2}}},
          {"Import wizard for spreadsheets",
           "Software Object",
           20,
           "Open",
           7,
           {{A, 50, 20, 1.5}, {C, 50, 60, 2}},
           "First usability test: people miss the column mapping step."},
          {"Training videos", "Task", 50, "Open", 5, {{C, 100, 0, 0}}}},
         {{"Documentation site",
           "Application",
           30,
           "Completed",
           C,
           "The public help pages.",
           {{"Search for the help pages", "Software Object", 10, "Completed", 3, {{E, 100, 100, 2.5}}},
            {"Rewrite getting-started guide", "Task", 20, "Completed", 2, {{C, 100, 100, 3}}}},
           {}}}},
        {"Infrastructure renewal",
         "Goal",
         40,
         "On Hold",
         E,
         "Move hosting to the new provider. Paused until the contract is signed.",
         {{"Cost comparison", "Task", 10, "Completed", 2, {{E, 100, 100, 2}}},
          {"Migration runbook", "Task", 20, "Open", 5, {{E, 100, 20, 1}}},
          {"Monitoring dashboards", "Software Object", 40, "Open", 4, {{E, 50, 0, 0}, {A, 50, 0, 0}}}},
         {}},
        {"Legacy desktop client",
         "Application",
         90,
         "Closed",
         A,
         "Retired with the 2.0 release.",
         {{"Final bug-fix build", "Task", 10, "Completed", 3, {{A, 100, 100, 3.5}}},
          {"Port settings dialog", "Software Object", 50, "Closed", 4, {{B, 100, 0, 0}}}},
         {}},
        {"Team and process",
         "Goal",
         60,
         "Open",
         A,
         "Keeping the team healthy and the process light.",
         {{"Quarterly planning",
           "Task",
           10,
           "Open",
           1,
           {{A, 40, 50, 0.5}, {B, 20, 0, 0}, {C, 20, 0, 0}, {D, 20, 0, 0}}},
          {"Onboard new tester", "Task", 30, "On Hold", 3, {{D, 100, 0, 0}}}},
         {}},
    };
}

} // namespace

bool DemoProject::build(const QString& connection, const Clock& clock, QString* error)
{
    Transaction tx(connection);
    if (!tx.isActive()) {
        *error = tx.error();
        return false;
    }
    // Naive wall-clock time: going back in days never meets a daylight-saving shift.
    Builder builder(connection, Stamp::fromText(Stamp::toText(clock.now())));
    if (!builder.members(error)) {
        return false;
    }
    int age = 330;
    for (const DemoGoal& g : plan()) {
        builder.plan(g, std::nullopt, age);
        age -= 40;
    }
    // A snapshot every two weeks over the last eleven months, the last one now, each
    // taken on the plan as it stood that day; the final state is today's plan.
    for (int k = kSnapshots - 1; k >= 0; --k) {
        const int daysAgo = 14 * k;
        if (!builder.stateAt(daysAgo, error)) {
            return false;
        }
        const FixedClock moment(builder.moment(daysAgo));
        QString stamp;
        QString failure;
        if (!SnapshotGenerator::GenerateCompDates(connection, moment, &stamp, &failure, true)) {
            *error = QStringLiteral("The snapshot of %1 failed: %2").arg(Stamp::toText(moment.now()), failure);
            return false;
        }
    }
    if (!builder.stateAt(0, error) || !builder.finish(error)) {
        return false;
    }
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    return true;
}
