#include "history/LargestChanges.h"

#include "schedule/MemberCalendar.h"
#include "schedule/ScheduleTeamMembers.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace {
bool isDatedParent(const SnapshotRow& row)
{
    const bool status = row.isOpen() || (row.kind == SnapshotRow::Kind::Goal && row.statusText().isEmpty());
    return row.calc == 1 && status;
}

// One decimal, none when it is 0: "7", "6.5".
QString daysText(double days)
{
    QString text = QString::number(days, 'f', 1);
    if (text.endsWith(QLatin1String(".0"))) {
        text.chop(2);
    }
    return text;
}

QString daysWords(double days)
{
    const QString text = daysText(days);
    return text + (text == QLatin1String("1") ? QStringLiteral(" day") : QStringLiteral(" days"));
}

QString moveText(qint64 seconds)
{
    const double days = double(seconds) / 86400.0;
    return (seconds > 0 ? QStringLiteral("+") : QString()) + QString::number(days, 'f', 1) + QStringLiteral(" d: ");
}

bool sameHours(const MemberRecord& x, const MemberRecord& y)
{
    for (int d = 0; d < 7; ++d) {
        if (x.begin[d] != y.begin[d] || x.end[d] != y.end[d]) {
            return false;
        }
    }
    return true;
}

const MemberRecord* findMember(const std::vector<MemberRecord>& members, const QString& key)
{
    for (const MemberRecord& m : members) {
        if (MemberName::key(m.name) == key) {
            return &m;
        }
    }
    return nullptr;
}

// One step's rows and dates, and what the chosen row's date is made of.
class Step
{
public:
    Step(const ScheduleReplay& replay, int step, int row)
        : Step(replay, step, replay.rowsAt(step), datesAt(replay, step), row)
    {
    }

