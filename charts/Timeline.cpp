#include "charts/Timeline.h"

#include "db/ProjectRecords.h"
#include "db/Sql.h"
#include "history/SnapshotState.h"
#include "schedule/MemberCalendar.h"
#include "schedule/ScheduleTeamMembers.h"
#include "schedule/SnapshotPath.h"

#include <QHash>
#include <QUrl>
#include <algorithm>
#include <optional>

namespace {
using Kind = SnapshotRow::Kind;
static_assert(Timeline::kNoDate == SnapshotRow::kNoDate);

QString describeRow(const SnapshotState& state, std::size_t i)
{
    const SnapshotRow& row = state.rows[i];
    const char* what = row.kind == Kind::Assignment ? "assignment of task"
        : row.kind == Kind::Task                    ? "task"
        : row.kind == Kind::Goal                    ? "goal"
                                                    : "root";
    return QStringLiteral("the row of the %1 %2 (\"%3\")")
        .arg(QLatin1String(what))
        .arg(row.kind == Kind::Assignment ? state.parentIds[i] : row.gtId)
        .arg(state.names[i]);
}

// Checks that the rows form one outline: each row's parent was written after it
// (rows come in writing order, children first) and each stored depth is the level
// the row's place gives. Fills *level with those levels.
bool checkOutline(const SnapshotState& state, std::vector<int>* level, QString* error)
{
    const std::vector<SnapshotRow>& rows = state.rows;
    level->assign(rows.size(), 0);
    const QString damaged = QStringLiteral("the snapshot %1 is damaged: ").arg(state.stamp);
    if (rows.back().kind != Kind::Root) {
        Sql::setError(error, damaged + QStringLiteral("its last row is not the root"));
        return false;
    }
    for (std::size_t k = rows.size(); k-- > 0;) {
        const SnapshotRow& row = rows[k];
        if (row.kind == Kind::Root) {
            if (k + 1 != rows.size()) {
                Sql::setError(error, damaged + QStringLiteral("it holds more than one root row"));
                return false;
            }
            continue;
        }
        const int p = row.parentRow;
        const Kind wanted = row.kind == Kind::Assignment ? Kind::Task : Kind::Goal;
        const Kind parentKind = p >= 0 ? rows[std::size_t(p)].kind : Kind::Root;
        const bool parentFits =
            p > int(k) && (parentKind == wanted || (wanted == Kind::Goal && parentKind == Kind::Root));
        if (!parentFits) {
            Sql::setError(error, damaged + describeRow(state, k) + QStringLiteral(" has no parent row above it"));
            return false;
        }
        const int at = row.kind == Kind::Assignment ? (*level)[std::size_t(p)] : (*level)[std::size_t(p)] + 1;
        if (row.depth != at) {
            Sql::setError(error,
                          damaged + describeRow(state, k) +
                              QStringLiteral(" claims depth %1 but lies at depth %2").arg(row.depth).arg(at));
            return false;
        }
        (*level)[k] = at;
    }
    return true;
}

QString projectIdFrom(const QString& firstStamp)
{
    const qint64 moment = MemberCalendar::fromText(firstStamp);
    if (moment == MemberCalendar::kNever) {
        // Another tool's text still names this file's history the same way each time.
        return QString::fromLatin1(QUrl::toPercentEncoding(firstStamp.left(64)));
    }
    return MemberCalendar::fromSeconds(moment).toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
}

bool readStamps(const QString& connection, QString* newest, QString* oldest, QString* error)
{
    QSqlQuery query(Sql::db(connection));
    if (!Sql::run(query, QStringLiteral("SELECT MAX(TimeStamp), MIN(TimeStamp) FROM CompDates"), {}, error)) {
        return false;
    }
    if (query.next()) {
        *newest = query.value(0).toString();
        *oldest = query.value(1).toString();
    }
    return true;
}
} // namespace

QString Timeline::Node::outlineName() const
{
    return QString(4 * std::clamp(depth, 0, int(SnapshotRow::kIndentLevels)), QLatin1Char(' ')) + name;
}

const Timeline::Lane* Timeline::lane(const QString& member) const
{
    const QString key = MemberName::key(member);
    for (const Lane& l : m_lanes) {
        if (MemberName::key(l.member) == key) {
            return &l;
        }
    }
    return nullptr;
}

