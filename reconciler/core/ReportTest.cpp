#include "PassTestSupport.h"
#include "Report.h"

#include <cmath>
#include <limits>

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;
using host::CellRect;

QList<CellRect> sorted(QList<CellRect> rects) {
    std::sort(rects.begin(), rects.end(), [](const CellRect& a, const CellRect& b) {
        return std::tie(a.top, a.left) < std::tie(b.top, b.left);
    });
    return rects;
}

class ReportSheet : public PassFixture {
protected:
    // One LeftMore group: rows 5, 9 and 12 of the ledger against row 1 of the statement.
    void prepareLeftMore() {
        prepareSides({{"K\t-50", "\t", "\t", "\t", "K\t-50", "\t", "\t", "K\t-50"},
                      {5, "A", 12, "B"},
                      {"B"},
                      {"A"}},
                     {{"K\t-50"}, {1, "A", 1, "B"}, {"B"}, {"A"}});
    }
    // Keys none of which survives trimming: no group at all.
    void prepareNoGroup() {
        prepareSides({{"x\t1"}, {5, "A", 5, "B"}, {"B"}, {}},
                     {{"y\t2"}, {1, "A", 1, "B"}, {"B"}, {}});
        for (PreparedSide* side : {&left, &right}) {
            TextGrid blank(1);
            blank.addCell(u"  ");
            blank.endRow();
            side->keyLists = {blank, blank};
        }
    }
};

