#include "PassTestSupport.h"
#include "SourceCopy.h"

namespace tallimo::core {
namespace {

using namespace tallimo::core::testing;
using host::CellRect;

class SourceCopySheet : public PassFixture {};

// Left area B5:E20 (name, x, amount, y) with the key K on source rows 5 and 9; right area J1:L3
// with K once, its sum column K at position 2.
TEST_F(SourceCopySheet, GeometryOfBothBlocks) {
    QStringList leftLines(16, QStringLiteral("\t\t\t"));
    leftLines[0] = leftLines[4] = QStringLiteral("K\tx\t1\ty");
    prepareSides({leftLines, {5, "B", 20, "E"}, {"D"}, {"B"}},
                 {{"K\t1\tz", "\t\t", "\t\t"}, {1, "J", 3, "L"}, {"K"}, {"J"}});
    request.options = {true, false, true};
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId s = sheet(results[0].sourceSheetName);

    EXPECT_EQ(cellText(host, s, 1, 1), "左D列");
    EXPECT_EQ(cellText(host, s, 2, 1), "左行5");
    EXPECT_EQ(cellText(host, s, 17, 1), "左行20");
    EXPECT_EQ(rowTexts(host, s, 2, 2, 5), (QStringList{"K", "x", "1", "y"}));
    EXPECT_EQ(cellText(host, s, 2, 6), "√");
    EXPECT_EQ(cellText(host, s, 17, 6), "√");
    EXPECT_EQ(cellText(host, s, 18, 6), "");
    // Source row 9 is the excess row of the LeftMore group.
    EXPECT_EQ(cellText(host, s, 6, 6), "◇");
    for (int column = 1; column <= 6; ++column)
        EXPECT_EQ(host.format(s, 6, column).fillColorIndex, 19) << column;
    EXPECT_EQ(host.format(s, 6, 7).fillColorIndex, host::xl::kColorIndexNone);
    EXPECT_EQ(host.format(s, 17, 6).fillColorIndex, 15);
    EXPECT_EQ(host.format(s, 1, 1).fillColorIndex, 15);
    EXPECT_EQ(host.format(s, 18, 1).fillColorIndex, host::xl::kColorIndexNone);

    // Marker row under the left block, sum column bold and centred marks.
    EXPECT_EQ(rowTexts(host, s, 18, 1, 6), (QStringList{"", "△B", "", "▲D", "", ""}));
    EXPECT_EQ(host.format(s, 18, 4).horizontalAlignment, 3);
    EXPECT_EQ(host.format(s, 18, 2).horizontalAlignment, 3);
    EXPECT_EQ(host.format(s, 10, 6).horizontalAlignment, 3);
    EXPECT_TRUE(host.format(s, 10, 4).bold);
    EXPECT_FALSE(host.format(s, 10, 3).bold);
    EXPECT_EQ(host.columnWidth(s, 7), 2);

    // Right block from column H: label H, data I to K, mark L, marker row 5.
    EXPECT_EQ(cellText(host, s, 1, 8), "右K列");
    EXPECT_EQ(rowTexts(host, s, 2, 8, 12), (QStringList{"右行1", "K", "1", "z", "√"}));
    EXPECT_EQ(cellText(host, s, 4, 8), "右行3");
    EXPECT_EQ(rowTexts(host, s, 5, 8, 12), (QStringList{"", "J△", "K▲", "", ""}));
    EXPECT_TRUE(host.format(s, 3, 10).bold);
    EXPECT_EQ(host.format(s, 1, 12).fillColorIndex, 15);
    EXPECT_EQ(host.format(s, 4, 8).fillColorIndex, 15);

    EXPECT_EQ(cellText(host, s, 1, 2), "色彩标志：◇左多于右 ◆左独有");
    EXPECT_EQ(cellText(host, s, 1, 9), "色彩标志：○右多于左 ●右独有");
    EXPECT_EQ(host.format(s, 1, 9).fontSize, 10);
    auto runs = [&](int column) {
        QList<std::pair<int, int>> list;
        for (const host::CharacterRun& run : host.characterRuns(s, 1, column))
            list.append({run.start, run.colorIndex});
        return list;
    };
    EXPECT_EQ(runs(2), (QList<std::pair<int, int>>{{6, 19}, {12, 6}}));
    EXPECT_EQ(runs(9), (QList<std::pair<int, int>>{{6, 34}, {12, 33}}));

    // Table lines on both blocks, from row 2 to the last data row.
    EXPECT_EQ(host.format(s, 2, 1).borderLineStyle[0], 1);
    EXPECT_EQ(host.format(s, 17, 6).borderLineStyle[2], 1);
    EXPECT_EQ(host.format(s, 9, 3).borderLineStyle[1], 1);
    EXPECT_EQ(host.format(s, 4, 12).borderLineStyle[3], 1);
    EXPECT_EQ(host.format(s, 18, 1).borderLineStyle[0], host::xl::kLineNone);

    EXPECT_EQ(host.selection(s),
              (QList<CellRect>{{2, 2, 17, 2}, {2, 9, 4, 9}, {2, 4, 17, 4}, {2, 10, 4, 10}}));
    const host::SheetView view = host.sheetView(s);
    EXPECT_EQ(view.orientation, 2);
    EXPECT_EQ(view.fitToPagesWide, 1);
}

// Name, debit, credit on both sides; relation rows B/B and C/C.
TEST_F(SourceCopySheet, TwoPassesNameAndOrderTheSheets) {
    prepareSides({{"a\t10\t", "b\t\t20", "c\t30\t"}, {3, "A", 5, "C"}, {"B", "C"}, {"A"}},
                 {{"a\t10\t", "b\t\t20", "d\t\t5"}, {1, "A", 3, "C"}, {"B", "C"}, {"A"}});
    const auto results = run();
    ASSERT_EQ(results.size(), 2u);
    ASSERT_TRUE(results[0].completed);
    ASSERT_TRUE(results[1].completed);
    EXPECT_EQ(results[0].workbookName, results[1].workbookName);
    EXPECT_EQ(sheetNames(app), (QStringList{"▲(C列_C列)源▲", "2.(C列_C列)比对报告√",
                                            "▲(B列_B列)源▲", "1.(B列_B列)比对报告√"}));
    EXPECT_TRUE(cellText(host, sheet(results[0].reportSheetName), 2, 1).endsWith("$A$1:$C$3(B列)"));
    EXPECT_TRUE(cellText(host, sheet(results[1].reportSheetName), 2, 1).endsWith("$A$1:$C$3(C列)"));
    EXPECT_TRUE(cellText(host, sheet(results[1].reportSheetName), 2, 1)
                    .startsWith("比对项目:左[ledger.xlsx]Sheet1!$A$3:$C$5(C列)\n"));

    // Left block A..E (mark E, marker row 5), right block G..K (marker row 5).
    const host::SheetId first = sheet(results[0].sourceSheetName);
    const host::SheetId second = sheet(results[1].sourceSheetName);
    EXPECT_EQ(cellText(host, first, 1, 1), "左B列");
    EXPECT_EQ(cellText(host, second, 1, 1), "左C列");
    EXPECT_EQ(cellText(host, second, 1, 7), "右C列");
    EXPECT_EQ(rowTexts(host, first, 5, 1, 11),
              (QStringList{"", "△A", "▲B", "", "", "", "", "A△", "B▲", "", ""}));
    EXPECT_EQ(rowTexts(host, second, 5, 1, 11),
              (QStringList{"", "", "", "▲C", "", "", "", "", "", "C▲", ""}));
    EXPECT_TRUE(host.format(first, 2, 3).bold);
    EXPECT_FALSE(host.format(first, 2, 4).bold);
    EXPECT_FALSE(host.format(second, 2, 3).bold);
    EXPECT_TRUE(host.format(second, 2, 4).bold);
    EXPECT_EQ(host.selection(second), (QList<CellRect>{{2, 4, 4, 4}, {2, 10, 4, 10}}));
    // Only the reports keep their header rows in view.
    for (const auto& result : results) {
        EXPECT_EQ(host.sheetView(sheet(result.reportSheetName)).frozenRows, 5);
        EXPECT_EQ(host.sheetView(sheet(result.sourceSheetName)).frozenRows, 0);
        EXPECT_EQ(host.sheetView(sheet(result.sourceSheetName)).frozenColumns, 0);
    }

    // Pass 1 groups by debit, pass 2 by credit; a row with an amount only in the other pass's
    // column is no record of this pass and keeps "√".
    EXPECT_EQ(cellText(host, first, 4, 5), "◆");    // c|30 only on the left
    EXPECT_EQ(cellText(host, first, 4, 11), "√");   // d: credit only
    EXPECT_EQ(cellText(host, second, 3, 5), "√");   // b|20 matched
    EXPECT_EQ(cellText(host, second, 4, 11), "●");  // d|5 only on the right
    EXPECT_EQ(cellText(host, second, 4, 5), "√");   // c: debit only
}

// A side with one sum column meets a side with two: pass 2 pairs the single item with item 2.
TEST_F(SourceCopySheet, OneSumColumnAgainstTwo) {
    prepareSides({{"a\t10", "b\t20"}, {1, "A", 2, "B"}, {"B"}, {"A"}},
                 {{"a\t10\t", "b\t\t20"}, {1, "A", 2, "C"}, {"B", "C"}, {"A"}});
    const auto results = run();
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(sheetNames(app), (QStringList{"▲(B列_C列)源▲", "2.(B列_C列)比对报告√",
                                            "▲(B列_B列)源▲", "1.(B列_B列)比对报告√"}));
    // Pass 1: a|10 matched, b|20 left only (the right's b has a credit only); pass 2: b|20
    // matched, a|10 left only (the right's a has a debit only).
    EXPECT_EQ(results[0].figures.groups, (std::array<int, 5>{1, 0, 0, 1, 0}));
    EXPECT_EQ(results[1].figures.groups, (std::array<int, 5>{1, 0, 0, 1, 0}));
    EXPECT_EQ(cellText(host, sheet(results[1].sourceSheetName), 3, 4), "√");
    EXPECT_EQ(cellText(host, sheet(results[1].sourceSheetName), 2, 4), "◆");
}

// One-column areas: the keys are the lines as copied, the report's key column is the sum text.
TEST_F(SourceCopySheet, OneColumnAreas) {
    prepareSides({{"10", "20", "10"}, {2, "C", 4, "C"}, {"C"}, {}},
                 {{"10", "30"}, {1, "E", 2, "E"}, {"E"}, {}});
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    EXPECT_EQ(results[0].sourceSheetName, "▲(C列_E列)源▲");
    const host::SheetId report = sheet(results[0].reportSheetName);
    EXPECT_EQ(rowTexts(host, report, 6, 1, 9),
              (QStringList{"10", "2", "20", "2_4", "1", "10", "1", "1", "10"}));
    EXPECT_EQ(rowTexts(host, report, 7, 1, 9),
              (QStringList{"20", "1", "20", "3", "", "", "", "1", "20"}));
    EXPECT_EQ(rowTexts(host, report, 8, 1, 9),
              (QStringList{"30", "", "", "", "1", "30", "2", "-1", "-30"}));

    // Left block A to C, gap D, right block E to G.
    const host::SheetId s = sheet(results[0].sourceSheetName);
    EXPECT_EQ(rowTexts(host, s, 1, 1, 1), (QStringList{"左C列"}));
    EXPECT_EQ(rowTexts(host, s, 2, 1, 7),
              (QStringList{"左行2", "10", "√", "", "右行1", "10", "√"}));
    EXPECT_EQ(rowTexts(host, s, 3, 1, 7),
              (QStringList{"左行3", "20", "◆", "", "右行2", "30", "●"}));
    EXPECT_EQ(rowTexts(host, s, 4, 1, 7), (QStringList{"左行4", "10", "◇", "", "", "E▲", ""}));
    EXPECT_EQ(rowTexts(host, s, 5, 1, 3), (QStringList{"", "▲C", ""}));
}

// The selection text and the stored range disagree: the copy keeps to the range, so the grid
// never runs into the mark column or below the data rows.
TEST_F(SourceCopySheet, GridIsCutToTheAreaRectangle) {
    prepareSides({{"a\t1\tx\tq", "a\t1\ty\tq", "\t\t\t"}, {1, "A", 2, "B"}, {"B"}, {"A"}},
                 {{"a\t1"}, {1, "A", 1, "B"}, {"B"}, {"A"}});
    const auto results = run();
    ASSERT_TRUE(results.at(0).completed);
    const host::SheetId s = sheet(results[0].sourceSheetName);
    EXPECT_EQ(rowTexts(host, s, 2, 1, 5), (QStringList{"左行1", "a", "1", "√", ""}));
    EXPECT_EQ(rowTexts(host, s, 3, 1, 5), (QStringList{"左行2", "a", "1", "◇", ""}));
    EXPECT_EQ(rowTexts(host, s, 4, 1, 5), (QStringList{"", "△A", "▲B", "", ""}));
}

// Links from other sheets name a source row's place on the copy, the sheet quoted as a formula
// quotes it.
TEST(SourceCopyPlaces, ARowIsNamedByItsLabelCell) {
    const detail::SourceLayout layout =
        detail::sourceLayout({5, QStringLiteral("B"), 20, QStringLiteral("E")},
                             {1, QStringLiteral("J"), 3, QStringLiteral("L")});
    EXPECT_EQ(layout.left.rowLocation(QStringLiteral("▲(D列_K列)源▲"), 9),
              QStringLiteral("'▲(D列_K列)源▲'!A6"));
    EXPECT_EQ(layout.right.rowLocation(QStringLiteral("it's"), 3), QStringLiteral("'it''s'!H4"));
}

}  // namespace
}  // namespace tallimo::core
