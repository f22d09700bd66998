#include "charts/ChartLayout.h"

#include <algorithm>

ChartLayout::Panes ChartLayout::layout(int split, int width, int height)
{
    Panes panes;
    const int h = std::max(0, height);
    panes.tree = QRect(0, 0, std::max(0, split), h);
    panes.chart = QRect(split + kGap, 0, std::max(0, width - (panes.tree.width() + kGap)), h);
    panes.grip = QRect(split, 0, kGripWidth, h);
    return panes;
}

int ChartLayout::dragPosition(int gripLeft, int mouseX, int width)
{
    const int position = gripLeft + mouseX;
    if (position < kEdge) {
        return kEdge;
    }
    if (position <= width - kEdge) {
        return position;
    }
    return width - kEdge;
}
