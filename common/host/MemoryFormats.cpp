#include "MemoryFormats.h"

#include "FormulaEvaluator.h"
#include "MemoryChecks.h"
#include "NumberFormat.h"
#include "Palette.h"
#include "TextWidth.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace tallimo::host {

namespace {

// The colour of a palette index already checked to lie in 1..56.
std::uint32_t paletteValue(int colorIndex) {
    std::uint32_t color = 0;
    paletteColor(colorIndex, color);
    return color;
}

constexpr double kDefaultColumnWidth = 8.43;
constexpr double kDefaultRowHeight = 15;
constexpr double kMaxColumnWidth = 255;
constexpr double kMaxRowHeight = 409;

constexpr int kColorIndexAutomatic = -4105;

// None (-4142), automatic (-4105) and 0 all take the colour away.
bool noColor(int index) {
    return index == xl::kColorIndexNone || index == kColorIndexAutomatic || index == 0;
}

void checkColorIndex(int index) {
    if (!noColor(index) && (index < 1 || index > 56))
        throw HostError(QStringLiteral("无效的颜色序号：%1（应为 1 到 56）").arg(index));
}

void checkColumns(int first, int last) {
    if (first < 1 || last > kMaxColumns || first > last)
        throw HostError(QStringLiteral("列号超出范围：%1-%2").arg(first).arg(last));
}

void checkRows(int first, int last) {
    if (first < 1 || last > kMaxRows || first > last)
        throw HostError(QStringLiteral("行号超出范围：%1-%2").arg(first).arg(last));
}

}  // namespace

// Whole columns and whole rows keep their format as a column or row default, so formatting
// column A does not create a million cells; the cells that exist change with it.
void MemoryFormats::changeFormat(SheetId id, const CellRect& range,
                                 const std::function<void(CellFormat&)>& change) {
    checkRect(range);
    MemorySheet& s = books_.sheet(id);
    FormatChange changed(formats_, change);
    const bool wholeColumns = range.top == 1 && range.bottom == kMaxRows;
    const bool wholeRows = range.left == 1 && range.right == kMaxColumns;
    if (wholeColumns || wholeRows) {
        if (wholeColumns) {
            for (int column = range.left; column <= range.right; ++column) {
                const auto found = s.columnFormats.find(column);
                const std::uint32_t old = found == s.columnFormats.end() ? 0 : found->second;
                s.columnFormats[column] = changed(old);
            }
        } else {
            for (int row = range.top; row <= range.bottom; ++row) {
                const auto found = s.rowFormats.find(row);
                const std::uint32_t old = found == s.rowFormats.end() ? 0 : found->second;
                s.rowFormats[row] = changed(old);
            }
        }
        const int last = std::min(range.bottom, s.cells.rowCount());
        for (int row = range.top; row <= last; ++row)
            for (Cell& cell : s.cells.rows()[row - 1])
                if (cell.column >= range.left && cell.column <= range.right)
                    cell.formatId = changed(cell.formatId);
        return;
    }
    checkCellCount(range);
    for (int row = range.top; row <= range.bottom; ++row)
        changeRowFormat(s, row, range.left, range.right, changed);
}

// Every cell of columns [left, right] of the row gets its changed format; the missing cells are
// put in with the format they showed, in one move of the row's cells and at most one allocation.
void MemoryFormats::changeRowFormat(MemorySheet& s, int row, int left, int right,
                                    FormatChange& changed) {
    if (row > s.cells.rowCount()) s.cells.rows().resize(std::size_t(row));
    CellRow& cells = s.cells.rows()[std::size_t(row - 1)];
    const auto byColumn = [](const Cell& c, int column) { return c.column < column; };
    const auto begin = std::lower_bound(cells.begin(), cells.end(), left, byColumn);
    const auto end = std::lower_bound(begin, cells.end(), right + 1, byColumn);
    const std::size_t present = std::size_t(end - begin);
    const std::size_t missing = std::size_t(right - left + 1) - present;
    if (missing == 0) {
        for (auto it = begin; it != end; ++it)
            it->formatId = changed(it->formatId);
        return;
    }
    const auto rowFormat = s.rowFormats.find(row);
    const auto shownFormat = [&](int column) -> std::uint32_t {
        if (rowFormat != s.rowFormats.end()) return rowFormat->second;
        const auto c = s.columnFormats.find(column);
        return c == s.columnFormats.end() ? 0 : c->second;
    };
    const std::size_t first = std::size_t(begin - cells.begin());
    const std::size_t after = std::size_t(end - cells.begin());
    const std::size_t oldSize = cells.size();
    if (cells.capacity() < oldSize + missing) cells.reserve(oldSize + missing);
    cells.resize(oldSize + missing);
    // From the back: the cells right of the span move up by `missing`, then the span is laid
    // out column by column, taking each present cell from where it stood.
    std::move_backward(cells.begin() + std::ptrdiff_t(after),
                       cells.begin() + std::ptrdiff_t(oldSize), cells.end());
    std::size_t read = after, write = after + missing;
    for (int column = right; column >= left; --column) {
        Cell& target = cells[--write];
        if (read > first && cells[read - 1].column == column) {
            target = cells[--read];
            target.formatId = changed(target.formatId);
        } else {
            target = Cell{std::uint16_t(column), CellKind::Empty, changed(shownFormat(column)), 0};
        }
    }
}

