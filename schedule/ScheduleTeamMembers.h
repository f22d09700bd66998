#pragma once

#include "schedule/SnapshotInput.h"
#include "schedule/SnapshotRow.h"

class MemberCalendar;

#include <vector>

// Dates the open assignment rows of a snapshot: each member's open, calculated
// assignments are laid one after the other, in order-key order, onto the member's
// weekly hours from `start` on. Members are independent of each other. Rows of a
// member without any working time, and rows naming no member, stay undated.
class ScheduleTeamMembers
{
public:
    // `start` is a naive moment (MemberCalendar seconds). False when a member's
    // working hours cannot be read; *error names the member.
    static bool
    run(std::vector<SnapshotRow>& rows, const std::vector<MemberRecord>& members, qint64 start, QString* error);

    // The rows the calendar dates: open assignment rows not below a held goal.
    static bool isScheduled(const SnapshotRow& row)
    {
        return row.kind == SnapshotRow::Kind::Assignment && row.calc == 1 && row.isOpen();
    }
    // Sorts one member's rows `mine` into the order the member works them: by order
    // key, equal keys in vector order (writing order).
    static void sortInOrder(const std::vector<SnapshotRow>& rows, std::vector<int>& mine);
    // Dates one member's scheduled rows `mine` (sorted here into key order, equal keys
    // in vector order) one after the other on `calendar` from `start`.
    static void
    placeInOrder(std::vector<SnapshotRow>& rows, std::vector<int>& mine, MemberCalendar& calendar, qint64 start);
    // The same for rows `mine` already in that order.
    static void
    placeSorted(std::vector<SnapshotRow>& rows, const std::vector<int>& mine, MemberCalendar& calendar, qint64 start);
};
