#pragma once

#include "HostTypes.h"

namespace tallimo::host {

// Addresses outside the grid are refused with HostError before anything changes.
void checkRect(const CellRect& rect);
void checkCell(int row, int column);

// Writing a value or a format into each cell of a block has a limit, so that a mistaken address
// cannot take the machine's memory; whole rows and columns are formatted as such.
inline constexpr qint64 kMaxCellsPerCall = qint64(1) << 25;
void checkCellCount(const CellRect& rect);

}  // namespace tallimo::host
