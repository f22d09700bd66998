#pragma once

#include "common/Clock.h"
#include "db/Database.h"

#include <QString>
#include <functional>
#include <vector>

class SnapshotInput;
struct SnapshotRows;

// Generates schedule snapshots: one CompDates row for the root, every goal, task
// and assignment under one new stamp, with completion dates from the members'
// working hours, dates rolled up the tree and the order of work numbered. The
// steps compute the rows in memory (every step needs the whole tree); a
// SnapshotWriter then writes them one by one, all in one transaction: the
// snapshot appears whole or not at all. UI thread (or the connection's own thread) only.
class SnapshotGenerator
{
public:
    using Progress = std::function<void(int percent)>;

    // Wall-clock milliseconds spent in each step of the last run.
    struct StepTimes
    {
        qint64 load = 0; // reading the project
        qint64 writeSubtreeRows = 0; // the walk and the key lengthening
        qint64 scheduleTeamMembers = 0;
        qint64 rollUpCompletionDates = 0;
        qint64 numberCompletionOrder = 0;
        qint64 insert = 0; // writing the rows and committing
    };

    // Writes one complete snapshot in one transaction on `connection`. The stamp is clock.now()
    // ("YYYY-MM-DD HH:MM:SS"); when that stamp is taken already it takes the next free second,
    // unless exactStamp is true (then it is an error). On success *stamp holds the stamp written.
    // On failure nothing of the snapshot remains and *error says what failed.
    static bool GenerateCompDates(const QString& connection,
                                  const Clock& clock,
                                  QString* stamp,
                                  QString* error,
                                  bool exactStamp = false,
                                  const Progress& progress = {},
                                  const Database::Waiting& waiting = {});

    explicit SnapshotGenerator(const QString& connection);
    void setProgress(const Progress& progress) { m_progress = progress; }
    // Asked while another snapshot of the project is being taken; without it, the run
    // fails at once then.
    void setWaiting(const Database::Waiting& waiting) { m_waiting = waiting; }
    bool run(const Clock& clock, bool exactStamp, QString* stamp, QString* error);
    const StepTimes& stepTimes() const { return m_times; }
    qint64 rowCount() const { return m_rowCount; }

private:
    // The rows of the snapshot under `stamp`: the walk, then scheduling, the date
    // roll-up and the numbering. False with *error when a member cannot be scheduled.
    bool computeRows(const SnapshotInput& input, const QString& stamp, SnapshotRows* rows, QString* error);
    // Writes `rows` in the caller's transaction. False with *error naming the row.
    bool writeRows(const SnapshotInput& input, const QString& stamp, const SnapshotRows& rows, QString* error);
    void report(int percent) const;

    QString m_connection;
    Progress m_progress;
    Database::Waiting m_waiting;
    StepTimes m_times;
    qint64 m_rowCount = 0;
};
