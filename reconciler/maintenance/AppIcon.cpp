#include "AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tallimo::reconciler {

namespace {

// A sheet with a header row and ruled lines, in a unit square scaled by the painter.
void paintSheet(QPainter& painter, const QRectF& sheet, const QColor& header) {
    painter.setPen(QPen(QColor(60, 72, 88), 0.025));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet, 0.04, 0.04);
    painter.fillRect(
        QRectF(sheet.left() + 0.02, sheet.top() + 0.02, sheet.width() - 0.04, sheet.height() * 0.2),
        header);
    painter.setPen(QPen(QColor(180, 190, 205), 0.02));
    for (int i = 1; i <= 3; ++i) {
        const double y = sheet.top() + sheet.height() * (0.2 + 0.2 * i);
        painter.drawLine(QPointF(sheet.left() + 0.06, y), QPointF(sheet.right() - 0.06, y));
    }
}

QPixmap iconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size, size);

    QLinearGradient ground(0, 0, 0, 1);
    ground.setColorAt(0, QColor(44, 120, 200));
    ground.setColorAt(1, QColor(20, 72, 140));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ground);
    painter.drawRoundedRect(QRectF(0.02, 0.02, 0.96, 0.96), 0.18, 0.18);

    paintSheet(painter, QRectF(0.14, 0.14, 0.46, 0.56), QColor(120, 180, 90));
    paintSheet(painter, QRectF(0.40, 0.30, 0.46, 0.56), QColor(240, 170, 60));

    QPainterPath tick;
    tick.moveTo(0.30, 0.66);
    tick.lineTo(0.44, 0.80);
    tick.lineTo(0.74, 0.46);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255), 0.13, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.setPen(QPen(QColor(0, 150, 70), 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    return pixmap;
}

}  // namespace

QIcon reconcilerIcon() {
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(iconPixmap(size));
    return icon;
}

}  // namespace tallimo::reconciler
