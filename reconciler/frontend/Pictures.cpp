#include "Pictures.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace tallimo::reconciler {

namespace {

const QColor kInk(0x1f, 0x4e, 0x79);

// Each picture is drawn in a 24 x 24 box; the painter is scaled to the button's size.
void drawChooseArea(QPainter& p) {
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 4, 15, 14));
    for (double y : {8.5, 13.0})
        p.drawLine(QPointF(3, y), QPointF(18, y));
    p.drawLine(QPointF(10.5, 4), QPointF(10.5, 18));
    p.setBrush(QColor(0x7f, 0xc8, 0xf8, 160));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(10.5, 8.5, 7.5, 9.5));
    // The pointer that picks the cells.
    QPainterPath arrow;
    arrow.moveTo(14, 12);
    arrow.lineTo(21.5, 19);
    arrow.lineTo(18, 19.3);
    arrow.lineTo(19.8, 22.5);
    arrow.lineTo(18.4, 23.2);
    arrow.lineTo(16.6, 20);
    arrow.lineTo(14, 22.2);
    arrow.closeSubpath();
    p.setPen(QPen(Qt::white, 0.8));
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawPath(arrow);
}

void drawMaintenance(QPainter& p) {
    // A wrench over a gear wheel.
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xd9, 0xe7, 0xf3));
    QPainterPath gear;
    const QPointF centre(12, 12);
    for (int i = 0; i < 16; ++i) {
        const double radius = (i / 2) % 2 == 0 ? 9.5 : 7.2;
        const double angle = (i * 22.5 - 11.25) * M_PI / 180.0;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() + radius * std::sin(angle));
        if (i == 0)
            gear.moveTo(point);
        else
            gear.lineTo(point);
    }
    gear.closeSubpath();
    gear.addEllipse(centre, 3.0, 3.0);
    p.drawPath(gear);
    p.setPen(QPen(QColor(0xe0, 0x8a, 0x1e), 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(6, 19), QPointF(15, 10));
    p.setPen(QPen(QColor(0xe0, 0x8a, 0x1e), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(13, 4.5, 7, 7), 200 * 16, 250 * 16);
}

void drawFindDuplicates(QPainter& p) {
    p.setPen(QPen(kInk, 1.1));
    for (const QPointF& corner : {QPointF(3, 3), QPointF(8, 7)}) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(corner, QSizeF(11, 13)));
        for (double y = 3; y <= 9; y += 3)
            p.drawLine(corner + QPointF(2, y), corner + QPointF(9, y));
    }
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 1.8));
    p.setBrush(QColor(255, 255, 255, 180));
    p.drawEllipse(QPointF(16, 16), 4.2, 4.2);
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(22, 22));
}

void drawExit(QPainter& p) {
    p.setPen(QPen(QColor(0xc0, 0x39, 0x2b), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(5, 5.5, 14, 14), 120 * 16, 300 * 16);
    p.drawLine(QPointF(12, 3.5), QPointF(12, 11.5));
}

void drawConfirm(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2e, 0x9d, 0x4f));
    p.drawEllipse(QRectF(2, 2, 20, 20));
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(7, 12.5), QPointF(10.5, 16), QPointF(17, 8.5)}));
}

void drawReturn(QPainter& p) {
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath bend;
    bend.moveTo(19, 18);
    bend.lineTo(19, 13);
    bend.cubicTo(19, 10, 17, 9, 14, 9);
    bend.lineTo(6, 9);
    p.drawPath(bend);
    p.drawPolyline(QPolygonF({QPointF(10, 5), QPointF(6, 9), QPointF(10, 13)}));
}

}  // namespace

PictureButton::PictureButton(Picture picture, QWidget* parent)
    : QAbstractButton(parent), picture_(picture) {
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (hovered_ || isDown()) {
        p.setPen(QColor(0x9c, 0xc3, 0xe6));
        p.setBrush(isDown() ? QColor(0xc7, 0xdf, 0xf5) : QColor(0xe5, 0xf1, 0xfb));
        p.drawRoundedRect(box, 3, 3);
    }
    const double side = std::min(width(), height());
    p.translate((width() - side) / 2.0, (height() - side) / 2.0);
    p.scale(side / 24.0, side / 24.0);
    switch (picture_) {
        case Picture::ChooseArea:
            drawChooseArea(p);
            break;
        case Picture::Maintenance:
            drawMaintenance(p);
            break;
        case Picture::FindDuplicates:
            drawFindDuplicates(p);
            break;
        case Picture::Exit:
            drawExit(p);
            break;
        case Picture::Confirm:
            drawConfirm(p);
            break;
        case Picture::Return:
            drawReturn(p);
            break;
    }
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

void paintPanelBackground(QPainter& p, const QRect& rect, int stripHeight) {
    QLinearGradient strip(rect.topLeft(), QPoint(rect.left(), rect.top() + stripHeight));
    strip.setColorAt(0, QColor(0x2b, 0x6c, 0xb0));
    strip.setColorAt(1, QColor(0x1f, 0x4e, 0x79));
    p.fillRect(QRect(rect.left(), rect.top(), rect.width(), stripHeight), strip);
    QLinearGradient body(QPoint(rect.left(), rect.top() + stripHeight), rect.bottomLeft());
    body.setColorAt(0, QColor(0xf7, 0xfa, 0xfd));
    body.setColorAt(1, QColor(0xe4, 0xec, 0xf5));
    p.fillRect(
        QRect(rect.left(), rect.top() + stripHeight, rect.width(), rect.height() - stripHeight),
        body);
    p.setPen(QColor(0x1f, 0x4e, 0x79));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect.adjusted(0, 0, -1, -1));
}

QFont panelFont(double pointSize, bool bold) {
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

}  // namespace tallimo::reconciler
