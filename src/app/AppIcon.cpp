#include "app/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

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
        QPainterPath tip;
        tip.moveTo(-7, 12);
        tip.lineTo(7, 12);
        tip.lineTo(0, 28);
        tip.closeSubpath();
        p.setBrush(QColor(240, 215, 170));
        p.drawPath(tip);
        QPainterPath lead;
        lead.moveTo(-2.5, 22);
        lead.lineTo(2.5, 22);
        lead.lineTo(0, 28);
        lead.closeSubpath();
        p.setBrush(QColor(40, 40, 40));
        p.drawPath(lead);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
