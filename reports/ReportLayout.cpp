#include "reports/ReportLayout.h"

#include "reports/ReportFormat.h"

#include <QFontMetricsF>
#include <QPainter>

namespace {
constexpr int kTitleHeight = 420;
constexpr int kLabelHeight = 260;
constexpr int kRuleGap = 100;
constexpr int kTwipsPerPoint = 20;
constexpr int kCellGap = 100;

void drawText(QPainter& painter, const QRectF& row, const ReportLayout::Column& column, const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    qsizetype spaces = 0;
    while (spaces < text.size() && text.at(spaces) == QLatin1Char(' ')) {
        ++spaces;
    }
    const QFontMetricsF metrics(painter.font());
    const qreal indent = spaces * metrics.horizontalAdvance(QLatin1Char(' '));
    // Right-aligned numbers keep a gap to the column on their left.
    const qreal gap = (column.align & Qt::AlignRight) ? kCellGap : 0;
    QRectF cell(
        row.left() + column.left + indent + gap, row.top(), column.right - column.left - indent - gap, row.height());
    if (cell.width() <= 0) {
        return;
    }
    const QString shown = metrics.elidedText(text.mid(spaces), Qt::ElideRight, cell.width());
    painter.drawText(cell, int(column.align | Qt::AlignVCenter) | Qt::TextSingleLine, shown);
}
} // namespace

ReportLayout::ReportLayout(QString title)
    : m_title(std::move(title))
{
}

ReportLayout::~ReportLayout() = default;

QFont ReportLayout::font(int points, bool bold)
{
    QFont f;
    f.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"), QStringLiteral("Arimo")});
    f.setStyleHint(QFont::SansSerif);
    // Sizes are set in twips so that a page measures the same on the screen, in a PDF
    // and on paper; hinting would make the metrics depend on the zoom.
    f.setPixelSize(points * kTwipsPerPoint);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setBold(bold);
    return f;
}

int ReportLayout::pageHeaderHeight(bool withLabels)
{
    return kTitleHeight + (withLabels ? kLabelHeight : 0) + kRuleGap;
}

int ReportLayout::outlineBandHeight(Band band)
{
    switch (band) {
    case Band::PageHeader:
        return pageHeaderHeight(true);
    case Band::Detail:
        return 240;
    case Band::PageFooter:
        return 300;
    default:
        return 0;
    }
}

void ReportLayout::paintPageHeader(QPainter& painter, const QRectF& band) const
{
    painter.setFont(font(12, true));
    const QRectF titleRow(band.left(), band.top(), bodyWidth(), kTitleHeight);
    drawText(painter, titleRow, Column{0, bodyWidth(), Qt::AlignLeft}, m_title);
    const QRectF labels(band.left(), band.top() + kTitleHeight, bodyWidth(), kLabelHeight);
    paintPageLabels(painter, labels);
    painter.setPen(QPen(Qt::black, 15));
    const qreal y = band.bottom() - kRuleGap / 2.0;
    painter.drawLine(QPointF(band.left(), y), QPointF(band.left() + bodyWidth(), y));
}

void ReportLayout::paintPageFooter(
    QPainter& painter, const QRectF& band, int page, int pages, const QDateTime& printed) const
{
    painter.setFont(font(8));
    painter.setPen(Qt::black);
    const int half = bodyWidth() / 2;
    drawText(painter, band, Column{0, half, Qt::AlignLeft}, ReportFormat::printed(printed));
    drawText(painter, band, Column{half, bodyWidth(), Qt::AlignRight}, ReportFormat::pageOfPages(page, pages));
}

void ReportLayout::paintGroupHeader(QPainter&, const QRectF&, int) const { }

void ReportLayout::paintGroupFooter(QPainter&, const QRectF&, int) const { }

void ReportLayout::paintPageLabels(QPainter&, const QRectF&) const { }

void ReportLayout::drawCell(QPainter& painter, const QRectF& row, const Column& column, const QString& text)
{
    drawText(painter, row, column, text);
}

void ReportLayout::drawLabel(QPainter& painter, const QRectF& row, const Column& column, const QString& text)
{
    const QFont previous = painter.font();
    painter.setFont(font(8, true));
    drawText(painter, row, column, text);
    painter.setFont(previous);
}
