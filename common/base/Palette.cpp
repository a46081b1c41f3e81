#include "Palette.h"

#include <array>

namespace tallimo::host {

namespace {

// As 0xRRGGBB, the way colour tables are usually written down.
constexpr std::array<std::uint32_t, 56> kPaletteRgb = {
    0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF00FF, 0x00FFFF,
    0x800000, 0x008000, 0x000080, 0x808000, 0x800080, 0x008080, 0xC0C0C0, 0x808080,
    0x9999FF, 0x993366, 0xFFFFCC, 0xCCFFFF, 0x660066, 0xFF8080, 0x0066CC, 0xCCCCFF,
    0x000080, 0xFF00FF, 0xFFFF00, 0x00FFFF, 0x800080, 0x800000, 0x008080, 0x0000FF,
    0x00CCFF, 0xCCFFFF, 0xCCFFCC, 0xFFFF99, 0x99CCFF, 0xFF99CC, 0xCC99FF, 0xFFCC99,
    0x3366FF, 0x33CCCC, 0x99CC00, 0xFFCC00, 0xFF9900, 0xFF6600, 0x666699, 0x969696,
    0x003366, 0x339966, 0x003300, 0x333300, 0x993300, 0x993366, 0x333399, 0x333333,
};

constexpr std::uint32_t hostFromRgb(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

}  // namespace

bool paletteColor(int colorIndex, std::uint32_t& color) {
    if (colorIndex < 1 || colorIndex > int(kPaletteRgb.size())) return false;
    color = hostFromRgb(kPaletteRgb[colorIndex - 1]);
    return true;
}

int paletteIndexOf(std::uint32_t color) {
    for (std::size_t i = 0; i < kPaletteRgb.size(); ++i)
        if (hostFromRgb(kPaletteRgb[i]) == color) return int(i) + 1;
    return 0;
}

}  // namespace tallimo::host
