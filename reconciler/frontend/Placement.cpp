#include "Placement.h"
#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tallimo::reconciler {

void placeFromRightEdge(QWidget* window, int rightGapTwips, int topTwips) {
    QScreen* screen = QGuiApplication::primaryScreen();
    const platform::TwipScale scale = platform::TwipScale::of(screen);
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    window->move(area.right() + 1 - window->width() - scale.toPixelsX(rightGapTwips),
                 area.top() + scale.toPixelsY(topTwips));
}

}  // namespace tallimo::reconciler
