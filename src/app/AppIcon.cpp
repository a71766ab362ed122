#include "app/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

QIcon pencilIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 64}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        p.translate(32, 32);
        p.rotate(45);
        // Body, ferrule, wood and lead of a pencil lying from top right to bottom left.
        p.setPen(QPen(QColor(60, 60, 60), 2));
        p.setBrush(QColor(245, 190, 40));
        p.drawRect(QRectF(-7, -26, 14, 38));
        p.setBrush(QColor(230, 120, 130));
        p.drawRect(QRectF(-7, -30, 14, 6));
        // The wood and the lead are both cones ending in the point (0, 28).
        const auto cone = [&p](qreal halfWidth, qreal top, const QColor &colour) {
            p.setBrush(colour);
            p.drawPolygon(QPolygonF({{-halfWidth, top}, {halfWidth, top}, {0, 28}}));
        };
        cone(7, 12, QColor(240, 215, 170));
        cone(2.5, 22, QColor(40, 40, 40));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
