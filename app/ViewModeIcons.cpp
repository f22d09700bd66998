#include "app/ViewModeIcons.h"

#include <QPainter>
#include <QPixmap>

QIcon ViewModeIcons::icon(int mode)
{
    const int size = 32; // drawn large, scaled down by the toolbar
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, false);
    const QColor box(40, 90, 170);
    const QColor line(70, 70, 70);
    switch (mode) {
    case 0: // two by two big images
        for (int i = 0; i < 4; ++i) {
            p.fillRect(4 + (i % 2) * 14, 4 + (i / 2) * 14, 10, 10, box);
        }
        break;
    case 1: // small images with their names beside them, in rows
        for (int i = 0; i < 4; ++i) {
            const int x = 3 + (i % 2) * 15;
            const int y = 6 + (i / 2) * 13;
            p.fillRect(x, y, 5, 5, box);
            p.fillRect(x + 7, y + 2, 6, 2, line);
        }
        break;
    case 2: // one column of small images with names
        for (int i = 0; i < 4; ++i) {
            p.fillRect(5, 4 + i * 7, 5, 5, box);
            p.fillRect(12, 6 + i * 7, 15, 2, line);
        }
        break;
    default: // rows with several columns under a header
        p.fillRect(3, 3, 26, 4, line);
        for (int i = 0; i < 4; ++i) {
            p.fillRect(3, 10 + i * 5, 4, 3, box);
            p.fillRect(9, 11 + i * 5, 9, 2, line);
            p.fillRect(20, 11 + i * 5, 9, 2, line);
        }
        break;
    }
    return QIcon(pixmap);
}
