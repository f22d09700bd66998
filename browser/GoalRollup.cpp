#include "browser/GoalRollup.h"

#include "browser/TaskFigures.h"
#include "common/Figure.h"
#include "db/Statement.h"

#include <QSet>
#include <algorithm>
#include <limits>
#include <unordered_map>
#include <vector>

namespace {
// The root is keyed apart from every goal identifier.
constexpr qint64 kRootKey = std::numeric_limits<qint64>::min();

// The subtree of the bound goal, cycle-safe (UNION drops repeats).
const char* const kSubtree = "WITH RECURSIVE sub(ID) AS ("
                             " SELECT CAST(? AS BIGINT)"
                             " UNION SELECT g.ID FROM qCalcSubGoalValues g JOIN sub ON g.P_GID = sub.ID) ";

// One counted task while its assignments are summed.
struct TaskSums
{
    qint64 goal = 0;
    TaskFigures figures;
};

// Task identifier -> position among the counted tasks. Identifiers are usually
// close together, so a plain array over their range is used when it stays small;
// a hash otherwise. One lookup per assignment row.
class TaskIndex
{
public:
    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

    explicit TaskIndex(const std::vector<qint64>& ids)
    {
        if (ids.empty()) {
            return;
        }
        const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
        m_first = *low;
        // Unsigned: a span beyond the range of qint64 simply counts as too wide.
        const quint64 span = quint64(*high) - quint64(*low);
        m_dense = span < 4 * quint64(ids.size()) + 1024;
        if (m_dense) {
            m_slots.assign(std::size_t(span) + 1, npos);
            for (std::size_t i = 0; i < ids.size(); ++i) {
                m_slots[std::size_t(ids[i] - m_first)] = i;
            }
        } else {
            m_sparse.reserve(ids.size());
            for (std::size_t i = 0; i < ids.size(); ++i) {
                m_sparse.emplace(ids[i], i);
            }
        }
    }

    std::size_t find(qint64 id) const
    {
        if (m_dense) {
            const quint64 offset = quint64(id) - quint64(m_first);
            return offset < m_slots.size() ? m_slots[std::size_t(offset)] : npos;
        }
        const auto it = m_sparse.find(id);
        return it == m_sparse.end() ? npos : it->second;
    }

private:
    qint64 m_first = 0;
    bool m_dense = false;
    std::vector<std::size_t> m_slots;
    std::unordered_map<qint64, std::size_t> m_sparse;
};
} // namespace

bool GoalRollup::load(const QString& connection, std::optional<qint64> scope, QString* error)
{
    m_goals.clear();
    m_topLevel.clear();
    m_rolledUp.clear();
    return loadHierarchy(connection, error) && loadTasks(connection, scope, error);
}

bool GoalRollup::loadHierarchy(const QString& connection, QString* error)
{
    const auto query = Statement::prepare(
        connection, QStringLiteral("SELECT ID, P_GID, STATUS FROM qCalcSubGoalValues ORDER BY ID"), error);
    if (!query) {
        return false;
    }
    const QString open = QStringLiteral("Open");
    const QString completed = QStringLiteral("Completed");
    QList<std::pair<qint64, qint64>> links;
    Statement::Step step;
    while ((step = query->step(error)) == Statement::Step::Row) {
        const qint64 id = query->integer(0);
        Goal& goal = m_goals[id];
        const QString status = query->text(2);
        goal.counts = status == open || status == completed;
        if (query->isNull(1)) {
            m_topLevel.append(id);
        } else {
            links.append({query->integer(1), id});
        }
    }
    if (step == Statement::Step::Failed) {
        return false;
    }
    for (const auto& [parent, child] : links) {
        auto it = m_goals.find(parent);
        if (it != m_goals.end()) {
            it->children.append(child);
        }
    }
    return true;
}