bool Timeline::load(const QString& connection, const QString& stamp, Timeline* timeline, QString* error)
{
    QString newest;
    QString oldest;
    if (!readStamps(connection, &newest, &oldest, error)) {
        return false;
    }
    if (newest.isEmpty()) {
        Sql::setError(error, QStringLiteral("the project has no snapshot yet"));
        return false;
    }
    SnapshotState state;
    if (!SnapshotState::load(connection, stamp.isEmpty() ? newest : stamp, &state, error)) {
        return false;
    }
    std::vector<int> level;
    if (!checkOutline(state, &level, error)) {
        return false;
    }
    const std::vector<SnapshotRow>& rows = state.rows;

    Timeline t;
    t.m_stamp = state.stamp;
    t.m_moment = state.moment;
    t.m_hoursStored = state.hoursStored;
    t.m_projectId = projectIdFrom(oldest);

    // The outline, root first: the reverse of the writing order, without assignments.
    std::vector<int> node(rows.size(), -1);
    // The path a goal (or the root) passes to its children; indexes into `paths`.
    std::vector<SnapshotPath> paths;
    std::vector<int> childPath(rows.size(), -1);
    for (std::size_t k = rows.size(); k-- > 0;) {
        const SnapshotRow& row = rows[k];
        if (row.kind == Kind::Assignment) {
            continue;
        }
        Node n;
        n.kind = row.kind == Kind::Root ? Node::Kind::Root
            : row.kind == Kind::Goal    ? Node::Kind::Goal
                                        : Node::Kind::Task;
        n.id = row.gtId;
        n.name = state.names[k];
        n.status = row.statusText();
        n.depth = level[k];
        n.parent = row.parentRow >= 0 ? node[std::size_t(row.parentRow)] : -1;
        n.end = row.completion;
        n.planned = row.planned;
        n.perComp = row.perComp;
        n.needed = row.needed;
        n.est = row.est;
        node[k] = int(t.m_outline.size());
        t.m_outline.push_back(std::move(n));
        if (row.kind == Kind::Root) {
            childPath[k] = int(paths.size());
            paths.emplace_back();
        } else if (row.kind == Kind::Goal) {
            childPath[k] = int(paths.size());
            paths.push_back(paths[std::size_t(childPath[std::size_t(row.parentRow)])].child(state.names[k]));
        }
    }

    // Lanes: the members the snapshot stored hours for, and those its rows name.
    QHash<QString, int> laneOf;
    std::vector<const MemberRecord*> hoursOf;
    const auto laneFor = [&](const QString& member, const MemberRecord* hours) {
        const QString key = MemberName::key(member);
        auto found = laneOf.constFind(key);
        if (found == laneOf.constEnd()) {
            found = laneOf.insert(key, int(t.m_lanes.size()));
            t.m_lanes.push_back(Lane{member, {}, false});
            hoursOf.push_back(nullptr);
        }
        if (hours && !hoursOf[std::size_t(*found)]) {
            hoursOf[std::size_t(*found)] = hours;
            t.m_lanes[std::size_t(*found)].member = hours->name;
        }
        return *found;
    };
    if (state.hoursStored) {
        for (const MemberRecord& m : state.members) {
            laneFor(m.name, &m);
        }
    }
    std::vector<std::vector<int>> work;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotRow& row = rows[i];
        // A row naming nobody (another tool's) has no lane to stand in.
        if (row.kind != Kind::Assignment || row.memberText().isEmpty()) {
            continue;
        }
        const int l = laneFor(row.memberText(), nullptr);
        work.resize(t.m_lanes.size());
        if (row.completion != kNoDate) {
            work[std::size_t(l)].push_back(int(i));
        }
    }
    work.resize(t.m_lanes.size());

    // Each lane's bars, in the order the calendar laid them, from the stored hours.
    constexpr qint64 kNone = std::numeric_limits<qint64>::max();
    std::vector<qint64> earliest(rows.size(), kNone);
    for (std::size_t l = 0; l < t.m_lanes.size(); ++l) {
        Lane& lane = t.m_lanes[l];
        std::optional<MemberCalendar> calendar;
        if (const MemberRecord* hours = hoursOf[l]) {
            QString why;
            calendar = MemberCalendar::fromTimes(hours->begin, hours->end, &why);
            if (!calendar) {
                Sql::setError(error,
                              QStringLiteral("the snapshot %1 stored working hours for \"%2\" that cannot be used: %3")
                                  .arg(state.stamp, hours->name, why));
                return false;
            }
        }
        lane.calendarKnown = calendar.has_value();
        std::vector<int>& mine = work[l];
        ScheduleTeamMembers::sortInOrder(rows, mine);
        qint64 previousEnd = state.moment;
        lane.bars.reserve(mine.size());
        for (int i : mine) {
            const SnapshotRow& row = rows[std::size_t(i)];
            const SnapshotRow& task = rows[std::size_t(row.parentRow)];
            const qint64 from = std::max(state.moment, previousEnd);
            qint64 start = calendar ? calendar->nextWorkingMoment(from) : from;
            if (start == MemberCalendar::kNever) {
                start = from;
            }
            Bar bar;
            bar.end = row.completion;
            // Dates another tool changed may not fit the hours: a bar never runs backwards.
            bar.start = std::min(start, bar.end);
            bar.taskId = task.gtId;
            bar.taskName = state.names[std::size_t(row.parentRow)];
            bar.goalPath = paths[std::size_t(childPath[std::size_t(task.parentRow)])].text;
            bar.member = row.memberText();
            bar.task = node[std::size_t(row.parentRow)];
            bar.planned = row.planned;
            bar.perComp = row.perComp;
            bar.needed = row.needed;
            bar.est = row.est;
            earliest[std::size_t(i)] = bar.start;
            previousEnd = std::max(previousEnd, bar.end);
            t.m_first = t.m_first == kNoDate ? bar.start : std::min(t.m_first, bar.start);
            t.m_last = std::max(t.m_last, bar.end);
            lane.bars.push_back(std::move(bar));
        }
    }
    std::sort(t.m_lanes.begin(), t.m_lanes.end(), [](const Lane& a, const Lane& b) {
        const QString ka = MemberName::key(a.member);
        const QString kb = MemberName::key(b.member);
        return ka != kb ? ka < kb : a.member < b.member;
    });

    // A node's bar starts with the earliest bar below it: children come before their
    // parents in writing order, so one pass carries each start up.
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        qint64& up = earliest[std::size_t(rows[i].parentRow)];
        up = std::min(up, earliest[i]);
    }
    for (std::size_t k = 0; k < rows.size(); ++k) {
        if (node[k] < 0) {
            continue;
        }
        Node& n = t.m_outline[std::size_t(node[k])];
        if (n.end == kNoDate) {
            continue;
        }
        // A date without work below it (another tool's) shows from the snapshot's moment.
        n.start = std::min(earliest[k] == kNone ? state.moment : earliest[k], n.end);
        t.m_first = t.m_first == kNoDate ? n.start : std::min(t.m_first, n.start);
        t.m_last = std::max(t.m_last, n.end);
    }
    *timeline = std::move(t);
    return true;
}