    // A step's rows with some changed or added (their dates kNoDate until placed).
    Step(const ScheduleReplay& replay, int step, std::vector<SnapshotRow> rows, std::vector<qint64> dates, int row)
        : m_replay(replay)
        , m_step(step)
        , m_rows(std::move(rows))
        , m_dates(std::move(dates))
    {
        QHash<QString, QString> folded; // by spelling: one fold each
        for (std::size_t i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].kind == SnapshotRow::Kind::Assignment) {
                auto key = folded.constFind(m_rows[i].memberText());
                if (key == folded.constEnd()) {
                    key = folded.insert(m_rows[i].memberText(), MemberName::key(m_rows[i].memberText()));
                }
                m_byMember[*key].push_back(int(i));
            }
        }
        // In key order once: a change that keeps every key (an estimate, progress)
        // then places a member's rows without sorting them again.
        for (std::vector<int>& mine : m_byMember) {
            std::stable_sort(mine.begin(), mine.end(), [this](int a, int b) {
                return m_rows[std::size_t(a)].order < m_rows[std::size_t(b)].order;
            });
        }
        for (int i : LargestChanges::datedBy(m_rows, row)) {
            const QString key = MemberName::key(m_rows[std::size_t(i)].memberText());
            m_feeding[key].push_back(i);
            const auto latest = m_latestOf.constFind(key);
            m_latestOf.insert(
                key,
                std::max(latest == m_latestOf.constEnd() ? SnapshotRow::kNoDate : *latest, m_dates[std::size_t(i)]));
        }
        m_date = m_dates[std::size_t(row)];
        // The latest member's date and the runner-up's: the rest of the team's latest
        // date when one member changes.
        for (auto it = m_latestOf.constBegin(); it != m_latestOf.constEnd(); ++it) {
            if (m_first.first.isNull() || *it > m_first.second) {
                m_second = m_first.second;
                m_first = {it.key(), *it};
            } else if (*it > m_second) {
                m_second = *it;
            }
        }
    }

    static std::vector<qint64> datesAt(const ScheduleReplay& replay, int step)
    {
        std::vector<qint64> dates(step < ScheduleReplay::Scope ? replay.a().rows.size() : replay.b().rows.size());
        for (std::size_t i = 0; i < dates.size(); ++i) {
            dates[i] = replay.date(step, int(i));
        }
        return dates;
    }

    std::vector<SnapshotRow>& rows() { return m_rows; }

    // The row's date with `task` (its parentRow set) and its `shares` added, then
    // taken away again. `feedsRow`: the task lies where the row's date comes from.
    qint64 dateWithAdded(const SnapshotRow& task,
                         const std::vector<SnapshotRow>& shares,
                         bool feedsRow,
                         const std::vector<MemberRecord>& hours)
    {
        const std::size_t first = m_rows.size();
        m_rows.push_back(task);
        m_dates.push_back(SnapshotRow::kNoDate);
        QStringList members;
        QStringList created;
        for (SnapshotRow share : shares) {
            share.parentRow = int(first);
            const int k = int(m_rows.size());
            m_rows.push_back(share);
            m_dates.push_back(SnapshotRow::kNoDate);
            const QString key = MemberName::key(share.memberText());
            std::vector<int>& queue = m_byMember[key];
            queue.insert(std::upper_bound(queue.begin(),
                                          queue.end(),
                                          k,
                                          [this](int a, int b) {
                                              return m_rows[std::size_t(a)].order < m_rows[std::size_t(b)].order;
                                          }),
                         k);
            if (feedsRow) {
                if (!m_feeding.contains(key)) {
                    created << key;
                }
                m_feeding[key].push_back(k);
            }
            if (ScheduleTeamMembers::isScheduled(share) && m_feeding.contains(key) && !members.contains(key)) {
                members << key;
            }
        }
        const qint64 moved = members.isEmpty() ? m_date : dateWith(members, hours, true);
        for (std::size_t k = first + 1; k < m_rows.size(); ++k) {
            const QString key = MemberName::key(m_rows[k].memberText());
            std::vector<int>& queue = m_byMember[key];
            queue.erase(std::remove(queue.begin(), queue.end(), int(k)), queue.end());
            if (feedsRow) {
                std::vector<int>& feeding = m_feeding[key];
                feeding.erase(std::remove(feeding.begin(), feeding.end(), int(k)), feeding.end());
            }
        }
        for (const QString& key : created) {
            m_feeding.remove(key);
        }
        m_rows.resize(first);
        m_dates.resize(first);
        return moved;
    }
    qint64 date() const { return m_date; }
    bool feeds(const QString& memberKey) const { return m_feeding.contains(memberKey); }

    // The row's date when the members `changed` are dated anew on `hours` (the step's
    // own for a member not in it) with the rows as they now are.
    // `keysKept`: the rows keep their order keys, so the step's order stands.
    qint64 dateWith(const QStringList& changed, const std::vector<MemberRecord>& hours, bool keysKept)
    {
        qint64 latest = SnapshotRow::kNoDate;
        if (changed.size() == 1) {
            latest = changed.front() == m_first.first ? m_second : m_first.second;
        } else {
            for (auto it = m_latestOf.constBegin(); it != m_latestOf.constEnd(); ++it) {
                if (!changed.contains(it.key())) {
                    latest = std::max(latest, *it);
                }
            }
        }
        for (const QString& key : changed) {
            if (!m_feeding.contains(key)) {
                continue;
            }
            const std::vector<int>& all = m_byMember[key];
            std::vector<int> mine;
            mine.reserve(all.size());
            for (int i : all) {
                if (ScheduleTeamMembers::isScheduled(m_rows[std::size_t(i)])) {
                    mine.push_back(i);
                }
            }
            std::optional<MemberCalendar> calendar = calendarOf(hours, key);
            // Rows of a member without usable hours stay undated, as in the schedule.
            for (int i : all) {
                m_rows[std::size_t(i)].completion = SnapshotRow::kNoDate;
            }
            if (calendar && keysKept) {
                ScheduleTeamMembers::placeSorted(m_rows, mine, *calendar, m_replay.startAt(m_step));
            } else if (calendar) {
                ScheduleTeamMembers::placeInOrder(m_rows, mine, *calendar, m_replay.startAt(m_step));
            }
            for (int i : m_feeding[key]) {
                latest = std::max(latest, m_rows[std::size_t(i)].completion);
            }
        }
        return latest;
    }

