#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace tallimo::dupfinder {

// The twelve colour boxes: the background colours the cells' fill and the box, the text colour
// the cells' font and the box's caption. Colours in the host's form (red in the low byte).
struct ColorBox {
    std::uint32_t background;
    std::uint32_t text;
};

inline constexpr int kColorBoxCount = 12;

const std::array<ColorBox, kColorBoxCount>& colorBoxes();

// "S1" to "S12".
QString colorBoxCaption(int index);

}  // namespace tallimo::dupfinder
