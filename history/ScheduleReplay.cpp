#include "history/ScheduleReplay.h"

#include "db/Sql.h"
#include "schedule/RollUpCompletionDates.h"
#include "schedule/ScheduleTeamMembers.h"

#include <thread>

namespace {
const QString kOpen = QStringLiteral("Open");
const QString kNotScheduled = QStringLiteral("Completed");

bool isScheduled(const SnapshotRow& row)
{
    return row.isOpen() && row.calc == 1;
}

// What a continuing assignment row holds in A and in B, and which of A's values
// the scope step keeps.
struct Continuing
{
    int row = -1; // in B
    QString keyA;
    QString keyB;
    double workA = 0; // days of remaining work
    double workB = 0;
    double estChange = 0; // days
    bool scheduledB = false;
    bool scheduledAtScope = false;
    bool keepsA = true; // its task was open and counted in A
    bool unstarted = false; // 0 % in A and B
};
} // namespace

ScheduleReplay::ScheduleReplay(const SnapshotState& a, const SnapshotState& b, const std::vector<int>& bToA)
    : m_a(a)
    , m_b(b)
    , m_bToA(bToA)
{
}

std::vector<SnapshotRow> ScheduleReplay::frame(const std::vector<SnapshotRow>& rows)
{
    std::vector<SnapshotRow> out = rows;
    for (SnapshotRow& row : out) {
        if (row.kind == SnapshotRow::Kind::Assignment) {
            // The calendar takes (Est - Needed) x 8 hours; x 8 is exact, so the work
            // held as one difference schedules to the same second.
            row.est = row.est - row.needed;
            row.needed = 0;
            row.status = isScheduled(row) ? kOpen : kNotScheduled;
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

bool ScheduleReplay::run(QString* error)
{
    const std::vector<MemberRecord>& hoursA = m_a.hoursStored || !m_b.hoursStored ? m_a.members : m_b.members;
    const std::vector<MemberRecord>& hoursB = m_b.hoursStored || !m_a.hoursStored ? m_b.members : m_a.members;

    // A's side and B's side share nothing but read-only input: each on its own core.
    QString errorA;
    bool okA = false;
    std::thread sideA([&] {
        std::vector<SnapshotRow> rows = frame(m_a.rows);
        okA = schedule(rows, hoursA, m_a.moment, A, &errorA) &&
            schedule(rows, hoursA, m_b.moment, TimePassed, &errorA) &&
            schedule(rows, hoursB, m_b.moment, WorkingHours, &errorA);
    });
    const bool okB = runSideB(hoursB, error);
    sideA.join();
    if (!okA) {
        Sql::setError(error, errorA);
    }
    return okA && okB;
}

bool ScheduleReplay::runSideB(const std::vector<MemberRecord>& hoursB, QString* error)
{
    std::vector<SnapshotRow> rows = frame(m_b.rows);
    std::vector<Continuing> continuing;
    for (std::size_t j = 0; j < rows.size(); ++j) {
        const int i = m_bToA[j];
        if (i < 0 || rows[j].kind != SnapshotRow::Kind::Assignment) {
            continue;
        }
        const SnapshotRow& a = m_a.rows[std::size_t(i)];
        const SnapshotRow& b = m_b.rows[j];
        const auto openAndCounted = [](const std::vector<SnapshotRow>& side, int task) {
            return task >= 0 && isScheduled(side[std::size_t(task)]);
        };
        Continuing c;
        c.row = int(j);
        c.keyA = a.key;
        c.keyB = b.key;
        c.workA = a.est - a.needed;
        c.workB = b.est - b.needed;
        c.estChange = b.est - a.est;
        c.scheduledB = isScheduled(b);
        c.keepsA = openAndCounted(m_a.rows, a.parentRow);
        c.scheduledAtScope = openAndCounted(m_b.rows, b.parentRow) && !(a.perComp >= 100);
        c.unstarted = a.perComp == 0 && b.perComp == 0;
        continuing.push_back(std::move(c));
    }
    const auto apply = [&rows](const Continuing& c, const QString& key, double work, bool scheduled) {
        SnapshotRow& row = rows[std::size_t(c.row)];
        row.key = key;
        row.est = work;
        row.status = scheduled ? kOpen : kNotScheduled;
        if (scheduled) {
            row.calc = 1;
        }
    };
    // The B-side calc of a row the scope step schedules is 1 already: it is its task's.
    for (int step = Scope; step <= Progress; ++step) {
        for (const Continuing& c : continuing) {
            const QString& key = c.keepsA && step < Queue ? c.keyA : c.keyB;
            double work = c.keepsA ? c.workA : c.workB;
            if (c.keepsA && c.unstarted && step >= Replanning) {
                work = c.workA + c.estChange;
            }
            bool scheduled = c.scheduledAtScope;
            if (step >= Progress) {
                work = c.workB;
                scheduled = c.scheduledB;
            }
            apply(c, key, work, scheduled);
        }
        if (!schedule(rows, hoursB, m_b.moment, step, error)) {
            return false;
        }
    }
    return true;
}