CellFormat MemoryFormats::format(SheetId id, int row, int column) const {
    checkCell(row, column);
    return formats_.at(effectiveFormatId(books_.sheet(id), row, column));
}

CellFormat MemoryFormats::formatById(std::uint32_t formatId) const {
    return formats_.at(formatId);
}

void MemoryFormats::setHorizontalAlignment(SheetId id, const CellRect& range, int alignment) {
    changeFormat(id, range, [=](CellFormat& f) { f.horizontalAlignment = alignment; });
}

void MemoryFormats::setVerticalAlignment(SheetId id, const CellRect& range, int alignment) {
    changeFormat(id, range, [=](CellFormat& f) { f.verticalAlignment = alignment; });
}

void MemoryFormats::setWrapText(SheetId id, const CellRect& range, bool on) {
    changeFormat(id, range, [=](CellFormat& f) { f.wrapText = on; });
}

void MemoryFormats::setFillColorIndex(SheetId id, const CellRect& range, int colorIndex) {
    checkColorIndex(colorIndex);
    changeFormat(id, range, [=](CellFormat& f) {
        const bool none = noColor(colorIndex);
        f.fillColorIndex = none ? xl::kColorIndexNone : colorIndex;
        f.fillColor = none ? 0 : paletteValue(colorIndex);
        f.fillSet = !none;
    });
}

void MemoryFormats::setFillColor(SheetId id, const CellRect& range, std::uint32_t color) {
    changeFormat(id, range, [=](CellFormat& f) {
        const int index = paletteIndexOf(color);
        f.fillColorIndex = index > 0 ? index : xl::kColorIndexNone;
        f.fillColor = color;
        f.fillSet = true;
    });
}

void MemoryFormats::setFontName(SheetId id, const CellRect& range, const QString& name) {
    if (name.trimmed().isEmpty()) throw HostError(QStringLiteral("字体名称为空"));
    changeFormat(id, range, [&](CellFormat& f) { f.fontName = name; });
}

void MemoryFormats::setFontSize(SheetId id, const CellRect& range, double size) {
    if (!(size >= 1 && size <= 409)) throw HostError(QStringLiteral("无效的字号：%1").arg(size));
    changeFormat(id, range, [=](CellFormat& f) { f.fontSize = size; });
}

void MemoryFormats::setFontBold(SheetId id, const CellRect& range, bool bold) {
    changeFormat(id, range, [=](CellFormat& f) { f.bold = bold; });
}

void MemoryFormats::setFontColorIndex(SheetId id, const CellRect& range, int colorIndex) {
    checkColorIndex(colorIndex);
    changeFormat(id, range, [=](CellFormat& f) {
        const bool automatic = noColor(colorIndex);
        f.fontColorIndex = automatic ? 0 : colorIndex;
        f.fontColor = automatic ? 0 : paletteValue(colorIndex);
        f.fontColorSet = !automatic;
    });
}

void MemoryFormats::setFontColor(SheetId id, const CellRect& range, std::uint32_t color) {
    changeFormat(id, range, [=](CellFormat& f) {
        f.fontColorIndex = paletteIndexOf(color);
        f.fontColor = color;
        f.fontColorSet = true;
    });
}

void MemoryFormats::setNumberFormat(SheetId id, const CellRect& range, const QString& format) {
    const QString code = format.compare(u"General", Qt::CaseInsensitive) == 0 ? QString() : format;
    changeFormat(id, range, [&](CellFormat& f) { f.numberFormat = code; });
}

// Edges 7 to 10 draw round the range; 11 and 12 between its cells, kept on both neighbours.
void MemoryFormats::setBorderLineStyle(SheetId id, const CellRect& r, int borderIndex,
                                       int lineStyle) {
    checkRect(r);
    const auto side = [&](const CellRect& cells, int which) {
        changeFormat(id, cells, [=](CellFormat& f) { f.borderLineStyle[which] = lineStyle; });
    };
    enum { Left, Top, Bottom, Right };
    switch (borderIndex) {
        case xl::kEdgeLeft:
            side({r.top, r.left, r.bottom, r.left}, Left);
            break;
        case xl::kEdgeTop:
            side({r.top, r.left, r.top, r.right}, Top);
            break;
        case xl::kEdgeBottom:
            side({r.bottom, r.left, r.bottom, r.right}, Bottom);
            break;
        case xl::kEdgeRight:
            side({r.top, r.right, r.bottom, r.right}, Right);
            break;
        case xl::kInsideVertical:
            if (r.columnCount() < 2) break;
            side({r.top, r.left + 1, r.bottom, r.right}, Left);
            side({r.top, r.left, r.bottom, r.right - 1}, Right);
            break;
        case xl::kInsideHorizontal:
            if (r.rowCount() < 2) break;
            side({r.top + 1, r.left, r.bottom, r.right}, Top);
            side({r.top, r.left, r.bottom - 1, r.right}, Bottom);
            break;
        default:
            throw HostError(QStringLiteral("无效的边框序号：%1（应为 7 到 12）").arg(borderIndex));
    }
}

