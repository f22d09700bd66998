#include "charts/TimelinePicture.h"

#include "charts/ChartColours.h"
#include "schedule/MemberCalendar.h"

#include <QFontMetricsF>
#include <QIODevice>
#include <QImage>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 kDay = 86400;
// The name column's widest (pixels); longer names are elided.
constexpr double kMaxNameWidth = 320;
const QColor kMoment(0xd0, 0x20, 0x20);
const QColor kGrid(0xe4, 0xe4, 0xe4);
const QColor kGoalBar(0x50, 0x5a, 0x6e);
const QColor kTaskBar(0x3a, 0x78, 0xc0);
const QColor kFinishedBar(0x8c, 0xb4, 0x8c);
const QColor kFinishedText(0x2a, 0x7a, 0x2a);

QDate dateOf(qint64 moment)
{
    return MemberCalendar::fromSeconds(moment).date();
}

qint64 momentOf(const QDate& date)
{
    return MemberCalendar::toSeconds(QDateTime(date, QTime(0, 0)));
}

// The first day of the scale unit (the lower tier) holding `d`.
QDate unitStart(TimelinePicture::Zoom zoom, const QDate& d)
{
    switch (zoom) {
    case TimelinePicture::Zoom::Days:
        return d;
    case TimelinePicture::Zoom::Weeks:
        return d.addDays(1 - d.dayOfWeek());
    case TimelinePicture::Zoom::Months:
        return QDate(d.year(), d.month(), 1);
    case TimelinePicture::Zoom::Quarters:
        return QDate(d.year(), (d.month() - 1) / 3 * 3 + 1, 1);
    }
    return d;
}

QDate nextUnit(TimelinePicture::Zoom zoom, const QDate& d)
{
    switch (zoom) {
    case TimelinePicture::Zoom::Days:
        return d.addDays(1);
    case TimelinePicture::Zoom::Weeks:
        return d.addDays(7);
    case TimelinePicture::Zoom::Months:
        return d.addMonths(1);
    case TimelinePicture::Zoom::Quarters:
        return d.addMonths(3);
    }
    return d.addDays(1);
}

// The upper tier: months over days and weeks, years over months and quarters.
QDate bandStart(TimelinePicture::Zoom zoom, const QDate& d)
{
    return zoom == TimelinePicture::Zoom::Days || zoom == TimelinePicture::Zoom::Weeks ? QDate(d.year(), d.month(), 1)
                                                                                       : QDate(d.year(), 1, 1);
}

QDate nextBand(TimelinePicture::Zoom zoom, const QDate& d)
{
    return zoom == TimelinePicture::Zoom::Days || zoom == TimelinePicture::Zoom::Weeks ? d.addMonths(1) : d.addYears(1);
}

QString unitLabel(TimelinePicture::Zoom zoom, const QDate& d)
{
    switch (zoom) {
    case TimelinePicture::Zoom::Days:
        return QString::number(d.day());
    case TimelinePicture::Zoom::Weeks:
        return QStringLiteral("W%1").arg(d.weekNumber());
    case TimelinePicture::Zoom::Months:
        return QLocale::c().toString(d, QStringLiteral("MMM"));
    case TimelinePicture::Zoom::Quarters:
        return QStringLiteral("Q%1").arg((d.month() - 1) / 3 + 1);
    }
    return {};
}

QString bandLabel(TimelinePicture::Zoom zoom, const QDate& d)
{
    return zoom == TimelinePicture::Zoom::Days || zoom == TimelinePicture::Zoom::Weeks
        ? QLocale::c().toString(d, QStringLiteral("MMMM yyyy"))
        : QString::number(d.year());
}

double pixelsPerDay(TimelinePicture::Zoom zoom)
{
    switch (zoom) {
    case TimelinePicture::Zoom::Days:
        return 48;
    case TimelinePicture::Zoom::Weeks:
        return 16;
    case TimelinePicture::Zoom::Months:
        return 4;
    case TimelinePicture::Zoom::Quarters:
        return 1.5;
    }
    return 16;
}

QString days(double value)
{
    return QLocale::system().toString(value, 'f', 2);
}

} // namespace

