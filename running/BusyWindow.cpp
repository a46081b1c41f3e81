#include "BusyWindow.h"

#include "Entries.h"
#include "OwnWindow.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <cmath>

namespace tallimo::running {

namespace {

// The panel's corner lies this far outside the indicator's.
constexpr QPointF offsetFromPanel{300, 100};
constexpr int tickMilliseconds = 100;
constexpr int screenMarginTwips = 300;

QFont songFont(int pointSize, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")});
    font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

std::optional<double> twipsValue(const entries::Setting& setting) {
    bool ok = false;
    const double value = setting.get().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<QPointF> panelPositionFromSettings() {
    const auto left = twipsValue(entries::hiSet::rLeft());
    const auto top = twipsValue(entries::hiSet::rTop());
    if (!left || !top) return std::nullopt;
    return QPointF(*left, *top);
}

BusyWindow::BusyWindow(const QString& token, std::optional<QPointF> panelTwips,
                       platform::TwipScale scale)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), scale_(scale) {
    setWindowTitle(token);
    setFixedSize(scale_.toPixels(QSize(widthTwips, heightTwips)));
    platform::makeTopmost(this);
    place(panelTwips);
    platform::enableDragMove(this);

    timer_.setInterval(tickMilliseconds);
    connect(&timer_, &QTimer::timeout, this, [this] {
        animation_.tick();
        update();
    });
    timer_.start();
}

void BusyWindow::place(std::optional<QPointF> panelTwips) {
    if (panelTwips) {
        const QPointF corner = *panelTwips + offsetFromPanel;
        move(scale_.toPixelsX(corner.x()), scale_.toPixelsY(corner.y()));
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    move(available.right() + 1 - width() - scale_.toPixelsX(screenMarginTwips),
         available.top() + scale_.toPixelsY(offsetFromPanel.y()));
}

QRect BusyWindow::twipsRect(int left, int top, int width, int height) const {
    return scale_.toPixels(QRect(left, top, width, height));
}

void BusyWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    // The background picture: a soft gradient with a thin frame.
    QLinearGradient background(0, 0, 0, height());
    background.setColorAt(0, QColor(250, 252, 255));
    background.setColorAt(1, QColor(214, 228, 245));
    painter.fillRect(rect(), background);
    painter.setPen(QPen(QColor(120, 150, 190), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));

    // The emblem: two overlapping ledger sheets with a tick, left of the texts.
    const QRectF emblem = twipsRect(180, 150, 600, 645);
    const qreal sheetWidth = emblem.width() * 0.7;
    const qreal sheetHeight = emblem.height() * 0.8;
    painter.setPen(QPen(QColor(70, 110, 160), 1.2));
    painter.setBrush(QColor(236, 243, 252));
    painter.drawRoundedRect(QRectF(emblem.topLeft(), QSizeF(sheetWidth, sheetHeight)), 2, 2);
    painter.setBrush(QColor(255, 255, 255));
    const QRectF front(emblem.bottomRight() - QPointF(sheetWidth, sheetHeight),
                       QSizeF(sheetWidth, sheetHeight));
    painter.drawRoundedRect(front, 2, 2);
    QPainterPath tick;
    tick.moveTo(front.left() + front.width() * 0.22, front.top() + front.height() * 0.55);
    tick.lineTo(front.left() + front.width() * 0.42, front.top() + front.height() * 0.75);
    tick.lineTo(front.left() + front.width() * 0.80, front.top() + front.height() * 0.28);
    painter.setPen(QPen(QColor(40, 140, 70), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);

    // Label1 and lblGo: the texts may run past their boxes, as labels without clipping do.
    painter.setPen(Qt::black);
    painter.setFont(songFont(9, true));
    const QRect label1 = twipsRect(960, 195, 1170, 180);
    painter.drawText(label1.adjusted(0, -label1.height(), label1.width(), label1.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Tallimo"));
    painter.setPen(animation_.labelColour());
    painter.setFont(songFont(9, false));
    const QRect labelGo = twipsRect(BusyAnimation::labelLeft, 480, BusyAnimation::labelWidth, 180);
    painter.drawText(labelGo.adjusted(0, -labelGo.height(), labelGo.width(), labelGo.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("正在比对"));

    // Line2: from the label's right edge, growing with the counter.
    painter.setPen(QPen(QColor(70, 110, 160), 1));
    const int lineY = scale_.toPixelsY(585);
    painter.drawLine(scale_.toPixelsX(1665), lineY, scale_.toPixelsX(animation_.lineRight()),
                     lineY);
}

}  // namespace tallimo::running
