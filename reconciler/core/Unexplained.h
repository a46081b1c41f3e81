#pragma once

#include "Reconcile.h"

#include <array>
#include <optional>
#include <vector>

// The rows each pass leaves unexplained (marked ◇ ○ ◆ ●), kept while the pass marks them, for
// what is written about them after the passes.
namespace tallimo::core {

struct UnexplainedRow {
    qint32 row;
    std::optional<qint64> cents;  // none when the sum text is no amount in range
};

class UnexplainedRows {
public:
    // What pass `pass` hands over is kept for it.
    void collectFor(PassInput& input, int pass);
    const std::vector<UnexplainedRow>& of(int pass, Side side) const {
        return rows_[std::size_t(pass - 1)][side == Side::Left ? 0 : 1];
    }

private:
    std::array<std::array<std::vector<UnexplainedRow>, 2>, 2> rows_;  // pass, side
};

// The amount of a sum text in cents, as the report counts it; none when it is no amount or too
// large to be one.
std::optional<qint64> centsOf(QStringView sumText);

}  // namespace tallimo::core
