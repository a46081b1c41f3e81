#include "GuardPictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tallimo::reconciler {

namespace {

// A shield with three guarded columns on it and a tick, inside `box`.
void paintShield(QPainter& painter, const QRectF& box) {
    const double w = box.width(), h = box.height();
    QPainterPath shield;
    shield.moveTo(box.left() + w * 0.5, box.top());
    shield.cubicTo(box.left() + w * 0.72, box.top() + h * 0.1, box.left() + w * 0.9,
                   box.top() + h * 0.1, box.right(), box.top() + h * 0.12);
    shield.cubicTo(box.right(), box.top() + h * 0.62, box.left() + w * 0.8, box.top() + h * 0.86,
                   box.left() + w * 0.5, box.bottom());
    shield.cubicTo(box.left() + w * 0.2, box.top() + h * 0.86, box.left(), box.top() + h * 0.62,
                   box.left(), box.top() + h * 0.12);
    shield.cubicTo(box.left() + w * 0.1, box.top() + h * 0.1, box.left() + w * 0.28,
                   box.top() + h * 0.1, box.left() + w * 0.5, box.top());
    QLinearGradient fill(box.topLeft(), box.bottomRight());
    fill.setColorAt(0, QColor(255, 214, 102));
    fill.setColorAt(1, QColor(230, 150, 30));
    painter.setPen(QPen(QColor(120, 70, 0), w * 0.05));
    painter.setBrush(fill);
    painter.drawPath(shield);

    // Three column bars, the middle one ticked.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 210));
    for (int i = 0; i < 3; ++i)
        painter.drawRoundedRect(
            QRectF(box.left() + w * (0.24 + i * 0.19), box.top() + h * 0.24, w * 0.13, h * 0.44),
            w * 0.03, w * 0.03);
    QPainterPath tick;
    tick.moveTo(box.left() + w * 0.3, box.top() + h * 0.5);
    tick.lineTo(box.left() + w * 0.46, box.top() + h * 0.66);
    tick.lineTo(box.left() + w * 0.74, box.top() + h * 0.3);
    painter.setPen(QPen(QColor(0, 120, 60), w * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

}  // namespace

void paintGuardBackground(QPainter& painter, const QRectF& area, double headerHeight) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(area.topLeft(), area.bottomLeft());
    body.setColorAt(0, QColor(246, 249, 252));
    body.setColorAt(1, QColor(226, 234, 243));
    painter.fillRect(area, body);

    const QRectF header(area.left(), area.top(), area.width(), headerHeight);
    QLinearGradient band(header.topLeft(), header.bottomLeft());
    band.setColorAt(0, QColor(32, 96, 160));
    band.setColorAt(1, QColor(18, 66, 120));
    painter.fillRect(header, band);
    painter.setPen(QPen(QColor(255, 196, 70), headerHeight * 0.05));
    painter.drawLine(header.bottomLeft(), header.bottomRight());

    const double shieldSize = headerHeight * 0.72;
    paintShield(painter, QRectF(header.left() + headerHeight * 0.18,
                                header.top() + (headerHeight - shieldSize) / 2, shieldSize * 0.86,
                                shieldSize));

    painter.setPen(QPen(QColor(18, 66, 120), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0.5, 0.5, -0.5, -0.5));
    painter.restore();
}

}  // namespace tallimo::reconciler
