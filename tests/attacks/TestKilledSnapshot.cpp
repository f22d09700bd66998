// A snapshot killed with SIGKILL at any moment leaves either the whole snapshot or
// none of it, and a project the next snapshot works on.

#include "tests/support/CliRun.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct FileState
{
    QString integrity;
    qint64 snapshotRows = -1;
    qint64 stamps = -1;
};

// Read in a connection of its own, opened only after the killed writer is gone.
FileState inspect(const QString& path)
{
    FileState state;
    const QString name = QStringLiteral("inspect-%1").arg(path);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open()) {
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next()) {
                state.integrity = q.value(0).toString();
            }
            if (q.exec(QStringLiteral("SELECT count(*), count(DISTINCT TimeStamp) FROM CompDates")) && q.next()) {
                state.snapshotRows = q.value(0).toLongLong();
                state.stamps = q.value(1).toLongLong();
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return state;
}

bool copyProject(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to);
}

const QString kNow = QStringLiteral("2026-12-07 09:00:00");

} // namespace

class TestKilledSnapshot : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void killAtAnyMomentLeavesAllOrNothing();
};

void TestKilledSnapshot::killAtAnyMomentLeavesAllOrNothing()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString original = dir.filePath(QStringLiteral("original.cwk"));
    // Large enough that the snapshot's rows overflow the page cache while it writes.
    const CliRun made = CliRun::run(QStringList{QStringLiteral("synth"), original} +
                                    QStringLiteral("--goals 400 --tasks 15000 --members 40 --seed 1").split(' '));
    QVERIFY2(made.exitCode == 0, qPrintable(made.err));

    // A whole snapshot, for its row count and its duration.
    const QString reference = dir.filePath(QStringLiteral("reference.cwk"));
    QVERIFY(copyProject(original, reference));
    QElapsedTimer clock;
    clock.start();
    const CliRun whole = CliRun::run({QStringLiteral("snapshot"), reference, QStringLiteral("--now"), kNow});
    const qint64 duration = clock.elapsed();
    QVERIFY2(whole.exitCode == 0, qPrintable(whole.err));
    const qint64 rows = inspect(reference).snapshotRows;
    QVERIFY(rows > 30000);

    // Kill while loading, while computing, while writing rows and while committing.
    int killedRunning = 0;
    for (const double share : {0.1, 0.3, 0.5, 0.7, 0.85, 0.95}) {
        const QString path = dir.filePath(QStringLiteral("killed.cwk"));
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        QVERIFY(copyProject(original, path));
        QProcess p;
        p.start(CliRun::path(), {QStringLiteral("snapshot"), path, QStringLiteral("--now"), kNow});
        QVERIFY(p.waitForStarted());
        QThread::msleep(static_cast<unsigned long>(share * duration));
        if (p.state() == QProcess::Running) {
            p.kill(); // SIGKILL: no handler, no cleanup
            ++killedRunning;
        }
        QVERIFY(p.waitForFinished(120000));

        const FileState state = inspect(path);
        qInfo("killed at %.2f of a run: %lld of %lld rows", share, state.snapshotRows, rows);
        QCOMPARE(state.integrity, QStringLiteral("ok"));
        QVERIFY2(state.snapshotRows == 0 || state.snapshotRows == rows,
                 qPrintable(QStringLiteral("%1 of %2 rows after a kill at %3 of the run")
                                .arg(state.snapshotRows)
                                .arg(rows)
                                .arg(share)));
        QVERIFY(state.stamps <= 1);

        // The project takes the next snapshot whole.
        const CliRun next = CliRun::run(
            {QStringLiteral("snapshot"), path, QStringLiteral("--now"), QStringLiteral("2026-12-08 09:00:00")});
        QVERIFY2(next.exitCode == 0, qPrintable(next.err));
        QCOMPARE(inspect(path).snapshotRows, state.snapshotRows + rows);
    }
    // Most kills must land while the snapshot runs, or the test proves nothing.
    QVERIFY2(killedRunning >= 3, qPrintable(QStringLiteral("only %1 kills hit a running snapshot").arg(killedRunning)));
}

QTEST_GUILESS_MAIN(TestKilledSnapshot)
#include "TestKilledSnapshot.moc"
