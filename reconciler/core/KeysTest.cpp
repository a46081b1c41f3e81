#include "Reconcile.h"

#include <gtest/gtest.h>

namespace tallimo::core {
namespace {

QStringList column(const TextGrid& grid, int c) {
    QStringList texts;
    for (int r = 0; r < grid.rowCount(); ++r)
        texts.append(grid.cell(r, c).toString());
    return texts;
}

QStringList row(const TextGrid& grid, int r) {
    QStringList texts;
    for (int c = 0; c < grid.columnCount(); ++c)
        texts.append(grid.cell(r, c).toString());
    return texts;
}

struct KeyCase {
    const char* name;
    const char* text;
    std::vector<int> sums;
    std::vector<int> compares;
    QStringList slot1;
    QStringList slot2;
    QString comparePositions;
};

void PrintTo(const KeyCase& c, std::ostream* os) {
    *os << c.name;
}

class KeyTable : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyTable, BuildsKeysOfEachLine) {
    const KeyCase& c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    const KeyBuildResult result = buildKeys({text, Side::Left, 5, false, c.sums, c.compares});
    ASSERT_TRUE(result.ok()) << result.error.toStdString();
    EXPECT_EQ(column(result.keyLists[0], 0), c.slot1);
    EXPECT_EQ(column(result.keyLists[1], 0), c.slot2);
    EXPECT_EQ(result.comparePositions, c.comparePositions);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyTable,
    ::testing::Values(
        // A date as comparison column and an amount with group separators.
        KeyCase{"DateAndAmount",
                "2016-01-05\tx\ty\tz\t1,200.00\r\n",
                {4},
                {0},
                {"2016-01-05|1,200.00"},
                {"2016-01-05|1,200.00"},
                "1"},
        KeyCase{
            "TwoComparisonColumns", "a\tb\tc\t10\r\n", {3}, {0, 2}, {"a,c|10"}, {"a,c|10"}, "1_3"},
        // The comparison texts keep their spaces; the sum text loses them.
        KeyCase{"OnlySumTrimmed", " a \t  10  \r\n", {1}, {0}, {" a |10"}, {" a |10"}, "1"},
        KeyCase{"NoComparisonColumn",
                "x\t100\r\nx\t100.00\r\n",
                {1},
                {},
                {"100", "100.00"},
                {"100", "100.00"},
                ""},
        // One empty comparison cell gives the bare sum text, two give ",".
        KeyCase{"EmptyComparisonCell", "\t50\r\n\t\r\n", {1}, {0}, {"50", ""}, {"50", ""}, "1"},
        KeyCase{"TwoEmptyComparisonCells", "\t\t7\r\n", {2}, {0, 1}, {",|7"}, {",|7"}, "1_2"},
        KeyCase{"BarBecomesBang", "a|b\t1|2\r\n", {1}, {0}, {"a!b|1!2"}, {"a!b|1!2"}, "1"},
        // A row with an amount in one sum column only is no record of the other column's pass;
        // a row with neither amount still is, as with one sum column.
        KeyCase{"TwoSumItems",
                "d\t10\t\r\nd\t\t20\r\nd\t \t \r\n",
                {1, 2},
                {0},
                {"d|10", "", "d|"},
                {"", "d|20", "d|"},
                "1"},
        KeyCase{"TwoSumItemsWithoutComparison",
                "10\t\r\n\t20\r\nx\t-\r\n",
                {0, 1},
                {},
                {"10", "", "x"},
                {"", "20", "-"},
                ""},
        // A sum column without any amount leaves its pass without records, not the area refused.
        KeyCase{"SecondSumColumnEmpty", "a\t1\t\r\n", {1, 2}, {0}, {"a|1"}, {""}, "1"},
        KeyCase{
            "ComparisonOrderAsListed", "a\tb\tc\t1\r\n", {3}, {2, 0}, {"c,a|1"}, {"c,a|1"}, "3_1"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, GridHoldsLabelsAndCellsWithBarsReplaced) {
    const KeyBuildResult result =
        buildKeys({u"a|b\t1\r\nc\t2\r\n", Side::Right, 12, false, {1}, {0}});
    ASSERT_TRUE(result.ok());
    ASSERT_EQ(result.textGrid.rowCount(), 2);
    EXPECT_EQ(row(result.textGrid, 0), (QStringList{"右行12", "a!b", "1"}));
    EXPECT_EQ(row(result.textGrid, 1), (QStringList{"右行13", "c", "2"}));
}

TEST(Keys, OneColumnAreaKeepsLinesAsCopied) {
    // The key list also holds the empty piece after the last line break.
    const KeyBuildResult result = buildKeys({u"10\r\n 2|0 \r\n", Side::Left, 2, true, {0}, {}});
    ASSERT_TRUE(result.ok());
    EXPECT_EQ(column(result.keyLists[0], 0), (QStringList{"10", " 2|0 ", ""}));
    EXPECT_EQ(column(result.keyLists[1], 0), column(result.keyLists[0], 0));
    ASSERT_EQ(result.textGrid.rowCount(), 2);
    EXPECT_EQ(row(result.textGrid, 0), (QStringList{"左行2", "10"}));
    EXPECT_EQ(row(result.textGrid, 1), (QStringList{"左行3", " 2|0 "}));
    EXPECT_EQ(result.comparePositions, "");
}

struct RefusalCase {
    const char* name;
    const char16_t* text;
    bool singleColumn;
    std::vector<int> sums;
    std::vector<int> compares;
    const char* messageStart;
    bool gridKept;
    int areaRows = 0;  // the range's size; 0 when not given
    int areaColumns = 0;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
    *os << c.name;
}

class RefusalTable : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(RefusalTable, RefusesWithMessage) {
    const RefusalCase& c = GetParam();
    const KeyBuildResult result = buildKeys(
        {c.text, Side::Left, 3, c.singleColumn, c.sums, c.compares, c.areaRows, c.areaColumns});
    ASSERT_FALSE(result.ok());
    EXPECT_TRUE(result.error.startsWith(QString::fromUtf8(c.messageStart)))
        << result.error.toStdString();
    EXPECT_EQ(!result.textGrid.isEmpty(), c.gridKept);
    EXPECT_TRUE(result.keyLists[0].isEmpty());
    EXPECT_TRUE(result.keyLists[1].isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RefusalTable,
    ::testing::Values(
        RefusalCase{"EmptySumColumn",
                    u"a\t\r\nb\t \r\n",
                    false,
                    {1},
                    {},
                    "读取数据源失败(不能读取比较项)，请重新在EXCEL中拖拉出连续的选区！",
                    true},
        RefusalCase{"EmptySecondSumColumn",
                    u"a\t1\t\r\n",
                    false,
                    {1, 2},
                    {},
                    "读取数据源失败(不能读取第2类比较项)，请重新在EXCEL中拖拉出连续的选区！",
                    true},
        RefusalCase{"EmptyOneColumnArea",
                    u"\r\n\r\n",
                    true,
                    {0},
                    {},
                    "读取数据源失败(不能读取比较项)",
                    true},
        RefusalCase{"NoLines", u"", false, {0}, {}, "读取数据源失败(不能读取比较项)", false},
        // A cell holding a TAB shifts the line's cells: no key could be trusted.
        RefusalCase{"RaggedLine",
                    u"a\t1\r\nb\tc\t2\r\n",
                    false,
                    {1},
                    {0},
                    "读取数据源失败(第4行的单元格数与第3行不同)",
                    false},
        // Against the range's size: a TAB inside a cell adds a cell to its line, a line break
        // adds a line.
        RefusalCase{"LineWiderThanRange",
                    u"a\t1\r\nb\tc\t2\r\n",
                    false,
                    {1},
                    {0},
                    "读取数据源失败(第4行有3个单元格，选区却有2列，可能是单元格中含有制表符)",
                    false,
                    2,
                    2},
        RefusalCase{"EveryLineWiderThanRange",
                    u"a\tx\t1\r\nb\ty\t2\r\n",
                    false,
                    {1},
                    {0},
                    "读取数据源失败(第3行有3个单元格，选区却有2列",
                    false,
                    2,
                    2},
        RefusalCase{"MoreLinesThanRangeRows",
                    u"a\t1\r\nb\t\"x\r\ny\"\r\n",
                    false,
                    {1},
                    {0},
                    "读取数据源失败(选区有2行，复制的文本却有3行，可能是单元格中含有换行)",
                    false,
                    2,
                    2},
        RefusalCase{"OneColumnMoreLines",
                    u"10\r\n2\r\n0\r\n",
                    true,
                    {0},
                    {},
                    "读取数据源失败(选区有2行，复制的文本却有3行",
                    false,
                    2,
                    1},
        RefusalCase{"OneColumnTab",
                    u"10\r\n2\t0\r\n",
                    true,
                    {0},
                    {},
                    "读取数据源失败(第4行有2个单元格，选区却有1列",
                    false,
                    2,
                    1},
        RefusalCase{"PositionOutsideLine",
                    u"a\t1\r\n",
                    false,
                    {2},
                    {},
                    "读取数据源失败(选区只有2列)",
                    false},
        RefusalCase{
            "NoSumColumn", u"a\t1\r\n", false, {}, {}, "至少要选择一列作为求和项！", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, TextOfTheRangesSizeIsAccepted) {
    struct Case {
        const char16_t* text;
        bool singleColumn;
        int rows, columns;
    };
    const Case cases[] = {
        {u"a\t1\r\nb\t2\r\n", false, 2, 2},
        {u"10\r\n20\r\n", true, 2, 1},
        {u"10\r\n20", true, 2, 1},  // the last line without its CR LF
    };
    for (const Case& c : cases) {
        const std::vector<int> sums{c.columns - 1};
        const std::vector<int> compares = c.singleColumn ? std::vector<int>{} : std::vector<int>{0};
        const KeyBuildResult result =
            buildKeys({c.text, Side::Left, 3, c.singleColumn, sums, compares, c.rows, c.columns});
        EXPECT_TRUE(result.ok()) << result.error.toStdString();
    }
}

TEST(Keys, SumPositionsAndSecondPassFromRelationItems) {
    PreparedSide left, right;
    left.area = {3, "B", 20, "H"};
    left.relationItems = {"F列", "G列"};
    right.area = {1, "AA", 9, "AC"};
    right.relationItems = {"AB列", "AB列"};
    EXPECT_EQ(sumPositionsOf(left, right), (std::array<int, 4>{5, 6, 2, 2}));
    EXPECT_TRUE(secondPassNeeded(left, right));
    left.relationItems = {"F列", "F列"};
    EXPECT_FALSE(secondPassNeeded(left, right));
}

}  // namespace
}  // namespace tallimo::core
