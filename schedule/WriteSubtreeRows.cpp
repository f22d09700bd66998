#include "schedule/WriteSubtreeRows.h"

#include "common/Figure.h"
#include "common/Rounding.h"

#include <algorithm>

namespace {
bool isHeld(const QString& status)
{
    return status == QLatin1String("Closed") || status == QLatin1String("On Hold");
}

bool isCounted(const QString& status)
{
    return status == QLatin1String("Open") || status == QLatin1String("Completed");
}

QString twoDigits(int priority)
{
    return QStringLiteral("%1").arg(priority, 2, 10, QLatin1Char('0'));
}

template <typename T>
void sortByPriority(std::vector<int>& indexes, const std::vector<T>& items)
{
    std::sort(indexes.begin(), indexes.end(), [&items](int a, int b) {
        const T& x = items[std::size_t(a)];
        const T& y = items[std::size_t(b)];
        return x.priority != y.priority ? x.priority > y.priority : x.id > y.id;
    });
}
} // namespace

void WriteSubtreeRows::setFigures(SnapshotRow& row, const SubtreeTotals& sums)
{
    row.planned = sums.planned;
    row.perComp = sums.planned <= 0 ? 0 : sums.done / sums.planned * 100;
    row.needed = sums.needed;
    row.est = sums.est;
    row.diff = sums.planned - sums.est;
    row.progress = row.planned == 0 ? 0 : (row.planned - row.est) / row.planned;
}

WriteSubtreeRows::WriteSubtreeRows(const SnapshotInput& input)
    : m_input(input)
{
    for (std::size_t i = 0; i < input.goals.size(); ++i) {
        m_childGoals[input.goals[i].parentId].push_back(int(i));
    }
    for (auto& children : m_childGoals) {
        sortByPriority(children, input.goals);
    }
    for (std::size_t i = 0; i < input.tasks.size(); ++i) {
        m_goalTasks[input.tasks[i].goalId].push_back(int(i));
    }
    for (auto& tasks : m_goalTasks) {
        sortByPriority(tasks, input.tasks);
    }
    const auto& assignments = input.assignments;
    for (std::size_t i = 0; i < assignments.size();) {
        std::size_t j = i + 1;
        while (j < assignments.size() && assignments[j].taskId == assignments[i].taskId) {
            ++j;
        }
        m_taskAssignments.insert(assignments[i].taskId, {int(i), int(j - i)});
        i = j;
    }
}

std::vector<SnapshotRow> WriteSubtreeRows::run()
{
    m_rows.clear();
    m_rows.reserve(m_input.goals.size() + m_input.tasks.size() + m_input.assignments.size() + 1);
    std::vector<int> topRows;
    const SubtreeTotals top = walk(0, 0, QStringLiteral("0"), QString(), true, topRows);

    SnapshotRow root;
    root.kind = SnapshotRow::Kind::Root;
    root.gtId = 0;
    root.path = QStringLiteral("\\");
    root.key = QStringLiteral("0");
    root.depth = 0;
    root.calc = -1;
    setFigures(root, top);
    adopt(topRows, int(m_rows.size()));
    m_rows.push_back(std::move(root));
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_rows[i].treeSort = qint64(i) + 1;
    }
    return std::move(m_rows);
}

WriteSubtreeRows::SubtreeTotals WriteSubtreeRows::walk(
    qint64 parentId, int depth, const QString& key, const QString& path, bool calc, std::vector<int>& directRows)
{
    SubtreeTotals level;
    const auto goals = m_childGoals.constFind(parentId);
    if (goals != m_childGoals.constEnd()) {
        for (int g : *goals) {
            const SnapshotInput::Goal& goal = m_input.goals[std::size_t(g)];
            const QString goalKey = key + twoDigits(goal.priority);
            const bool held = isHeld(goal.status);
            std::vector<int> children;
            SubtreeTotals sums =
                walk(goal.id, depth + 1, goalKey, path + QLatin1Char('\\') + goal.name, held ? false : calc, children);
            if (held) {
                sums = {};
            }
            SnapshotRow row;
            row.kind = SnapshotRow::Kind::Goal;
            row.source = g;
            row.gtId = goal.id;
            row.parentId = goal.parentId;
            row.status = goal.status;
            if (!path.isEmpty()) {
                row.path = path;
            }
            row.key = goalKey;
            row.depth = depth + 1;
            row.calc = calc ? 1 : 0;
            setFigures(row, sums);
            adopt(children, int(m_rows.size()));
            directRows.push_back(int(m_rows.size()));
            m_rows.push_back(std::move(row));
            level.planned += sums.planned;
            level.done += sums.done;
            level.needed += sums.needed;
            level.est += sums.est;
        }
    }
    const auto tasks = m_goalTasks.constFind(parentId);
    if (tasks != m_goalTasks.constEnd()) {
        for (int t : *tasks) {
            directRows.push_back(writeTask(t, depth + 1, key, path, calc, level));
        }
    }
    return level;
}

