#include "ColorBoxes.h"

#include "HostTypes.h"

namespace tallimo::dupfinder {

const std::array<ColorBox, kColorBoxCount>& colorBoxes() {
    using host::rgbColor;
    static constexpr std::array<ColorBox, kColorBoxCount> boxes = {{
        {rgbColor(255, 255, 0), rgbColor(255, 0, 0)},
        {rgbColor(255, 217, 100), rgbColor(255, 255, 255)},
        {rgbColor(255, 192, 0), rgbColor(0, 0, 255)},
        {rgbColor(169, 208, 142), rgbColor(255, 0, 0)},
        {rgbColor(0, 176, 80), rgbColor(255, 255, 255)},
        {rgbColor(0, 128, 0), rgbColor(255, 204, 153)},
        {rgbColor(48, 84, 150), rgbColor(255, 204, 0)},
        {rgbColor(0, 176, 240), rgbColor(0, 0, 255)},
        {rgbColor(0, 0, 255), rgbColor(255, 255, 255)},
        {rgbColor(0, 0, 0), rgbColor(255, 0, 0)},
        {rgbColor(255, 0, 0), rgbColor(255, 255, 255)},
        {rgbColor(0, 0, 0), rgbColor(255, 255, 255)},
    }};
    return boxes;
}

QString colorBoxCaption(int index) {
    return QStringLiteral("S%1").arg(index + 1);
}

}  // namespace tallimo::dupfinder
