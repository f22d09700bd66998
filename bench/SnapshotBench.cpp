// Snapshot generation on a large project against the floor SQLite sets: inserting
// the same number of rows with the same columns into one table without indexes,
// in one transaction, through one prepared statement with typed binding. Each
// iteration measures both, so the ratio comes from one run. Needs a project file
// in CW_BENCH_DB (default /tmp/L.cwk), e.g.
//   cairnwork-cli synth /tmp/L.cwk --goals 2000 --tasks 50000 --members 200 --seed 1
// Every iteration works on a fresh copy of that file. Run with
// --benchmark_repetitions=5 for medians; bench/bare_insert.py gives the same floor
// through Python's executemany.
//
// With CW_BENCH_SERVER set to a team server's database (postgresql://…; empty, or
// holding the project from an earlier run), GenerateCompDatesOnServer does the same
// on the server against its floor: PostgreSQL's own COPY of the rows just written
// into a table of the same columns without indexes, in one transaction, from a
// separate connection. The first run copies the project there (not timed), e.g.
//   createdb cwbench
//   CW_BENCH_SERVER=postgresql:///cwbench build/bench/SnapshotBench --benchmark_filter=OnServer
//     --benchmark_repetitions=5   (under pg_virtualenv)
#include "bench/BenchMain.h"
#include "common/FixedClock.h"
#include "common/Stamp.h"
#include "db/Database.h"
#include "db/ProjectCopy.h"
#include "db/Sql.h"
#include "db/Statement.h"
#include "db/Transaction.h"
#include "schedule/SnapshotGenerator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <libpq-fe.h>

namespace {
const QString kConnection = QStringLiteral("bench");
const QString kBareConnection = QStringLiteral("bare");
const QString kStamp = QStringLiteral("2026-12-07 10:00:00");
const QString kColumns = QStringLiteral(
    "TimeStamp, OBJ, GT_ID, GT_Type, GT_Name, GT_Path, GT_Priority, GT_Status, GT_Parent_ID, Res, Res_PerWrk,"
    " Planned, PerComp, Needed, Est, Diff, Progress, Completion_Order, Tree_Depth, Calc, HTreeSort, HName,"
    " Completion_Date, CompOrderObj");
constexpr int kColumnCount = 24;

// A fresh copy of the source project, open on kConnection.
class FreshCopy
{
public:
    FreshCopy()
    {
        const QString path = m_dir.filePath(QStringLiteral("copy.cwk"));
        QString error;
        if (!QFile::copy(BenchMain::projectPath(), path) || !Database::open(path, kConnection, &error)) {
            qFatal("cannot open a copy of %s: %s", qPrintable(BenchMain::projectPath()), qPrintable(error));
        }
    }
    ~FreshCopy() { Database::close(kConnection); }

private:
    QTemporaryDir m_dir;
};

// The rows of the snapshot just written on kConnection, column by column.
std::vector<QVariantList> writtenRows()
{
    std::vector<QVariantList> rows;
    QSqlQuery q(Sql::db(kConnection));
    q.setForwardOnly(true);
    q.exec(QStringLiteral("SELECT %1 FROM CompDates WHERE TimeStamp = '%2' ORDER BY ID").arg(kColumns, kStamp));
    while (q.next()) {
        QVariantList row;
        for (int i = 0; i < kColumnCount; ++i) {
            row << q.value(i);
        }
        rows.push_back(row);
    }
    return rows;
}

// Milliseconds SQLite needs to insert `rows` into a new table of the same columns
// without any index, in one transaction, in a new project file (so with the same
// journal and sync settings as the snapshot), prepared once and bound by type.
double bareInsertMs(const std::vector<QVariantList>& rows, const QString& table = QStringLiteral("Bare"))
{
    QTemporaryDir dir;
    QString error;
    const bool bare = table == QLatin1String("Bare");
    if (!Database::create(dir.filePath(QStringLiteral("bare.cwk")), kBareConnection, &error) ||
        (bare && !Sql::exec(kBareConnection, QStringLiteral("CREATE TABLE Bare (%1)").arg(kColumns), &error))) {
        qFatal("%s", qPrintable(error));
    }
    // The floor is SQLite's own, whichever path the snapshot takes.
    const bool native = Statement::nativeEnabled();
    Statement::setNativeEnabled(true);
    QString placeholders = QStringLiteral("?");
    for (int i = 1; i < kColumnCount; ++i) {
        placeholders += QStringLiteral(", ?");
    }
    QElapsedTimer timer;
    timer.start();
    {
        Transaction tx(kBareConnection);
        auto insert =
            Statement::prepare(kBareConnection,
                               QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, kColumns, placeholders),
                               &error);
        if (!insert) {
            qFatal("%s", qPrintable(error));
        }
        for (const QVariantList& row : rows) {
            for (int i = 0; i < kColumnCount; ++i) {
                const QVariant& v = row[i];
                if (v.isNull()) {
                    insert->bindNull(i);
                } else if (v.typeId() == QMetaType::QString) {
                    insert->bindText(i, v.toString());
                } else if (v.typeId() == QMetaType::Double) {
                    insert->bindReal(i, v.toDouble());
                } else {
                    insert->bindInteger(i, v.toLongLong());
                }
            }
            if (!insert->run(&error)) {
                qFatal("%s", qPrintable(error));
            }
        }
        insert.reset();
        if (!tx.commit()) {
            qFatal("%s", qPrintable(tx.error()));
        }
    }
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    Statement::setNativeEnabled(native);
    Database::close(kBareConnection);
    return ms;
}

