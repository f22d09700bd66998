#include "team/MemberFields.h"

namespace {
const char* const kDays[] = {"MON", "TUE", "WED", "THU", "FRI", "SAT", "SUN"};
const char* const kDayNames[] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};
} // namespace

QString MemberFields::column(int index)
{
    if (index == kName) {
        return QStringLiteral("R_NAME");
    }
    if (index == kNotes) {
        return QStringLiteral("R_DESCRIPTION");
    }
    const int day = weekday(index);
    if (day < 0) {
        return {};
    }
    return QLatin1String(kDays[day]) + (isBegin(index) ? QLatin1String("_BEG") : QLatin1String("_END"));
}

int MemberFields::weekday(int index)
{
    return index > kName && index < kNotes ? (index - 1) / 2 : -1;
}

bool MemberFields::isBegin(int index)
{
    return weekday(index) >= 0 && index % 2 == 1;
}

QString MemberFields::dayName(int weekday)
{
    return weekday >= 0 && weekday < 7 ? QString::fromLatin1(kDayNames[weekday]) : QString();
}

QString MemberFields::value(const MemberRecord& member, int index)
{
    if (index == kName) {
        return member.name;
    }
    if (index == kNotes) {
        return member.description.value_or(QString());
    }
    const int day = weekday(index);
    if (day < 0) {
        return {};
    }
    return isBegin(index) ? member.begin[day] : member.end[day];
}

void MemberFields::setValue(MemberRecord& member, int index, const QString& text)
{
    if (index == kName) {
        member.name = text;
    } else if (index == kNotes) {
        member.description = text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    } else if (const int day = weekday(index); day >= 0) {
        (isBegin(index) ? member.begin[day] : member.end[day]) = text;
    }
}

QStringList MemberFields::values(const MemberRecord& member)
{
    QStringList list;
    list.reserve(kCount);
    for (int i = 0; i < kCount; ++i) {
        list << value(member, i);
    }
    return list;
}

MemberRecord MemberFields::record(const QStringList& values)
{
    MemberRecord member;
    for (int i = 0; i < kCount && i < values.size(); ++i) {
        setValue(member, i, values.at(i));
    }
    return member;
}
