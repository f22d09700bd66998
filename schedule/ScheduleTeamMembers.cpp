#include "schedule/ScheduleTeamMembers.h"

#include "db/ProjectRecords.h"
#include "schedule/MemberCalendar.h"

#include <QHash>
#include <algorithm>

bool ScheduleTeamMembers::run(std::vector<SnapshotRow>& rows,
                              const std::vector<MemberRecord>& members,
                              qint64 start,
                              QString* error)
{
    // Each member's rows, found by the name as written (one fold per spelling, not per row).
    std::vector<std::vector<int>> work;
    QHash<QString, int> byKey;
    QHash<QString, int> bySpelling;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotRow& row = rows[i];
        if (!isScheduled(row)) {
            continue;
        }
        const QString& member = *row.member;
        auto group = bySpelling.constFind(member);
        if (group == bySpelling.constEnd()) {
            const QString key = MemberName::key(member);
            auto same = byKey.constFind(key);
            if (same == byKey.constEnd()) {
                same = byKey.insert(key, int(work.size()));
                work.emplace_back();
            }
            group = bySpelling.insert(member, *same);
        }
        work[std::size_t(*group)].push_back(int(i));
    }
    for (const MemberRecord& member : members) {
        const auto found = byKey.constFind(MemberName::key(member.name));
        if (found == byKey.constEnd()) {
            continue;
        }
        QString why;
        auto calendar = MemberCalendar::fromTimes(member.begin, member.end, &why);
        if (!calendar) {
            if (error) {
                *error = QStringLiteral("Scheduling \"%1\" failed: %2").arg(member.name, why);
            }
            return false;
        }
        placeInOrder(rows, work[std::size_t(*found)], *calendar, start);
    }
    return true;
}

void ScheduleTeamMembers::placeInOrder(std::vector<SnapshotRow>& rows,
                                       std::vector<int>& mine,
                                       MemberCalendar& calendar,
                                       qint64 start)
{
    sortInOrder(rows, mine);
    placeSorted(rows, mine, calendar, start);
}

void ScheduleTeamMembers::sortInOrder(const std::vector<SnapshotRow>& rows, std::vector<int>& mine)
{
    // Equal keys keep their writing order.
    std::stable_sort(mine.begin(), mine.end(), [&rows](int a, int b) {
        return rows[std::size_t(a)].order < rows[std::size_t(b)].order;
    });
}

void ScheduleTeamMembers::placeSorted(std::vector<SnapshotRow>& rows,
                                      const std::vector<int>& mine,
                                      MemberCalendar& calendar,
                                      qint64 start)
{
    calendar.start(start);
    for (int i : mine) {
        SnapshotRow& row = rows[std::size_t(i)];
        const qint64 end = calendar.place((row.est - row.needed) * 8);
        row.completion = end == MemberCalendar::kNever ? SnapshotRow::kNoDate : end;
    }
}
