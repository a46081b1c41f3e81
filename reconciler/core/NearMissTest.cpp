#include "NearMiss.h"

#include <QDate>
#include <QElapsedTimer>

#include <gtest/gtest.h>

namespace tallimo::core::nearmiss {
namespace {

int day(int year, int month, int d) {
    return int(QDate(year, month, d).toJulianDay() - QDate(1970, 1, 1).toJulianDay());
}

Candidate row(int sheetRow, qint64 cents, std::optional<int> onDay, const char* name = "") {
    return {sheetRow, cents, onDay, QString::fromUtf8(name)};
}

// "规则|可信度|left|right": alternatives joined by "/", rows of one set by "_".
QString side(const QList<RowSet>& sets) {
    QStringList alternatives;
    for (const RowSet& set : sets) {
        QStringList rows;
        for (int r : set.rows)
            rows.append(QString::number(r));
        alternatives.append(rows.join(u'_'));
    }
    return alternatives.join(u'/');
}

QStringList describe(const Result& result) {
    QStringList lines;
    for (const Suggestion& s : result.suggestions)
        lines.append(
            QStringLiteral("%1|%2|%3|%4")
                .arg(ruleName(s.rule), confidenceName(s.confidence), side(s.left), side(s.right)));
    return lines;
}

QStringList utf8(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

struct DateCase {
    const char* text;
    int year;  // 0: not a date
    int month;
    int dayOfMonth;
};

TEST(NearMissDates, ReadsTheWrittenForms) {
    const DateCase cases[] = {
        {"2024-01-02", 2024, 1, 2},
        {"2024/1/2", 2024, 1, 2},
        {"20240102", 2024, 1, 2},
        {"2024年1月2日", 2024, 1, 2},
        {"2024.01.02", 2024, 1, 2},
        {" 2024-12-31 ", 2024, 12, 31},
        {"2024-02-29", 2024, 2, 29},
        {"2023-02-29", 0, 0, 0},
        {"2024-1/2", 0, 0, 0},
        {"20241301", 0, 0, 0},
        {"2024年1月2", 0, 0, 0},
        {"24-01-02", 0, 0, 0},
        {"1234.56", 0, 0, 0},
        {"", 0, 0, 0},
        {"2024-01-02 10:00", 2024, 1, 2},
        {"2024/1/2 10:30:00", 2024, 1, 2},
        {"2024.01.02T08:00:00.5", 2024, 1, 2},
        {"2024-01-02 备注", 0, 0, 0},
        {"2024-01-02x", 0, 0, 0},
        {"2024年1月2日 9:00", 2024, 1, 2},
        {"202401021", 0, 0, 0},
        {"2024-001-02", 0, 0, 0},
    };
    for (const DateCase& c : cases) {
        const std::optional<int> parsed = dayFromText(QString::fromUtf8(c.text));
        if (c.year == 0)
            EXPECT_FALSE(parsed) << c.text;
        else
            EXPECT_EQ(parsed, day(c.year, c.month, c.dayOfMonth)) << c.text;
    }
}

TEST(NearMissDates, MostlyDatesCountsOnlyFilledCells) {
    const auto column = [](std::initializer_list<const char*> cells) {
        TextGrid grid(1);
        for (const char* cell : cells) {
            grid.addCell(QString::fromUtf8(cell));
            grid.endRow();
        }
        return grid;
    };
    EXPECT_FALSE(mostlyDates(column({"甲公司", "乙公司", "丙公司"}), 0));
    EXPECT_FALSE(mostlyDates(column({"2024-01-02", "备注", "其他", "20240105"}), 0));  // half
    EXPECT_TRUE(mostlyDates(column({"2024/1/2", "", "  ", "2024年1月3日", "待查"}), 0));
    EXPECT_FALSE(mostlyDates(column({"", ""}), 0));
    EXPECT_FALSE(mostlyDates(TextGrid(1), 0));
}

TEST(NearMissNames, NormalisesChineseNames) {
    const std::pair<const char*, const char*> cases[] = {
        {"北京某某科技有限公司", "北京某某科技"},
        {"某某科技（北京）股份有限公司", "某某科技"},
        {"某某 科技 有限责任公司", "某某科技"},
        {"网银转账-某某集团有限公司", "某某"},
        {"汇款：【加急】某某贸易公司", "某某贸易"},
        {"ＡＢＣ　Ｔｒａｄｉｎｇ，Ｌｔｄ．", "abctradingltd"},
        {"有限公司", "有限公司"},  // nothing but an ending stays as it is
        {"某某(未闭合", "某某未闭合"},
        {"", ""},
    };
    for (const auto& [raw, expected] : cases)
        EXPECT_EQ(normaliseName(QString::fromUtf8(raw)), QString::fromUtf8(expected)) << raw;
}

TEST(NearMissNames, SimilarByContainmentOrBigrams) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"北京某某科技有限公司", "某某科技", true},
        {"转账 某某科技", "某某科技有限公司", true},
        {"上海甲乙丙丁戊商贸", "上海甲乙丙丁戊商务", true},  // Dice 0.875
        {"甲乙丙丁商贸", "甲乙丙丁商务", true},              // Dice exactly 0.8
        {"甲乙丙商贸", "甲乙丙商务", false},                 // Dice 0.75
        {"某某科技", "另一家贸易", false},
        {"甲乙", "丙丁", false},
        {"", "某某", false},
        {"有限公司", "某某有限公司", false},
        {"张", "张三丰", false},
        {"张", "张", true},
        {"ABC Ltd.", "abc", true},
    };
    for (const auto& [a, b, similar] : cases)
        EXPECT_EQ(similarNames(QString::fromUtf8(a), QString::fromUtf8(b)), similar)
            << a << " / " << b;
}

