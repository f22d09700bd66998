#pragma once

#include "charts/ChartFilter.h"
#include "charts/ChartSource.h"

#include <QString>
#include <optional>

// What the history chart shows: the measure, the aggregate applied within a
// period, the period size, the tree that chooses the series and the filter
// built from that tree's ticks. Plain value; the chart window owns one and the
// properties dialog edits it. Display-free.
class ChartState
{
public:
    enum class Measure { Planned, Est, PerComp, Needed, Diff, Completion_Date, Progress };
    enum class Aggregate { Avg, Sum, First, Last };
    enum class Grouping { Year, Quarter, Month, Week, Day };

    Measure measure = Measure::Diff;
    Aggregate aggregate = Aggregate::Last;
    Grouping grouping = Grouping::Month;
    ChartSource source = ChartSource::Goals;
    ChartFilter filter;

    // The settings a freshly opened chart window starts with: "Last" of the
    // days ahead/behind plan per month over the goal tree, nothing chosen.
    static ChartState defaults() { return {}; }

    // The measured column, "CompDates.Diff" on the goal tree, "CompDatesRes.SDiff" on the member tree.
    QString ChartMeasure() const;
    // "Last (Days Ahead/Behind Plan)" and the like.
    QString ChartTitle() const;

    bool isDateMeasure() const { return measure == Measure::Completion_Date; }
    bool isProgressMeasure() const { return measure == Measure::Progress; }

    // The bare column word: "Planned", "Est", ..., "Completion_Date", "Progress".
    static QString measureWord(Measure measure);
    // Accepts the word with or without the tree prefix ("Diff", "CompDates.Diff",
    // "CompDatesRes.SDiff"), ignoring case.
    static std::optional<Measure> measureFromText(const QString& text);
    // "Avg", "Sum", "First", "Last".
    static QString aggregateText(Aggregate aggregate);
    static std::optional<Aggregate> aggregateFromText(const QString& text);
    // "Year", "Quarter", "Month", "Week", "Day".
    static QString groupingText(Grouping grouping);
    static std::optional<Grouping> groupingFromText(const QString& text);
};
