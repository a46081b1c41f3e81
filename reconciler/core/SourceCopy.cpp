#include "SourceCopy.h"

#include "CellNames.h"

namespace tallimo::core::detail {
namespace {

using host::CellRect;
using host::Worksheet;

constexpr int kBaseFill = 15;
constexpr int kLegendFontSize = 10;
const QString kLeftLegend = QStringLiteral("色彩标志：◇左多于右 ◆左独有");
const QString kRightLegend = QStringLiteral("色彩标志：○右多于左 ●右独有");

std::vector<int> comparePositionList(const QString& joined) {
    std::vector<int> positions;
    for (QStringView piece : QStringView(joined).split(u'_', Qt::SkipEmptyParts))
        positions.push_back(piece.toInt());
    return positions;
}

int sumPosition(const PassInput& input, Side side, int pass) {
    return input.sumPositions[std::size_t((side == Side::Left ? 0 : 2) + pass - 1)];
}

const PreparedSide& preparedSide(const PassInput& input, Side side) {
    return side == Side::Left ? *input.left : *input.right;
}

CellRect blockRect(const Block& block, int top) {
    return {top, block.labelColumn, block.lastRow, block.markColumn()};
}

// The grid goes into the block's label and data columns, rows 2 to the last data row, as one
// block; a grid larger than the area's rectangle is cut to it, as a block write into a range is.
void writeGrid(Worksheet& sheet, const Block& block, const TextGrid& grid) {
    const int rows = block.lastRow - 1, columns = block.columnCount + 1;
    if (grid.rowCount() <= rows && grid.columnCount() <= columns) {
        sheet.cells(2, block.labelColumn).setValues(grid);
        return;
    }
    const int keptRows = std::min(rows, grid.rowCount());
    const int keptColumns = std::min(columns, grid.columnCount());
    TextGrid kept(keptColumns);
    for (int r = 0; r < keptRows; ++r) {
        for (int c = 0; c < keptColumns; ++c)
            kept.addCell(grid.cell(r, c));
        kept.endRow();
    }
    sheet.cells(2, block.labelColumn).setValues(kept);
}

void writeSumMarker(Worksheet& sheet, const Block& block, int position) {
    if (!block.hasMarkerRow()) return;
    auto cell = sheet.cells(block.markerRow(), block.copyColumn(position));
    cell.setValue(block.sumMarker(position));
    cell.setHorizontalAlignment(host::xl::kAlignCenter);
}

// Steps shared by both blocks of the pass-1 sheet; the comparison columns' ranges are
// collected for the closing selection.
void buildBlock(Worksheet& sheet, const Block& block, const PassInput& input,
                QList<CellRect>& selection) {
    const PreparedSide& side = preparedSide(input, block.side);
    sheet.cells(1, block.labelColumn).setValue(block.headerText(side.relationItems[0]));
    writeGrid(sheet, block, side.textGrid);
    if (input.options.sourceTableLines)
        sheet.range(blockRect(block, 2)).borders().setLineStyle(host::xl::kContinuous);
    const CellRect marks{2, block.markColumn(), block.lastRow, block.markColumn()};
    sheet.range(marks).setHorizontalAlignment(host::xl::kAlignCenter);

    writeSumMarker(sheet, block, sumPosition(input, block.side, 1));
    for (int position : comparePositionList(side.comparePositions)) {
        if (block.hasMarkerRow()) {
            auto cell = sheet.cells(block.markerRow(), block.copyColumn(position));
            cell.setValue(block.compareMarker(position));
            cell.setHorizontalAlignment(host::xl::kAlignCenter);
        }
        selection.append(block.dataColumn(position));
    }

    sheet.range(marks).setValue(outcomeStyle(Outcome::Matched).mark.toString());
    sheet.columns(block.labelColumn, block.markColumn()).autoFitColumns();

    const bool left = block.side == Side::Left;
    auto legend = sheet.cells(1, block.labelColumn + 1);
    legend.setValue(left ? kLeftLegend : kRightLegend);
    legend.font().setSize(kLegendFontSize);
    if (input.options.colourMarking) {
        sheet.range(blockRect(block, 1)).interior().setColorIndex(kBaseFill);
        const Outcome more = left ? Outcome::LeftMore : Outcome::RightMore;
        const Outcome only = left ? Outcome::LeftOnly : Outcome::RightOnly;
        legend.characters(6, 1).setFontColorIndex(outcomeStyle(more).fillIndex);
        legend.characters(12, 1).setFontColorIndex(outcomeStyle(only).fillIndex);
    }
}

void markRow(Worksheet& sheet, const Block& block, const PassInput& input, qint32 sourceRow,
             Outcome outcome) {
    if (input.pump) input.pump();
    const int row = block.copyRow(sourceRow);
    const OutcomeStyle& style = outcomeStyle(outcome);
    const bool colour = input.options.colourMarking;
    if (outcome == Outcome::Matched) {
        // The matched fill is the block's base fill, laid over every row when the sheet was
        // built; only the font colour changes.
        skipOnFailure(
            [&] { sheet.range(block.rowSpan(row)).font().setColorIndex(style.fontIndex); });
        return;
    }
    auto mark = [&] { sheet.cells(row, block.markColumn()).setValue(style.mark.toString()); };
    auto fill = [&] {
        if (colour) sheet.range(block.rowSpan(row)).interior().setColorIndex(style.fillIndex);
    };
    if (outcome == Outcome::LeftOnly || outcome == Outcome::RightOnly) {
        skipOnFailure(mark);
        skipOnFailure(fill);
    } else {
        skipOnFailure(fill);
        skipOnFailure(mark);
    }
}

}  // namespace

void selectAreas(Worksheet sheet, const QList<CellRect>& areas) {
    QStringList addresses;
    for (const CellRect& area : areas)
        addresses.append(host::absoluteAddress(area));
    sheet.selectAreas(addresses.join(u','));
}

QString Block::rowLocation(const QString& sheetName, qint32 sourceRow) const {
    QString quoted = sheetName;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + QStringLiteral("'!") + host::columnName(labelColumn) +
           QString::number(copyRow(sourceRow));
}

QString Block::headerText(const QString& item) const {
    return (side == Side::Left ? QStringLiteral("左") : QStringLiteral("右")) + item;
}

QString Block::sumMarker(int position) const {
    const QString letters = columnLetters(areaFirstColumn + position - 1);
    return side == Side::Left ? QStringLiteral("▲") + letters : letters + QStringLiteral("▲");
}

QString Block::compareMarker(int position) const {
    const QString letters = columnLetters(areaFirstColumn + position - 1);
    return side == Side::Left ? QStringLiteral("△") + letters : letters + QStringLiteral("△");
}

SourceLayout sourceLayout(const AreaAddress& left, const AreaAddress& right) {
    auto block = [](Side side, const AreaAddress& area, int labelColumn) {
        Block b;
        b.side = side;
        b.labelColumn = labelColumn;
        b.areaFirstColumn = columnNumber(area.firstColumn);
        b.columnCount = columnNumber(area.lastColumn) - b.areaFirstColumn + 1;
        b.areaFirstRow = area.firstRow;
        b.lastRow = int(area.lastRow - area.firstRow + 2);
        return b;
    };
    SourceLayout layout;
    layout.left = block(Side::Left, left, 1);
    layout.right = block(Side::Right, right, layout.left.markColumn() + 2);
    return layout;
}

QList<CellRect> sumColumns(const SourceLayout& layout, const PassInput& input, int pass) {
    return {layout.left.dataColumn(sumPosition(input, Side::Left, pass)),
            layout.right.dataColumn(sumPosition(input, Side::Right, pass))};
}

void buildSourceCopy(Worksheet sheet, const SourceLayout& layout, const PassInput& input) {
    QList<CellRect> selection;
    buildBlock(sheet, layout.left, input, selection);
    const int gap = layout.left.markColumn() + 1;
    sheet.columns(gap, gap).setColumnWidth(2);
    buildBlock(sheet, layout.right, input, selection);

    const QList<CellRect> sums = sumColumns(layout, input, 1);
    for (const CellRect& column : sums)
        sheet.range(column).font().setBold(true);
    selection.append(sums);
    selectAreas(sheet, selection);
    applyPageSetup(sheet, [](auto&& step) { step(); });
}

void prepareSecondSourceCopy(Worksheet sheet, const SourceLayout& layout, const PassInput& input) {
    sheet.select();
    for (const Block* block : {&layout.left, &layout.right}) {
        const PreparedSide& side = preparedSide(input, block->side);
        sheet.cells(1, block->labelColumn).setValue(block->headerText(side.relationItems[1]));
        if (block->hasMarkerRow()) sheet.range(block->markerRowSpan()).clearContents();
        writeSumMarker(sheet, *block, sumPosition(input, block->side, 2));
    }
    const QList<CellRect> sums = sumColumns(layout, input, 2);
    for (const CellRect& column : sums)
        sheet.range(column).font().setBold(true);
    selectAreas(sheet, sums);
}

void markGroup(Worksheet sheet, const SourceLayout& layout, const PassInput& input, Outcome outcome,
               const GroupRows& rows, qint32 difference) {
    switch (outcome) {
        case Outcome::Matched:
            if (!input.options.colourMarking) return;
            for (qint32 row : rows.left)
                markRow(sheet, layout.left, input, row, outcome);
            for (qint32 row : rows.right)
                markRow(sheet, layout.right, input, row, outcome);
            return;
        case Outcome::LeftMore:
            for (qint32 row : rows.left.last(std::size_t(difference)))
                markRow(sheet, layout.left, input, row, outcome);
            return;
        case Outcome::RightMore:
            for (qint32 row : rows.right.last(std::size_t(difference)))
                markRow(sheet, layout.right, input, row, outcome);
            return;
        case Outcome::RightOnly:
            for (qint32 row : rows.right)
                markRow(sheet, layout.right, input, row, outcome);
            return;
        case Outcome::LeftOnly:
            for (qint32 row : rows.left)
                markRow(sheet, layout.left, input, row, outcome);
            return;
    }
}

}  // namespace tallimo::core::detail
