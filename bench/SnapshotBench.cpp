// Snapshot generation on a large project against the floor SQLite sets: inserting
// the same rows with the same columns in one transaction. Needs a project file in
// CW_BENCH_DB (default /tmp/L.cwk), e.g.
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --depth 6 --seed 1
// Every iteration works on a fresh copy of that file, so the table does not grow
// from one iteration to the next. Run with --benchmark_repetitions=5 for medians.
#include "bench/BenchMain.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/Transaction.h"
#include "schedule/SnapshotGenerator.h"

#include <QCoreApplication>
#include <QFile>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <sqlite3.h>

namespace {
const QString kConnection = QStringLiteral("bench");
const QString kStamp = QStringLiteral("2026-12-07 10:00:00");

QString sourcePath()
{
    const QByteArray env = qgetenv("CW_BENCH_DB");
    return env.isEmpty() ? QStringLiteral("/tmp/L.cwk") : QString::fromLocal8Bit(env);
}

// A fresh copy of the source project, open on kConnection.
class FreshCopy
{
public:
    FreshCopy()
    {
        const QString path = m_dir.filePath(QStringLiteral("copy.cwk"));
        QString error;
        if (!QFile::copy(sourcePath(), path) || !Database::open(path, kConnection, &error)) {
            qFatal("cannot open a copy of %s: %s", qPrintable(sourcePath()), qPrintable(error));
        }
    }
    ~FreshCopy() { Database::close(kConnection); }

private:
    QTemporaryDir m_dir;
};

const QString kColumns = QStringLiteral(
    "TimeStamp, OBJ, GT_ID, GT_Type, GT_Name, GT_Path, GT_Priority, GT_Status, GT_Parent_ID, Res, Res_PerWrk,"
    " Planned, PerComp, Needed, Est, Diff, Progress, Completion_Order, Tree_Depth, Calc, HTreeSort, HName,"
    " Completion_Date, CompOrderObj");
constexpr int kColumnCount = 24;

// The rows of one generated snapshot of the source project, column by column.
const std::vector<QVariantList>& snapshotRows()
{
    static std::vector<QVariantList> rows;
    if (!rows.empty()) {
        return rows;
    }
    FreshCopy copy;
    FixedClock clock(Stamp::fromText(kStamp));
    QString stamp;
    QString error;
    if (!SnapshotGenerator::GenerateCompDates(kConnection, clock, &stamp, &error)) {
        qFatal("%s", qPrintable(error));
    }
    QSqlQuery q(Sql::db(kConnection));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT %1 FROM CompDates ORDER BY ID").arg(kColumns));
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < kColumnCount; ++i) {
            row << q.value(i);
        }
        rows.push_back(row);
    }
    return rows;
}

