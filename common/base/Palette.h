#pragma once

#include <cstdint>

namespace tallimo::host {

// The host's default 56-entry colour palette in the host's colour value form (red in the low
// byte); false for an index outside 1..56.
bool paletteColor(int colorIndex, std::uint32_t& color);

// The palette index of a colour; where the palette holds the colour twice, the lower index.
// 0 when the colour is not in the palette.
int paletteIndexOf(std::uint32_t color);

}  // namespace tallimo::host
