#include "CompensatedSum.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <optional>

namespace tallimo {
namespace {

__extension__ using Int128 = __int128;

constexpr int kMaxDecimals = 9;  // the total counts billionths
constexpr double kPowers[kMaxDecimals + 1] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr std::int64_t kIntegerPowers[kMaxDecimals + 1] = {
    1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000};
// Whole numbers this large are still taken exactly; in billionths they leave the 128-bit total
// room for a hundred of them before it overflows into the compensated sum.
constexpr double kMaxWhole = 1e27;
constexpr double kMaxSignificant = 1e15;  // 15 significant digits

struct Decimal {
    Int128 digits;
    int decimals;
};

// The decimal a double stands for, as its 15-significant-digit display shows it: the fewest
// decimals at which it is an integer but for a few units in the last place, the noise that
// arithmetic on amounts leaves (0.1 + 0.2 is 0.3).
std::optional<Decimal> decimalOf(double x) {
    const double magnitude = std::abs(x);
    if (!(magnitude < kMaxWhole)) return std::nullopt;  // NaN and infinities too
    if (magnitude >= kMaxSignificant) {
        const bool whole = magnitude >= 0x1p53 || x == double(std::int64_t(x));
        return whole ? std::optional(Decimal{Int128(x), 0}) : std::nullopt;
    }
    for (int decimals = 0; decimals <= kMaxDecimals; ++decimals) {
        const double scaled = x * kPowers[decimals];
        if (std::abs(scaled) >= kMaxSignificant) return std::nullopt;
        // Plain conversions rather than the rounding functions, which are library calls here.
        const auto digits = std::int64_t(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
        const double error = std::abs(scaled - double(digits));
        if (error == 0 || (digits != 0 && error <= std::abs(double(digits)) * 4 * DBL_EPSILON))
            return Decimal{digits, decimals};
    }
    return std::nullopt;
}

// digits × 10^-decimals rounded once, to the nearest double.
double toDouble(Int128 digits, int decimals) {
    // Both operands exact doubles: the one division rounds correctly, no text needed.
    constexpr Int128 kExactInDouble = Int128(1) << 53;
    if (digits <= kExactInDouble && digits >= -kExactInDouble)
        return double(digits) / kPowers[decimals];
    char buffer[64];
    char* end = buffer + sizeof buffer;
    char* p = end;
    const auto put = [&](char c) { *--p = c; };
    put(char('0' + decimals));
    put('-');
    put('e');
    const bool negative = digits < 0;
    // Digit by digit from a negative value, which also covers the most negative total.
    Int128 rest = negative ? digits : -digits;
    do {
        put(char('0' - int(rest % 10)));
        rest /= 10;
    } while (rest != 0);
    if (negative) put('-');
    double value = 0;
    std::from_chars(p, end, value);
    return value;
}

}  // namespace

void CompensatedSum::add(double x) {
    if (exact_) {
        const auto decimal = decimalOf(x);
        Int128 scaled = 0;
        if (decimal) decimals_ = std::max(decimals_, decimal->decimals);
        exact_ = decimal &&
                 !__builtin_mul_overflow(
                     decimal->digits, kIntegerPowers[kMaxDecimals - decimal->decimals], &scaled) &&
                 !__builtin_add_overflow(billionths_, scaled, &billionths_);
    }
    if (!finite_) {
        sum_ += x;
        return;
    }
    const double total = sum_ + x;
    if (!std::isfinite(total)) {
        finite_ = false;
        sum_ = total;
        return;
    }
    // The low-order part that the addition dropped, from whichever operand was smaller.
    if (std::abs(sum_) >= std::abs(x))
        compensation_ += (sum_ - total) + x;
    else
        compensation_ += (x - total) + sum_;
    sum_ = total;
}

double CompensatedSum::value() const {
    if (!finite_) return sum_;
    if (exact_) {
        // Every addend was a multiple of 10^-decimals_; in those units the total usually fits
        // the 53 bits that convert without a text.
        const std::int64_t unit = kIntegerPowers[kMaxDecimals - decimals_];
        const bool small = billionths_ >= INT64_MIN && billionths_ <= INT64_MAX;
        return toDouble(small ? Int128(std::int64_t(billionths_) / unit) : billionths_ / unit,
                        decimals_);
    }
    return sum_ + compensation_;
}

double decimalProduct(double amount, std::int64_t count) {
    const auto decimal = decimalOf(amount);
    Int128 product = 0;
    if (!decimal || __builtin_mul_overflow(decimal->digits, Int128(count), &product))
        return amount * double(count);
    return toDouble(product, decimal->decimals);
}

}  // namespace tallimo
