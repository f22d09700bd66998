#pragma once

#include <QRect>

// Geometry of the chart window in twips (1/1440 inch): the tree pane left of
// the divider, the chart (and its placeholder) right of it, the grip between.
// Widgets convert with Twips::toPixels(). Display-free.
class ChartLayout
{
public:
    static constexpr int kGripWidth = 150; // the grip the user drags
    static constexpr int kGap = 140; // from the divider to the chart
    static constexpr int kEdge = 500; // the divider stays this far from either edge
    static constexpr int kMinWidth = 3000;
    static constexpr int kInitialWidth = 10545;
    static constexpr int kInitialHeight = 6480;
    static constexpr int kInitialSplit = 4020;

    struct Panes
    {
        QRect tree;
        QRect chart;
        QRect grip;
    };

    // Panes for the divider at `split` in a window `width` x `height`; a width
    // that would be negative becomes 0.
    static Panes layout(int split, int width, int height);
    // Where the divider goes while dragged: the grip's left edge plus the mouse's
    // offset in the grip, kept kEdge from the left and from the right edge.
    static int dragPosition(int gripLeft, int mouseX, int width);
};
