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
    QHash<QString, std::vector<int>> work;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const SnapshotRow& row = rows[i];
        if (row.kind == SnapshotRow::Kind::Assignment && row.calc == 1 && row.isOpen()) {
            work[MemberName::key(*row.member)].push_back(int(i));
        }
    }
    for (const MemberRecord& member : members) {
        const auto found = work.find(MemberName::key(member.name));
        if (found == work.end()) {
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
        std::vector<int>& mine = *found;
        // Equal keys keep their writing order.
        std::stable_sort(mine.begin(), mine.end(), [&rows](int a, int b) {
            return rows[std::size_t(a)].order < rows[std::size_t(b)].order;
        });
        calendar->start(start);
        for (int i : mine) {
            SnapshotRow& row = rows[std::size_t(i)];
            const qint64 end = calendar->place((row.est - row.needed) * 8);
            row.completion = end == MemberCalendar::kNever ? SnapshotRow::kNoDate : end;
        }
    }
    return true;
}
