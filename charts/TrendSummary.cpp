#include "charts/TrendSummary.h"

#include "common/Stamp.h"

#include <QTimeZone>
#include <cmath>

namespace {
// A trend slipping a day per day runs parallel to the diagonal; a slope within
// this of 1 counts as 1, so rounding never invents a finish decades away.
constexpr double kSlopeTolerance = 1e-9;
constexpr double kSecondsPerDay = 86400.0;
} // namespace

double TrendSummary::toDays(const QDateTime& t)
{
    return double(t.date().toJulianDay()) + t.time().msecsSinceStartOfDay() / (kSecondsPerDay * 1000.0);
}

QDateTime TrendSummary::fromDays(double days)
{
    const qint64 seconds = qint64(std::llround(days * kSecondsPerDay));
    const qint64 day = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const int rest = int(seconds - day * 86400);
    return QDateTime(QDate::fromJulianDay(day), QTime(0, 0).addSecs(rest), QTimeZone::utc());
}

TrendSummary::Fit TrendSummary::fitLast(const QList<TrendLine::Point>& points, int last)
{
    Fit fit;
    const qsizetype count = std::min<qsizetype>(points.size(), std::max(2, last));
    if (count < 2) {
        return fit;
    }
    const QList<TrendLine::Point> used = points.mid(points.size() - count);
    // Relative to the first point: days since 4713 BC would cost the sums their precision.
    fit.origin = toDays(used.first().stamp);
    double sx = 0;
    double sy = 0;
    for (const TrendLine::Point& p : used) {
        sx += toDays(p.stamp) - fit.origin;
        sy += toDays(p.forecast) - fit.origin;
    }
    const double mx = sx / double(count);
    const double my = sy / double(count);
    double sxx = 0;
    double sxy = 0;
    for (const TrendLine::Point& p : used) {
        const double dx = toDays(p.stamp) - fit.origin - mx;
        sxx += dx * dx;
        sxy += dx * (toDays(p.forecast) - fit.origin - my);
    }
    if (sxx <= 0) {
        return fit; // every stamp the same: no direction in time
    }
    fit.valid = true;
    fit.slope = sxy / sxx;
    fit.intercept = my - fit.slope * mx;
    fit.from = 0;
    fit.to = toDays(used.last().stamp) - fit.origin;
    return fit;
}

TrendSummary TrendSummary::of(const TrendLine& line, int last, double threshold)
{
    TrendSummary s;
    QList<TrendLine::Point> dated; // every point that has a forecast, the Completed end included
    for (const TrendLine::Point& p : line.points) {
        if (p.forecast.isValid()) {
            dated << p;
        }
    }
    if (!dated.isEmpty()) {
        s.firstForecast = dated.first().forecast;
        s.latestForecast = dated.last().forecast;
        s.slipDays = toDays(s.latestForecast) - toDays(s.firstForecast);
        const double weeks = (toDays(dated.last().stamp) - toDays(dated.first().stamp)) / 7.0;
        if (weeks > 0) {
            s.slipPerWeek = s.slipDays / weeks;
        }
    }
    int direction = 0;
    for (qsizetype i = 1; i < dated.size(); ++i) {
        const double step = toDays(dated.at(i).forecast) - toDays(dated.at(i - 1).forecast);
        const int sign = step > 0 ? 1 : (step < 0 ? -1 : 0);
        if (sign != 0) { // a step that keeps the date breaks no run
            if (direction != 0 && sign != direction) {
                ++s.directionChanges;
            }
            direction = sign;
        }
    }

    s.fit = fitLast(line.forecasts(), last);
    switch (line.end) {
    case TrendLine::End::Completed:
        s.trendFinish = line.points.last().stamp;
        s.flag = Flag::Ended;
        return s;
    case TrendLine::End::Held:
        s.flag = Flag::Ended;
        return s;
    case TrendLine::End::Open:
        break;
    }
    if (!s.fit.valid) {
        return s;
    }
    if (s.fit.slope >= 1.0 - kSlopeTolerance) {
        s.finishes = false;
    } else {
        // intercept + slope x = x, on the scale shifted by origin on both axes.
        s.trendFinish = fromDays(s.fit.origin + s.fit.intercept / (1.0 - s.fit.slope));
    }
    const double perWeek = s.fit.slope * 7.0;
    const double limit = std::max(0.0, threshold);
    s.flag = perWeek > limit ? Flag::Slipping : (perWeek < -limit ? Flag::Recovering : Flag::OnPlan);
    return s;
}

QString TrendSummary::flagText(const TrendLine& line) const
{
    switch (flag) {
    case Flag::None:
        return {};
    case Flag::OnPlan:
        break;
    case Flag::Slipping:
        return QStringLiteral("slipping");
    case Flag::Recovering:
        return QStringLiteral("recovering");
    case Flag::Ended:
        return line.endStatus;
    }
    return QStringLiteral("on plan");
}

QString TrendSummary::neverFinishes()
{
    return QStringLiteral("does not finish at the current slip rate");
}

QString TrendSummary::finishText() const
{
    if (!finishes) {
        return neverFinishes();
    }
    return trendFinish ? Stamp::toText(*trendFinish) : QString();
}