TEST_F(ReportSheet, CellByCellForOneGroup) {
    prepareLeftMore();
    request.options = {true, true, false};
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    EXPECT_EQ(results[0].reportSheetName, "1.(B列_B列)比对报告√");
    EXPECT_EQ(results[0].sourceSheetName, "▲(B列_B列)源▲");
    EXPECT_EQ(sheetNames(app), (QStringList{"▲(B列_B列)源▲", "1.(B列_B列)比对报告√"}));
    const host::SheetId s = sheet(results[0].reportSheetName);

    EXPECT_EQ(cellText(host, s, 1, 1), "数据比对报告");
    const host::CellFormat title = host.format(s, 1, 1);
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.fontSize, 20);
    EXPECT_EQ(title.fontName, "黑体");
    EXPECT_EQ(host.rowHeight(s, 1), 28);
    EXPECT_EQ(cellText(host, s, 2, 1),
              "比对项目:左[ledger.xlsx]Sheet1!$A$5:$B$12\n         右[bank.xlsx]Sheet1!$A$1:$B$1");
    EXPECT_EQ(host.rowHeight(s, 2), 27);

    EXPECT_EQ(cellText(host, s, 3, 1), "色彩标志：◇左多于右 ○右多于左 ◆左独有 ●右独有 √核对相符");
    EXPECT_EQ(host.format(s, 3, 1).fontSize, 10);
    EXPECT_EQ(host.format(s, 3, 1).fillColorIndex, 15);
    QList<std::pair<int, int>> runs;
    for (const host::CharacterRun& run : host.characterRuns(s, 3, 1)) {
        EXPECT_EQ(run.length, 1);
        runs.append({run.start, run.colorIndex});
    }
    EXPECT_EQ(runs, (QList<std::pair<int, int>>{{6, 19}, {12, 34}, {18, 6}, {23, 33}, {28, 48}}));
    EXPECT_EQ(host.tabColor(s), std::optional<std::uint32_t>(255));

    EXPECT_EQ(rowTexts(host, s, 4, 1, 9),
              (QStringList{"比较项", "左项", "", "", "右项", "", "", "左右差值", ""}));
    EXPECT_EQ(rowTexts(host, s, 5, 1, 9), (QStringList{"", "笔数", "合计", "分布行号", "笔数",
                                                       "合计", "分布行号", "笔数", "合计"}));
    EXPECT_EQ(host.rowHeight(s, 4), 22);
    for (int column = 1; column <= 9; ++column) {
        const host::CellFormat header = host.format(s, 5, column);
        EXPECT_EQ(header.fillColorIndex, 15);
        EXPECT_EQ(header.fontName, "黑体");
        EXPECT_EQ(header.horizontalAlignment, 3);
        EXPECT_EQ(header.wrapText, column <= 4);
    }
    const double widths[] = {12, 7, 13, 22, 7, 13, 22, 7, 13};
    for (int column = 1; column <= 9; ++column)
        EXPECT_EQ(host.columnWidth(s, column), widths[column - 1]) << column;

    // The group row, then totals, conclusion and time after rows 6 and R+1 went away.
    EXPECT_EQ(rowTexts(host, s, 6, 1, 9),
              (QStringList{"K", "3", "-150", "5_9_12", "1", "-50", "1", "2", "-100"}));
    EXPECT_EQ(host.formulaR1C1(s, 6, 8), "=RC[-6]-RC[-3]");
    EXPECT_EQ(host.formulaR1C1(s, 6, 9), "=RC[-6]-RC[-3]");
    for (int column = 1; column <= 9; ++column) {
        EXPECT_EQ(host.format(s, 6, column).fillColorIndex, 19);
        EXPECT_EQ(host.format(s, 6, column).horizontalAlignment, 3);
    }
    EXPECT_EQ(rowTexts(host, s, 7, 1, 9),
              (QStringList{"合计", "3", "-150", "-", "1", "-50", "-", "2", "-100"}));
    EXPECT_TRUE(host.formulaR1C1(s, 7, 2).startsWith("=SUM("));
    EXPECT_EQ(host.format(s, 7, 9).fillColorIndex, 15);
    EXPECT_EQ(host.rowHeight(s, 7), 20);
    EXPECT_EQ(host.format(s, 4, 1).borderLineStyle[0], 1);
    EXPECT_EQ(host.format(s, 7, 9).borderLineStyle[3], 1);
    EXPECT_EQ(host.format(s, 6, 5).borderLineStyle[1], 1);

    const QString conclusion = QStringLiteral(
        "结论:共对4笔记录进行了交叉比对，2笔核对相符，左项比右项多记2笔,合计0,右项比左项多记0笔,"
        "合计100");
    EXPECT_EQ(results[0].conclusion, conclusion);
    EXPECT_EQ(cellText(host, s, 8, 1), conclusion);
    EXPECT_EQ(host.format(s, 8, 1).horizontalAlignment, -4131);
    EXPECT_EQ(host.format(s, 8, 1).fontColorIndex, 3);
    EXPECT_EQ(cellText(host, s, 9, 1), "报告时间:2026/3/7 9:05:04");
    EXPECT_EQ(cellText(host, s, 9, 9), "报告人:kuaiji");
    EXPECT_EQ(host.format(s, 9, 9).horizontalAlignment, -4152);

    EXPECT_EQ(sorted(host.merges(s)), (QList<CellRect>{{1, 1, 1, 9},
                                                       {2, 1, 2, 9},
                                                       {3, 1, 3, 9},
                                                       {4, 1, 5, 1},
                                                       {4, 2, 4, 4},
                                                       {4, 5, 4, 7},
                                                       {4, 8, 4, 9},
                                                       {8, 1, 8, 9},
                                                       {9, 1, 9, 6}}));

    const host::SheetView view = host.sheetView(s);
    EXPECT_EQ(view.frozenRows, 5);
    EXPECT_EQ(view.frozenColumns, 0);
    EXPECT_EQ(view.orientation, 2);
    EXPECT_EQ(view.fitToPagesWide, 1);
    EXPECT_TRUE(view.centerHorizontally);
    EXPECT_TRUE(view.rightFooter.startsWith("Tallimo "));
}

