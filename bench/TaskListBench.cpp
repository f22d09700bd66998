// The task, resource and note lists on a large project, through the real widgets
// on the offscreen platform. Needs a project file in CW_BENCH_DB (default
// /tmp/L.cwk), e.g.
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --depth 6 --seed 1
// Run with --benchmark_repetitions=5 for medians.
#include "bench/BenchMain.h"
#include "browser/GoalRollup.h"
#include "browser/TaskListRows.h"
#include "browser/ui/NoteList.h"
#include "browser/ui/ResourceList.h"
#include "browser/ui/TaskList.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/Statement.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {
const QString kConnection = QStringLiteral("bench");

qint64 scalar(const QString& sql)
{
    QSqlQuery query(Sql::db(kConnection));
    if (!query.exec(sql) || !query.next()) {
        qFatal("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    }
    return query.value(0).toLongLong();
}

// The goal deepest in the tree (first by ID among the deepest).
qint64 deepGoal()
{
    return scalar(QStringLiteral("WITH RECURSIVE d(ID, depth) AS ("
                                 " SELECT ID, 1 FROM GOALS_SW WHERE P_GID IS NULL"
                                 " UNION ALL SELECT g.ID, d.depth + 1 FROM GOALS_SW g JOIN d ON g.P_GID = d.ID)"
                                 " SELECT ID FROM d ORDER BY depth DESC, ID LIMIT 1"));
}

// The top-level goal with the largest subtree: the slowest node below the root.
qint64 largestTopLevelGoal()
{
    return scalar(QStringLiteral("WITH RECURSIVE d(top, ID) AS ("
                                 " SELECT ID, ID FROM GOALS_SW WHERE P_GID IS NULL"
                                 " UNION ALL SELECT d.top, g.ID FROM GOALS_SW g JOIN d ON g.P_GID = d.ID)"
                                 " SELECT d.top FROM d JOIN TASKS_OBJECTS t ON t.FK_ID = d.ID"
                                 " GROUP BY d.top ORDER BY COUNT(*) DESC LIMIT 1"));
}

// A task with the most notes, then the most assignments.
qint64 busyTask()
{
    return scalar(QStringLiteral("SELECT t.ID FROM TASKS_OBJECTS t"
                                 " ORDER BY (SELECT COUNT(*) FROM TASK_OBJECT_WORKSHEET n WHERE n.TASKID = t.ID) DESC,"
                                 "  (SELECT COUNT(*) FROM TASK_OBJECT_RESOURCE r WHERE r.FK_TASKID = t.ID) DESC"
                                 " LIMIT 1"));
}

void fillTaskList(benchmark::State& state, std::optional<qint64> goal)
{
    TaskList list;
    list.setConnection(kConnection);
    list.show();
    for (auto _ : state) {
        if (!list.FillTaskList(goal)) {
            state.SkipWithError("fill failed");
        }
        benchmark::DoNotOptimize(list.topLevelItemCount());
    }
    state.counters["rows"] = list.topLevelItemCount();
}

void BM_RollUpRoot(benchmark::State& state)
{
    for (auto _ : state) {
        GoalRollup rollup;
        QString error;
        if (!rollup.load(kConnection, std::nullopt, &error)) {
            state.SkipWithError(qPrintable(error));
        }
        benchmark::DoNotOptimize(rollup.CalcGoalValues(0).DaysPlanned);
    }
}

void BM_TaskListRowsRoot(benchmark::State& state)
{
    for (auto _ : state) {
        QList<ListRow> rows;
        QString error;
        if (!TaskListRows::build(kConnection, std::nullopt, &rows, &error)) {
            state.SkipWithError(qPrintable(error));
        }
        benchmark::DoNotOptimize(rows.size());
    }
}

// The same two through Qt SQL alone: what the engine's own interface saves.
void BM_RollUpRootViaQtSql(benchmark::State& state)
{
    Statement::setNativeEnabled(false);
    BM_RollUpRoot(state);
    Statement::setNativeEnabled(true);
}

void BM_TaskListRowsRootViaQtSql(benchmark::State& state)
{
    Statement::setNativeEnabled(false);
    BM_TaskListRowsRoot(state);
    Statement::setNativeEnabled(true);
}

void BM_FillTaskListRoot(benchmark::State& state)
{
    fillTaskList(state, std::nullopt);
}

void BM_FillTaskListLargestTopLevelGoal(benchmark::State& state)
{
    fillTaskList(state, largestTopLevelGoal());
}

void BM_FillTaskListDeepGoal(benchmark::State& state)
{
    fillTaskList(state, deepGoal());
}

void BM_FillResourceAndNoteList(benchmark::State& state)
{
    const qint64 task = busyTask();
    TaskList tasks;
    ResourceList resources;
    NoteList notes;
    for (ListPane* pane : std::initializer_list<ListPane*>{&tasks, &resources, &notes}) {
        pane->show();
    }
    tasks.setConnection(kConnection);
    resources.setConnection(kConnection);
    notes.setConnection(kConnection);
    tasks.FillTaskList(scalar(QStringLiteral("SELECT FK_ID FROM TASKS_OBJECTS WHERE ID = %1").arg(task)));
    if (!tasks.selectTaskRow(task)) {
        state.SkipWithError("task row not found");
        return;
    }
    const int row = tasks.selectedIndex();
    for (auto _ : state) {
        resources.FillResourceList(tasks.detailTaskId(row));
        notes.FillNoteList(tasks.detailTaskId(row));
        benchmark::DoNotOptimize(resources.topLevelItemCount() + notes.topLevelItemCount());
    }
    state.counters["assignments"] = resources.topLevelItemCount() - 1;
    state.counters["notes"] = notes.topLevelItemCount();
}

BENCHMARK(BM_RollUpRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskListRowsRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RollUpRootViaQtSql)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TaskListRowsRootViaQtSql)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTaskListRoot)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTaskListLargestTopLevelGoal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillTaskListDeepGoal)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillResourceAndNoteList)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    BenchMain::open(BenchMain::projectPath(), kConnection);
    const int result = BenchMain::run(argc, argv);
    Database::close(kConnection);
    return result;
}