private:
    // The member's week from `hours`; read once per list and member.
    std::optional<MemberCalendar> calendarOf(const std::vector<MemberRecord>& hours, const QString& key)
    {
        auto& known = m_calendars[&hours];
        const auto found = known.constFind(key);
        if (found != known.constEnd()) {
            return *found;
        }
        const MemberRecord* member = findMember(hours, key);
        std::optional<MemberCalendar> calendar;
        if (member) {
            calendar = MemberCalendar::fromTimes(member->begin, member->end, nullptr);
        }
        known.insert(key, calendar);
        return calendar;
    }

    const ScheduleReplay& m_replay;
    QHash<const void*, QHash<QString, std::optional<MemberCalendar>>> m_calendars;
    int m_step;
    std::vector<SnapshotRow> m_rows;
    std::vector<qint64> m_dates;
    QHash<QString, std::vector<int>> m_byMember; // all assignment rows, by folded name
    QHash<QString, std::vector<int>> m_feeding; // those whose dates make the row's
    QHash<QString, qint64> m_latestOf; // per member, the latest date among m_feeding
    qint64 m_date = SnapshotRow::kNoDate;
    std::pair<QString, qint64> m_first{QString(), SnapshotRow::kNoDate};
    qint64 m_second = SnapshotRow::kNoDate;
};
const QString kGone = QStringLiteral("Closed");

// The scope step one task at a time, on the state after the working hours: a task
// only B has comes in under its goal with its shares; a task only A has leaves, its
// shares with it.
template <typename Add>
void addScopeChanges(const ScheduleReplay& replay, int rowA, const Add& add)
{
    const int hours = ScheduleReplay::WorkingHours;
    Step base(replay, hours, rowA);
    const qint64 baseDate = base.date();
    const std::vector<SnapshotRow> after = replay.rowsAt(ScheduleReplay::Scope);
    const std::vector<int>& bToA = replay.bToA();
    std::vector<SnapshotRow>& rows = base.rows();
    // Whether a row under goal `goal` (A's rows) gives the chosen row its date: the
    // chosen row is the root, or lies above through open, counted goals.
    const bool isRoot = rows[std::size_t(rowA)].kind == SnapshotRow::Kind::Root;
    const auto feeds = [&](int goal) {
        if (isRoot) {
            return true;
        }
        for (int g = goal; g >= 0; g = rows[std::size_t(g)].parentRow) {
            if (g == rowA) {
                return true;
            }
            if (!rows[std::size_t(g)].isOpen() || !isDatedParent(rows[std::size_t(g)])) {
                return false;
            }
        }
        return false;
    };
    std::vector<std::vector<SnapshotRow>> sharesB(after.size());
    for (const SnapshotRow& share : after) {
        if (share.kind == SnapshotRow::Kind::Assignment && share.parentRow >= 0) {
            sharesB[std::size_t(share.parentRow)].push_back(share);
        }
    }
    for (std::size_t j = 0; j < after.size(); ++j) {
        const int goalB = after[j].parentRow;
        const int goalA = goalB >= 0 ? bToA[std::size_t(goalB)] : -1;
        // A task of a goal that is new as well comes with that goal, not alone.
        if (after[j].kind != SnapshotRow::Kind::Task || bToA[j] >= 0 || goalA < 0) {
            continue;
        }
        SnapshotRow task = after[j];
        task.parentRow = goalA;
        const bool counted = task.isOpen() && task.calc == 1;
        const qint64 moved = base.dateWithAdded(task, sharesB[j], counted && feeds(goalA), replay.hoursAt(hours));
        if (moved != SnapshotRow::kNoDate) {
            add(2, moved - baseDate, QStringLiteral("'%1' added").arg(replay.b().names[j]));
        }
    }
    std::vector<char> kept(rows.size(), 0);
    for (int i : bToA) {
        if (i >= 0) {
            kept[std::size_t(i)] = 1;
        }
    }
    std::vector<std::vector<int>> sharesA(rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (rows[k].kind == SnapshotRow::Kind::Assignment && rows[k].parentRow >= 0) {
            sharesA[std::size_t(rows[k].parentRow)].push_back(int(k));
        }
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].kind != SnapshotRow::Kind::Task || kept[i]) {
            continue;
        }
        QStringList members;
        std::vector<const QString*> saved;
        for (int k : sharesA[i]) {
            SnapshotRow& share = rows[std::size_t(k)];
            const QString key = MemberName::key(share.memberText());
            if (ScheduleTeamMembers::isScheduled(share) && base.feeds(key) && !members.contains(key)) {
                members << key;
            }
            saved.push_back(share.status);
            share.status = &kGone;
        }
        const qint64 moved = members.isEmpty() ? baseDate : base.dateWith(members, replay.hoursAt(hours), true);
        for (std::size_t n = 0; n < saved.size(); ++n) {
            rows[std::size_t(sharesA[i][n])].status = saved[n];
        }
        if (moved != SnapshotRow::kNoDate) {
            add(2, moved - baseDate, QStringLiteral("'%1' removed").arg(replay.a().names[i]));
        }
    }
}
} // namespace

