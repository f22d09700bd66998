#pragma once

#include "db/ProjectRecords.h"

#include <QStringList>

// The sixteen fields of the team member form in their fixed order: 0 the name,
// 1..14 the begin and end of the working hours Monday to Sunday, 15 the notes.
class MemberFields
{
public:
    static constexpr int kCount = 16;
    static constexpr int kName = 0;
    static constexpr int kNotes = 15;

    // The RESOURCES column shown in field `index`.
    static QString column(int index);
    // The weekday (0 Monday .. 6 Sunday) of a working-hours field, -1 for the name and notes.
    static int weekday(int index);
    static bool isBegin(int index);
    // "Monday" .. "Sunday".
    static QString dayName(int weekday);

    static QString value(const MemberRecord& member, int index);
    static void setValue(MemberRecord& member, int index, const QString& text);
    static QStringList values(const MemberRecord& member);
    static MemberRecord record(const QStringList& values);
};
