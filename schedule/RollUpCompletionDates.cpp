#include "schedule/RollUpCompletionDates.h"

namespace {
qint64 later(qint64 a, qint64 b)
{
    // kNoDate is the smallest value, so an undated child never wins.
    return std::max(a, b);
}

bool isDatedParent(const SnapshotRow& row, SnapshotRow::Kind kind)
{
    return row.kind == kind && row.calc == 1 && row.completion == SnapshotRow::kNoDate &&
        (row.isOpen() || (kind == SnapshotRow::Kind::Goal && row.lacksStatus()));
}
} // namespace

void RollUpCompletionDates::run(std::vector<SnapshotRow>& rows)
{
    bool anyOpen = false;
    for (const SnapshotRow& row : rows) {
        anyOpen = anyOpen || row.isOpen();
    }
    if (!anyOpen) {
        return;
    }
    // Collected dates per parent row; `seen` marks parents with at least one open child.
    std::vector<qint64> latest(rows.size(), SnapshotRow::kNoDate);
    std::vector<char> seen(rows.size(), 0);

    // Tasks, from their own open assignment rows.
    for (const SnapshotRow& row : rows) {
        if (row.kind != SnapshotRow::Kind::Assignment || !row.isOpen() || row.parentRow < 0) {
            continue;
        }
        const std::size_t p = std::size_t(row.parentRow);
        if (isDatedParent(rows[p], SnapshotRow::Kind::Task)) {
            seen[p] = 1;
            latest[p] = later(latest[p], row.completion);
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (seen[i]) {
            rows[i].completion = latest[i];
        }
    }

    // Goals, level by level: in writing order every child precedes its goal, so a
    // goal is complete when it is reached.
    std::fill(seen.begin(), seen.end(), 0);
    std::fill(latest.begin(), latest.end(), SnapshotRow::kNoDate);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SnapshotRow& row = rows[i];
        if (row.kind == SnapshotRow::Kind::Goal && seen[i] && isDatedParent(row, SnapshotRow::Kind::Goal)) {
            row.completion = latest[i];
        }
        const bool child = row.kind == SnapshotRow::Kind::Goal || row.kind == SnapshotRow::Kind::Task;
        if (!child || !row.isOpen() || row.parentRow < 0) {
            continue;
        }
        const std::size_t p = std::size_t(row.parentRow);
        if (isDatedParent(rows[p], SnapshotRow::Kind::Goal)) {
            seen[p] = 1;
            latest[p] = later(latest[p], row.completion);
        }
    }

    // The root: the latest date of all open rows, wherever they lie.
    qint64 last = SnapshotRow::kNoDate;
    for (const SnapshotRow& row : rows) {
        if (row.isOpen()) {
            last = later(last, row.completion);
        }
    }
    for (SnapshotRow& row : rows) {
        if (row.kind == SnapshotRow::Kind::Root) {
            row.completion = last;
        }
    }
}
