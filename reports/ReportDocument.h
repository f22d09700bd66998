#pragma once

#include "reports/ReportLayout.h"

#include <QDateTime>
#include <QList>
#include <QPageLayout>
#include <QRectF>
#include <memory>

class QPainter;

// A report laid out on pages. Pagination is arithmetic over band heights, so even a
// report of many thousand lines is laid out at once; pages are painted only when
// asked for. Rules: every page has the page header and footer; a group that fits on a
// page is never split; a longer group starts where its header and first line still fit,
// and a group header never stays alone at the bottom of a page.
class ReportDocument
{
public:
    struct PlacedBand
    {
        ReportLayout::Band band;
        int group = -1;
        int detail = -1; // detail index for Detail bands
        QRectF rect; // twips on the page, origin at the paper's top-left corner
        bool repeated = false; // a group header repeated on a continuation page
    };

    // `printedAt` is the printing date and time shown in every page footer.
    explicit ReportDocument(std::unique_ptr<ReportLayout> layout,
                            const QDateTime& printedAt = QDateTime::currentDateTime());
    ~ReportDocument();

    const ReportLayout& layout() const { return *m_layout; }
    const QDateTime& printedAt() const { return m_printedAt; }
    void setPrintedAt(const QDateTime& when) { m_printedAt = when; }
    int pageCount() const { return int(m_pages.size()); }
    // Bands of page `page` (0-based) from top to bottom, page header first, page footer last.
    QList<PlacedBand> pageBands(int page) const;
    // Paints page `page` with `painter` scaled to twips, origin at the paper's corner.
    void paintPage(QPainter& painter, int page) const;

    static QPageLayout pageLayout();
    static QSizeF pageSizeTwips() { return {ReportLayout::kPageWidth, ReportLayout::kPageHeight}; }

private:
    // Where a page starts: group index, and item within the group (-1 header, 0..n-1
    // detail lines, n footer).
    struct Start
    {
        int group = 0;
        int item = -1;
        bool continued = false;
    };
    void paginate();
    int bodyTop() const;
    int bodyBottom() const;

    std::unique_ptr<ReportLayout> m_layout;
    QDateTime m_printedAt;
    QList<Start> m_pages;
};