std::vector<int> LargestChanges::datedBy(const std::vector<SnapshotRow>& rows, int row)
{
    const SnapshotRow& target = rows[std::size_t(row)];
    std::vector<int> out;
    if (target.kind == SnapshotRow::Kind::Assignment) {
        return {row};
    }
    if (target.kind == SnapshotRow::Kind::Root) {
        // The root takes the latest date of every open row, wherever it lies.
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].kind == SnapshotRow::Kind::Assignment) {
                out.push_back(int(i));
            }
        }
        return out;
    }
    if (!isDatedParent(target)) {
        return out;
    }
    // Children lists, then a walk down through open children that are dated parents.
    std::vector<std::vector<int>> children(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].parentRow >= 0) {
            children[std::size_t(rows[i].parentRow)].push_back(int(i));
        }
    }
    std::vector<int> stack{row};
    while (!stack.empty()) {
        const int parent = stack.back();
        stack.pop_back();
        const bool isTask = rows[std::size_t(parent)].kind == SnapshotRow::Kind::Task;
        for (int child : children[std::size_t(parent)]) {
            const SnapshotRow& c = rows[std::size_t(child)];
            if (isTask && c.kind == SnapshotRow::Kind::Assignment) {
                out.push_back(child);
            } else if (!isTask && c.kind != SnapshotRow::Kind::Assignment && c.isOpen() && isDatedParent(c)) {
                stack.push_back(child);
            }
        }
    }
    return out;
}