struct RuleCase {
    const char* name;
    QList<Candidate> left;
    QList<Candidate> right;
    std::optional<qint64> feeLimit;
    QStringList expected;  // describe() of the result
    const char* firstExplanation;
};

void PrintTo(const RuleCase& c, std::ostream* os) {
    *os << c.name;
}

class RuleTable : public ::testing::TestWithParam<RuleCase> {};

TEST_P(RuleTable, FiresOnTheStoryAndNotOnItsNearMiss) {
    const RuleCase& c = GetParam();
    Options options;
    options.feeLimitCents = c.feeLimit;
    const Result result = suggest(c.left, c.right, options);
    EXPECT_EQ(describe(result), c.expected);
    if (c.firstExplanation && !result.suggestions.isEmpty()) {
        EXPECT_EQ(result.suggestions[0].explanation, QString::fromUtf8(c.firstExplanation));
    }
    EXPECT_EQ(result.unfinishedTargets, 0);
}

const int d0 = day(2024, 3, 1);

INSTANTIATE_TEST_SUITE_P(
    NearMiss, RuleTable,
    ::testing::Values(
        RuleCase{"DateThreeDaysIsHigh",
                 {row(2, 10000, d0)},
                 {row(7, 10000, d0 + 3)},
                 {},
                 utf8({"日期相近|高|2|7"}),
                 "金额相同，日期相差3天"},
        RuleCase{"DateSevenDaysIsMedium",
                 {row(2, 10000, d0)},
                 {row(7, 10000, d0 - 7)},
                 {},
                 utf8({"日期相近|中|2|7"}),
                 nullptr},
        RuleCase{"DateBeyondWindow", {row(2, 10000, d0)}, {row(7, 10000, d0 + 8)}, {}, {}, nullptr},
        RuleCase{
            "DateMissing", {row(2, 10000, std::nullopt)}, {row(7, 10000, d0)}, {}, {}, nullptr},
        RuleCase{"AbsurdAmounts",
                 {row(2, std::numeric_limits<qint64>::min(), d0),
                  row(3, std::numeric_limits<qint64>::max(), d0)},
                 {row(7, std::numeric_limits<qint64>::min(), d0 + 1),
                  row(8, std::numeric_limits<qint64>::max() / 10, d0),
                  row(9, std::numeric_limits<qint64>::max() / 2, d0)},
                 std::numeric_limits<qint64>::max(),
                 {},
                 nullptr},
        RuleCase{"NameSameDay",
                 {row(2, 10000, d0, "北京某某科技有限公司")},
                 {row(7, 10000, d0, "网银转账 某某科技")},
                 {},
                 utf8({"名称相近|高|2|7"}),
                 "金额相同，日期相同，名称相近"},
        RuleCase{"NameUnrelated",
                 {row(2, 10000, d0, "某某科技")},
                 {row(7, 10000, d0, "另一家贸易")},
                 {},
                 {},
                 nullptr},
        RuleCase{"SignOpposite",
                 {row(2, 10000, d0)},
                 {row(7, -10000, d0 + 4)},
                 {},
                 utf8({"正负相反|中|2|7"}),
                 "金额相同，正负相反，日期相差4天"},
        RuleCase{"SignOppositeButAmountsDiffer",
                 {row(2, 10000, d0)},
                 {row(7, -10001, d0)},
                 {},
                 {},
                 nullptr},
        RuleCase{"Transposed",
                 {row(2, 5230, d0)},
                 {row(7, 2530, d0 + 3)},
                 {},
                 utf8({"数字颠倒|低|2|7"}),
                 "差额27.00可被9整除，疑为数字颠倒，日期相差3天"},
        RuleCase{
            "TransposedTooFarApart", {row(2, 5230, d0)}, {row(7, 2530, d0 + 4)}, {}, {}, nullptr},
        RuleCase{"OneDigit",
                 {row(2, 10000, d0)},
                 {row(7, 10500, d0)},
                 {},
                 utf8({"单数字错|低|2|7"}),
                 "仅一位数字不同，差额5.00，疑为数字录入错误，日期相同"},
        RuleCase{"TwoDigits", {row(2, 10000, d0)}, {row(7, 10550, d0)}, {}, {}, nullptr},
        RuleCase{"OneDigitOfAnotherLength",
                 {row(2, 10000, d0)},
                 {row(7, 1000, d0 + 5)},
                 {},
                 {},
                 nullptr},
        RuleCase{"DecimalShift",
                 {row(2, 12345, d0)},
                 {row(7, 123450, d0 - 2)},
                 {},
                 utf8({"小数点错位|低|2|7"}),
                 "金额相差10倍，疑为小数点错位，日期相差2天"},
        RuleCase{"DecimalShiftHundred",
                 {row(2, -1234500, d0)},
                 {row(7, -12345, d0)},
                 {},
                 utf8({"小数点错位|低|2|7"}),
                 nullptr},
        RuleCase{"NotQuiteTenTimes", {row(2, 12345, d0)}, {row(7, 123460, d0)}, {}, {}, nullptr},
        RuleCase{"Fee",
                 {row(2, 100000, d0)},
                 {row(7, 99500, d0 + 1)},
                 1000,
                 utf8({"手续费差额|中|2|7"}),
                 "差额5.00，不超过手续费上限10.00，疑为手续费，日期相差1天"},
        RuleCase{"FeeBeatsOneDigit",
                 {row(2, 100000, d0)},
                 {row(7, 100500, d0)},
                 1000,
                 utf8({"手续费差额|中|2|7"}),
                 nullptr},
        RuleCase{"FeeOff", {row(2, 100000, d0)}, {row(7, 99500, d0 + 1)}, {}, {}, nullptr},
        RuleCase{"FeeAboveLimit", {row(2, 100000, d0)}, {row(7, 98000, d0 + 1)}, 1000, {}, nullptr},
        RuleCase{"Split",
                 {row(2, 31700, d0)},
                 {row(7, 12500, d0), row(8, 19200, d0 + 1), row(9, 5000, d0)},
                 {},
                 utf8({"拆分合并|高|2|7_8"}),
                 "右项2行之和等于左项金额，组合唯一，日期相差1天"},
        RuleCase{"MergeOnTheRight",
                 {row(3, -4000, d0), row(4, -2500, d0), row(5, -1500, d0 + 3)},
                 {row(7, -8000, d0)},
                 {},
                 utf8({"拆分合并|高|3_4_5|7"}),
                 "左项3行之和等于右项金额，组合唯一，日期相差3天"},
        RuleCase{"SplitOffByACent",
                 {row(2, 31700, d0)},
                 {row(7, 12500, d0), row(8, 19201, d0)},
                 {},
                 {},
                 nullptr},
        RuleCase{"SplitMemberOutsideWindow",
                 {row(2, 31700, d0)},
                 {row(7, 12500, d0), row(8, 19200, d0 + 8)},
                 {},
                 {},
                 nullptr},
        RuleCase{"SplitNeedsTheSameSign",
                 {row(2, 31700, d0)},
                 {row(7, 12500, d0), row(8, -19200, d0), row(9, 38400, d0)},
                 {},
                 {},
                 nullptr}),
    [](const ::testing::TestParamInfo<RuleCase>& info) { return std::string(info.param.name); });

