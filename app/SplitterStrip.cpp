#include "app/SplitterStrip.h"

#include <QMouseEvent>

SplitterStrip::SplitterStrip(const QString& objectName, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(objectName);
    // A vertical splitter moves left and right.
    setCursor(orientation == Qt::Vertical ? Qt::SplitHCursor : Qt::SplitVCursor);
    setAttribute(Qt::WA_NoSystemBackground);
}

void SplitterStrip::mousePressEvent(QMouseEvent* event)
{
    Q_EMIT mouseDown(event->position().toPoint());
}

void SplitterStrip::mouseMoveEvent(QMouseEvent* event)
{
    Q_EMIT mouseMove(event->position().toPoint());
}

void SplitterStrip::mouseReleaseEvent(QMouseEvent* event)
{
    Q_EMIT mouseUp(event->position().toPoint());
}
