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

void WriteSubtreeRows::SubtreeTotals::add(const SubtreeTotals& other)
{
    planned += other.planned;
    done += other.done;
    needed += other.needed;
    est += other.est;
}

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
        const GoalRecord& goal = input.goals[i];
        if (goal.parentId) {
            m_childGoals[*goal.parentId].push_back(int(i));
        } else {
            m_topGoals.push_back(int(i));
        }
    }
    sortByPriority(m_topGoals, input.goals);
    for (auto& children : m_childGoals) {
        sortByPriority(children, input.goals);
    }
    for (std::size_t i = 0; i < input.tasks.size(); ++i) {
        m_goalTasks[input.tasks[i].goalId].push_back(int(i));
    }
    for (auto& tasks : m_goalTasks) {
        sortByPriority(tasks, input.tasks);
    }
}

SnapshotRows WriteSubtreeRows::run()
{
    m_result = {};
    m_result.rows.reserve(m_input.goals.size() + m_input.tasks.size() + m_input.assignments.size() + 1);
    // Rows keep their key's node in `order` until the keys are finished.
    std::vector<char> lengthened; // per row: a task row, its key lengthened
    lengthened.reserve(m_result.rows.capacity());

    // One frame per goal level being walked; the bottom frame is the root's level.
    struct Frame
    {
        int goal; // index into the input's goals; -1 for the root
        const std::vector<int>* children;
        std::size_t next;
        int depth; // of the goal's own row
        int keyNode;
        int path; // as passed to the goal's children
        bool calc; // the flag of the goal's level
        SubtreeTotals sums;
        std::vector<int> directRows;
    };
    const std::vector<int> none;
    auto childGoals = [&](qint64 id) {
        const auto found = m_childGoals.constFind(id);
        return found == m_childGoals.cend() ? &none : &*found;
    };
    std::vector<char> written(m_input.goals.size(), 0);
    std::vector<Frame> stack;
    m_result.paths.push_back(SnapshotPath());
    stack.push_back({-1, &m_topGoals, 0, 0, OrderKeys::root(), 0, true, {}, {}});
    while (true) {
        Frame& frame = stack.back();
        if (frame.next < frame.children->size()) {
            const int g = (*frame.children)[frame.next++];
            if (written[std::size_t(g)]) {
                continue;
            }
            written[std::size_t(g)] = 1;
            const GoalRecord& goal = m_input.goals[std::size_t(g)];
            const bool calc = isHeld(goal.status) ? false : frame.calc;
            const int path = int(m_result.paths.size());
            m_result.paths.push_back(m_result.paths[std::size_t(frame.path)].child(goal.shortName));
            Frame below{g,
                        childGoals(goal.id),
                        0,
                        frame.depth + 1,
                        m_result.keys.child(frame.keyNode, goal.priority),
                        path,
                        calc,
                        {},
                        {}};
            stack.push_back(std::move(below));
            continue;
        }
        // The level's goals are written; its tasks follow, then the goal itself.
        const qint64 levelId = frame.goal < 0 ? -1 : m_input.goals[std::size_t(frame.goal)].id;
        if (frame.goal >= 0) {
            const auto tasks = m_goalTasks.constFind(levelId);
            if (tasks != m_goalTasks.cend()) {
                for (int t : *tasks) {
                    frame.directRows.push_back(
                        writeTask(t, frame.depth + 1, frame.keyNode, frame.path, frame.calc, frame.sums));
                    lengthened.resize(m_result.rows.size());
                    lengthened.back() = 1;
                }
            }
        }
        if (stack.size() == 1) {
            break;
        }
        Frame done = std::move(stack.back());
        stack.pop_back();
        Frame& parent = stack.back();
        const GoalRecord& goal = m_input.goals[std::size_t(done.goal)];
        const SubtreeTotals sums = isHeld(goal.status) ? SubtreeTotals{} : done.sums;
        SnapshotRow row;
        row.kind = SnapshotRow::Kind::Goal;
        row.source = done.goal;
        row.gtId = goal.id;
        row.status = &goal.status;
        if (!m_result.paths[std::size_t(parent.path)].text.isEmpty()) {
            row.path = parent.path;
        }
        row.order = done.keyNode;
        row.depth = done.depth;
        row.calc = parent.calc ? 1 : 0;
        setFigures(row, sums);
        adopt(done.directRows, int(m_result.rows.size()));
        parent.directRows.push_back(int(m_result.rows.size()));
        parent.sums.add(sums);
        m_result.rows.push_back(row);
    }

    SnapshotRow root;
    root.kind = SnapshotRow::Kind::Root;
    root.gtId = 0;
    root.path = int(m_result.paths.size());
    m_result.paths.push_back({QStringLiteral("\\"), false});
    root.order = OrderKeys::root();
    root.depth = 0;
    root.calc = -1;
    setFigures(root, stack.back().sums);
    adopt(stack.back().directRows, int(m_result.rows.size()));
    m_result.rows.push_back(root);

    m_result.keys.finish();
    lengthened.resize(m_result.rows.size());
    for (std::size_t i = 0; i < m_result.rows.size(); ++i) {
        m_result.rows[i].order = m_result.keys.order(m_result.rows[i].order, lengthened[i]);
    }
    return std::move(m_result);
}