TEST(NearMissPairing, StrongestFirstAndTiesLeftUndecided) {
    struct Case {
        const char* name;
        QList<Candidate> left;
        QList<Candidate> right;
        QStringList expected;
    };
    const Case cases[] = {
        {"TwoRightsEquallyNear",
         {row(2, 10000, d0)},
         {row(5, 10000, d0 + 2), row(6, 10000, d0 - 2)},
         utf8({"日期相近|待定|2|5/6"})},
        {"TwoLeftsEquallyNear",
         {row(2, 10000, d0 + 1), row(3, 10000, d0 - 1)},
         {row(5, 10000, d0)},
         utf8({"日期相近|待定|2/3|5"})},
        {"NearerDateDecides",
         {row(2, 10000, d0)},
         {row(5, 10000, d0 + 2), row(6, 10000, d0 - 1)},
         utf8({"日期相近|高|2|6"})},
        {"HigherConfidenceFirst",  // the 高 pair is taken although a 低 one is nearer
         {row(2, 10000, d0), row(3, 10500, d0)},
         {row(5, 10000, d0 + 1)},
         utf8({"日期相近|高|2|5"})},
        {"EarlierRowFirst",
         {row(2, 10000, d0), row(3, 10000, d0 + 10)},
         {row(5, 10000, d0 + 2), row(6, 10000, d0 + 8)},
         utf8({"日期相近|高|2|5", "日期相近|高|3|6"})},
        {"SeveralCombinations",
         {row(2, 30000, d0)},
         {row(5, 12500, d0), row(6, 17500, d0), row(7, 11000, d0), row(8, 19000, d0)},
         utf8({"拆分合并|待定|2|5_6/7_8"})},
    };
    for (const Case& c : cases)
        EXPECT_EQ(describe(suggest(c.left, c.right, Options{})), c.expected) << c.name;
}