// One snapshot per iteration (timed), then the bare insert of the rows it wrote
// (timed apart): `ratio` is snapshot / bare insert of the same iteration.
void generate(benchmark::State& state, bool native)
{
    Statement::setNativeEnabled(native);
    SnapshotGenerator::StepTimes sum;
    double bare = 0;
    double indexed = 0;
    double whole = 0;
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        {
            FreshCopy copy;
            SnapshotGenerator generator(kConnection);
            FixedClock clock(Stamp::fromText(kStamp));
            QString stamp;
            QString error;
            QElapsedTimer timer;
            timer.start();
            state.ResumeTiming();
            const bool ok = generator.run(clock, true, &stamp, &error);
            state.PauseTiming();
            whole += double(timer.nsecsElapsed()) / 1e6;
            if (!ok) {
                state.SkipWithError(qPrintable(error));
                break;
            }
            const auto& t = generator.stepTimes();
            sum.load += t.load;
            sum.writeSubtreeRows += t.writeSubtreeRows;
            sum.scheduleTeamMembers += t.scheduleTeamMembers;
            sum.rollUpCompletionDates += t.rollUpCompletionDates;
            sum.numberCompletionOrder += t.numberCompletionOrder;
            sum.insert += t.insert;
            rows = generator.rowCount();
            const auto written = writtenRows();
            bare += bareInsertMs(written);
            indexed += bareInsertMs(written, QStringLiteral("CompDates"));
        }
        state.ResumeTiming();
    }
    Statement::setNativeEnabled(true);
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["rows"] = double(rows);
    state.counters["load_ms"] = benchmark::Counter(double(sum.load), avg);
    state.counters["walk_ms"] = benchmark::Counter(double(sum.writeSubtreeRows), avg);
    state.counters["schedule_ms"] = benchmark::Counter(double(sum.scheduleTeamMembers), avg);
    state.counters["rollup_ms"] = benchmark::Counter(double(sum.rollUpCompletionDates), avg);
    state.counters["number_ms"] = benchmark::Counter(double(sum.numberCompletionOrder), avg);
    state.counters["insert_ms"] = benchmark::Counter(double(sum.insert), avg);
    state.counters["bare_ms"] = benchmark::Counter(bare, avg);
    state.counters["indexed_ms"] = benchmark::Counter(indexed, avg);
    state.counters["ratio"] = bare > 0 ? whole / bare : 0;
}

void GenerateCompDates(benchmark::State& state)
{
    generate(state, true);
}
BENCHMARK(GenerateCompDates)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The same through Qt SQL, the path taken where SQLite's own interface cannot be used.
void GenerateCompDatesQtPath(benchmark::State& state)
{
    generate(state, false);
}
BENCHMARK(GenerateCompDatesQtPath)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

QString serverUrl()
{
    return qEnvironmentVariable("CW_BENCH_SERVER");
}

// A plain libpq connection to the benchmark's server database.
class ServerFloor
{
public:
    ServerFloor()
        : m_conn(PQconnectdb(serverUrl().toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK) {
            qFatal("%s", PQerrorMessage(m_conn));
        }
    }
    ~ServerFloor() { PQfinish(m_conn); }

    void exec(const char* sql)
    {
        PGresult* r = PQexec(m_conn, sql);
        const ExecStatusType status = PQresultStatus(r);
        PQclear(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            qFatal("%s: %s", sql, PQerrorMessage(m_conn));
        }
    }

    // The rows of the snapshot just written, as COPY's text.
    QByteArray written()
    {
        const QByteArray sql =
            QStringLiteral("COPY (SELECT %1 FROM CompDates WHERE TimeStamp = '%2' ORDER BY ID) TO STDOUT")
                .arg(kColumns, kStamp)
                .toUtf8();
        PGresult* r = PQexec(m_conn, sql.constData());
        if (PQresultStatus(r) != PGRES_COPY_OUT) {
            qFatal("%s", PQerrorMessage(m_conn));
        }
        PQclear(r);
        QByteArray data;
        char* line = nullptr;
        int n = 0;
        while ((n = PQgetCopyData(m_conn, &line, 0)) > 0) {
            data.append(line, n);
            PQfreemem(line);
        }
        while ((r = PQgetResult(m_conn))) {
            PQclear(r);
        }
        return data;
    }