std::vector<TimelinePicture::Row>
TimelinePicture::rowsOf(const Timeline& timeline, Timeline::View view, const std::function<bool(int)>& collapsed)
{
    std::vector<Row> rows;
    if (view == Timeline::View::ByMember) {
        for (std::size_t i = 0; i < timeline.lanes().size(); ++i) {
            rows.push_back({timeline.lanes()[i].member, int(i), -1});
        }
        return rows;
    }
    const std::vector<Timeline::Node>& outline = timeline.outline();
    // Parents come before their children, so a node is hidden when its parent is
    // hidden or collapsed: one pass, no recursion.
    std::vector<char> hidden(outline.size(), 0);
    for (std::size_t i = 0; i < outline.size(); ++i) {
        const int parent = outline[i].parent;
        if (parent >= 0 && std::size_t(parent) < i &&
            (hidden[std::size_t(parent)] || (collapsed && collapsed(parent)))) {
            hidden[i] = 1;
            continue;
        }
        rows.push_back({outline[i].outlineName(), -1, int(i)});
    }
    return rows;
}

QString TimelinePicture::zoomText(Zoom zoom)
{
    switch (zoom) {
    case Zoom::Days:
        return QStringLiteral("Days");
    case Zoom::Weeks:
        return QStringLiteral("Weeks");
    case Zoom::Months:
        return QStringLiteral("Months");
    case Zoom::Quarters:
        return QStringLiteral("Quarters");
    }
    return {};
}

TimelinePicture::TimelinePicture(
    const Timeline& timeline, Timeline::View view, Zoom zoom, std::vector<Row> rows, const QFont& font)
    : m_timeline(timeline)
    , m_view(view)
    , m_zoom(zoom)
    , m_rows(std::move(rows))
    , m_font(font)
    , m_bold(font)
    , m_pixelsPerDay(pixelsPerDay(zoom))
{
    m_bold.setBold(true);
    const QFontMetricsF metrics(m_font);
    const QFontMetricsF boldMetrics(m_bold);
    m_rowHeight = std::ceil(metrics.height() + 10);
    m_scaleHeight = std::ceil(2 * (metrics.height() + 6));
    double widest = boldMetrics.horizontalAdvance(QStringLiteral("Team member"));
    for (const Row& row : m_rows) {
        widest = std::max(widest, boldMetrics.horizontalAdvance(row.label));
        if (widest >= kMaxNameWidth) {
            break;
        }
    }
    m_nameWidth = std::ceil(std::min(widest, kMaxNameWidth) + 16);

    qint64 lo = timeline.moment();
    qint64 hi = timeline.moment();
    if (timeline.first() != Timeline::kNoDate) {
        lo = std::min(lo, timeline.first());
    }
    if (timeline.last() != Timeline::kNoDate) {
        hi = std::max(hi, timeline.last());
    }
    // Finished goals and tasks may end before the snapshot.
    if (view == Timeline::View::ByGoal) {
        for (const Timeline::Node& n : timeline.outline()) {
            if (n.dated()) {
                lo = std::min(lo, n.start != Timeline::kNoDate ? n.start : n.end);
                hi = std::max(hi, n.end);
            }
        }
    }
    const QDate first = unitStart(zoom, dateOf(lo));
    m_from = momentOf(first);
    m_to = momentOf(nextUnit(zoom, nextUnit(zoom, unitStart(zoom, dateOf(hi)))));
}

double TimelinePicture::chartWidth() const
{
    return x(m_to);
}

double TimelinePicture::x(qint64 moment) const
{
    return double(moment - m_from) / double(kDay) * m_pixelsPerDay;
}

qint64 TimelinePicture::momentAt(double at) const
{
    return m_from + qint64(std::llround(at / m_pixelsPerDay * double(kDay)));
}

std::pair<double, double> TimelinePicture::span(qint64 start, qint64 end) const
{
    const double a = x(start);
    return {a, std::max(a + 2, x(end))};
}

