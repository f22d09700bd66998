#include "reports/ReportDocument.h"

#include <QPageSize>
#include <QPainter>

using Band = ReportLayout::Band;

ReportDocument::ReportDocument(std::unique_ptr<ReportLayout> layout, const QDateTime& printedAt)
    : m_layout(std::move(layout))
    , m_printedAt(printedAt)
{
    paginate();
}

ReportDocument::~ReportDocument() = default;

QPageLayout ReportDocument::pageLayout()
{
    // The margins are part of what the report paints: the device paints the whole sheet
    // (a printer's own minimum margins must not move the origin).
    QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(0, 0, 0, 0));
    layout.setMode(QPageLayout::FullPageMode);
    return layout;
}

int ReportDocument::bodyTop() const
{
    return ReportLayout::kMargin + m_layout->bandHeight(Band::PageHeader);
}

int ReportDocument::bodyBottom() const
{
    return ReportLayout::kPageHeight - ReportLayout::kMargin - m_layout->bandHeight(Band::PageFooter);
}

void ReportDocument::paginate()
{
    const ReportLayout& l = *m_layout;
    const int available = bodyBottom() - bodyTop();
    const int header = l.bandHeight(Band::GroupHeader);
    const int detail = std::max(1, l.bandHeight(Band::Detail));
    const int footer = l.bandHeight(Band::GroupFooter);
    const int repeat = l.repeatsGroupHeader() ? header : 0;

    m_pages.clear();
    m_pages.append(Start{0, -1, false});
    int used = 0;
    auto breakBefore = [&](int group, int item, bool continued) {
        m_pages.append(Start{group, item, continued});
        used = continued ? repeat : 0;
    };
    for (int g = 0; g < l.groupCount(); ++g) {
        const int n = l.detailCount(g);
        const qint64 whole = header + qint64(n) * detail + footer;
        // The header needs its first line (or its footer) beside it.
        const int opening = header + (n > 0 ? detail : footer);
        const bool fitsOnPage = whole <= available;
        if (used > 0 && (fitsOnPage ? used + whole > available : used + opening > available)) {
            breakBefore(g, -1, false);
        }
        used += header;
        for (int i = 0; i < n; ++i) {
            if (used + detail > available && used > repeat) {
                breakBefore(g, i, true);
            }
            used += detail;
        }
        if (footer > 0 && used + footer > available && used > repeat) {
            breakBefore(g, n, true);
        }
        used += footer;
    }
}

QList<ReportDocument::PlacedBand> ReportDocument::pageBands(int page) const
{
    QList<PlacedBand> bands;
    if (page < 0 || page >= m_pages.size()) {
        return bands;
    }
    const ReportLayout& l = *m_layout;
    const int left = ReportLayout::kMargin;
    const int width = l.bodyWidth();
    const int pageHeader = l.bandHeight(Band::PageHeader);
    bands.append({Band::PageHeader, -1, -1, QRectF(left, ReportLayout::kMargin, width, pageHeader), false});

    const int header = l.bandHeight(Band::GroupHeader);
    const int detail = l.bandHeight(Band::Detail);
    const int footer = l.bandHeight(Band::GroupFooter);
    const Start start = m_pages.at(page);
    const Start end = page + 1 < m_pages.size() ? m_pages.at(page + 1) : Start{l.groupCount(), -1, false};
    auto before = [&end](int group, int item) { return group < end.group || (group == end.group && item < end.item); };

    qreal y = bodyTop();
    auto place = [&](Band band, int group, int item, int height, bool repeated) {
        if (height > 0) {
            bands.append({band, group, item, QRectF(left, y, width, height), repeated});
            y += height;
        }
    };
    int g = start.group;
    int item = start.item;
    if (start.continued && l.repeatsGroupHeader()) {
        place(Band::GroupHeader, g, -1, header, true);
    }
    while (g < l.groupCount() && before(g, item)) {
        const int n = l.detailCount(g);
        if (item < 0) {
            place(Band::GroupHeader, g, -1, header, false);
        } else if (item < n) {
            place(Band::Detail, g, item, detail, false);
        } else {
            place(Band::GroupFooter, g, n, footer, false);
        }
        if (++item > n) {
            ++g;
            item = -1;
        }
    }
    const int pageFooter = l.bandHeight(Band::PageFooter);
    bands.append({Band::PageFooter,
                  -1,
                  -1,
                  QRectF(left, ReportLayout::kPageHeight - ReportLayout::kMargin - pageFooter, width, pageFooter),
                  false});
    return bands;
}

void ReportDocument::paintPage(QPainter& painter, int page) const
{
    const ReportLayout& l = *m_layout;
    for (const PlacedBand& band : pageBands(page)) {
        painter.save();
        painter.setPen(Qt::black);
        painter.setFont(ReportLayout::font(8));
        switch (band.band) {
        case Band::PageHeader:
            l.paintPageHeader(painter, band.rect);
            break;
        case Band::GroupHeader:
            l.paintGroupHeader(painter, band.rect, band.group);
            break;
        case Band::Detail:
            l.paintDetail(painter, band.rect, band.group, band.detail);
            break;
        case Band::GroupFooter:
            l.paintGroupFooter(painter, band.rect, band.group);
            break;
        case Band::PageFooter:
            l.paintPageFooter(painter, band.rect, page + 1, pageCount(), m_printedAt);
            break;
        }
        painter.restore();
    }
}