    // Milliseconds the server needs to COPY `data` in one transaction: into a new
    // table of the same columns without any index, or (`indexed`) into CompDates
    // itself with its indexes and triggers, the rows removed again afterwards.
    double copyMs(const QByteArray& data, bool indexed)
    {
        const QString table = indexed ? QStringLiteral("CompDates") : QStringLiteral("cw_bare");
        if (!indexed) {
            exec("DROP TABLE IF EXISTS cw_bare");
            exec(QStringLiteral("CREATE TABLE cw_bare AS SELECT %1 FROM CompDates WITH NO DATA")
                     .arg(kColumns)
                     .toUtf8()
                     .constData());
        }
        QElapsedTimer timer;
        timer.start();
        exec("BEGIN");
        PGresult* r =
            PQexec(m_conn, QStringLiteral("COPY %1 (%2) FROM STDIN").arg(table, kColumns).toUtf8().constData());
        if (PQresultStatus(r) != PGRES_COPY_IN) {
            qFatal("%s", PQerrorMessage(m_conn));
        }
        PQclear(r);
        constexpr int kPiece = 1 << 16;
        for (qsizetype at = 0; at < data.size(); at += kPiece) {
            if (PQputCopyData(m_conn, data.constData() + at, int(std::min<qsizetype>(kPiece, data.size() - at))) != 1) {
                qFatal("%s", PQerrorMessage(m_conn));
            }
        }
        PQputCopyEnd(m_conn, nullptr);
        while ((r = PQgetResult(m_conn))) {
            if (PQresultStatus(r) != PGRES_COMMAND_OK) {
                qFatal("%s", PQerrorMessage(m_conn));
            }
            PQclear(r);
        }
        exec("COMMIT");
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        if (indexed) {
            removeSnapshot();
        } else {
            exec("DROP TABLE cw_bare");
        }
        return ms;
    }

    void removeSnapshot()
    {
        exec(QStringLiteral("DELETE FROM CompDates WHERE TimeStamp = '%1';"
                            " DELETE FROM CompDatesHours WHERE TimeStamp = '%1'")
                 .arg(kStamp)
                 .toUtf8()
                 .constData());
        exec("VACUUM CompDates");
    }

private:
    PGconn* m_conn;
};

// One snapshot on the server per iteration (timed), then PostgreSQL's own COPY of
// the rows it wrote (timed apart), into a bare table and into CompDates itself;
// the rows are removed again after each.
void GenerateCompDatesOnServer(benchmark::State& state)
{
    const QString url = serverUrl();
    if (url.isEmpty()) {
        state.SkipWithError("CW_BENCH_SERVER is not set");
        return;
    }
    QString error;
    if (!Database::open(url, kConnection, &error)) {
        const QString source = QStringLiteral("source");
        BenchMain::open(BenchMain::projectPath(), source);
        const bool copied = Database::create(url, kConnection, &error, [&](QString* failure) {
            return ProjectCopy::copy(source, kConnection, failure);
        });
        Database::close(source);
        if (!copied) {
            state.SkipWithError(qPrintable(error));
            return;
        }
    }
    ServerFloor floor;
    double bare = 0;
    double indexed = 0;
    double whole = 0;
    double insert = 0;
    qint64 rows = 0;
    for (auto _ : state) {
        SnapshotGenerator generator(kConnection);
        FixedClock clock(Stamp::fromText(kStamp));
        QString stamp;
        QElapsedTimer timer;
        timer.start();
        const bool ok = generator.run(clock, true, &stamp, &error);
        state.PauseTiming();
        whole += double(timer.nsecsElapsed()) / 1e6;
        if (!ok) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        insert += double(generator.stepTimes().insert);
        rows = generator.rowCount();
        const QByteArray written = floor.written();
        floor.removeSnapshot();
        bare += floor.copyMs(written, false);
        indexed += floor.copyMs(written, true);
        state.ResumeTiming();
    }
    Database::close(kConnection);
    const auto avg = benchmark::Counter::kAvgIterations;
    state.counters["rows"] = double(rows);
    state.counters["insert_ms"] = benchmark::Counter(insert, avg);
    state.counters["bare_copy_ms"] = benchmark::Counter(bare, avg);
    state.counters["indexed_copy_ms"] = benchmark::Counter(indexed, avg);
    state.counters["ratio"] = bare > 0 ? whole / bare : 0;
    state.counters["indexed_ratio"] = indexed > 0 ? whole / indexed : 0;
}
BENCHMARK(GenerateCompDatesOnServer)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!QFile::exists(BenchMain::projectPath())) {
        qFatal("no project at %s; see the comment at the top of SnapshotBench.cpp",
               qPrintable(BenchMain::projectPath()));
    }
    return BenchMain::run(argc, argv);
}