TEST_F(ReportSheet, NoGroupShowsZeroTotalsWithoutColour) {
    prepareNoGroup();
    request.options = {false, false, false};
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId s = sheet(results[0].reportSheetName);

    EXPECT_EQ(cellText(host, s, 3, 1), "差值标志:左大于右为正,反之为负值");
    EXPECT_TRUE(host.characterRuns(s, 3, 1).isEmpty());
    EXPECT_FALSE(host.tabColor(s).has_value());
    for (int row : {4, 5, 6}) {
        const host::CellFormat format = host.format(s, row, 9);
        EXPECT_TRUE(format.fillSet);
        EXPECT_EQ(format.fillColor, host::rgbColor(0, 112, 192)) << row;
    }
    // Totals directly under the headers, all 0: no reference error from the deleted rows.
    EXPECT_EQ(rowTexts(host, s, 6, 1, 9),
              (QStringList{"合计", "0", "0", "-", "0", "0", "-", "0", "0"}));
    EXPECT_EQ(cellText(host, s, 7, 1),
              "结论:共对0笔记录进行了交叉比对，0笔核对相符，左项比右项多记0笔,合计0,"
              "右项比左项多记0笔,合计0");
    EXPECT_TRUE(cellText(host, s, 8, 1).startsWith("报告时间:"));
    EXPECT_EQ(results[0].figures.groups, (std::array<int, 5>{}));

    // The source copy keeps its marks but no fills.
    const host::SheetId source = sheet(results[0].sourceSheetName);
    EXPECT_EQ(cellText(host, source, 2, 4), "√");
    EXPECT_FALSE(host.format(source, 2, 1).fillSet);
    EXPECT_TRUE(host.characterRuns(source, 1, 2).isEmpty());
}

TEST_F(ReportSheet, TotalsAreTheDecimalSumsOfTheAmounts) {
    // Two-decimal amounts whose running double total reads 619648451.810001; some written as a
    // spreadsheet shows them. The statement books one amount three times, in brackets, and the
    // ledger books 0.10 three times against once.
    const QStringList amounts = {
        "¥612,345,678.91", "639524.94", "885,773.94", "879042.44", "706681.94",
        "760784.69",       "799254.19", "726431.44",  "559369.19", "784755.19",
        "561154.94",       "0.10",      "0.10",       "0.10"};
    QStringList ledger;
    for (int i = 0; i < amounts.size(); ++i)
        ledger << (i < 11 ? QStringLiteral("r%1").arg(i + 1, 2, 10, QChar(u'0')) : "y") + u'\t' +
                      amounts[i];
    prepareSides(
        {ledger, {2, "A", 15, "B"}, {"B"}, {"A"}},
        {{"x\t(0.07)", "x\t(0.07)", "x\t(0.07)", "y\t0.10"}, {2, "A", 5, "B"}, {"B"}, {"A"}});
    request.options = {false, false, false};
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId s = sheet(results[0].reportSheetName);

    double naive = 0;
    for (int row = 6; row <= 16; ++row)
        naive += host.value(s, row, 3).number;
    ASSERT_NE(QString::number(naive, 'g', 15), "619648451.81") << "the fixture shows no noise";

    // Not 3 × -0.07, 3 × 0.10 and their differences in doubles, but the amounts to the cent.
    EXPECT_EQ(rowTexts(host, s, 17, 1, 9),
              (QStringList{"x", "", "", "", "3", "-0.21", "2_3_4", "-3", "0.21"}));
    EXPECT_EQ(rowTexts(host, s, 18, 1, 9),
              (QStringList{"y", "3", "0.3", "13_14_15", "1", "0.1", "5", "2", "0.2"}));
    EXPECT_EQ(host.value(s, 17, 6), host::CellValue::fromNumber(-0.21));
    EXPECT_EQ(host.value(s, 18, 3), host::CellValue::fromNumber(0.3));
    EXPECT_EQ(host.value(s, 18, 9), host::CellValue::fromNumber(0.2));
    // Cached values of the totals row and the conclusion's figures, exact to the cent.
    EXPECT_EQ(host.value(s, 19, 3), host::CellValue::fromNumber(619648452.11));
    EXPECT_EQ(host.value(s, 19, 6), host::CellValue::fromNumber(-0.11));
    EXPECT_EQ(host.value(s, 19, 9), host::CellValue::fromNumber(619648452.22));
    EXPECT_EQ(results[0].conclusion,
              "结论:共对18笔记录进行了交叉比对，2笔核对相符，左项比右项多记13笔,"
              "合计619648452.22,右项比左项多记3笔,合计0");
    EXPECT_EQ(results[0].figures.leftMoreAmount, 619648452.22);
}

