#pragma once

class QWidget;

namespace tallimo::reconciler {

// The place of a window whose left edge lies `rightGapTwips` from the screen's right edge (after
// the window's own width) and whose top edge lies at `topTwips`.
void placeFromRightEdge(QWidget* window, int rightGapTwips, int topTwips);

}  // namespace tallimo::reconciler