std::optional<TimelinePicture::Hit> TimelinePicture::barAt(const QPointF& at) const
{
    if (at.y() < 0 || m_rowHeight <= 0) {
        return std::nullopt;
    }
    const auto row = qsizetype(at.y() / m_rowHeight);
    if (row >= qsizetype(m_rows.size())) {
        return std::nullopt;
    }
    const Row& r = m_rows[std::size_t(row)];
    if (r.lane >= 0) {
        const std::vector<Timeline::Bar>& bars = m_timeline.lanes()[std::size_t(r.lane)].bars;
        // In order of work and never overlapping: the last bar starting at or before the point.
        const auto after =
            std::upper_bound(bars.begin(), bars.end(), at.x(), [this](double px, const Timeline::Bar& b) {
                return px < span(b.start, b.end).first;
            });
        if (after == bars.begin()) {
            return std::nullopt;
        }
        const Timeline::Bar& bar = *(after - 1);
        if (at.x() > span(bar.start, bar.end).second) {
            return std::nullopt;
        }
        return Hit{int(row), int(after - 1 - bars.begin())};
    }
    const Timeline::Node& n = m_timeline.outline()[std::size_t(r.node)];
    if (!n.dated()) {
        return std::nullopt;
    }
    const auto [a, b] = span(n.start != Timeline::kNoDate ? n.start : n.end, n.end);
    if (at.x() < a || at.x() > b) {
        return std::nullopt;
    }
    return Hit{int(row), 0};
}

QString TimelinePicture::describe(const Hit& hit) const
{
    if (hit.row < 0 || hit.row >= int(m_rows.size())) {
        return {};
    }
    const Row& r = m_rows[std::size_t(hit.row)];
    const auto when = [](qint64 m) { return m == Timeline::kNoDate ? QString() : MemberCalendar::toText(m); };
    const auto figures = [](double planned, double perComp, double needed, double est) {
        return QStringLiteral("Planned %1 d, %2 % done, %3 d used, new estimate %4 d")
            .arg(days(planned), QLocale::system().toString(perComp, 'f', 0), days(needed), days(est));
    };
    if (r.lane >= 0) {
        const Timeline::Lane& lane = m_timeline.lanes()[std::size_t(r.lane)];
        if (hit.bar < 0 || hit.bar >= int(lane.bars.size())) {
            return {};
        }
        const Timeline::Bar& b = lane.bars[std::size_t(hit.bar)];
        return QStringList{QStringLiteral("%1 (task %2)").arg(b.taskName).arg(b.taskId),
                           QStringLiteral("Goal: %1").arg(b.goalPath.isEmpty() ? QStringLiteral("(root)") : b.goalPath),
                           QStringLiteral("%1: %2 to %3").arg(b.member, when(b.start), when(b.end)),
                           figures(b.planned, b.perComp, b.needed, b.est)}
            .join(QLatin1Char('\n'));
    }
    const Timeline::Node& n = m_timeline.outline()[std::size_t(r.node)];
    QStringList text{n.name};
    if (n.parent >= 0) {
        text.append(QStringLiteral("In: %1").arg(m_timeline.outline()[std::size_t(n.parent)].name));
    }
    text.append(QStringLiteral("%1 to %2").arg(when(n.start), when(n.end)));
    if (!n.status.isEmpty()) {
        text.append(QStringLiteral("Status: %1").arg(n.status));
    }
    text.append(figures(n.planned, n.perComp, n.needed, n.est));
    return text.join(QLatin1Char('\n'));
}