TEST(NearMissPairing, EveryRowInOneSuggestionAndCounted) {
    const QList<Candidate> left{row(2, 10000, d0), row(3, 31700, d0), row(4, 777, d0)};
    const QList<Candidate> right{row(5, 10000, d0 + 1), row(6, 12500, d0), row(7, 19200, d0),
                                 row(8, 10000, d0 + 1)};
    const Result result = suggest(left, right, Options{});
    EXPECT_EQ(describe(result), utf8({"拆分合并|高|3|6_7", "日期相近|待定|2|5/8"}));
    EXPECT_EQ(result.candidateRows, 7);
    EXPECT_EQ(result.explainedRows, 3);
    EXPECT_EQ(result.pendingRows, 3);
    ASSERT_EQ(result.suggestions.size(), 2);
    EXPECT_EQ(result.suggestions[0].right[0].cents, 31700);
    EXPECT_EQ(result.suggestions[0].left[0].cents, 31700);
}

TEST(NearMissSubsets, ManyEqualAmountsFinishWithinBounds) {
    QList<Candidate> right;
    for (int i = 0; i < 40; ++i)
        right.append(row(10 + i, 1250, d0 + i % 3));
    Options options;
    options.subsetTimePerPass = std::chrono::milliseconds(2000);
    const Result result = suggest({row(2, 5000, d0)}, right, options);
    EXPECT_EQ(result.unfinishedTargets, 0);
    ASSERT_EQ(result.suggestions.size(), 1);
    const Suggestion& split = result.suggestions[0];
    EXPECT_EQ(split.rule, Rule::Split);
    EXPECT_EQ(split.confidence, Confidence::Pending);
    EXPECT_GE(split.right.size(), 2);
    for (const RowSet& set : split.right)
        EXPECT_EQ(set.cents, 5000);
}

