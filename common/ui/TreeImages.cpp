#include "common/ui/TreeImages.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QColor statusColour(const QString& status)
{
    if (status == QLatin1String("Open")) {
        return QColor(0x2f, 0x6f, 0xd6);
    }
    if (status == QLatin1String("Completed")) {
        return QColor(0x2e, 0x9d, 0x44);
    }
    if (status == QLatin1String("On Hold")) {
        return QColor(0xe0, 0x9a, 0x00);
    }
    return QColor(0x80, 0x80, 0x80);
}

// Shape by kind, drawn in a 16 x 16 logical box.
QPainterPath kindShape(const QString& kind)
{
    QPainterPath path;
    if (kind == QLatin1String("Goal")) {
        path.addEllipse(QRectF(1, 1, 14, 14));
    } else if (kind == QLatin1String("Application")) {
        path.addRoundedRect(QRectF(1, 2, 14, 12), 2, 2);
    } else if (kind == QLatin1String("Task")) {
        path.addRect(QRectF(2, 2, 12, 12));
    } else { // Software Object: a diamond
        path.moveTo(8, 0.5);
        path.lineTo(15.5, 8);
        path.lineTo(8, 15.5);
        path.lineTo(0.5, 8);
        path.closeSubpath();
    }
    return path;
}

void drawStatusGlyph(QPainter& p, const QString& status)
{
    QPen pen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    if (status == QLatin1String("Completed")) {
        p.drawPolyline(QPolygonF({QPointF(4.5, 8.5), QPointF(7, 11), QPointF(11.5, 5.5)}));
    } else if (status == QLatin1String("On Hold")) {
        p.drawLine(QPointF(6.2, 5), QPointF(6.2, 11));
        p.drawLine(QPointF(9.8, 5), QPointF(9.8, 11));
    } else if (status == QLatin1String("Closed")) {
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    } else {
        p.setBrush(Qt::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(8, 8), 2.2, 2.2);
    }
}

void drawObject(QPainter& p, const QString& kind, const QString& status)
{
    const QColor colour = statusColour(status);
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawPath(kindShape(kind));
    if (kind == QLatin1String("Application")) {
        // title bar of a window
        p.setPen(Qt::NoPen);
        p.setBrush(colour.darker(150));
        p.drawRect(QRectF(1.5, 2.5, 13, 2.5));
    }
    drawStatusGlyph(p, status);
}

void drawRoot(QPainter& p)
{
    // A cairn: three stacked stones.
    p.setPen(QPen(QColor(0x4a, 0x40, 0x38), 1));
    p.setBrush(QColor(0x9a, 0x8c, 0x7a));
    p.drawEllipse(QRectF(1, 10, 14, 5));
    p.setBrush(QColor(0xb0, 0xa2, 0x8e));
    p.drawEllipse(QRectF(3, 5.5, 10, 5));
    p.setBrush(QColor(0xc8, 0xbb, 0xa8));
    p.drawEllipse(QRectF(5, 1.5, 6, 4.5));
}

void drawSum(QPainter& p)
{
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.setBrush(QColor(0xf2, 0xf2, 0xe6));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    QPen pen(QColor(0x20, 0x20, 0x20), 1.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(11, 4), QPointF(5, 4), QPointF(8.5, 8), QPointF(5, 12), QPointF(11, 12)}));
}

QPixmap render(const QString& key, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    if (key == QLatin1String("Root")) {
        drawRoot(p);
    } else if (key == QLatin1String("Sum")) {
        drawSum(p);
    } else {
        for (const char* status : {"On Hold", "Completed", "Closed", "Open"}) {
            const QString s = QLatin1String(status);
            if (key.endsWith(s)) {
                drawObject(p, key.left(key.size() - s.size()), s);
                break;
            }
        }
    }
    return pixmap;
}

} // namespace

const QStringList& TreeImages::keys()
{
    static const QStringList k = {
        QStringLiteral("Root"),
        QStringLiteral("Sum"),
        QStringLiteral("TaskOpen"),
        QStringLiteral("GoalCompleted"),
        QStringLiteral("GoalOn Hold"),
        QStringLiteral("GoalOpen"),
        QStringLiteral("TaskClosed"),
        QStringLiteral("TaskCompleted"),
        QStringLiteral("TaskOn Hold"),
        QStringLiteral("GoalClosed"),
        QStringLiteral("Software ObjectClosed"),
        QStringLiteral("ApplicationCompleted"),
        QStringLiteral("ApplicationOn Hold"),
        QStringLiteral("ApplicationOpen"),
        QStringLiteral("ApplicationClosed"),
        QStringLiteral("Software ObjectCompleted"),
        QStringLiteral("Software ObjectOn Hold"),
        QStringLiteral("Software ObjectOpen"),
    };
    return k;
}

QIcon TreeImages::icon(const QString& key)
{
    static QHash<QString, QIcon> cache;
    const auto it = cache.constFind(key);
    if (it != cache.constEnd()) {
        return *it;
    }
    if (!keys().contains(key)) {
        return {};
    }
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        icon.addPixmap(render(key, size));
    }
    cache.insert(key, icon);
    return icon;
}
