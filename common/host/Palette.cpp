#include "Palette.h"

#include "HostTypes.h"

namespace tallimo::host {

const std::array<std::uint32_t, 56>& defaultPalette() {
    static const std::array<std::uint32_t, 56> palette = {
        rgbColor(0, 0, 0),       rgbColor(255, 255, 255), rgbColor(255, 0, 0),
        rgbColor(0, 255, 0),     rgbColor(0, 0, 255),     rgbColor(255, 255, 0),
        rgbColor(255, 0, 255),   rgbColor(0, 255, 255),   rgbColor(128, 0, 0),
        rgbColor(0, 128, 0),     rgbColor(0, 0, 128),     rgbColor(128, 128, 0),
        rgbColor(128, 0, 128),   rgbColor(0, 128, 128),   rgbColor(192, 192, 192),
        rgbColor(128, 128, 128), rgbColor(153, 153, 255), rgbColor(153, 51, 102),
        rgbColor(255, 255, 204), rgbColor(204, 255, 255), rgbColor(102, 0, 102),
        rgbColor(255, 128, 128), rgbColor(0, 102, 204),   rgbColor(204, 204, 255),
        rgbColor(0, 0, 128),     rgbColor(255, 0, 255),   rgbColor(255, 255, 0),
        rgbColor(0, 255, 255),   rgbColor(128, 0, 128),   rgbColor(128, 0, 0),
        rgbColor(0, 128, 128),   rgbColor(0, 0, 255),     rgbColor(0, 204, 255),
        rgbColor(204, 255, 255), rgbColor(204, 255, 204), rgbColor(255, 255, 153),
        rgbColor(153, 204, 255), rgbColor(255, 153, 204), rgbColor(204, 153, 255),
        rgbColor(255, 204, 153), rgbColor(51, 102, 255),  rgbColor(51, 204, 204),
        rgbColor(153, 204, 0),   rgbColor(255, 204, 0),   rgbColor(255, 153, 0),
        rgbColor(255, 102, 0),   rgbColor(102, 102, 153), rgbColor(150, 150, 150),
        rgbColor(0, 51, 102),    rgbColor(51, 153, 102),  rgbColor(0, 51, 0),
        rgbColor(51, 51, 0),     rgbColor(153, 51, 0),    rgbColor(153, 51, 102),
        rgbColor(51, 51, 153),   rgbColor(51, 51, 51),
    };
    return palette;
}

int exactPaletteIndex(std::uint32_t color) {
    const auto& palette = defaultPalette();
    for (std::size_t i = 0; i < palette.size(); ++i)
        if (palette[i] == color) return int(i) + 1;
    return 0;
}

}  // namespace tallimo::host
