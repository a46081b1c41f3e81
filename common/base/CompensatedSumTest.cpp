#include "CompensatedSum.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace tallimo {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double compensated(const std::vector<double>& addends) {
    CompensatedSum sum;
    for (double x : addends)
        sum += x;
    return sum.value();
}

double naive(const std::vector<double>& addends) {
    double sum = 0;
    for (double x : addends)
        sum += x;
    return sum;
}

std::string shown(double x) {  // as the reports show numbers: 15 significant digits
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", x);
    return text;
}

// Two-decimal amounts whose running double total drifts into the 15 digits shown; the large
// first amount keeps every partial total in the binade where that drift shows soonest.
const std::vector<double> kNoisyLedger = {612345678.91, 639524.94, 885773.94, 879042.44,
                                          706681.94,    760784.69, 799254.19, 726431.44,
                                          559369.19,    784755.19, 561154.94};

TEST(CompensatedSum, TwoDecimalAmountsAddUpToTheirDecimalTotal) {
    ASSERT_NE(shown(naive(kNoisyLedger)), "619648451.81") << "the fixture no longer shows noise";
    EXPECT_EQ(compensated(kNoisyLedger), 619648451.81);
    std::vector<double> reversed(kNoisyLedger.rbegin(), kNoisyLedger.rend());
    EXPECT_EQ(compensated(reversed), 619648451.81);
}

TEST(CompensatedSum, SignsAndMagnitudesStayCorrect) {
    struct Case {
        const char* name;
        std::vector<double> addends;
        double total;
    };
    const Case cases[] = {
        // Cancellation: the naive total shows -9251707.29000004.
        {"negatives", {-493141349.55, 159890132.71, 216595549.32, 107403960.23}, -9251707.29},
        {"small beside large", {0.01, 1e15, -1e15}, 0.01},
        {"large beside small", {1e15, 0.01}, 1000000000000000.01},
        {"cent against cent", {1e15, 0.01, -0.01}, 1e15},
        {"arithmetic noise taken as the decimal shown", {0.1 + 0.2, -0.3}, 0},
        {"only negatives", {-0.07, -0.07, -0.07}, -0.21},
        {"whole numbers past 15 digits", {1e20, 1.0, -1e20}, 1},
        {"nothing", {}, 0},
        // Not decimals of a few places: the compensated sum takes over.
        {"beyond every decimal place", {1.0, 1e100, 1.0, -1e100}, 2},
        {"tiny beside one", {1e-20, 1.0, -1.0}, 1e-20},
        {"decimals, then one beyond", {0.5, 1e100, 0.25, -1e100}, 0.75},
    };
    for (const Case& c : cases)
        EXPECT_EQ(compensated(c.addends), c.total) << c.name;
    // Past the room of the exact total the compensated one carries on.
    EXPECT_EQ(compensated(std::vector<double>(2000, 1e26)), 2000 * 1e26);
}

TEST(CompensatedSum, NonFiniteAddendsAndOverflowLeaveTheTotalNonFinite) {
    EXPECT_EQ(compensated({1e308, 1e308}), kInf);
    EXPECT_EQ(compensated({-1e308, -1e308, 1.0}), -kInf);
    EXPECT_EQ(compensated({0.01, kInf}), kInf);
    EXPECT_TRUE(std::isnan(compensated({kInf, -kInf})));
    EXPECT_TRUE(std::isnan(compensated({0.01, kNaN, 0.02})));
}

TEST(DecimalProduct, RoundsTheExactDecimalProductOnce) {
    struct Case {
        double amount;
        std::int64_t count;
        double product;
    };
    const Case cases[] =
        {
            {0.1, 3, 0.3},     {1234.56, 7, 8641.92},
            {-0.07, 3, -0.21}, {612345678.91, 9, 5511111110.19},
            {0, 5, 0},         {1e15, 1000, 1e18},
            {1.0 / 3, 3, 1.0},  // not a decimal: the plain product
        };
    for (const Case& c : cases)
        EXPECT_EQ(decimalProduct(c.amount, c.count), c.product) << c.amount << " x " << c.count;
    EXPECT_EQ(decimalProduct(1e308, 2), kInf);
}

}  // namespace
}  // namespace tallimo