TEST_F(ReportSheet, TotalsPastTheNumberRangeStayEmpty) {
    prepareSides(
        {{"a\t1E+308", "b\t1E+308", "c\t1E+308", "c\t1E+308"}, {2, "A", 5, "B"}, {"B"}, {"A"}},
        {{"d\t5"}, {2, "A", 2, "B"}, {"B"}, {"A"}});
    request.options = {false, false, false};
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId s = sheet(results[0].reportSheetName);

    // 2 × 1E+308 has no number: the total stays empty as for a text that is none.
    EXPECT_EQ(rowTexts(host, s, 8, 1, 9), (QStringList{"c", "2", "", "4_5", "", "", "", "2", "0"}));
    EXPECT_EQ(rowTexts(host, s, 9, 1, 9),
              (QStringList{"d", "", "", "", "1", "5", "2", "-1", "-5"}));
    // Column totals past the range are the spreadsheet's #NUM!, the figure likewise.
    EXPECT_EQ(host.value(s, 10, 3), host::CellValue::fromError("#NUM!"));
    EXPECT_EQ(host.value(s, 10, 9), host::CellValue::fromError("#NUM!"));
    EXPECT_EQ(host.value(s, 10, 6), host::CellValue::fromNumber(5));
    EXPECT_EQ(results[0].conclusion,
              "结论:共对5笔记录进行了交叉比对，0笔核对相符，左项比右项多记4笔,合计#NUM!,"
              "右项比左项多记1笔,合计5");
}

TEST(ConclusionNumbers, ShortestFormAsTheSpreadsheetWritesIt) {
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        double amount;
        const char* text;
    };
    for (const Case& c :
         {Case{0, "0"}, Case{1234.5, "1234.5"}, Case{0.1 + 0.2, "0.3"}, Case{100, "100"},
          Case{123456789012.34, "123456789012.34"}, Case{123456789012345, "123456789012345"},
          Case{1e15, "1E+15"}, Case{1e20, "1E+20"}, Case{-1.5e-7, "-1.5E-07"}, Case{-0.0, "0"},
          Case{inf, "#NUM!"}, Case{-inf, "#NUM!"},
          Case{std::numeric_limits<double>::quiet_NaN(), "#NUM!"}})
        EXPECT_EQ(detail::amountText(c.amount), QString::fromLatin1(c.text)) << c.text;
}

TEST(SumTexts, ConvertAsAccountantsWriteAmounts) {
    struct Case {
        const char16_t* text;
        std::optional<double> amount;
    };
    const Case cases[] = {
        {u"1,200.00", 1200.0},
        {u" -50 ", -50.0},
        {u"12.5", 12.5},
        {u"-0.25", -0.25},
        {u"1e3", 1000.0},
        {u"1E+20", 1e20},
        {u"+5", 5.0},
        {u".5", 0.5},
        {u"¥1,234.50", 1234.5},
        {u"￥1,234.50", 1234.5},
        {u"$12", 12.0},
        {u"€ 3.5", 3.5},
        {u"£0.99", 0.99},
        {u"-¥12", -12.0},
        {u"¥-12", -12.0},
        {u"(1,234.50)", -1234.5},
        {u"12,345,678.91", 12345678.91},
        {u"1,234", 1234.0},
        {u"( ¥1,234.50 )", -1234.5},
        {u"1,234.50-", -1234.5},
        {u"¥1,234.50 -", -1234.5},
        {u"  ¥ 7  ", 7.0},
        {u"\u00a042\u3000", 42.0},
        // Still no amount: stays empty.
        {u"abc", {}},
        {u"", {}},
        {u"1.2.3", {}},
        {u"-", {}},
        {u"--5", {}},
        {u"(-5)", {}},
        {u"-5-", {}},
        {u"(5", {}},
        {u"5)", {}},
        {u"()", {}},
        {u"¥", {}},
        {u"¥¥5", {}},
        {u"5¥", {}},
        {u"US$5", {}},
        {u"12%", {}},
        {u"inf", {}},
        {u"nan", {}},
        {u"1E+400", {}},
        {u"- -5", {}},
        {u"¥(5)", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(detail::toAmount(c.text), c.amount) << QString::fromUtf16(c.text).toStdString();
    for (const char16_t* zero : {u"-0", u"(0.00)", u"0-"})
        EXPECT_FALSE(std::signbit(detail::toAmount(zero).value_or(-1)))
            << QString::fromUtf16(zero).toStdString();
}

}  // namespace
}  // namespace tallimo::core
