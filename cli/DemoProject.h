#pragma once

#include <QString>

class Clock;

// The sample project a newcomer opens first: a small software team's plan with
// several goal levels, both kinds of goal and task, every status, five members
// with different weekly hours, and notes.
class DemoProject
{
public:
    // Fills an empty project in one transaction; dates are set back from `clock`.
    static bool build(const QString& connection, const Clock& clock, QString* error);
};
