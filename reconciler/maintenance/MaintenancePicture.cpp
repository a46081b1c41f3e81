#include "MaintenancePicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tallimo::reconciler {

void paintMaintenancePicture(QPainter& painter, const QRectF& box) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(box.topLeft());
    painter.scale(box.width(), box.height());

    // The sheet: a grid with a green header row and column.
    const QRectF sheet(0.06, 0.04, 0.74, 0.84);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 40));
    painter.drawRoundedRect(sheet.translated(0.025, 0.03), 0.05, 0.05);
    painter.setPen(QPen(QColor(70, 90, 110), 0.015));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet, 0.05, 0.05);
    painter.fillRect(QRectF(sheet.left() + 0.01, sheet.top() + 0.01, sheet.width() - 0.02, 0.14),
                     QColor(56, 142, 60));
    painter.setPen(QPen(QColor(190, 200, 210), 0.01));
    for (int row = 1; row <= 5; ++row) {
        const double y = sheet.top() + 0.15 + row * 0.12;
        painter.drawLine(QPointF(sheet.left() + 0.02, y), QPointF(sheet.right() - 0.02, y));
    }
    for (int column = 1; column <= 3; ++column) {
        const double x = sheet.left() + column * sheet.width() / 4;
        painter.drawLine(QPointF(x, sheet.top() + 0.15), QPointF(x, sheet.bottom() - 0.02));
    }

    // The wrench, lying across the lower right of the sheet.
    painter.translate(0.6, 0.62);
    painter.rotate(-45);
    QLinearGradient steel(-0.05, 0, 0.05, 0);
    steel.setColorAt(0, QColor(150, 160, 172));
    steel.setColorAt(0.5, QColor(236, 240, 245));
    steel.setColorAt(1, QColor(120, 130, 142));
    painter.setPen(QPen(QColor(60, 68, 80), 0.012));
    painter.setBrush(steel);
    painter.drawRoundedRect(QRectF(-0.045, -0.05, 0.09, 0.42), 0.04, 0.04);
    QPainterPath head;
    head.addEllipse(QPointF(0, -0.12), 0.13, 0.13);
    QPainterPath jaw;
    jaw.addRect(QRectF(-0.045, -0.3, 0.09, 0.17));
    painter.drawPath(head.subtracted(jaw));
    painter.restore();
}

}  // namespace tallimo::reconciler
