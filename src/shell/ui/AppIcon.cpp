#include "shell/ui/AppIcon.h"

#include <QPainter>
#include <QPolygonF>

QPixmap ControlFlagPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF flag(size * 0.08, size * 0.08, size * 0.84, size * 0.84);
    painter.setPen(QPen(QColor(60, 60, 60), qMax(1.0, size / 32.0)));
    painter.setBrush(Qt::white);
    painter.drawRect(flag);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(238, 118, 0));
    painter.drawPolygon(QPolygonF{flag.topRight(), flag.bottomRight(), flag.bottomLeft()});
    return pixmap;
}

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(ControlFlagPixmap(size));
    return icon;
}