int WriteSubtreeRows::writeTask(int taskIndex, int depth, int keyNode, int path, bool calc, SubtreeTotals& level)
{
    const SnapshotInput::Task& task = m_input.tasks[std::size_t(taskIndex)];
    const bool counted = isCounted(task.status);
    const int taskKey = m_result.keys.child(keyNode, task.priority);
    const bool taskOpen = task.status == QLatin1String("Open");
    static const QString completed = QStringLiteral("Completed");
    double t = 0; // percent done, rounded to whole numbers as it goes; NaN once unknown
    double needed = 0;
    double estimate = 0;
    const int firstAssignmentRow = int(m_result.rows.size());
    // Assignments are grouped by task in ID order.
    const auto& assignments = m_input.assignments;
    const auto first =
        std::lower_bound(assignments.begin(), assignments.end(), task.id, [](const AssignmentRecord& a, qint64 id) {
            return a.taskId < id;
        });
    for (auto it = first; it != assignments.end() && it->taskId == task.id; ++it) {
        const int i = int(it - assignments.begin());
        const AssignmentRecord& a = *it;
        SnapshotRow row;
        row.kind = SnapshotRow::Kind::Assignment;
        row.source = i;
        row.gtId = 0;
        row.status = taskOpen && a.perCompleted == 100 ? &completed : &task.status;
        // Extended by the task's name only when written: one path per task would be
        // held for the whole computation.
        row.path = path;
        row.order = taskKey;
        row.member = &a.member;
        row.depth = depth;
        row.calc = calc ? 1 : 0;
        row.perComp = a.perCompleted;
        row.needed = a.daysNeeded;
        double e = 0;
        if (counted) {
            // An uncounted task's shares count for nothing: 0 planned, estimated and different.
            const double share = task.daysPlanned / 100 * a.perWorkload;
            e = a.perCompleted == 0 ? share : a.daysNeeded * 100 / a.perCompleted;
            row.planned = share;
            row.est = e;
            row.diff = share - e;
            t = Figure::checked(Rounding::halfEven(t + a.perCompleted * a.perWorkload / 100, 0));
            needed += a.daysNeeded;
            estimate += e;
        }
        m_result.rows.push_back(row);
    }
    SnapshotRow row;
    row.kind = SnapshotRow::Kind::Task;
    row.source = taskIndex;
    row.gtId = task.id;
    row.status = &task.status;
    row.path = path;
    row.order = taskKey;
    row.depth = depth;
    row.calc = calc ? 1 : 0;
    row.planned = task.daysPlanned;
    row.perComp = t;
    row.needed = needed;
    row.est = estimate;
    row.diff = counted ? task.daysPlanned - estimate : 0;
    const int ownRow = int(m_result.rows.size());
    for (int i = firstAssignmentRow; i < ownRow; ++i) {
        m_result.rows[std::size_t(i)].parentRow = ownRow;
    }
    m_result.rows.push_back(row);
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
        m_result.rows[std::size_t(child)].parentRow = parentRow;
    }
}
