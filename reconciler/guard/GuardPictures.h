#pragma once

class QPainter;
class QRectF;

namespace tallimo::reconciler {

// The guard setup's background: a header band carrying a shield over a column grid, a light body
// and a thin frame, since the window has no border of its own.
void paintGuardBackground(QPainter& painter, const QRectF& area, double headerHeight);

}  // namespace tallimo::reconciler