int WriteSubtreeRows::writeTask(
    int taskIndex, int depth, const QString& key, const QString& path, bool calc, SubtreeTotals& level)
{
    const SnapshotInput::Task& task = m_input.tasks[std::size_t(taskIndex)];
    const bool counted = isCounted(task.status);
    const QString taskKey = key + twoDigits(task.priority);
    const QString assignmentPath = path + QLatin1Char('\\') + task.name;
    const bool taskOpen = task.status == QLatin1String("Open");
    const QString completed = QStringLiteral("Completed");
    double t = 0; // percent done, rounded to whole numbers as it goes; NaN once unknown
    double needed = 0;
    double estimate = 0;
    const int firstAssignmentRow = int(m_rows.size());
    const auto range = m_taskAssignments.value(task.id, {0, 0});
    for (int i = range.first; i < range.first + range.second; ++i) {
        const SnapshotInput::Assignment& a = m_input.assignments[std::size_t(i)];
        SnapshotRow row;
        row.kind = SnapshotRow::Kind::Assignment;
        row.source = i;
        row.gtId = 0;
        row.parentId = task.id;
        row.status = taskOpen && a.completed == 100 ? completed : task.status;
        row.path = assignmentPath;
        row.member = a.member;
        row.key = taskKey;
        row.depth = depth;
        row.calc = calc ? 1 : 0;
        row.perComp = a.completed;
        row.needed = a.daysNeeded;
        double e = 0;
        if (counted) {
            // An uncounted task's shares count for nothing: 0 planned, estimated and different.
            const double share = task.daysPlanned / 100 * a.workload;
            e = a.completed == 0 ? share : a.daysNeeded * 100 / a.completed;
            row.planned = share;
            row.est = e;
            row.diff = share - e;
            t = Figure::checked(Rounding::halfEven(t + a.completed * a.workload / 100, 0));
            needed += a.daysNeeded;
            estimate += e;
        }
        m_rows.push_back(std::move(row));
    }
    SnapshotRow row;
    row.kind = SnapshotRow::Kind::Task;
    row.source = taskIndex;
    row.gtId = task.id;
    row.parentId = task.goalId;
    row.status = task.status;
    row.path = path;
    row.key = taskKey;
    row.depth = depth;
    row.calc = calc ? 1 : 0;
    row.planned = task.daysPlanned;
    row.perComp = t;
    row.needed = needed;
    row.est = estimate;
    row.diff = counted ? task.daysPlanned - estimate : 0;
    const int ownRow = int(m_rows.size());
    for (int i = firstAssignmentRow; i < ownRow; ++i) {
        m_rows[std::size_t(i)].parentRow = ownRow;
    }
    m_rows.push_back(std::move(row));
    if (counted) {
        level.planned += task.daysPlanned;
        level.done += task.daysPlanned / 100 * t;
        level.needed += needed;
        level.est += estimate;
    }
    return ownRow;
}

void WriteSubtreeRows::adopt(const std::vector<int>& children, int parentRow)
{
    for (int child : children) {
        m_rows[std::size_t(child)].parentRow = parentRow;
    }
}

void WriteSubtreeRows::lengthenTaskKeys(std::vector<SnapshotRow>& rows, int maxDepth)
{
    for (SnapshotRow& row : rows) {
        if (row.kind != SnapshotRow::Kind::Task) {
            continue;
        }
        const int keyDepth = int((row.key.size() - 1) / 2);
        if (keyDepth >= maxDepth || row.key.size() < 3) {
            continue;
        }
        const QString last = row.key.right(2);
        QString key = row.key;
        key.reserve(key.size() + 2 * (maxDepth - keyDepth));
        for (int i = keyDepth; i < maxDepth; ++i) {
            key += last;
        }
        row.key = key;
    }
}

int WriteSubtreeRows::deepest(const std::vector<SnapshotRow>& rows)
{
    int depth = 0;
    for (const SnapshotRow& row : rows) {
        depth = std::max(depth, row.depth);
    }
    return depth;
}
