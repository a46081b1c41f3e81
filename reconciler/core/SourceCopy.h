#pragma once

#include "Reconcile.h"

// The source-copy sheet: both areas side by side, a mark column after each, a marker row under
// each naming the columns that took part.
namespace tallimo::core::detail {

// One area's block on the sheet.
struct Block {
    Side side = Side::Left;
    int labelColumn = 1;      // A, or M + 2 on the right
    int columnCount = 0;      // the area's columns
    qint32 areaFirstRow = 0;  // source row of the first data row
    int lastRow = 1;          // last data row of the copy
    int areaFirstColumn = 1;  // source column number of the area's first column

    int markColumn() const { return labelColumn + columnCount + 1; }
    int markerRow() const { return lastRow + 1; }
    // An area that ends in the grid's last row has no room for its marker row.
    bool hasMarkerRow() const { return markerRow() <= host::kMaxRows; }
    int copyColumn(int position) const { return labelColumn + position; }  // 1-based position
    int copyRow(qint32 sourceRow) const { return int(sourceRow - areaFirstRow + 2); }
    host::CellRect rowSpan(int row) const { return {row, labelColumn, row, markColumn()}; }
    host::CellRect markerRowSpan() const { return rowSpan(markerRow()); }
    host::CellRect dataColumn(int position) const {
        return {2, copyColumn(position), lastRow, copyColumn(position)};
    }
    QString headerText(const QString& item) const;
    // Where a source row stands on the copy named `sheetName`, as a link names it:
    // '▲(F列_D列)源▲'!A12.
    QString rowLocation(const QString& sheetName, qint32 sourceRow) const;
    QString sumMarker(int position) const;      // ▲F / D▲
    QString compareMarker(int position) const;  // △C / B△
};

struct SourceLayout {
    Block left, right;
};
SourceLayout sourceLayout(const AreaAddress& left, const AreaAddress& right);

// Builds "比对1" in pass 1 (everything before the group marks, including the page setup).
// Host failures propagate: they end the pass.
void buildSourceCopy(host::Worksheet sheet, const SourceLayout& layout, const PassInput& input);
// The sum columns of a pass, rows 2 to the last data row, on both blocks.
QList<host::CellRect> sumColumns(const SourceLayout& layout, const PassInput& input, int pass);
// Adapts the copy "比对2" to relation row 1 in pass 2. Host failures propagate.
void prepareSecondSourceCopy(host::Worksheet sheet, const SourceLayout& layout,
                             const PassInput& input);

// Marks one group's rows; a failing mark or fill is skipped.
struct GroupRows {
    std::span<const qint32> left, right;
};
void markGroup(host::Worksheet sheet, const SourceLayout& layout, const PassInput& input,
               Outcome outcome, const GroupRows& rows, qint32 difference);

// Runs one host step; a failure skips it.
template <typename Step>
void skipOnFailure(Step&& step) {
    try {
        step();
    } catch (const host::HostError&) {
    }
}

// The right footer of both sheets: the product name and its web address.
inline const QString kProductFooter = QStringLiteral("Tallimo https://www.tallimo.example");
// Each setting is one step handed to `run`, which decides what a failure does.
template <typename Run>
void applyPageSetup(host::Worksheet sheet, Run&& run) {
    auto page = sheet.pageSetup();
    run([&] { page.setRightFooter(kProductFooter); });
    run([&] { page.setOrientation(host::xl::kLandscape); });
    run([&] { page.setCenterHorizontally(true); });
    run([&] { page.setFitToPagesWide(1); });
}
// Range("A1:A3,C1:C3").Select
void selectAreas(host::Worksheet sheet, const QList<host::CellRect>& areas);

}  // namespace tallimo::core::detail
