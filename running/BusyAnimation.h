#pragma once

#include <QColor>

namespace tallimo::running {

// The indicator's animation: a counter that runs 1, 2, ..., 8, 0, 1, ... one step per tick,
// colouring the "正在比对" label and stretching the line after it.
class BusyAnimation {
public:
    // Where the label stands, in twips; the line starts at its right edge.
    static constexpr int labelLeft = 960;
    static constexpr int labelWidth = 720;
    static constexpr int lineGrowthPerStep = 8;

    void tick() { counter_ = (counter_ + 1) % 9; }
    int counter() const { return counter_; }

    QColor labelColour() const { return QColor(counter_ * 20, 100, counter_ * 20); }
    // The x coordinate of the line's right end, in twips.
    int lineRight() const { return labelLeft + labelWidth + counter_ * lineGrowthPerStep; }

private:
    int counter_ = 0;
};

}  // namespace tallimo::running
