#pragma once

#include "charts/TrendLine.h"

#include <QDateTime>
#include <optional>

// The figures of one trend line: the table row beside the chart and the trend
// the chart draws. Dates become days (with fractions) on one scale for both
// axes, so the diagonal "forecast = stamp" is y = x. Display-free.
class TrendSummary
{
public:
    enum class Flag { None, OnPlan, Slipping, Recovering, Ended };

    // Least-squares line y = intercept + slope * x over (stamp, forecast) in days
    // since `origin`; valid with two points of different stamps or more.
    struct Fit
    {
        bool valid = false;
        double origin = 0; // days (toDays) of the first point used
        double intercept = 0; // days since origin
        double slope = 0; // days of forecast per day of time
        double from = 0; // first and last x used, days since origin
        double to = 0;
        // The forecast the line gives at `x` (days since origin).
        double at(double x) const { return intercept + slope * x; }
    };

    static constexpr int kDefaultLast = 4;
    static constexpr double kDefaultThreshold = 1.0; // days of slip per week

    QDateTime firstForecast; // invalid without any
    QDateTime latestForecast;
    double slipDays = 0; // latest - first forecast
    std::optional<double> slipPerWeek; // slip / weeks between their stamps; none over no time
    int directionChanges = 0;
    Fit fit;
    // Where the trend meets the diagonal; none when it never does (see finishes)
    // or no trend can be drawn. A Completed line finishes where it completed.
    std::optional<QDateTime> trendFinish;
    // False when the trend slips at least one day per day (slope >= 1): the
    // node does not finish at the current slip rate.
    bool finishes = true;
    Flag flag = Flag::None; // None: fewer than two forecasts, no trend to judge

    // Figures of `line`. The trend fits the last `last` forecasts (at least 2);
    // the flag compares the trend's slip per week with `threshold` (days per
    // week, >= 0): above it slipping, below its negative recovering.
    static TrendSummary of(const TrendLine& line, int last = kDefaultLast, double threshold = kDefaultThreshold);
    static Fit fitLast(const QList<TrendLine::Point>& points, int last);

    // Days since a fixed day, with the time of day as a fraction; one scale for
    // stamps and forecasts. And back, to the nearest second.
    static double toDays(const QDateTime& t);
    static QDateTime fromDays(double days);

    // "on plan", "slipping", "recovering", the end status for an ended line, or
    // empty without a trend.
    QString flagText(const TrendLine& line) const;
    // The trend finish as a stored stamp, the sentence for a trend that never
    // finishes, or empty.
    QString finishText() const;
    static QString neverFinishes();
};
