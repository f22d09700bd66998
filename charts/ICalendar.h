#pragma once

#include "charts/Timeline.h"

#include <QByteArray>
#include <QString>

// One member's lane of a timeline as an iCalendar file (RFC 5545), for a calendar
// program: one event per bar, from its start to its end in floating local time (the
// wall-clock time the snapshot's dates are in). An event's UID joins the project
// (Timeline::projectId()), the task's number and the member, so a later snapshot's
// calendar updates the events of an earlier one instead of adding to them. SUMMARY
// is the task's name, DESCRIPTION its goal path and figures, DTSTAMP the snapshot's
// moment in UTC. Lines end in CRLF and are folded at 75 octets. Display-free.
class ICalendar
{
public:
    // The calendar of `member` (letter case ignored). False with *error naming the
    // member when the timeline has no lane for them or their lane no bar (a calendar
    // holds at least one event).
    static bool memberCalendar(const Timeline& timeline, const QString& member, QByteArray* out, QString* error);
    // The same written to `path` through an export file (ExportTarget judges the path;
    // a failure leaves an earlier file as it was).
    static bool
    writeMemberCalendar(const Timeline& timeline, const QString& member, const QString& path, QString* error);

    // TEXT as a property value: "\", ";" and "," escaped, line breaks as "\n", other
    // control characters (which a value may not hold) as spaces.
    static QString escapeText(const QString& text);
    // `line` (UTF-8, without its end) folded into lines of at most 75 octets, each
    // continuation starting with a space, never inside a character; CRLF after each.
    static QByteArray fold(const QByteArray& line);
};