void GenerateCompDates(benchmark::State& state)
{
    SnapshotGenerator::StepTimes sum;
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            FreshCopy copy;
            SnapshotGenerator generator(kConnection);
            FixedClock clock(Stamp::fromText(kStamp));
            QString stamp;
            QString error;
            state.ResumeTiming();
            if (!generator.run(clock, true, &stamp, &error)) {
                state.SkipWithError(qPrintable(error));
                break;
            }
            state.PauseTiming();
            const auto& t = generator.stepTimes();
            sum.load += t.load;
            sum.writeSubtreeRows += t.writeSubtreeRows;
            sum.scheduleTeamMembers += t.scheduleTeamMembers;
            sum.rollUpCompletionDates += t.rollUpCompletionDates;
            sum.numberCompletionOrder += t.numberCompletionOrder;
            sum.insert += t.insert;
            rows = generator.rowCount();
        }
        state.ResumeTiming();
    }
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["rows"] = double(rows);
    state.counters["load_ms"] = benchmark::Counter(double(sum.load), avg);
    state.counters["walk_ms"] = benchmark::Counter(double(sum.writeSubtreeRows), avg);
    state.counters["schedule_ms"] = benchmark::Counter(double(sum.scheduleTeamMembers), avg);
    state.counters["rollup_ms"] = benchmark::Counter(double(sum.rollUpCompletionDates), avg);
    state.counters["number_ms"] = benchmark::Counter(double(sum.numberCompletionOrder), avg);
    state.counters["insert_ms"] = benchmark::Counter(double(sum.insert), avg);
}
BENCHMARK(GenerateCompDates)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The floor through the same Qt SQL layer the program uses: one prepared INSERT,
// all 24 columns bound, one transaction.
void BulkInsertSameRowsQt(benchmark::State& state)
{
    const auto& rows = snapshotRows();
    for (auto _ : state) {
        state.PauseTiming();
        {
            FreshCopy copy;
            state.ResumeTiming();
            Transaction tx(kConnection);
            QSqlQuery insert(Sql::db(kConnection));
            QString placeholders = QStringLiteral("?");
            for (int i = 1; i < kColumnCount; ++i) {
                placeholders += QStringLiteral(", ?");
            }
            insert.prepare(QStringLiteral("INSERT INTO CompDates (%1) VALUES (%2)").arg(kColumns, placeholders));
            for (const QVariantList& row : rows) {
                for (int i = 0; i < kColumnCount; ++i) {
                    insert.bindValue(i, row[i]);
                }
                if (!insert.exec()) {
                    state.SkipWithError(qPrintable(Sql::describe(insert.lastError())));
                    break;
                }
            }
            insert.finish();
            tx.commit();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BulkInsertSameRowsQt)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The floor of SQLite itself: the same rows through its C interface on the same
// connection, prepared once, bound natively.
void BulkInsertSameRowsSqlite(benchmark::State& state)
{
    const auto& rows = snapshotRows();
    // The Qt driver's own library instance, so both share one connection handle.
    void* lib = dlopen("libsqlite3.so.0", RTLD_NOW | RTLD_NOLOAD);
    if (!lib) {
        lib = dlopen("libsqlite3.so.0", RTLD_NOW);
    }
    auto prepare = reinterpret_cast<decltype(&sqlite3_prepare_v2)>(dlsym(lib, "sqlite3_prepare_v2"));
    auto bindText = reinterpret_cast<decltype(&sqlite3_bind_text16)>(dlsym(lib, "sqlite3_bind_text16"));
    auto bindInt = reinterpret_cast<decltype(&sqlite3_bind_int64)>(dlsym(lib, "sqlite3_bind_int64"));
    auto bindDouble = reinterpret_cast<decltype(&sqlite3_bind_double)>(dlsym(lib, "sqlite3_bind_double"));
    auto bindNull = reinterpret_cast<decltype(&sqlite3_bind_null)>(dlsym(lib, "sqlite3_bind_null"));
    auto step = reinterpret_cast<decltype(&sqlite3_step)>(dlsym(lib, "sqlite3_step"));
    auto reset = reinterpret_cast<decltype(&sqlite3_reset)>(dlsym(lib, "sqlite3_reset"));
    auto finalize = reinterpret_cast<decltype(&sqlite3_finalize)>(dlsym(lib, "sqlite3_finalize"));
    if (!prepare || !bindText || !bindInt || !bindDouble || !bindNull || !step || !reset || !finalize) {
        state.SkipWithError("the SQLite library is not reachable");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        {
            FreshCopy copy;
            const QVariant handle = Sql::db(kConnection).driver()->handle();
            sqlite3* db = *static_cast<sqlite3* const*>(handle.data());
            state.ResumeTiming();
            Transaction tx(kConnection);
            QString placeholders = QStringLiteral("?");
            for (int i = 1; i < kColumnCount; ++i) {
                placeholders += QStringLiteral(", ?");
            }
            const QByteArray sql =
                QStringLiteral("INSERT INTO CompDates (%1) VALUES (%2)").arg(kColumns, placeholders).toUtf8();
            sqlite3_stmt* stmt = nullptr;
            prepare(db, sql.constData(), -1, &stmt, nullptr);
            for (const QVariantList& row : rows) {
                for (int i = 0; i < kColumnCount; ++i) {
                    const QVariant& v = row[i];
                    if (v.isNull()) {
                        bindNull(stmt, i + 1);
                    } else if (v.typeId() == QMetaType::QString) {
                        const QString& s = *static_cast<const QString*>(v.constData());
                        bindText(stmt, i + 1, s.utf16(), int(s.size() * 2), SQLITE_STATIC);
                    } else if (v.typeId() == QMetaType::Double) {
                        bindDouble(stmt, i + 1, v.toDouble());
                    } else {
                        bindInt(stmt, i + 1, v.toLongLong());
                    }
                }
                step(stmt);
                reset(stmt);
            }
            finalize(stmt);
            tx.commit();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BulkInsertSameRowsSqlite)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QFile::exists(sourcePath())) {
        qFatal("no project at %s; see the comment at the top of SnapshotBench.cpp", qPrintable(sourcePath()));
    }
    return BenchMain::run(argc, argv);
}
