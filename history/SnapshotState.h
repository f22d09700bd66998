#pragma once

#include "db/ProjectRecords.h"
#include "schedule/SnapshotRow.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// One side of a comparison: the rows of a stored snapshot, or of the live project
// scheduled in memory at a given moment ("now", never stored), with what the
// schedule was made from. Display-free.
struct SnapshotState
{
    QString stamp; // the stored stamp; empty for the live project
    qint64 moment = 0; // naive seconds (MemberCalendar) the schedule started from
    // In writing order (HTreeSort), parentRow set; completion holds the dates.
    std::vector<SnapshotRow> rows;
    // Holds the texts the rows' status and member point into; shared by copies.
    std::shared_ptr<const void> texts;
    // Per row: its Completion_Order and GT_Parent_ID (0 for the root and top goals).
    // The rows' own `order` ranks keys within one side only; ScheduleReplay ranks
    // both sides' keys together.
    std::vector<QString> keys;
    std::vector<qint64> parentIds;
    // Per row: the goal's or task's name, an assignment's task name, "Cairnwork" for the root.
    std::vector<QString> names;
    // The weekly hours the dates came from. When the snapshot keeps none
    // (hoursStored false) these are the project's current hours.
    std::vector<MemberRecord> members;
    bool hoursStored = false;

    bool isLive() const { return stamp.isEmpty(); }

    // Reads the snapshot `stamp`. False with *error when it cannot be read or no
    // snapshot has that stamp.
    static bool load(const QString& connection, const QString& stamp, SnapshotState* state, QString* error);
    // Schedules the project as it is now, from `moment` on, without storing anything.
    static bool live(const QString& connection, qint64 moment, SnapshotState* state, QString* error);
    // Reads A (`stampA`) and B (`stampB`, or the live project from `liveMoment` when
    // `stampB` is empty) side by side: A on a second connection to the same file in a
    // thread of its own. Stored snapshots never change, so the two reads agree.
    static bool loadPair(const QString& connection,
                         const QString& stampA,
                         const QString& stampB,
                         qint64 liveMoment,
                         SnapshotState* a,
                         SnapshotState* b,
                         QString* error);
    // Every stored stamp, oldest first.
    static bool stamps(const QString& connection, QStringList* stamps, QString* error);
    // Naive seconds of a stored "YYYY-MM-DD HH:MM:SS", or SnapshotRow::kNoDate.
    static qint64 secondsOf(const QString& text);
};
