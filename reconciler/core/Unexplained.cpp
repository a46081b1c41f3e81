#include "Unexplained.h"

#include "Report.h"

#include <cmath>

namespace tallimo::core {

std::optional<qint64> centsOf(QStringView sumText) {
    const std::optional<double> amount = detail::toAmount(sumText);
    // Past 10^13 yuan the cents no longer survive in a double.
    if (!amount || !(std::abs(*amount) < 1e13)) return std::nullopt;
    return qint64(std::llround(*amount * 100));
}

void UnexplainedRows::collectFor(PassInput& input, int pass) {
    auto& sides = rows_[std::size_t(pass - 1)];
    input.unexplainedRows = [&sides](Side side, std::span<const qint32> sheetRows,
                                     QStringView key) {
        const std::optional<qint64> cents = centsOf(detail::sumField(key));
        auto& kept = sides[side == Side::Left ? 0 : 1];
        for (qint32 row : sheetRows)
            kept.push_back({row, cents});
    };
}

}  // namespace tallimo::core
