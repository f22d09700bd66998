#include "schedule/SnapshotGenerator.h"

#include "common/Stamp.h"
#include "db/Database.h"
#include "db/Sql.h"
#include "db/SqliteHandle.h"
#include "db/Transaction.h"
#include "schedule/MemberCalendar.h"
#include "schedule/NumberCompletionOrder.h"
#include "schedule/RollUpCompletionDates.h"
#include "schedule/ScheduleTeamMembers.h"
#include "schedule/SnapshotHours.h"
#include "schedule/SnapshotInput.h"
#include "schedule/SnapshotWriter.h"
#include "schedule/WriteSubtreeRows.h"

#include <QElapsedTimer>

namespace {
// Holds the lock on snapshot generation until the run ends, whichever way it ends.
struct SnapshotLockHolder
{
    QString connection;
    ~SnapshotLockHolder() { Database::unlockSnapshots(connection); }
};

// Finds the stamp this run writes under: `wanted`, or when that is taken and an
// exact stamp is not required, the next free second.
bool freeStamp(const QString& connection, const QDateTime& wanted, bool exact, QString* stamp, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::prepare(query, QStringLiteral("SELECT 1 FROM CompDates WHERE TimeStamp = ? LIMIT 1"), error)) {
        return false;
    }
    QDateTime candidate = Stamp::fromText(Stamp::toText(wanted));
    if (!candidate.isValid()) {
        Sql::setError(error, QStringLiteral("The current time is not a valid date."));
        return false;
    }
    while (true) {
        const QString text = Stamp::toText(candidate);
        query.bindValue(0, text);
        if (!Sql::exec(query, error)) {
            return false;
        }
        const bool taken = query.next();
        query.finish();
        if (!taken) {
            *stamp = text;
            return true;
        }
        if (exact) {
            Sql::setError(error, QStringLiteral("A snapshot with the stamp %1 exists already.").arg(text));
            return false;
        }
        candidate = candidate.addSecs(1);
    }
}
} // namespace

SnapshotGenerator::SnapshotGenerator(const QString& connection)
    : m_connection(connection)
{
}

bool SnapshotGenerator::GenerateCompDates(const QString& connection,
                                          const Clock& clock,
                                          QString* stamp,
                                          QString* error,
                                          bool exactStamp,
                                          const Progress& progress,
                                          const Database::Waiting& waiting)
{
    SnapshotGenerator generator(connection);
    generator.setProgress(progress);
    generator.setWaiting(waiting);
    return generator.run(clock, exactStamp, stamp, error);
}

void SnapshotGenerator::report(int percent) const
{
    if (m_progress) {
        m_progress(percent);
    }
}

bool SnapshotGenerator::run(const Clock& clock, bool exactStamp, QString* stamp, QString* error)
{
    m_times = {};
    m_rowCount = 0;
    QString failure;
    auto fail = [&](const QString& what) {
        Sql::setError(error, what.isEmpty() ? failure : what + QStringLiteral(": ") + failure);
        return false;
    };
    QElapsedTimer timer;
    timer.start();
    report(0);
    if (!Database::lockSnapshots(m_connection, m_waiting, &failure)) {
        return fail(QStringLiteral("The snapshot could not be started"));
    }
    const SnapshotLockHolder holder{m_connection}; // outlives the transaction below
    Transaction tx(m_connection, Transaction::Reading::Consistent);
    if (!tx.isActive()) {
        failure = tx.error();
        return fail(QStringLiteral("The snapshot could not be started"));
    }
    QString snapshotStamp;
    if (!freeStamp(m_connection, clock.now(), exactStamp, &snapshotStamp, &failure)) {
        return fail(QString());
    }
    SnapshotInput input;
    if (!input.load(m_connection, &failure)) {
        return fail(QString());
    }
    // The pages just read are not needed again before the rows are computed, which
    // for a large project is when memory peaks.
    SqliteHandle::releaseCache(m_connection);
    m_times.load = timer.elapsed();
    report(10);

    SnapshotRows rows;
    if (!computeRows(input, snapshotStamp, &rows, &failure)) {
        return fail(QString());
    }
    report(30);
    timer.restart();
    if (!writeRows(input, snapshotStamp, rows, error)) {
        return false;
    }
    // The hours the dates came from, so that the snapshot can be replayed later.
    if (!SnapshotHours::write(m_connection, snapshotStamp, input.members, &failure)) {
        return fail(QStringLiteral("Writing the snapshot's working hours failed"));
    }
    if (!tx.commit()) {
        failure = tx.error();
        return fail(QStringLiteral("Saving the snapshot failed"));
    }
    m_times.insert = timer.elapsed();
    m_rowCount = qint64(rows.rows.size());
    *stamp = snapshotStamp;
    report(100);
    return true;
}

bool SnapshotGenerator::computeRows(const SnapshotInput& input,
                                    const QString& stamp,
                                    SnapshotRows* rows,
                                    QString* error)
{
    QElapsedTimer timer;
    timer.start();
    // Task keys are lengthened to this snapshot's own deepest level: what older
    // snapshots hold (or another tool wrote into them) never shapes a new one.
    *rows = WriteSubtreeRows(input).run();
    m_times.writeSubtreeRows = timer.restart();
    report(20);
    const qint64 start = MemberCalendar::toSeconds(Stamp::fromText(stamp));
    if (!ScheduleTeamMembers::run(rows->rows, input.members, start, error)) {
        return false;
    }
    m_times.scheduleTeamMembers = timer.restart();
    RollUpCompletionDates::run(rows->rows);
    m_times.rollUpCompletionDates = timer.restart();
    NumberCompletionOrder::run(rows->rows);
    m_times.numberCompletionOrder = timer.restart();
    return true;
}

bool SnapshotGenerator::writeRows(const SnapshotInput& input,
                                  const QString& stamp,
                                  const SnapshotRows& rows,
                                  QString* error)
{
    SnapshotWriter writer(input, rows, stamp);
    QString failure;
    if (!writer.prepare(m_connection, &failure)) {
        Sql::setError(error, QStringLiteral("Writing the snapshot failed: ") + failure);
        return false;
    }
    const std::size_t total = rows.rows.size();
    const std::size_t step = std::max<std::size_t>(1, total / 70);
    for (std::size_t i = 0; i < total; ++i) {
        if (!writer.write(i, error)) {
            return false;
        }
        if (i % step == 0) {
            report(30 + int(69.0 * double(i) / double(total)));
        }
    }
    return writer.finish(error);
}