void TimelinePicture::paint(QPainter& painter, const QRectF& view) const
{
    painter.save();
    painter.setFont(m_font);
    const QRectF rowsArea(m_nameWidth, m_scaleHeight, view.width(), view.height());
    painter.fillRect(QRectF(0, 0, m_nameWidth + view.width(), m_scaleHeight + view.height()), Qt::white);

    const int first = std::max(0, int(std::floor(view.top() / m_rowHeight)));
    const int last = std::min(int(m_rows.size()), int(std::ceil(view.bottom() / m_rowHeight)));

    // The rows, clipped to their area; then the names and the scale over them.
    painter.save();
    painter.setClipRect(rowsArea);
    painter.translate(m_nameWidth - view.left(), m_scaleHeight - view.top());
    // Light grid at each unit of the scale.
    painter.setPen(QPen(kGrid, 0));
    for (QDate d = unitStart(m_zoom, dateOf(momentAt(view.left()))); momentOf(d) < m_to; d = nextUnit(m_zoom, d)) {
        const double gx = x(momentOf(d));
        if (gx > view.right()) {
            break;
        }
        painter.drawLine(QPointF(gx, view.top()), QPointF(gx, view.bottom()));
    }
    for (int row = first; row < last; ++row) {
        paintRow(painter, row, view);
    }
    const double now = x(m_timeline.moment());
    painter.setPen(QPen(kMoment, 2));
    painter.drawLine(QPointF(now, view.top()), QPointF(now, view.bottom()));
    painter.restore();

    // Names.
    painter.save();
    painter.setClipRect(QRectF(0, m_scaleHeight, m_nameWidth, view.height()));
    const QFontMetricsF metrics(m_bold);
    for (int row = first; row < last; ++row) {
        const Row& r = m_rows[std::size_t(row)];
        const double y = m_scaleHeight + row * m_rowHeight - view.top();
        const Timeline::Node* node = r.node >= 0 ? &m_timeline.outline()[std::size_t(r.node)] : nullptr;
        const bool bold = !node || node->kind != Timeline::Node::Kind::Task;
        // Finished work keeps its row, marked, whether or not it still has a date.
        const bool finished = node && node->finished();
        painter.setFont(bold ? m_bold : m_font);
        painter.setPen(finished ? kFinishedText : QColor(Qt::black));
        const QString mark = finished ? QStringLiteral(" \u2713") : QString();
        const double room = m_nameWidth - 10 - metrics.horizontalAdvance(mark);
        painter.drawText(QRectF(6, y, m_nameWidth - 10, m_rowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(r.label, Qt::ElideRight, room) + mark);
        painter.setPen(QPen(kGrid, 0));
        painter.drawLine(QPointF(0, y + m_rowHeight), QPointF(m_nameWidth + view.width(), y + m_rowHeight));
    }
    painter.restore();

    paintScale(painter, view);
    // The corner names the view.
    painter.fillRect(QRectF(0, 0, m_nameWidth, m_scaleHeight), QColor(0xf4, 0xf4, 0xf4));
    painter.setFont(m_bold);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(6, 0, m_nameWidth - 10, m_scaleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     m_view == Timeline::View::ByMember ? QStringLiteral("Team member")
                                                        : QStringLiteral("Goal / task"));
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(QPointF(m_nameWidth, 0), QPointF(m_nameWidth, m_scaleHeight + view.height()));
    painter.drawLine(QPointF(0, m_scaleHeight), QPointF(m_nameWidth + view.width(), m_scaleHeight));
    painter.restore();
}

void TimelinePicture::paintScale(QPainter& painter, const QRectF& view) const
{
    painter.save();
    const double tier = m_scaleHeight / 2;
    const QRectF area(m_nameWidth, 0, view.width(), m_scaleHeight);
    painter.setClipRect(area);
    painter.fillRect(area, QColor(0xf4, 0xf4, 0xf4));
    painter.translate(m_nameWidth - view.left(), 0);
    painter.setFont(m_font);
    const QDate from = dateOf(momentAt(view.left()));
    const auto drawTier = [&](QDate d, double top, auto next, auto label) {
        for (; momentOf(d) < m_to; d = next(d)) {
            const double a = x(momentOf(d));
            if (a > view.right()) {
                break;
            }
            const double b = std::min(x(momentOf(next(d))), x(m_to));
            painter.setPen(QPen(Qt::gray, 0));
            painter.drawLine(QPointF(a, top), QPointF(a, top + tier));
            // A label stays in sight while its unit is partly scrolled off.
            const double left = std::max(a, view.left()) + 3;
            painter.setPen(Qt::black);
            painter.drawText(
                QRectF(left, top, std::max(0.0, b - left - 2), tier), Qt::AlignLeft | Qt::AlignVCenter, label(d));
        }
    };
    drawTier(
        bandStart(m_zoom, from),
        0,
        [this](const QDate& d) { return nextBand(m_zoom, d); },
        [this](const QDate& d) { return bandLabel(m_zoom, d); });
    drawTier(
        unitStart(m_zoom, from),
        tier,
        [this](const QDate& d) { return nextUnit(m_zoom, d); },
        [this](const QDate& d) { return unitLabel(m_zoom, d); });
    painter.setPen(QPen(Qt::gray, 0));
    painter.drawLine(QPointF(view.left(), tier), QPointF(view.right(), tier));
    const double now = x(m_timeline.moment());
    painter.setPen(QPen(kMoment, 2));
    painter.drawLine(QPointF(now, tier), QPointF(now, m_scaleHeight));
    painter.restore();
}

void TimelinePicture::paintRow(QPainter& painter, int row, const QRectF& view) const
{
    const Row& r = m_rows[std::size_t(row)];
    const double top = row * m_rowHeight + 4;
    const double height = m_rowHeight - 8;
    if (r.lane >= 0) {
        const std::vector<Timeline::Bar>& bars = m_timeline.lanes()[std::size_t(r.lane)].bars;
        // Only the bars in sight: they are in time order.
        auto it = std::lower_bound(bars.begin(), bars.end(), view.left(), [this](const Timeline::Bar& b, double px) {
            return span(b.start, b.end).second < px;
        });
        for (; it != bars.end(); ++it) {
            const auto [a, b] = span(it->start, it->end);
            if (a > view.right()) {
                break;
            }
            const QColor colour = QColor::fromRgb(QRgb(ChartColours::rgb(int(it->taskId % ChartColours::kCount))));
            paintBar(painter, QRectF(a, top, b - a, height), colour, it->taskName);
        }
        return;
    }
    const Timeline::Node& n = m_timeline.outline()[std::size_t(r.node)];
    if (!n.dated()) {
        return;
    }
    const auto [a, b] = span(n.start != Timeline::kNoDate ? n.start : n.end, n.end);
    const QColor colour = n.finished() ? kFinishedBar : (n.kind == Timeline::Node::Kind::Task ? kTaskBar : kGoalBar);
    const double inset = n.kind == Timeline::Node::Kind::Task ? 0 : height / 4;
    paintBar(painter, QRectF(a, top + inset, b - a, height - 2 * inset), colour, QString());
    if (n.finished()) {
        // A tick after a finished bar.
        painter.setPen(QPen(kFinishedText, 2));
        const double cy = top + height / 2;
        painter.drawPolyline(QPolygonF{QPointF(b + 4, cy), QPointF(b + 7, cy + 3), QPointF(b + 13, cy - 4)});
    }
}

void TimelinePicture::paintBar(QPainter& painter, const QRectF& rect, const QColor& colour, const QString& label) const
{
    painter.fillRect(rect, colour);
    painter.setPen(QPen(colour.darker(140), 0));
    painter.drawRect(rect);
    if (label.isEmpty() || rect.width() < 24) {
        return;
    }
    const QFontMetricsF metrics(m_font);
    painter.setPen(colour.lightnessF() < 0.6 ? Qt::white : Qt::black);
    painter.drawText(rect.adjusted(3, 0, -2, 0),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(label, Qt::ElideRight, rect.width() - 5));
}

std::vector<TimelinePicture::Page> TimelinePicture::pages(const QSizeF& pageSize) const
{
    std::vector<Page> result;
    const int perPage = std::max(1, int((pageSize.height() - m_scaleHeight) / m_rowHeight));
    const double across = std::max(40.0, pageSize.width() - m_nameWidth);
    const double total = chartWidth();
    const int rows = std::max(1, int(m_rows.size()));
    for (int first = 0; first < rows; first += perPage) {
        // A sliver under half a pixel (rounding) makes no page of its own.
        for (double x0 = 0; x0 + 0.5 < total; x0 += across) {
            if (int(result.size()) == kMaxPages) {
                return result;
            }
            result.push_back({first, std::min(perPage, int(m_rows.size()) - first), x0, std::min(across, total - x0)});
        }
    }
    return result;
}

int TimelinePicture::pagesLeftOut(const QSizeF& pageSize) const
{
    const int perPage = std::max(1, int((pageSize.height() - m_scaleHeight) / m_rowHeight));
    const double across = std::max(40.0, pageSize.width() - m_nameWidth);
    const qint64 bands = (qint64(std::max<std::size_t>(1, m_rows.size())) + perPage - 1) / perPage;
    const auto slices = qint64(std::ceil((chartWidth() - 0.5) / across));
    return int(std::min<qint64>(std::numeric_limits<int>::max(), std::max<qint64>(0, bands * slices - kMaxPages)));
}

QStringList TimelinePicture::namesOn(const Page& page) const
{
    QStringList names;
    for (int row = page.firstRow; row < page.firstRow + page.rowCount && row < int(m_rows.size()); ++row) {
        names.append(m_rows[std::size_t(row)].label);
    }
    return names;
}

void TimelinePicture::paintPages(QPagedPaintDevice& device) const
{
    const double scale = double(device.logicalDpiX()) / 96.0;
    const QSizeF page(double(device.width()) / scale, double(device.height()) / scale);
    const std::vector<Page> all = pages(page);
    const int leftOut = pagesLeftOut(page);
    QPainter painter(&device);
    painter.scale(scale, scale);
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (i > 0) {
            device.newPage();
        }
        const Page& p = all[i];
        paint(painter, QRectF(p.x0, p.firstRow * m_rowHeight, p.width, p.rowCount * m_rowHeight));
        if (leftOut > 0 && i + 1 == all.size()) {
            painter.setPen(kMoment);
            painter.drawText(
                QRectF(0, 0, page.width(), page.height() - 4),
                Qt::AlignLeft | Qt::AlignBottom,
                QStringLiteral("%1 more pages are left out: zoom out or collapse the outline.").arg(leftOut));
        }
    }
    painter.end();
}

