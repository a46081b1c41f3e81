#pragma once

#include <cstdint>

namespace tallimo {

// A running total of amounts that does not pick up the rounding noise of a plain double total.
//
// Amounts are decimals, and a long column of them summed in doubles drifts into the 15
// significant digits that are shown ("894172798.729997" for 894172798.73). So while every
// addend is a decimal of at most nine places and 15 significant digits, as its 15-digit display
// shows it, the sum is kept exactly as an integer count of billionths and rounded to a double
// once, when read. Other addends (1/3, 1E-20, 1E+300) switch the total to Neumaier's compensated
// summation, whose error stays within a unit or two in the last place whatever the order, signs
// and magnitudes of the addends.
//
// The value is a plain double either way. A non-finite addend, or a total past the double range,
// leaves it non-finite: the caller decides how to show that.
class CompensatedSum {
public:
    void add(double x);
    CompensatedSum& operator+=(double x) {
        add(x);
        return *this;
    }
    double value() const;

private:
    __extension__ using Int128 = __int128;

    Int128 billionths_ = 0;
    int decimals_ = 0;  // the most any addend had
    bool exact_ = true;
    double sum_ = 0;
    double compensation_ = 0;
    bool finite_ = true;
};

// amount × count, the double nearest the exact decimal product when the amount is a decimal as
// CompensatedSum takes it (0.1 × 3 is 0.3, not 0.30000000000000004); a plain product otherwise.
double decimalProduct(double amount, std::int64_t count);

}  // namespace tallimo
