#pragma once

#include <array>
#include <cstdint>

namespace tallimo::host {

// The host's default 56-colour palette: entry i - 1 is ColorIndex i, as host colour values
// (red in the low byte).
const std::array<std::uint32_t, 56>& defaultPalette();

// The lowest ColorIndex whose palette colour equals `color` exactly; 0 when there is none.
int exactPaletteIndex(std::uint32_t color);

}  // namespace tallimo::host
