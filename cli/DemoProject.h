#pragma once

#include <QString>

class Clock;

// The sample project a newcomer opens first: a small software team's plan with
// several goal levels, both kinds of goal and task, every status, five members
// with different weekly hours, notes, and a history of snapshots every two weeks
// over the past eleven months on the plan as it evolved (tasks added, work done,
// statuses reached), the last one taken now on today's plan.
class DemoProject
{
public:
    // Fills an empty project in one transaction; dates are set back from `clock`.
    // On failure nothing is written and *error says what failed.
    static bool build(const QString& connection, const Clock& clock, QString* error);
};