// ---- layout

double MemoryFormats::columnWidth(SheetId id, int column) const {
    checkColumns(column, column);
    const MemorySheet& s = books_.sheet(id);
    const auto found = s.columnWidths.find(column);
    return found == s.columnWidths.end() ? kDefaultColumnWidth : found->second;
}

void MemoryFormats::setColumnWidth(SheetId id, int firstColumn, int lastColumn, double width) {
    checkColumns(firstColumn, lastColumn);
    if (!(width >= 0 && width <= kMaxColumnWidth))
        throw HostError(QStringLiteral("无效的列宽：%1（应为 0 到 255）").arg(width));
    MemorySheet& s = books_.sheet(id);
    for (int column = firstColumn; column <= lastColumn; ++column)
        s.columnWidths[column] = width;
}

// The width that shows the widest text of the column in its font; cells merged across columns
// do not count, and a column without text keeps its width.
void MemoryFormats::autoFitColumns(SheetId id, int firstColumn, int lastColumn) {
    checkColumns(firstColumn, lastColumn);
    MemorySheet& s = books_.sheet(id);
    std::map<int, double> widest;
    for (int row = 1; row <= s.cells.rowCount(); ++row) {
        for (const Cell& cell : *s.cells.row(row)) {
            if (cell.column < firstColumn || cell.column > lastColumn ||
                cell.kind == CellKind::Empty)
                continue;
            const bool mergedAcross =
                std::any_of(s.merges.cbegin(), s.merges.cend(), [&](const CellRect& m) {
                    return m.columnCount() > 1 && m.contains(row, cell.column);
                });
            if (mergedAcross) continue;
            const CellFormat& f = formats_.at(cell.formatId);
            // A text in the General format shows as it stands; no need to make its display text.
            const bool shownAsStored = cell.kind == CellKind::Error ||
                                       (cell.kind == CellKind::Text && f.numberFormat.isEmpty());
            const int units =
                shownAsStored
                    ? textWidthUnits(s.cells.text(cell))
                    : textWidthUnits(displayTextOf(FormulaEvaluator::cellValue(s, row, cell.column),
                                                   formats_.numberFormatCode(cell.formatId)));
            const double width = units * (f.fontSize / 11.0) * (f.bold ? 1.1 : 1.0) + 0.71;
            double& best = widest[cell.column];
            best = std::max(best, width);
        }
    }
    for (const auto& [column, width] : widest)
        s.columnWidths[column] = std::min(std::round(width * 100) / 100, kMaxColumnWidth);
}

double MemoryFormats::rowHeight(SheetId id, int row) const {
    checkRows(row, row);
    const MemorySheet& s = books_.sheet(id);
    const auto found = s.rowHeights.find(row);
    return found == s.rowHeights.end() ? kDefaultRowHeight : found->second;
}

void MemoryFormats::setRowHeight(SheetId id, int firstRow, int lastRow, double height) {
    checkRows(firstRow, lastRow);
    if (!(height >= 0 && height <= kMaxRowHeight))
        throw HostError(QStringLiteral("无效的行高：%1（应为 0 到 409）").arg(height));
    MemorySheet& s = books_.sheet(id);
    for (int row = firstRow; row <= lastRow; ++row)
        s.rowHeights[row] = height;
}

// ---- cells' formats

std::uint32_t MemoryFormats::effectiveFormatId(const MemorySheet& s, int row, int column) const {
    if (const Cell* cell = s.cells.find(row, column)) return cell->formatId;
    if (const auto r = s.rowFormats.find(row); r != s.rowFormats.end()) return r->second;
    if (const auto c = s.columnFormats.find(column); c != s.columnFormats.end()) return c->second;
    return 0;
}

std::uint32_t MemoryFormats::withTypedNumberFormat(std::uint32_t formatId,
                                                   const QString& numberFormat) {
    const auto cacheKey = qMakePair(formatId, numberFormat);
    auto found = typedFormats_.constFind(cacheKey);
    if (found == typedFormats_.cend()) {
        CellFormat format = formats_.at(formatId);
        format.numberFormat = numberFormat;
        found = typedFormats_.insert(cacheKey, formats_.intern(format));
    }
    return *found;
}

}  // namespace tallimo::host