bool GoalRollup::loadTasks(const QString& connection, std::optional<qint64> scope, QString* error)
{
    const QString subtree = scope ? QString::fromLatin1(kSubtree) : QString();
    // Which tasks count is the view's decision.
    const QString taskSql = subtree + QStringLiteral("SELECT t.ID, t.FK_ID, t.DAYSPLANNED FROM qCalcGoalValues t") +
        (scope ? QStringLiteral(" WHERE t.FK_ID IN (SELECT ID FROM sub)") : QString());
    // The assignments come straight from their table: the view qAssignmentFigures
    // joins each one to its task again, which costs more than the whole roll-up.
    // Summing them in SQL costs more still (grouping sorts or seeks per row), so
    // the plain rows are summed here.
    const QString assignmentSql =
        subtree +
        QStringLiteral(
            "SELECT r.FK_TASKID, r.PER_WORKLOAD, r.PER_COMPLETED, r.DAYS_NEEDED FROM TASK_OBJECT_RESOURCE r") +
        (scope ? QStringLiteral(
                     " WHERE r.FK_TASKID IN (SELECT t.ID FROM TASKS_OBJECTS t WHERE t.FK_ID IN (SELECT ID FROM sub))")
               : QString());

    // One statement per read, the scope bound where there is one.
    auto prepare = [&](const QString& sql) {
        auto statement = Statement::prepare(connection, sql, error);
        if (statement && scope) {
            statement->bindInteger(0, *scope);
        }
        return statement;
    };
    std::vector<qint64> ids;
    std::vector<TaskSums> tasks;
    const auto taskQuery = prepare(taskSql);
    if (!taskQuery) {
        return false;
    }
    Statement::Step step;
    while ((step = taskQuery->step(error)) == Statement::Step::Row) {
        ids.push_back(taskQuery->integer(0));
        // An unknown figure makes every sum it enters unknown (NaN).
        TaskSums t{taskQuery->integer(1), {}};
        t.figures.planned = Figure::nonNegative(taskQuery->figure(2));
        tasks.push_back(t);
    }
    if (step == Statement::Step::Failed) {
        return false;
    }
    const TaskIndex index(ids);
    const auto assignmentQuery = prepare(assignmentSql);
    if (!assignmentQuery) {
        return false;
    }
    while ((step = assignmentQuery->step(error)) == Statement::Step::Row) {
        const std::size_t slot = index.find(assignmentQuery->integer(0));
        if (slot == TaskIndex::npos) {
            continue; // a task that does not count
        }
        tasks[slot].figures.add(assignmentQuery->figure(1), assignmentQuery->figure(2), assignmentQuery->figure(3));
    }
    if (step == Statement::Step::Failed) {
        return false;
    }
    for (const auto& [goalId, t] : tasks) {
        auto goal = m_goals.find(goalId);
        if (goal == m_goals.end()) {
            continue;
        }
        GoalValues& v = goal->own;
        v.DaysPlanned += t.planned;
        v.DaysDone += t.planned / 100 * t.done;
        v.DaysNeeded += t.needed;
        v.NewEstimate += t.estimate;
        v.Difference += t.difference();
    }
    return true;
}

GoalValues GoalRollup::CalcGoalValues(qint64 goalId) const
{
    const qint64 start = goalId == 0 ? kRootKey : goalId;
    if (const auto done = m_rolledUp.constFind(start); done != m_rolledUp.cend()) {
        return *done;
    }
    if (start != kRootKey && !m_goals.contains(start)) {
        return {};
    }
    // Depth-first, children before their parent, without recursion so that no
    // depth of hierarchy can exhaust the stack. A goal met again on its own path
    // (a loop) adds nothing; the goals on such a path are not remembered, so each
    // value only depends on where its own roll-up starts.
    struct Frame
    {
        qint64 id;
        const QList<qint64>* children;
        qsizetype next;
        GoalValues sum;
        bool cut; // a loop was cut below this goal
    };
    auto childrenOf = [this](qint64 id) { return id == kRootKey ? &m_topLevel : &m_goals.find(id)->children; };
    QSet<qint64> onPath{start};
    std::vector<Frame> stack{{start, childrenOf(start), 0, {}, false}};
    GoalValues result;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next < frame.children->size()) {
            const qint64 child = frame.children->at(frame.next++);
            const auto goal = m_goals.constFind(child);
            if (goal == m_goals.cend() || !goal->counts) {
                continue;
            }
            if (onPath.contains(child)) {
                frame.cut = true;
                continue;
            }
            if (const auto done = m_rolledUp.constFind(child); done != m_rolledUp.cend()) {
                frame.sum += *done;
                continue;
            }
            onPath.insert(child);
            stack.push_back({child, &goal->children, 0, {}, false});
            continue;
        }
        GoalValues values = frame.sum;
        if (frame.id != kRootKey) {
            values += m_goals.find(frame.id)->own;
        }
        const qint64 id = frame.id;
        const bool cut = frame.cut;
        stack.pop_back();
        onPath.remove(id);
        if (!cut) {
            m_rolledUp.insert(id, values);
        }
        if (stack.empty()) {
            result = values;
        } else {
            stack.back().sum += values;
            stack.back().cut = stack.back().cut || cut;
        }
    }
    return result;
}
