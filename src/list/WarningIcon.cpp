#include "list/WarningIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

QIcon drawnWarningIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        p.setPen(QPen(QColor(120, 80, 0), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(QColor(250, 200, 30));
        p.drawPolygon(QPolygonF({{16, 2.5}, {30, 29}, {2, 29}}));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 30, 0));
        p.drawRoundedRect(QRectF(14.5, 10, 3, 11), 1.5, 1.5);
        p.drawEllipse(QPointF(16, 25), 1.8, 1.8);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
