#include "SearchArea.h"

namespace tallimo::dupfinder {

SearchArea searchAreaAt(const QString& address) {
    return {address, parseAreaAddress(address, Grid::Small)};
}

SearchArea searchAreaOf(const host::CellRect& block) {
    return {host::absoluteAddress(block),
            {block.top, columnLetters(block.left), block.bottom, columnLetters(block.right)}};
}

}  // namespace tallimo::dupfinder
