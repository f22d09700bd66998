#include "cli/SyntheticProject.h"

#include "db/ProjectWriter.h"
#include "db/Transaction.h"

#include <QList>
#include <random>

namespace {
const char* const kStatuses[] = {"Open", "Completed", "On Hold", "Closed"};

QString pickStatus(std::mt19937_64& rng, int openPercent)
{
    const int roll = int(rng() % 100);
    if (roll < openPercent) {
        return QStringLiteral("Open");
    }
    return QString::fromLatin1(kStatuses[1 + (roll % 3)]);
}
} // namespace

bool SyntheticProject::build(const QString& connection,
                             const Params& params,
                             QString* error,
                             const std::function<void(int)>& progress)
{
    std::mt19937_64 rng(params.seed);
    Transaction tx(connection);
    if (!tx.isActive()) {
        *error = tx.error();
        return false;
    }
    ProjectWriter writer(connection);
    const int memberCount = std::max(1, params.members);
    QStringList members;
    for (int m = 0; m < memberCount; ++m) {
        const QString name = QStringLiteral("Member %1").arg(m + 1, 4, 10, QLatin1Char('0'));
        // Mostly full days, some part-time and some four-day weeks.
        const int kind = m % 5;
        MemberRecord rec = MemberRecord::withHours(name,
                                                   kind == 3 ? QStringLiteral("08:00") : QStringLiteral("09:00"),
                                                   kind == 3 ? QStringLiteral("12:00") : QStringLiteral("17:00"),
                                                   kind == 4 ? 4 : 5);
        if (!writer.addMember(rec, error)) {
            return false;
        }
        members << name;
    }

    // Goals: the first level holds up to 50 goals; every later goal hangs below a
    // random earlier goal that is not yet at the deepest level.
    const int goalCount = std::max(1, params.goals);
    const int topLevel = std::clamp(goalCount / 40, 1, 50);
    QList<qint64> goalIds;
    QList<int> depths;
    QList<int> canParent; // indexes of goals above the deepest level
    for (int g = 0; g < goalCount; ++g) {
        GoalRecord goal;
        goal.objectType = rng() % 4 == 0 ? QStringLiteral("Application") : QStringLiteral("Goal");
        goal.shortName = QStringLiteral("Goal %1").arg(g + 1);
        goal.priority = int(rng() % 100);
        goal.status = pickStatus(rng, 90);
        goal.defaultResource = members.at(int(rng() % members.size()));
        goal.created = params.created;
        int depth = 1;
        if (g >= topLevel && !canParent.isEmpty()) {
            const int parentIndex = canParent.at(int(rng() % canParent.size()));
            goal.parentId = goalIds.at(parentIndex);
            depth = depths.at(parentIndex) + 1;
        }
        if (!writer.addGoal(goal, error)) {
            return false;
        }
        goalIds << goal.id;
        depths << depth;
        if (depth < params.depth) {
            canParent << g;
        }
    }
    if (progress) {
        progress(5);
    }

    const int taskCount = std::max(0, params.tasks);
    for (int t = 0; t < taskCount; ++t) {
        TaskRecord task;
        task.objectType = rng() % 3 == 0 ? QStringLiteral("Software Object") : QStringLiteral("Task");
        task.shortName = QStringLiteral("Task %1").arg(t + 1);
        task.priority = int(rng() % 100);
        task.daysPlanned = double(1 + rng() % 40) / 2.0;
        task.goalId = goalIds.at(int(rng() % goalIds.size()));
        task.created = params.created;
        const int assignments = 1 + int(rng() % 3); // about two per task
        static const double shares[3][3] = {{100, 0, 0}, {60, 40, 0}, {40, 30, 30}};
        bool allDone = true;
        QList<AssignmentRecord> rows;
        const int first = int(rng() % members.size());
        for (int a = 0; a < assignments && a < members.size(); ++a) {
            AssignmentRecord rec;
            rec.member = members.at((first + a) % members.size());
            rec.perWorkload = shares[assignments - 1][a];
            const int done = int(rng() % 11) * 10;
            rec.perCompleted = done;
            rec.daysNeeded = done == 0
                ? 0.0
                : task.daysPlanned * rec.perWorkload / 100.0 * done / 100.0 * (0.6 + double(rng() % 9) / 10.0);
            allDone = allDone && done == 100;
            rows << rec;
        }
        task.status = allDone ? QStringLiteral("Completed") : pickStatus(rng, 92);
        if (task.status == QLatin1String("Completed") && !allDone) {
            task.status = QStringLiteral("Open");
        }
        if (!writer.addTask(task, error)) {
            return false;
        }
        for (AssignmentRecord& rec : rows) {
            rec.taskId = task.id;
            if (!writer.addAssignment(rec, error)) {
                return false;
            }
        }
        if (t % 10 == 0) {
            NoteRecord note;
            note.taskId = task.id;
            note.notes = QStringLiteral("Progress note for task %1.").arg(t + 1);
            note.timestamp = params.created;
            if (!writer.addNote(note, error)) {
                return false;
            }
        }
        if (progress && taskCount > 0 && t % 1000 == 0) {
            progress(5 + int(90.0 * t / taskCount));
        }
    }
    if (!tx.commit()) {
        *error = tx.error();
        return false;
    }
    if (progress) {
        progress(100);
    }
    return true;
}
