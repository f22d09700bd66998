#pragma once

#include "charts/TimelinePicture.h"

#include <QAbstractScrollArea>
#include <memory>

// Shows a TimelinePicture scrolled: the names stay at the left and the date scale
// at the top while the bars scroll under them. One row is current (Up/Down, a
// click); hovering a bar shows what TimelinePicture::describe() says of it.
// Ctrl+wheel and the +/- keys ask for another zoom; a click on a name, Left/Right,
// Enter or Space ask to collapse or expand a row; the context menu (right click,
// the menu key, Shift+F10) is asked for the row under it. UI thread only.
class TimelineCanvas : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TimelineCanvas(QWidget* parent = nullptr);

    // Shows `picture` (null: nothing), keeping the moment at the left edge in sight.
    void setPicture(std::shared_ptr<const TimelinePicture> picture);
    const TimelinePicture* picture() const { return m_picture.get(); }
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    // Scrolls so that the naive moment `moment` is at the left edge of the bars.
    void scrollToMoment(qint64 moment);
    // The chart point (chart x, row y) under a viewport point; y < 0 over the scale,
    // x < 0 over the names.
    QPointF chartPoint(const QPoint& viewportPoint) const;

Q_SIGNALS:
    // -1 for a finer zoom, +1 for a coarser one.
    void zoomStep(int step);
    // expand: 1 open, 0 close, -1 toggle.
    void expandRequested(int row, int expand);
    void menuRequested(int row, const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void updateScrollBars();
    int rowAt(const QPoint& viewportPoint) const;
    void ensureRowVisible(int row);

    std::shared_ptr<const TimelinePicture> m_picture;
    int m_current = -1;
};
