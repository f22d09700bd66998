#pragma once

#include <QWidget>

// An invisible grab strip of a splitter (imgSplitter, imgSplitterV1,
// imgSplitterV2): shows the resize cursor and reports mouse down, move and up
// with the mouse position relative to the strip, in pixels. UI thread only.
class SplitterStrip : public QWidget
{
    Q_OBJECT

public:
    SplitterStrip(const QString& objectName, Qt::Orientation orientation, QWidget* parent = nullptr);

Q_SIGNALS:
    void mouseDown(QPoint position);
    void mouseMove(QPoint position);
    void mouseUp(QPoint position);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
