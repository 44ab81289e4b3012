#include "app/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>

void paintProgramIcon(QPainter& painter)
{
    // Body and nose cone.
    QPainterPath body;
    body.moveTo(32, 2);
    body.cubicTo(42, 10, 44, 22, 44, 40);
    body.lineTo(20, 40);
    body.cubicTo(20, 22, 22, 10, 32, 2);
    painter.setPen(QPen(QColor(60, 70, 90), 2));
    painter.setBrush(QColor(225, 230, 238));
    painter.drawPath(body);

    // Fins.
    painter.setBrush(QColor(182, 40, 40));
    painter.drawPolygon(QPolygonF({QPointF(20, 28), QPointF(10, 44), QPointF(20, 42)}));
    painter.drawPolygon(QPolygonF({QPointF(44, 28), QPointF(54, 44), QPointF(44, 42)}));

    // Window.
    painter.setBrush(QColor(127, 157, 185));
    painter.drawEllipse(QPointF(32, 20), 5, 5);

    // Three engines: two burning, the middle one failed.
    painter.setPen(Qt::NoPen);
    for (const qreal x : {24.0, 40.0}) {
        QPainterPath flame;
        flame.moveTo(x - 4, 42);
        flame.cubicTo(x - 4, 52, x, 60, x, 62);
        flame.cubicTo(x, 60, x + 4, 52, x + 4, 42);
        painter.setBrush(QColor(255, 168, 0));
        painter.drawPath(flame);
    }
    painter.setBrush(QColor(90, 90, 90));
    painter.drawRect(QRectF(29, 41, 6, 6));
}

QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(static_cast<qreal>(size) / programIconUnits,
                  static_cast<qreal>(size) / programIconUnits);
    paintProgramIcon(painter);
    return image;
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : programIconSizes)
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}
