#pragma once

#include "charts/Timeline.h"

#include <QString>

// A timeline as CSV text, header "Lane,Kind,ID,Member,Name,Start,End", one line a bar.
// By member: Lane and Member are the member, Kind "R", ID the task's number, Name the
// task's name, each lane's bars in its order of work. By goal: one line per line of
// the outline, root first; Lane is the outline name (indented four spaces a level),
// Kind "G" (the root with ID 0) or "T", Member empty; undated work has empty Start and
// End. Dates as stored ("YYYY-MM-DD HH:MM:SS"). Display-free.
class TimelineCsv
{
public:
    static QString write(const Timeline& timeline, Timeline::View view);
};