std::vector<LargestChanges::Change> LargestChanges::of(const ScheduleReplay& replay, int rowA, int rowB, int count)
{
    std::vector<Change> changes;
    const SnapshotState& a = replay.a();
    const SnapshotState& b = replay.b();
    const auto add = [&changes](int cause, qint64 seconds, const QString& words) {
        if (seconds != 0) {
            changes.push_back({cause, seconds, moveText(seconds) + words});
        }
    };
    const auto step = [&replay](int s, int row) { return replay.date(s, row); };
    const auto known = [](qint64 date) { return date != SnapshotRow::kNoDate; };

    if (rowA >= 0 && known(step(ScheduleReplay::A, rowA)) && known(step(ScheduleReplay::TimePassed, rowA))) {
        add(0,
            step(ScheduleReplay::TimePassed, rowA) - step(ScheduleReplay::A, rowA),
            QStringLiteral("time passed from %1 to %2")
                .arg(MemberCalendar::toText(replay.startAt(ScheduleReplay::A)),
                     MemberCalendar::toText(replay.startAt(ScheduleReplay::TimePassed))));
    }
    // One member's hours at a time, on the state after time passed.
    if (rowA >= 0) {
        Step base(replay, ScheduleReplay::TimePassed, rowA);
        if (known(base.date())) {
            const std::vector<MemberRecord>& before = replay.hoursAt(ScheduleReplay::TimePassed);
            const std::vector<MemberRecord>& after = replay.hoursAt(ScheduleReplay::WorkingHours);
            QStringList keys;
            for (const auto* side : {&before, &after}) {
                for (const MemberRecord& m : *side) {
                    const QString key = MemberName::key(m.name);
                    if (!keys.contains(key)) {
                        keys << key;
                        const MemberRecord* x = findMember(before, key);
                        const MemberRecord* y = findMember(after, key);
                        if (base.feeds(key) && (!x || !y || !sameHours(*x, *y))) {
                            const qint64 moved = base.dateWith({key}, after, true);
                            if (known(moved)) {
                                add(1, moved - base.date(), QStringLiteral("%1's working hours changed").arg(m.name));
                            }
                        }
                    }
                }
            }
        }
    }
    if (rowA >= 0 && rowB >= 0 && known(step(ScheduleReplay::WorkingHours, rowA)) &&
        known(step(ScheduleReplay::Scope, rowB))) {
        const std::size_t before = changes.size();
        addScopeChanges(replay, rowA, add);
        // What the tasks that came and went do not tell alone: statuses, moves, counting.
        if (changes.size() == before) {
            add(2,
                step(ScheduleReplay::Scope, rowB) - step(ScheduleReplay::WorkingHours, rowA),
                QStringLiteral("the plan's rows changed (statuses, moves or counting)"));
        }
    }
    // Queue, re-planning and progress: one task's or one assignment's change at a time.
    if (rowB >= 0) {
        for (int s = ScheduleReplay::Queue; s <= ScheduleReplay::Progress; ++s) {
            Step base(replay, s - 1, rowB);
            if (!known(base.date())) {
                continue;
            }
            const std::vector<SnapshotRow> target = replay.rowsAt(s);
            std::vector<SnapshotRow>& rows = base.rows();
            // The rows this step changes, grouped by task for the queue (one priority
            // moves all of a task's shares), one by one otherwise.
            QHash<int, std::vector<int>> groups;
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const SnapshotRow& x = rows[i];
                const SnapshotRow& y = target[i];
                if (x.kind == SnapshotRow::Kind::Assignment &&
                    (x.order != y.order || x.est != y.est || x.statusText() != y.statusText())) {
                    groups[s == ScheduleReplay::Queue ? x.parentRow : int(i)].push_back(int(i));
                }
            }
            for (auto group = groups.constBegin(); group != groups.constEnd(); ++group) {
                QStringList members;
                std::vector<SnapshotRow> saved;
                for (int i : *group) {
                    saved.push_back(rows[std::size_t(i)]);
                    const QString key = MemberName::key(rows[std::size_t(i)].memberText());
                    if (base.feeds(key) && !members.contains(key)) {
                        members << key;
                    }
                    rows[std::size_t(i)].order = target[std::size_t(i)].order;
                    rows[std::size_t(i)].est = target[std::size_t(i)].est;
                    rows[std::size_t(i)].status = target[std::size_t(i)].status;
                    rows[std::size_t(i)].calc = target[std::size_t(i)].calc;
                }
                const qint64 moved = members.isEmpty()
                    ? base.date()
                    : base.dateWith(members, replay.hoursAt(s), s != ScheduleReplay::Queue);
                for (std::size_t k = 0; k < saved.size(); ++k) {
                    rows[std::size_t((*group)[k])] = saved[k];
                }
                if (members.isEmpty() || !known(moved)) {
                    continue;
                }
                const int j = group->front();
                const SnapshotRow& inB = b.rows[std::size_t(j)];
                const int i = replay.bToA()[std::size_t(j)];
                const QString task = b.names[std::size_t(j)];
                QString words;
                if (s == ScheduleReplay::Queue) {
                    words =
                        QStringLiteral("'%1' moved in the order of work (its priority or a goal's above it)").arg(task);
                } else if (s == ScheduleReplay::Replanning) {
                    words = QStringLiteral("%1's share of '%2' re-estimated from %3 to %4 days")
                                .arg(inB.memberText(), task, daysText(a.rows[std::size_t(i)].est), daysText(inB.est));
                } else if (ScheduleTeamMembers::isScheduled(saved.front()) &&
                           !ScheduleTeamMembers::isScheduled(target[std::size_t(j)])) {
                    words = QStringLiteral("%1's share of '%2' finished").arg(inB.memberText(), task);
                } else {
                    words = QStringLiteral("%1's share of '%2' now %3 % done, %4 used")
                                .arg(inB.memberText(), task, daysText(inB.perComp), daysWords(inB.needed));
                }
                add(s - 1, moved - base.date(), words);
            }
        }
    }
    std::stable_sort(changes.begin(), changes.end(), [](const Change& x, const Change& y) {
        return std::llabs(x.seconds) > std::llabs(y.seconds);
    });
    if (int(changes.size()) > count) {
        changes.resize(std::size_t(count));
    }
    return changes;
}
