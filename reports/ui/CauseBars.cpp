#include "reports/ui/CauseBars.h"

#include "history/SnapshotComparison.h"
#include "reports/ReportFormat.h"

#include <QPainter>
#include <algorithm>

CauseBars::CauseBars(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("wCauses"));
    setMinimumHeight(sizeHint().height());
}

void CauseBars::setShares(const std::optional<std::array<qint64, 6>>& shares)
{
    m_shares = shares;
    update();
}

QSize CauseBars::sizeHint() const
{
    return {320, 6 * (fontMetrics().height() + 6) + 8};
}

void CauseBars::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int line = fontMetrics().height() + 6;
    int labelWidth = 0;
    for (int c = 0; c < SnapshotComparison::kCauses; ++c) {
        labelWidth = std::max(labelWidth, fontMetrics().horizontalAdvance(SnapshotComparison::causeName(c)));
    }
    const int valueWidth = fontMetrics().horizontalAdvance(QStringLiteral("-0000.00 d"));
    const int left = labelWidth + 12;
    const int span = std::max(20, width() - left - valueWidth - 12);
    const int axis = left + span / 2;
    qint64 largest = 1;
    if (m_shares) {
        for (qint64 s : *m_shares) {
            largest = std::max(largest, std::abs(s));
        }
    }
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(axis, 2, axis, 6 * line + 2);
    for (int c = 0; c < 6; ++c) {
        const int top = 4 + c * line;
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(
            QRect(0, top, labelWidth, line - 6), Qt::AlignRight | Qt::AlignVCenter, SnapshotComparison::causeName(c));
        if (!m_shares) {
            continue;
        }
        const qint64 share = (*m_shares)[std::size_t(c)];
        const int length = int(double(share) / double(largest) * (span / 2));
        const QRect bar =
            length >= 0 ? QRect(axis, top + 2, length, line - 10) : QRect(axis + length, top + 2, -length, line - 10);
        painter.fillRect(bar, share > 0 ? QColor(192, 64, 48) : QColor(48, 128, 64));
        painter.drawText(QRect(left + span + 6, top, valueWidth, line - 6),
                         Qt::AlignRight | Qt::AlignVCenter,
                         ReportFormat::twoDecimals(double(share) / 86400.0) + QStringLiteral(" d"));
    }
}
