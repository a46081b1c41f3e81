#include "Address.h"

#include <gtest/gtest.h>

namespace tallimo {

void PrintTo(const AreaAddress& a, std::ostream* out) {
    *out << a.firstRow << "," << a.firstColumn.toStdString() << "," << a.lastRow << ","
         << a.lastColumn.toStdString();
}

namespace {

struct ParseCase {
    const char16_t* address;
    Grid grid;
    AreaAddress expected;
};

// Names the case by its address, so test listings stay readable and the same from run to run.
void PrintTo(const ParseCase& c, std::ostream* out) {
    *out << '"' << QString::fromUtf16(c.address).toStdString() << '"'
         << (c.grid == Grid::Large ? " large grid" : " small grid");
}

class ParseAreaAddress : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseAreaAddress, TakesTheAddressApart) {
    const ParseCase& c = GetParam();
    EXPECT_EQ(parseAreaAddress(QStringView(c.address), c.grid), c.expected)
        << QString::fromUtf16(c.address).toStdString();
}

const AreaAddress kNotAnAddress{};

INSTANTIATE_TEST_SUITE_P(
    Forms, ParseAreaAddress,
    testing::Values(ParseCase{u"$B$3:$F$20", Grid::Small, {3, "B", 20, "F"}},
                    ParseCase{u"$A$1", Grid::Small, {1, "A", 1, "A"}},
                    ParseCase{u"$3:$9", Grid::Small, {3, "A", 9, "IV"}},
                    ParseCase{u"$3:$9", Grid::Large, {3, "A", 9, "XFD"}},
                    ParseCase{u"B:F", Grid::Small, {1, "B", 65536, "F"}},
                    ParseCase{u"B:F", Grid::Large, {1, "B", 1048576, "F"}},
                    // Letters are kept as written; a further ":" and what follows are ignored.
                    ParseCase{u"$b$3:$f$20", Grid::Small, {3, "b", 20, "f"}},
                    ParseCase{u"$B$3:$F$20:$G$30", Grid::Small, {3, "B", 20, "F"}},
                    ParseCase{u"$XFD$1048576", Grid::Large, {1048576, "XFD", 1048576, "XFD"}}));

INSTANTIATE_TEST_SUITE_P(
    NotAnAddress, ParseAreaAddress,
    testing::Values(ParseCase{u"", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B:$F", Grid::Small, kNotAnAddress},  // columns with "$"
                    ParseCase{u"$B", Grid::Small, kNotAnAddress},     // cell without row
                    ParseCase{u"$B$", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$3:$F", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$3:F20", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$3$4:$F$20$1", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$x3:$F$20", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$0:$F$20", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$-3:$F$20", Grid::Small, kNotAnAddress},
                    ParseCase{u"$B$99999999999:$F$20", Grid::Small, kNotAnAddress},
                    ParseCase{u"$3:$x", Grid::Small, kNotAnAddress},
                    ParseCase{u"B1:F9", Grid::Small, kNotAnAddress},
                    ParseCase{u"$ZZZZ$1", Grid::Small, kNotAnAddress},  // past 16 bits
                    ParseCase{u"$B2$3", Grid::Small, kNotAnAddress}));

TEST(ParseAreaAddressForHost, GridFollowsTheHostVersion) {
    const auto parse = [](const char* version) {
        return parseAreaAddressForHost(u"$3:$9", QString::fromLatin1(version), [] {});
    };
    EXPECT_EQ(parse("16.0").lastColumn, "XFD");
    EXPECT_EQ(parse("12").lastColumn, "XFD");
    EXPECT_EQ(parse("11.0").lastColumn, "IV");
    EXPECT_EQ(parse("abc").lastColumn, "IV");
    EXPECT_EQ(parseAreaAddressForHost(u"B:F", QStringLiteral("16.0"), [] {}).lastRow, 1048576);
}

TEST(ParseAreaAddressForHost, EmptyVersionReportsOnceAndGivesTheEmptyAddress) {
    int reports = 0;
    const AreaAddress result =
        parseAreaAddressForHost(u"$B$3:$F$20", QString(), [&] { ++reports; });
    EXPECT_EQ(reports, 1);
    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(result, AreaAddress{});
}

TEST(ColumnNumber, ReadsLettersOfAnyCase) {
    const std::pair<const char16_t*, int> cases[] = {{u"a", 1},
                                                     {u"A", 1},
                                                     {u"Z", 26},
                                                     {u"AA", 27},
                                                     {u"AZ", 52},
                                                     {u"BA", 53},
                                                     {u"ZZ", 702},
                                                     {u"AAA", 703},
                                                     {u"IV", 256},
                                                     {u"iv", 256},
                                                     {u"XFD", 16384},
                                                     {u"AVLG", 32767},
                                                     // Not letters, or past the 16-bit range.
                                                     {u"", 0},
                                                     {u"A1", 0},
                                                     {u"$A", 0},
                                                     {u"AVLH", 0},
                                                     {u"ZZZZZZZZ", 0},
                                                     {u"Ä", 0}};
    for (const auto& [letters, number] : cases)
        EXPECT_EQ(columnNumber(QStringView(letters)), number)
            << QString::fromUtf16(letters).toStdString();
}

TEST(ColumnLetters, WritesUpperCaseLetters) {
    const std::pair<int, const char*> cases[] = {
        {1, "A"},     {26, "Z"},      {27, "AA"},      {52, "AZ"}, {53, "BA"}, {702, "ZZ"},
        {703, "AAA"}, {16384, "XFD"}, {32767, "AVLG"}, {0, ""},    {-5, ""},   {32768, ""}};
    for (const auto& [number, letters] : cases)
        EXPECT_EQ(columnLetters(number), letters) << number;
}

TEST(ColumnLetters, RoundTripsEveryColumn) {
    for (int n = 1; n <= 32767; ++n)
        ASSERT_EQ(columnNumber(columnLetters(n)), n);
}

TEST(SplitRangeText, TakesFirstColumnAndRows) {
    const auto parts = splitRangeText(u"[Book1]Sheet1!$C$5:$D$40#C列&D列");
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->firstColumn, "C");
    EXPECT_EQ(parts->firstRow, "5");
    EXPECT_EQ(parts->lastRow, "40");

    const auto plain = splitRangeText(u"Sheet1!$B$3:$F$20#F列");
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->firstColumn, "B");
    EXPECT_EQ(plain->lastRow, "20");
    // Only the last "#" ends the range.
    EXPECT_TRUE(splitRangeText(u"[a#b]S!$B$3:$F$20#F列"));
}

TEST(SplitRangeText, RejectsTextsThatAreNotARange) {
    for (const char16_t* text : {u"", u"$C$5", u"Sheet1!$C$5#C列", u"$3:$9", u"B:F", u"$C$5:D40",
                                 u"$C$5:$D$40$1", u"$C$x:$D$40", u"$C$5:$D$", u"$1$5:$D$40"})
        EXPECT_FALSE(splitRangeText(QStringView(text))) << QString::fromUtf16(text).toStdString();
}

}  // namespace
}  // namespace tallimo
