#pragma once

#include "charts/ChartSource.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Which palette colour each series of a chart window is drawn in. A series gets
// its colour the first time it is drawn and keeps it for as long as the
// colouring lives, so ticking or unticking other nodes never recolours it. A new
// series takes the first colour no series has had yet; once all have been
// handed out, the first one no series drawn beside it has (else the next in
// turn). Series are known as the pivot knows them (ChartPivot::seriesKey), so a
// member charted again gets its old colour. Display-free.
class ChartColours
{
public:
    static constexpr int kCount = 10;

    // The palette index (0 to kCount - 1) of every series of one drawing, in the
    // order given; remembers the series not seen before.
    QList<int> assign(ChartSource source, const QStringList& series);
    // The palette: ten clearly distinct line colours (0xRRGGBB) by index.
    static quint32 rgb(int index);

private:
    QHash<QString, int> m_index;
    int m_handedOut = 0;
};
