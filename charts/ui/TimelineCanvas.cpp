#include "charts/ui/TimelineCanvas.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

TimelineCanvas::TimelineCanvas(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("cvTimeline"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setBackgroundRole(QPalette::Base);
}

void TimelineCanvas::setPicture(std::shared_ptr<const TimelinePicture> picture)
{
    const qint64 left = m_picture ? m_picture->momentAt(horizontalScrollBar()->value()) : 0;
    const bool keep = m_picture != nullptr;
    m_picture = std::move(picture);
    if (m_picture && m_current >= int(m_picture->rows().size())) {
        m_current = int(m_picture->rows().size()) - 1;
    }
    updateScrollBars();
    if (keep && m_picture) {
        scrollToMoment(left);
    }
    viewport()->update();
}

void TimelineCanvas::setCurrentRow(int row)
{
    if (!m_picture || m_picture->rows().empty()) {
        m_current = -1;
        return;
    }
    m_current = std::clamp(row, 0, int(m_picture->rows().size()) - 1);
    ensureRowVisible(m_current);
    viewport()->update();
}

void TimelineCanvas::scrollToMoment(qint64 moment)
{
    if (m_picture) {
        horizontalScrollBar()->setValue(int(std::floor(m_picture->x(moment))));
    }
}

QPointF TimelineCanvas::chartPoint(const QPoint& p) const
{
    if (!m_picture) {
        return {-1, -1};
    }
    const double x = p.x() - m_picture->nameWidth();
    const double y = p.y() - m_picture->scaleHeight();
    return {x < 0 ? x : x + horizontalScrollBar()->value(), y < 0 ? y : y + verticalScrollBar()->value()};
}

int TimelineCanvas::rowAt(const QPoint& p) const
{
    const QPointF at = chartPoint(p);
    if (!m_picture || at.y() < 0) {
        return -1;
    }
    const int row = int(at.y() / m_picture->rowHeight());
    return row < int(m_picture->rows().size()) ? row : -1;
}

void TimelineCanvas::ensureRowVisible(int row)
{
    if (!m_picture) {
        return;
    }
    const int top = int(row * m_picture->rowHeight());
    const int bottom = int((row + 1) * m_picture->rowHeight());
    const int height = std::max(0, viewport()->height() - int(m_picture->scaleHeight()));
    QScrollBar* v = verticalScrollBar();
    if (top < v->value()) {
        v->setValue(top);
    } else if (bottom > v->value() + height) {
        v->setValue(bottom - height);
    }
}

void TimelineCanvas::updateScrollBars()
{
    if (!m_picture) {
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    const int width = std::max(0, viewport()->width() - int(m_picture->nameWidth()));
    const int height = std::max(0, viewport()->height() - int(m_picture->scaleHeight()));
    horizontalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_picture->chartWidth())) - width));
    horizontalScrollBar()->setPageStep(width);
    horizontalScrollBar()->setSingleStep(24);
    verticalScrollBar()->setRange(0, std::max(0, int(std::ceil(m_picture->rowsHeight())) - height));
    verticalScrollBar()->setPageStep(height);
    verticalScrollBar()->setSingleStep(int(m_picture->rowHeight()));
}

void TimelineCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    if (!m_picture) {
        return;
    }
    const double width = std::max(0.0, viewport()->width() - m_picture->nameWidth());
    const double height = std::max(0.0, viewport()->height() - m_picture->scaleHeight());
    const QRectF view(horizontalScrollBar()->value(), verticalScrollBar()->value(), width, height);
    painter.setRenderHint(QPainter::Antialiasing);
    m_picture->paint(painter, view);
    if (m_current >= 0) {
        const double y = m_picture->scaleHeight() + m_current * m_picture->rowHeight() - view.top();
        if (y + m_picture->rowHeight() > m_picture->scaleHeight()) {
            // A row half scrolled away stays under the scale.
            painter.setClipRect(QRectF(0, m_picture->scaleHeight(), viewport()->width(), height));
            QColor highlight = palette().color(QPalette::Highlight);
            painter.setPen(QPen(highlight, hasFocus() ? 2 : 1, hasFocus() ? Qt::SolidLine : Qt::DotLine));
            painter.drawRect(QRectF(1, y + 1, viewport()->width() - 2, m_picture->rowHeight() - 2));
        }
    }
}

void TimelineCanvas::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TimelineCanvas::scrollContentsBy(int, int)
{
    viewport()->update();
}

bool TimelineCanvas::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip && m_picture) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::optional<TimelinePicture::Hit> hit = m_picture->barAt(chartPoint(help->pos()));
        if (hit) {
            QToolTip::showText(help->globalPos(), m_picture->describe(*hit), viewport());
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TimelineCanvas::wheelEvent(QWheelEvent* event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        const int delta = event->angleDelta().y();
        if (delta != 0) {
            Q_EMIT zoomStep(delta > 0 ? -1 : 1);
        }
        event->accept();
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

void TimelineCanvas::keyPressEvent(QKeyEvent* event)
{
    const int rows = m_picture ? int(m_picture->rows().size()) : 0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        Q_EMIT zoomStep(-1);
        return;
    case Qt::Key_Minus:
        Q_EMIT zoomStep(1);
        return;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (rows > 0) {
            setCurrentRow(m_current < 0 ? 0 : m_current + (event->key() == Qt::Key_Up ? -1 : 1));
        }
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        // Rows collapse and expand; with Ctrl the bars scroll.
        if (m_current >= 0 && !(event->modifiers() & Qt::ControlModifier)) {
            Q_EMIT expandRequested(m_current, event->key() == Qt::Key_Right ? 1 : 0);
        } else {
            QScrollBar* h = horizontalScrollBar();
            h->setValue(h->value() + (event->key() == Qt::Key_Right ? 1 : -1) * h->pageStep() / 4);
        }
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (m_current >= 0) {
            Q_EMIT expandRequested(m_current, -1);
        }
        return;
    case Qt::Key_Home:
        horizontalScrollBar()->setValue(0);
        return;
    case Qt::Key_End:
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TimelineCanvas::mousePressEvent(QMouseEvent* event)
{
    const int row = rowAt(event->position().toPoint());
    if (row >= 0) {
        setCurrentRow(row);
        if (event->button() == Qt::LeftButton && chartPoint(event->position().toPoint()).x() < 0) {
            Q_EMIT expandRequested(row, -1);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void TimelineCanvas::contextMenuEvent(QContextMenuEvent* event)
{
    int row = m_current;
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = rowAt(event->pos()); // delivered through the viewport, in its coordinates
        setCurrentRow(row);
    } else if (m_picture && row >= 0) {
        const int y = int(m_picture->scaleHeight() + (row + 1) * m_picture->rowHeight()) - verticalScrollBar()->value();
        global = viewport()->mapToGlobal(QPoint(int(m_picture->nameWidth() / 2), y));
    }
    if (row >= 0) {
        Q_EMIT menuRequested(row, global);
    }
}
