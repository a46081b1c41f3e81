#pragma once

#include "HostBackend.h"

// A workbook shaped like the reconciler's report: two sheets with every property the files
// carry, built through the host interface. The round-trip and independent-reader tests share it.
namespace tallimo::host::xlsx::test {

inline constexpr const char* kLegend = "色彩标志：◇左多于右 ○右多于左 ◆左独有 ●右独有 √核对相符";
inline constexpr const char* kFooter = "Tallimo & Co https://tallimo.example";

inline BookId buildReportBook(HostBackend& host) {
    const BookId book = host.addWorkbook();
    const SheetId report = host.sheetAt(book, 1);
    host.setSheetName(report, QStringLiteral("1.(金额)比对报告√"));
    const auto cell = [](int row, int column) { return CellRect{row, column, row, column}; };

    host.setLiteral(report, 1, 1, CellValue::fromText(QStringLiteral("数据比对报告")));
    host.setLiteral(report, 3, 1, CellValue::fromText(QString::fromUtf8(kLegend)));
    host.setLiteral(report, 4, 1, CellValue::fromText(QStringLiteral("比较项")));
    host.setLiteral(report, 4, 2, CellValue::fromText(QStringLiteral("左项")));
    host.setLiteral(report, 5, 2, CellValue::fromText(QStringLiteral("笔数")));
    host.setLiteral(report, 6, 1, CellValue::fromText(QStringLiteral("00123")));
    host.setLiteral(report, 6, 2, CellValue::fromNumber(2));
    host.setLiteral(report, 7, 2, CellValue::fromNumber(-1234.5));
    host.setLiteral(report, 6, 3, CellValue::fromBool(true));
    host.setLiteral(report, 7, 3, CellValue::fromError(QStringLiteral("#DIV/0!")));
    host.setLiteral(report, 6, 4, CellValue::fromNumber(45366));
    host.setNumberFormat(report, cell(6, 4), QStringLiteral("yyyy-mm-dd"));
    host.setLiteral(report, 7, 4, CellValue::fromText(QStringLiteral("a & b < c")));
    host.setFormulaA1(report, 8, 2, QStringLiteral("=SUM(B6:B7)"), CellValue::fromNumber(-1232.5));
    host.setFormulaA1(report, 8, 1, QStringLiteral("=A6&\"x\""),
                      CellValue::fromText(QStringLiteral("00123x")));

    host.merge(report, {1, 1, 1, 9});
    host.merge(report, {3, 1, 3, 9});
    host.merge(report, {4, 1, 5, 1});
    host.merge(report, {4, 2, 4, 4});

    host.setFontName(report, cell(1, 1), QStringLiteral("黑体"));
    host.setFontSize(report, cell(1, 1), 20);
    host.setFontBold(report, cell(1, 1), true);
    host.setFontSize(report, cell(3, 1), 10);
    host.setFillColorIndex(report, {3, 1, 3, 9}, 15);
    for (auto [start, color] : {std::pair{6, 19}, {12, 34}, {18, 6}, {23, 33}, {28, 48}})
        host.setCharactersColorIndex(report, 3, 1, start, 1, color);
    host.setFillColorIndex(report, {6, 1, 6, 4}, 34);  // the palette's second light turquoise
    host.setFillColor(report, {7, 1, 7, 4}, rgbColor(0, 112, 192));
    host.setFontColorIndex(report, cell(8, 1), 3);
    host.setHorizontalAlignment(report, cell(8, 1), xl::kAlignLeft);
    host.setHorizontalAlignment(report, cell(8, 2), xl::kAlignRight);
    host.setHorizontalAlignment(report, {4, 1, 5, 4}, xl::kAlignCenterAlt);
    host.setVerticalAlignment(report, {4, 1, 5, 4}, xl::kAlignTop);
    host.setWrapText(report, {1, 1, 8, 1}, true);
    for (int edge : {xl::kEdgeLeft, xl::kEdgeTop, xl::kEdgeBottom, xl::kEdgeRight})
        host.setBorderLineStyle(report, {4, 1, 8, 4}, edge, xl::kContinuous);

    const double widths[] = {12, 7, 13, 22, 7, 13, 22, 7, 13};
    for (int c = 1; c <= 9; ++c)
        host.setColumnWidth(report, c, c, widths[c - 1]);
    host.setRowHeight(report, 1, 1, 28);
    host.setRowHeight(report, 2, 2, 27);

    host.addComment(report, 6, 2, QStringLiteral("左行5"));
    host.setCommentVisible(report, 6, 2, true);
    host.addComment(report, 7, 2, QStringLiteral("hidden note"));
    host.addComment(report, 2, 5, QStringLiteral("on an empty cell"));

    SheetView view = host.sheetView(report);
    view.frozenRows = 5;
    view.showGridlines = false;
    view.tabColor = 255;
    view.orientation = xl::kLandscape;
    view.fitToPagesWide = 1;
    view.centerHorizontally = true;
    view.rightFooter = QString::fromUtf8(kFooter);
    host.setSheetView(report, view);

    const SheetId copy = host.addSheet(book, std::nullopt);
    host.moveSheet(copy, report, Placement::After);
    host.setSheetName(copy, QStringLiteral("比对1"));
    host.setLiteral(copy, 2, 2, CellValue::fromText(QStringLiteral("左行2")));
    host.setLiteral(copy, 2, 3, CellValue::fromNumber(0.1));
    // As the passes leave them: the compared columns on the copy, A6 below the frozen rows.
    host.selectRanges(copy, parseA1List(QStringLiteral("B2:B9,E2:E9,H2:H12,XFD1048576")));
    host.selectRanges(report, {parseA1("A6")});
    host.selectSheet(report);
    return book;
}

}  // namespace tallimo::host::xlsx::test