bool TimelinePicture::writePng(QIODevice& out, bool* cut, QString* error) const
{
    const double fullWidth = m_nameWidth + chartWidth();
    const double fullHeight = m_scaleHeight + rowsHeight();
    const int width = int(std::ceil(std::min(fullWidth, double(kMaxPngSide))));
    const int heightCap = int(std::min<qint64>(kMaxPngSide, kMaxPngArea / std::max(1, width)));
    int height = int(std::ceil(std::min(fullHeight, double(heightCap))));
    const bool cutShort = width < fullWidth || height < fullHeight;
    if (cut) {
        *cut = cutShort;
    }
    // A cut picture keeps whole rows and a line below them saying so.
    const double note = cutShort ? m_rowHeight : 0;
    const double rowsShown = std::floor((height - m_scaleHeight - note) / m_rowHeight) * m_rowHeight;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull()) {
        *error = QStringLiteral("not enough memory for a picture of %1 x %2 pixels").arg(width).arg(height);
        return false;
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter, QRectF(0, 0, width - m_nameWidth, std::max(0.0, rowsShown)));
    if (cutShort) {
        painter.setFont(m_font);
        painter.setPen(kMoment);
        painter.drawText(QRectF(6, m_scaleHeight + rowsShown, width - 12, note),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("The picture stops at %1 x %2 pixels: %3 of %4 rows and the time up to %5 "
                                        "are shown. Zoom out or write a PDF for the whole.")
                             .arg(width)
                             .arg(height)
                             .arg(int(rowsShown / m_rowHeight))
                             .arg(m_rows.size())
                             .arg(MemberCalendar::toText(momentAt(width - m_nameWidth)).left(10)));
    }
    painter.end();
    if (!image.save(&out, "PNG")) {
        *error = QStringLiteral("cannot write the picture");
        return false;
    }
    return true;
}

bool TimelinePicture::writePdf(QIODevice& out, QString* error) const
{
    QPdfWriter writer(&out);
    writer.setResolution(96);
    writer.setPageLayout(QPageLayout(
        QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    writer.setTitle(QStringLiteral("Timeline %1").arg(m_timeline.stamp()));
    paintPages(writer);
    if (!out.isOpen()) {
        *error = QStringLiteral("cannot write the PDF");
        return false;
    }
    return true;
}