TEST(NearMissSubsets, TargetsCutShortAreCountedNotGuessed) {
    // Thirty equal amounts that never add up to the target: the search must give up quickly.
    QList<Candidate> equal;
    for (int i = 0; i < 40; ++i)
        equal.append(row(10 + i, 1000, d0));
    const Result unreachable = suggest({row(2, 4500, d0)}, equal, Options{});
    EXPECT_EQ(unreachable.unfinishedTargets, 0);
    EXPECT_TRUE(unreachable.suggestions.isEmpty());

    // Thirty close amounts, no combination fits, and too few nodes to prove it.
    QList<Candidate> close;
    for (int i = 0; i < 30; ++i)
        close.append(row(10 + i, 1000 + i, d0));
    Options fewNodes;
    fewNodes.subsetNodesPerTarget = 1000;
    const Result byNodes = suggest({row(2, 4500, d0)}, close, fewNodes);
    EXPECT_EQ(byNodes.unfinishedTargets, 1);
    EXPECT_TRUE(byNodes.suggestions.isEmpty());
    EXPECT_EQ(suggest({row(2, 4500, d0)}, close, Options{}).unfinishedTargets, 0);

    Options noTime;
    noTime.subsetTimePerPass = std::chrono::milliseconds(-1);
    const Result byTime =
        suggest({row(2, 31700, d0)}, {row(7, 12500, d0), row(8, 19200, d0)}, noTime);
    EXPECT_EQ(byTime.unfinishedTargets, 1);
    EXPECT_TRUE(byTime.suggestions.isEmpty());

    Options smallPool;
    smallPool.subsetPoolSize = 2;  // the third member is beyond the nearest two
    const QList<Candidate> three{row(7, 1900, d0), row(8, 2600, d0), row(9, 2800, d0 + 3)};
    EXPECT_TRUE(suggest({row(2, 7300, d0)}, three, smallPool).suggestions.isEmpty());
    EXPECT_EQ(describe(suggest({row(2, 7300, d0)}, three, Options{})),
              utf8({"拆分合并|高|2|7_8_9"}));
}

// Crowds of equal rows must neither cost quadratic time nor make an arbitrary choice.
TEST(NearMissScale, CrowdsOfEqualRowsStayCheapAndUndecided) {
    QList<Candidate> left, right;
    for (int i = 0; i < 20000; ++i) {
        left.append(row(2 + i, 10000, d0));
        right.append(row(2 + i, 10000, d0 + 1));
    }
    QElapsedTimer clock;
    clock.start();
    const Result result = suggest(left, right, Options{});
    EXPECT_LT(clock.elapsed(), 20000);
    ASSERT_FALSE(result.suggestions.isEmpty());
    EXPECT_EQ(result.explainedRows, 0);
    for (const Suggestion& suggestion : result.suggestions)
        EXPECT_EQ(suggestion.confidence, Confidence::Pending);
}

}  // namespace
}  // namespace tallimo::core::nearmiss
