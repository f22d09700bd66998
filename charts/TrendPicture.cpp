#include "charts/TrendPicture.h"

#include "charts/ChartColours.h"
#include "common/Stamp.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
QString dayText(double days)
{
    return TrendSummary::fromDays(days).date().toString(QStringLiteral("yyyy-MM-dd"));
}
} // namespace

std::pair<double, double> TrendPicture::span(const QList<TrendLine>& lines, int last)
{
    double lo = 0;
    double hi = 0;
    bool any = false;
    auto take = [&](double d) {
        lo = any ? std::min(lo, d) : d;
        hi = any ? std::max(hi, d) : d;
        any = true;
    };
    for (const TrendLine& line : lines) {
        for (const TrendLine::Point& p : line.points) {
            take(TrendSummary::toDays(p.stamp));
            if (p.forecast.isValid()) {
                take(TrendSummary::toDays(p.forecast));
            }
        }
    }
    if (!any) {
        return {0, 1};
    }
    // A finish far beyond the history would squeeze the history into a corner.
    const double reach = hi + 2 * (hi - lo);
    for (const TrendLine& line : lines) {
        const TrendSummary s = TrendSummary::of(line, last);
        if (s.trendFinish) {
            const double d = TrendSummary::toDays(*s.trendFinish);
            if (d <= reach) {
                take(d);
            }
        }
    }
    return {std::floor(lo), std::max(std::floor(lo) + 1, std::ceil(hi))};
}

void TrendPicture::paint(QPainter& painter, const QRectF& rect, const QList<TrendLine>& lines, int last)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, Qt::white);
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.height();
    const double legendHeight = lineHeight * double(lines.size() + 1);
    const double labelWidth = metrics.horizontalAdvance(QStringLiteral("0000-00-00")) + 8;
    QRectF plot = rect.adjusted(labelWidth + 8, lineHeight, -(labelWidth / 2 + 4), -(2 * lineHeight + legendHeight));
    // One date scale on both axes: the plot is square, so the diagonal runs at 45 degrees.
    const double side = std::max(1.0, std::min(plot.width(), plot.height()));
    plot.setSize({side, side});

    const auto [lo, hi] = span(lines, last);
    auto at = [&, lo = lo, hi = hi](double x, double y) {
        return QPointF(plot.left() + (x - lo) / (hi - lo) * plot.width(),
                       plot.bottom() - (y - lo) / (hi - lo) * plot.height());
    };

    // Below the diagonal a forecast would lie in the past.
    QPainterPath below;
    below.moveTo(plot.bottomLeft());
    below.lineTo(plot.topRight());
    below.lineTo(plot.bottomRight());
    below.closeSubpath();
    painter.fillPath(below, QColor(0xe6, 0xe6, 0xe6));
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(plot);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
    painter.drawLine(plot.bottomLeft(), plot.topRight());

    painter.setPen(Qt::black);
    const int ticks = 4;
    for (int i = 0; i <= ticks; ++i) {
        const double d = lo + (hi - lo) * i / ticks;
        const QPointF x = at(d, lo);
        const QPointF y = at(lo, d);
        painter.drawText(
            QRectF(x.x() - labelWidth / 2, plot.bottom() + 2, labelWidth, lineHeight), Qt::AlignCenter, dayText(d));
        if (i > 0) { // the corner's day is the x axis's first label
            painter.drawText(QRectF(rect.left(), y.y() - lineHeight / 2, labelWidth, lineHeight),
                             Qt::AlignRight | Qt::AlignVCenter,
                             dayText(d));
        }
    }

    painter.setClipRect(plot.adjusted(-4, -4, 4, 4));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TrendLine& line = lines.at(i);
        const QColor colour = QColor::fromRgb(ChartColours::rgb(int(i % ChartColours::kCount)));
        const QList<TrendLine::Point> forecasts = line.forecasts();
        QPolygonF polyline;
        for (const TrendLine::Point& p : forecasts) {
            polyline << at(TrendSummary::toDays(p.stamp), TrendSummary::toDays(p.forecast));
        }
        if (line.end == TrendLine::End::Completed) {
            const TrendLine::Point& p = line.points.last();
            polyline << at(TrendSummary::toDays(p.stamp), TrendSummary::toDays(p.stamp));
        }
        painter.setPen(QPen(colour, 2));
        painter.drawPolyline(polyline);
        painter.setBrush(colour);
        for (const QPointF& p : polyline) {
            painter.drawEllipse(p, 3, 3);
        }
        if (line.end == TrendLine::End::Held && !forecasts.isEmpty()) {
            // Held: a cross at the last forecast, in the snapshot where the work stopped.
            const QPointF p =
                at(TrendSummary::toDays(line.points.last().stamp), TrendSummary::toDays(forecasts.last().forecast));
            painter.setPen(QPen(colour, 2));
            painter.drawLine(p + QPointF(-5, -5), p + QPointF(5, 5));
            painter.drawLine(p + QPointF(-5, 5), p + QPointF(5, -5));
        }
        const TrendSummary s = TrendSummary::of(line, last);
        if (line.end == TrendLine::End::Open && s.fit.valid) {
            const double end = s.trendFinish ? TrendSummary::toDays(*s.trendFinish) - s.fit.origin : hi - s.fit.origin;
            painter.setPen(QPen(colour, 1, Qt::DashLine));
            painter.drawLine(at(s.fit.origin + s.fit.from, s.fit.origin + s.fit.at(s.fit.from)),
                             at(s.fit.origin + end, s.fit.origin + s.fit.at(end)));
        }
    }
    painter.setClipping(false);

    double y = plot.bottom() + 2 * lineHeight;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const TrendLine& line = lines.at(i);
        const TrendSummary s = TrendSummary::of(line, last);
        painter.fillRect(QRectF(rect.left() + 8, y + lineHeight / 4, lineHeight, lineHeight / 2),
                         QColor::fromRgb(ChartColours::rgb(int(i % ChartColours::kCount))));
        const QString finish = s.finishText();
        painter.setPen(Qt::black);
        painter.drawText(QRectF(rect.left() + 16 + lineHeight, y, rect.width() - 24 - lineHeight, lineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         finish.isEmpty()
                             ? QStringLiteral("%1 (%2)").arg(line.name, s.flagText(line))
                             : QStringLiteral("%1 (%2): trend finish %3").arg(line.name, s.flagText(line), finish));
        y += lineHeight;
    }
    painter.restore();
}
