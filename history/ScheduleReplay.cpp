#include "history/ScheduleReplay.h"

#include "db/Sql.h"
#include "schedule/RollUpCompletionDates.h"
#include "schedule/ScheduleTeamMembers.h"

#include <algorithm>
#include <thread>

namespace {
const QString kOpen = QStringLiteral("Open");
const QString kNotScheduled = QStringLiteral("Completed");

// A task (or an assignment) that is open and counted: not below a held goal.
bool openAndCounted(const SnapshotRow& row)
{
    return row.isOpen() && row.calc == 1;
}
} // namespace

ScheduleReplay::ScheduleReplay(const SnapshotState& a, const SnapshotState& b, const std::vector<int>& bToA)
    : m_a(a)
    , m_b(b)
    , m_bToA(bToA)
{
    // Rows of A and B meet in one member's queue: their keys are ranked together.
    std::vector<const QString*> all;
    all.reserve(a.keys.size() + b.keys.size());
    for (const auto* side : {&a.keys, &b.keys}) {
        for (const QString& key : *side) {
            all.push_back(&key);
        }
    }
    std::sort(all.begin(), all.end(), [](const QString* x, const QString* y) { return *x < *y; });
    all.erase(std::unique(all.begin(), all.end(), [](const QString* x, const QString* y) { return *x == *y; }),
              all.end());
    const auto rankOf = [&all](const QString& key) {
        return int(
            std::lower_bound(all.begin(), all.end(), key, [](const QString* x, const QString& k) { return *x < k; }) -
            all.begin());
    };
    for (const QString& key : a.keys) {
        m_orderA.push_back(rankOf(key));
    }
    for (const QString& key : b.keys) {
        m_orderB.push_back(rankOf(key));
    }
}

std::vector<SnapshotRow> ScheduleReplay::frame(const SnapshotState& side) const
{
    std::vector<SnapshotRow> out = side.rows;
    const std::vector<int>& orders = &side == &m_a ? m_orderA : m_orderB;
    for (std::size_t i = 0; i < out.size(); ++i) {
        SnapshotRow& row = out[i];
        row.order = orders[i];
        if (row.kind == SnapshotRow::Kind::Assignment) {
            // The calendar takes (Est - Needed) x 8 hours; x 8 is exact, so the work
            // held as one difference schedules to the same second.
            row.est = row.est - row.needed;
            row.needed = 0;
            row.status = ScheduleTeamMembers::isScheduled(row) ? &kOpen : &kNotScheduled;
        }
    }
    return out;
}

bool ScheduleReplay::schedule(
    std::vector<SnapshotRow>& rows, const std::vector<MemberRecord>& members, qint64 start, int step, QString* error)
{
    for (SnapshotRow& row : rows) {
        row.completion = SnapshotRow::kNoDate;
    }
    if (!ScheduleTeamMembers::run(rows, members, start, error)) {
        return false;
    }
    RollUpCompletionDates::run(rows);
    std::vector<qint64>& dates = m_dates[std::size_t(step)];
    dates.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        dates[i] = rows[i].completion;
    }
    return true;
}

const std::vector<MemberRecord>& ScheduleReplay::hoursAt(int step) const
{
    // A side without stored hours borrows the other side's.
    if (step < WorkingHours) {
        return m_a.hoursStored || !m_b.hoursStored ? m_a.members : m_b.members;
    }
    return m_b.hoursStored || !m_a.hoursStored ? m_b.members : m_a.members;
}

void ScheduleReplay::findContinuing()
{
    m_continuing.clear();
    for (std::size_t j = 0; j < m_b.rows.size(); ++j) {
        const int i = m_bToA[j];
        if (i < 0 || m_b.rows[j].kind != SnapshotRow::Kind::Assignment) {
            continue;
        }
        const SnapshotRow& a = m_a.rows[std::size_t(i)];
        const SnapshotRow& b = m_b.rows[j];
        const auto taskCounts = [](const std::vector<SnapshotRow>& side, int task) {
            return task >= 0 && openAndCounted(side[std::size_t(task)]);
        };
        Continuing c;
        c.row = int(j);
        c.orderA = m_orderA[std::size_t(i)];
        c.orderB = m_orderB[j];
        c.workA = a.est - a.needed;
        c.workB = b.est - b.needed;
        c.estChange = b.est - a.est;
        c.scheduledB = openAndCounted(b);
        c.keepsA = taskCounts(m_a.rows, a.parentRow);
        c.scheduledAtScope = taskCounts(m_b.rows, b.parentRow) && !(a.perComp >= 100);
        c.unstarted = a.perComp == 0 && b.perComp == 0;
        m_continuing.push_back(std::move(c));
    }
}

void ScheduleReplay::applyStep(std::vector<SnapshotRow>& rows, int step) const
{
    for (const Continuing& c : m_continuing) {
        const int order = c.keepsA && step < Queue ? c.orderA : c.orderB;
        double work = c.keepsA ? c.workA : c.workB;
        if (c.keepsA && c.unstarted && step >= Replanning) {
            work = c.workA + c.estChange;
        }
        bool scheduled = c.scheduledAtScope;
        if (step >= Progress) {
            work = c.workB;
            scheduled = c.scheduledB;
        }
        SnapshotRow& row = rows[std::size_t(c.row)];
        row.order = order;
        row.est = work;
        row.status = scheduled ? &kOpen : &kNotScheduled;
        // The B-side calc of a row the scope step schedules is 1 already: it is its task's.
        if (scheduled) {
            row.calc = 1;
        }
    }
}

std::vector<SnapshotRow> ScheduleReplay::rowsAt(int step) const
{
    if (step < Scope) {
        return frame(m_a);
    }
    std::vector<SnapshotRow> rows = frame(m_b);
    applyStep(rows, step);
    return rows;
}

bool ScheduleReplay::run(QString* error)
{
    findContinuing();
    // A's side and B's side share nothing but read-only input: each on its own core.
    QString errorA;
    bool okA = false;
    std::thread sideA([&] {
        std::vector<SnapshotRow> rows = frame(m_a);
        okA = true;
        for (int step = A; okA && step < Scope; ++step) {
            okA = schedule(rows, hoursAt(step), startAt(step), step, &errorA);
        }
    });
    bool okB = true;
    std::vector<SnapshotRow> rows = frame(m_b);
    for (int step = Scope; okB && step <= Progress; ++step) {
        applyStep(rows, step);
        okB = schedule(rows, hoursAt(step), startAt(step), step, error);
    }
    sideA.join();
    if (!okA) {
        Sql::setError(error, errorA);
    }
    return okA && okB;
}
