#pragma once

#include "history/LargestChanges.h"
#include "history/SnapshotState.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <memory>
#include <vector>

// Two snapshots side by side: the rows matched (the root; goals and tasks by number;
// assignments by task number and member name, letter case aside), what changed
// between them, and for each row dated in both the change of its date split into
// six causes by ScheduleReplay. Display-free.
class SnapshotComparison
{
public:
    enum Flag : unsigned {
        Added = 1u << 0, // only in B
        Removed = 1u << 1, // only in A
        StatusChanged = 1u << 2,
        Replanned = 1u << 3, // Planned changed
        Progressed = 1u << 4, // % done or days used changed
        Requeued = 1u << 5, // its order key changed
        Moved = 1u << 6, // its parent changed
        Undated = 1u << 7, // no date where it exists (A or B)
        HoursUnknown = 1u << 8, // a side keeps no hours: the replay used the other side's
        Unexplained = 1u << 9, // dated in A and B but not by every step of the replay
    };
    // Time passed, working hours, scope, queue, re-planning, progress.
    static constexpr int kCauses = 6;

    struct Row
    {
        SnapshotRow::Kind kind = SnapshotRow::Kind::Root;
        qint64 id = 0; // goal or task number; an assignment's task number
        QString member; // assignments only
        QString name; // the goal's or task's name (an assignment's task), as B has it if it has it
        int depth = 0;
        int a = -1; // row in A, -1 when added
        int b = -1; // row in B, -1 when removed
        qint64 dateA = SnapshotRow::kNoDate;
        qint64 dateB = SnapshotRow::kNoDate;
        bool explained = false; // causes hold the shares
        std::array<qint64, kCauses> causes{}; // seconds
        unsigned flags = 0;

        bool datedInBoth() const { return dateA != SnapshotRow::kNoDate && dateB != SnapshotRow::kNoDate; }
        // The name as the outline shows it: four spaces a level, an assignment (shown
        // by its member) one deeper than its task, at most SnapshotRow::kIndentLevels
        // levels whatever depth a stored row claims.
        QString outlineName() const
        {
            const bool assignment = kind == SnapshotRow::Kind::Assignment;
            const qint64 level = kind == SnapshotRow::Kind::Root
                ? 0
                : std::clamp<qint64>(qint64(depth) + (assignment ? 1 : 0), 0, SnapshotRow::kIndentLevels);
            return QString(4 * level, QLatin1Char(' ')) + (assignment ? member : name);
        }
    };

    // Compares A with B (which may be the live project). The states must outlive
    // this object. False with *error when the replay cannot read a member's hours.
    bool compare(const SnapshotState& a, const SnapshotState& b, QString* error);

    // In outline order (the overview report's, by B, with rows only in A after
    // the row that preceded them in A).
    const std::vector<Row>& rows() const { return m_rows; }
    const SnapshotState& a() const { return *m_a; }
    const SnapshotState& b() const { return *m_b; }
    const ScheduleReplay& replay() const { return *m_replay; }

    // The individual changes that moved row `row` of rows() most, largest first.
    std::vector<LargestChanges::Change> largestChanges(int row, int count = 5) const;

    // The flags' words, space-separated, in the order of Flag.
    static QString flagWords(unsigned flags);
    // A cause's name as the windows show it ("Time passed" ... "Progress"), for 0 <= cause < kCauses.
    static QString causeName(int cause);

private:
    void match();
    void judge(Row& row) const;

    const SnapshotState* m_a = nullptr;
    const SnapshotState* m_b = nullptr;
    std::vector<int> m_bToA;
    std::unique_ptr<ScheduleReplay> m_replay;
    std::vector<Row> m_rows;
};
