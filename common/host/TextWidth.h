#pragma once

#include <QStringView>

namespace tallimo::host {

// Width of a text in character cells: East Asian wide and full-width characters count two,
// everything else one; for a text of several lines, its widest line.
int textWidthUnits(QStringView text);

}  // namespace tallimo::host
