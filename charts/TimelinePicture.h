#pragma once

#include "charts/Timeline.h"

#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;
class QPagedPaintDevice;
class QPainter;

// A snapshot's timeline painted: the row names down the left, a two-tier date
// scale across the top, and the rows: by member one lane each with a bar per
// assignment labelled with its task (free time left as gaps), by goal the outline
// indented with a bar per dated goal and task (finished work in its own colour,
// undated rows without a bar); the snapshot moment as a red line. Coordinates are
// pixels at 96 dpi: "chart" x runs from the scale's first day, "row" y from the
// first row, both without the name column and the scale. Printed and PDF pages
// each repeat the names and the scale. Qt Gui only; any thread.
class TimelinePicture
{
public:
    enum class Zoom { Days, Weeks, Months, Quarters };

    struct Row
    {
        QString label; // as the name column shows it (indented in the goal view)
        int lane = -1; // by member: index into Timeline::lanes()
        int node = -1; // by goal: index into Timeline::outline()
    };

    // A printed page: rows [firstRow, firstRow + rowCount) and the chart span `x0` to `x0 + width`.
    struct Page
    {
        int firstRow = 0;
        int rowCount = 0;
        double x0 = 0;
        double width = 0;
    };

    // The widest picture (each side, pixels) a PNG holds, and its largest area; a
    // timeline beyond that is cut at the right and the bottom, and says so.
    static constexpr int kMaxPngSide = 8000;
    static constexpr qint64 kMaxPngArea = 24'000'000;
    // At most this many PDF or printed pages; the last one says what was left out.
    static constexpr int kMaxPages = 500;

    // The rows of a view: every lane, or the outline without the nodes below one
    // that `collapsed(node)` reports (none when it is empty).
    static std::vector<Row>
    rowsOf(const Timeline& timeline, Timeline::View view, const std::function<bool(int)>& collapsed = {});
    static QString zoomText(Zoom zoom);

    // `timeline` must outlive the picture.
    TimelinePicture(
        const Timeline& timeline, Timeline::View view, Zoom zoom, std::vector<Row> rows, const QFont& font = QFont());

    const std::vector<Row>& rows() const { return m_rows; }
    Zoom zoom() const { return m_zoom; }
    double nameWidth() const { return m_nameWidth; }
    double scaleHeight() const { return m_scaleHeight; }
    double rowHeight() const { return m_rowHeight; }
    double chartWidth() const;
    double rowsHeight() const { return m_rowHeight * double(m_rows.size()); }
    // The chart x of a naive moment (MemberCalendar seconds).
    double x(qint64 moment) const;
    qint64 momentAt(double x) const;
    // A bar's chart span (at least 2 pixels wide).
    std::pair<double, double> span(qint64 start, qint64 end) const;

    // The bar under a point of the chart (chart x, row y): by member the lane's
    // bar index, by goal 0; with its row.
    struct Hit
    {
        int row = -1;
        int bar = -1;
    };
    std::optional<Hit> barAt(const QPointF& at) const;
    // The hover text of a hit: task, goal and the figures.
    QString describe(const Hit& hit) const;

    // Paints the chart area `view` (chart x, row y, both in pixels) with the names
    // at its left and the scale above it, from the painter's origin; the painting
    // covers nameWidth() + view.width() by scaleHeight() + view.height().
    void paint(QPainter& painter, const QRectF& view) const;

    // Pages of `pageSize` pixels: rows down pages, time across them (all the time
    // pages of one band of rows before the next band). Never more than kMaxPages.
    std::vector<Page> pages(const QSizeF& pageSize) const;
    // How many pages pages() left out.
    int pagesLeftOut(const QSizeF& pageSize) const;
    // The names a page shows in its name column, top down.
    QStringList namesOn(const Page& page) const;
    // Paints every page onto `device` (a PDF writer or a printer), scaled to 96 dpi.
    void paintPages(QPagedPaintDevice& device) const;
    // Writes the whole picture, bounded by kMaxPngSide and kMaxPngArea, as PNG.
    // *cut (if given) says whether it had to be cut. False with *error when the
    // image cannot be made or written.
    bool writePng(QIODevice& out, bool* cut, QString* error) const;
    // Writes pages of A4 landscape as PDF.
    bool writePdf(QIODevice& out, QString* error) const;

private:
    void paintScale(QPainter& painter, const QRectF& view) const;
    void paintRow(QPainter& painter, int row, const QRectF& view) const;
    void paintBar(QPainter& painter, const QRectF& rect, const QColor& colour, const QString& label) const;

    const Timeline& m_timeline;
    Timeline::View m_view;
    Zoom m_zoom;
    std::vector<Row> m_rows;
    QFont m_font;
    QFont m_bold;
    double m_nameWidth = 0;
    double m_scaleHeight = 0;
    double m_rowHeight = 0;
    double m_pixelsPerDay = 0;
    qint64 m_from = 0; // the first moment of the scale
    qint64 m_to = 0; // the moment it ends
};
