#include "MemoryCells.h"

#include "CellNames.h"
#include "Formula.h"
#include "FormulaEvaluator.h"
#include "MemoryChecks.h"
#include "NumberFormat.h"
#include "TypedEntry.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace tallimo::host {
namespace {

QString cellName(int row, int column) {
    return columnName(column) + QString::number(row);
}

void checkTextLength(QStringView text, int row, int column) {
    if (text.size() > TextPool::kMaxTextLength)
        throw HostError(QStringLiteral("单元格 %1 的文字超过 %2 个字符")
                            .arg(cellName(row, column))
                            .arg(TextPool::kMaxTextLength));
}

// No file format or display text carries an infinity or NaN; a caller that computed one learns
// here, before anything is stored, and decides what the cell shows instead.
void checkFinite(const CellValue& value, int row, int column) {
    if ((value.kind == CellValue::Kind::Number || value.kind == CellValue::Kind::Boolean) &&
        !std::isfinite(value.number))
        throw HostError(QStringLiteral("单元格 %1 的数值超出范围（无穷大或非数值）")
                            .arg(cellName(row, column)));
}

// A place in the workbook is a sheet name and a block, or a name: far shorter than this. Files
// keep it in an attribute, which cannot hold control characters.
constexpr int kMaxHyperlinkLocation = 255;

void checkHyperlinkLocation(const QString& location, int row, int column) {
    const auto refuse = [&](const QString& why) {
        throw HostError(QStringLiteral("单元格 %1 的超链接位置%2").arg(cellName(row, column), why));
    };
    if (location.isEmpty()) refuse(QStringLiteral("为空"));
    if (location.size() > kMaxHyperlinkLocation)
        refuse(QStringLiteral("超过 %1 个字符").arg(kMaxHyperlinkLocation));
    const bool unsavable =
        !location.isValidUtf16() || std::any_of(location.begin(), location.end(), [](QChar c) {
            return c.unicode() < 0x20 || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF;
        });
    if (unsavable) refuse(QStringLiteral("含有文件无法保存的字符"));
}

// What Formula reports for a cell without a formula: its value in the General form.
QString constantText(const CellValue& v) {
    return displayTextOf(v, numfmt::FormatCode());
}

using Mover = std::function<std::optional<std::pair<int, int>>(int, int)>;

template <typename Table>
void remapKeys(Table& table, const Mover& where) {
    Table moved;
    for (auto& [key, entry] : table) {
        if (const auto to = where(keyRow(key), keyColumn(key)))
            moved.emplace(cellKey(to->first, to->second), std::move(entry));
    }
    table = std::move(moved);
}

template <typename Map>
void shiftKeys(Map& map, int first, int last) {
    Map shifted;
    const int count = last - first + 1;
    for (const auto& [key, value] : map) {
        if (key < first)
            shifted.emplace(key, value);
        else if (key > last)
            shifted.emplace(key - count, value);
    }
    map = std::move(shifted);
}

// Removes the cells of columns [left, right] from a row and returns them.
CellRow takeSpan(CellRow& row, int left, int right) {
    const auto begin = std::lower_bound(row.begin(), row.end(), left,
                                        [](const Cell& c, int col) { return c.column < col; });
    const auto end = std::lower_bound(begin, row.end(), right + 1,
                                      [](const Cell& c, int col) { return c.column < col; });
    CellRow taken(begin, end);
    row.erase(begin, end);
    return taken;
}

// True when rows from `top` down hold no cell outside columns [left, right].
bool onlyInSpan(const std::vector<CellRow>& rows, int top, int left, int right) {
    for (std::size_t i = std::size_t(top - 1); i < rows.size(); ++i)
        if (!rows[i].empty() && (rows[i].front().column < left || rows[i].back().column > right))
            return false;
    return true;
}

// The formula slot of the cell, if it holds a formula.
std::optional<std::uint64_t> formulaAt(const MemorySheet& s, int row, int column) {
    const Cell* cell = s.cells.find(row, column);
    if (!cell || cell->kind != CellKind::Formula) return std::nullopt;
    return cell->payload;
}

// Frees the cell's formula slot; the caller gives the cell its new content.
void dropFormula(MemorySheet& s, Cell& cell) {
    if (cell.kind != CellKind::Formula) return;
    s.formulas.release(cell.payload);
    cell.kind = CellKind::Empty;
    cell.payload = 0;
}

void putFormula(MemorySheet& s, Cell& cell, const FormulaEntry& entry) {
    if (cell.kind == CellKind::Formula) {
        s.formulas.set(cell.payload, entry);
        return;
    }
    cell.kind = CellKind::Formula;
    cell.payload = s.formulas.add(entry);
}

// Frees the formula slots of the cells of `rect` before those cells are removed.
void dropFormulas(MemorySheet& s, const CellRect& rect) {
    if (s.formulas.empty()) return;
    const int last = std::min(rect.bottom, s.cells.rowCount());
    for (int row = rect.top; row <= last; ++row)
        for (Cell& cell : s.cells.rows()[row - 1])
            if (cell.column >= rect.left && cell.column <= rect.right) dropFormula(s, cell);
}

// What a formula reads, as offsets from its own cell, which is included.
struct FormulaReach {
    bool absolute = false;  // some reference is fixed to a row or column
    int top = 0, left = 0, bottom = 0, right = 0;
};

void extendReach(const FormulaNode& node, int row, int column, FormulaReach& reach) {
    const auto add = [&](const FormulaRef& ref) {
        reach.absolute = reach.absolute || ref.rowAbsolute || ref.columnAbsolute;
        reach.top = std::min(reach.top, ref.row - row);
        reach.bottom = std::max(reach.bottom, ref.row - row);
        reach.left = std::min(reach.left, ref.column - column);
        reach.right = std::max(reach.right, ref.column - column);
    };
    if (node.type == FormulaNode::Type::Ref || node.type == FormulaNode::Type::Block)
        add(node.first);
    if (node.type == FormulaNode::Type::Block) add(node.second);
    for (const FormulaNode& child : node.children)
        extendReach(child, row, column, reach);
}

// True when the deletion leaves the text of a formula with this reach in (row, column) as it is:
// neither the formula nor anything it reads moves, or all of it moves by the same rows (columns).
bool keepsText(const FormulaReach& reach, int row, int column, const CellRect& deleted,
               Shift shift) {
    if (reach.absolute) return false;
    const CellRect r{row + reach.top, column + reach.left, row + reach.bottom,
                     column + reach.right};
    if (shift == Shift::Up) {
        const bool touched =
            r.bottom >= deleted.top && r.right >= deleted.left && r.left <= deleted.right;
        return !touched ||
               (r.top > deleted.bottom && r.left >= deleted.left && r.right <= deleted.right);
    }
    const bool touched =
        r.right >= deleted.left && r.bottom >= deleted.top && r.top <= deleted.bottom;
    return !touched ||
           (r.left > deleted.right && r.top >= deleted.top && r.bottom <= deleted.bottom);
}

// Rewrites the formulas whose references the deletion of `deleted` changes, as they will read
// from where they land; the formulas of deleted cells were dropped before.
void adjustFormulas(MemorySheet& s, const CellRect& deleted, Shift shift) {
    if (s.formulas.empty()) return;
    // A formula written into a range shares one text among its cells, so each text's reach is
    // worked out once.
    FormulaTable& formulas = s.formulas;
    QHash<std::uint32_t, FormulaReach> reaches;
    for (int row = 1; row <= s.cells.rowCount(); ++row) {
        for (const Cell& cell : s.cells.rows()[row - 1]) {
            if (cell.kind != CellKind::Formula || !formulas.supported(cell.payload)) continue;
            const std::uint32_t textId = formulas.textId(cell.payload);
            auto known = reaches.constFind(textId);
            if (known != reaches.cend() && keepsText(*known, row, cell.column, deleted, shift))
                continue;
            auto parsed =
                parseFormula(formulas.text(cell.payload), Notation::R1C1, row, cell.column);
            if (!parsed) continue;
            if (known == reaches.cend()) {
                FormulaReach reach;
                extendReach(*parsed, row, cell.column, reach);
                reaches.insert(textId, reach);
                if (keepsText(reach, row, cell.column, deleted, shift)) continue;
            }
            const auto to = positionAfterDeletion(row, cell.column, deleted, shift);
            if (!to) continue;
            adjustForDeletion(*parsed, deleted, shift);
            formulas.setText(cell.payload,
                             formulaText(*parsed, Notation::R1C1, to->first, to->second));
        }
    }
}

void putSpan(CellRow& row, const CellRow& cells) {
    if (cells.empty()) return;
    const auto at = std::lower_bound(row.begin(), row.end(), cells.front().column,
                                     [](const Cell& c, int col) { return c.column < col; });
    row.insert(at, cells.begin(), cells.end());
}

}  // namespace

// ---- cell storage

Cell& MemoryCells::obtainCell(MemorySheet& s, int row, int column) {
    if (Cell* cell = s.cells.find(row, column)) return *cell;
    return s.cells.obtain(row, column, formats_.effectiveFormatId(s, row, column));
}

void MemoryCells::dropCellIfBare(MemorySheet& s, int row, int column) {
    const Cell* cell = s.cells.find(row, column);
    if (!cell || cell->kind != CellKind::Empty) return;
    const std::uint32_t formatId = cell->formatId;
    s.cells.erase(row, column);
    if (formats_.effectiveFormatId(s, row, column) != formatId)
        s.cells.obtain(row, column, formatId);  // the format was the cell's own
}

void MemoryCells::clearCell(MemorySheet& s, int row, int column) {
    Cell* cell = s.cells.find(row, column);
    if (!cell) return;
    dropFormula(s, *cell);
    s.runs.erase(cellKey(row, column));
    cell->kind = CellKind::Empty;
    cell->payload = 0;
    dropCellIfBare(s, row, column);
}

void MemoryCells::storeValue(MemorySheet& s, int row, int column, const CellValue& value) {
    if (value.isEmpty()) {
        clearCell(s, row, column);
        return;
    }
    checkTextLength(value.text, row, column);
    checkFinite(value, row, column);
    Cell& cell = obtainCell(s, row, column);
    dropFormula(s, cell);
    s.runs.erase(cellKey(row, column));
    switch (value.kind) {
        case CellValue::Kind::Number:
        case CellValue::Kind::Boolean:
            CellGrid::setNumber(
                cell, value.kind == CellValue::Kind::Number ? CellKind::Number : CellKind::Boolean,
                value.number);
            break;
        case CellValue::Kind::Text:
        case CellValue::Kind::Error:
            s.cells.setText(cell, value.text);
            cell.kind = value.kind == CellValue::Kind::Text ? CellKind::Text : CellKind::Error;
            break;
        case CellValue::Kind::Empty:
            break;
    }
}

void MemoryCells::storeTyped(MemorySheet& s, int row, int column, QStringView text) {
    if (text.isEmpty()) {
        clearCell(s, row, column);
        return;
    }
    checkTextLength(text, row, column);
    Cell& cell = obtainCell(s, row, column);
    dropFormula(s, cell);
    if (!s.runs.empty()) s.runs.erase(cellKey(row, column));
    const QString& cellFormat = formats_.table().at(cell.formatId).numberFormat;
    const bool textFormat = cellFormat == u"@";
    const auto number = textFormat ? std::nullopt : typedNumber(text);
    if (!number) {
        s.cells.setText(cell, text);
        cell.kind = CellKind::Text;
        return;
    }
    CellGrid::setNumber(cell, CellKind::Number, number->value);
    const bool general = cellFormat.isEmpty() || cellFormat == u"General";
    if (number->numberFormat.isEmpty() || !general) return;
    cell.formatId = formats_.withTypedNumberFormat(cell.formatId, number->numberFormat);
}

void MemoryCells::forEachCell(const CellRect& rect,
                              const std::function<void(int, int)>& visit) const {
    for (int row = rect.top; row <= rect.bottom; ++row)
        for (int column = rect.left; column <= rect.right; ++column)
            visit(row, column);
}

// ---- values and formulas

CellValue MemoryCells::value(SheetId id, int row, int column) const {
    checkCell(row, column);
    return FormulaEvaluator::cellValue(sheet(id), row, column);
}

void MemoryCells::setValue(SheetId id, const CellRect& range, const CellValue& value) {
    if (value.isEmpty() || (value.isText() && value.text.isEmpty())) {
        clearContents(id, range);
        return;
    }
    checkCellCount(range);
    MemorySheet& s = sheet(id);
    forEachCell(range, [&](int row, int column) {
        if (value.isText())
            storeTyped(s, row, column, value.text);
        else
            storeValue(s, row, column, value);
    });
    ++s.generation;
}

void MemoryCells::setBlock(SheetId id, int row, int column, const TextGrid& texts) {
    if (texts.isEmpty()) return;
    checkRect({row, column, row + texts.rowCount() - 1, column + texts.columnCount() - 1});
    MemorySheet& s = sheet(id);
    s.cells.reserveRows(row + texts.rowCount() - 1);
    for (int r = 0; r < texts.rowCount(); ++r) {
        s.cells.reserveInRow(row + r, texts.columnCount());
        for (int c = 0; c < texts.columnCount(); ++c)
            storeTyped(s, row + r, column + c, texts.cell(r, c));
    }
    ++s.generation;
}

void MemoryCells::setLiteral(SheetId id, int row, int column, const CellValue& value) {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    storeValue(s, row, column, value);
    ++s.generation;
}

QString MemoryCells::formulaR1C1(SheetId id, int row, int column) const {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    if (const auto slot = formulaAt(s, row, column)) return s.formulas.text(*slot);
    return constantText(FormulaEvaluator::cellValue(s, row, column));
}

QString MemoryCells::formulaA1(SheetId id, int row, int column) const {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    const auto slot = formulaAt(s, row, column);
    if (!slot) return constantText(FormulaEvaluator::cellValue(s, row, column));
    const QString& text = s.formulas.text(*slot);
    if (!s.formulas.supported(*slot)) return text;
    const auto parsed = FormulaEvaluator::parsedFormula(s, *slot, row, column);
    return parsed ? formulaText(*parsed, Notation::A1, row, column) : text;
}

void MemoryCells::setFormulaR1C1(SheetId id, const CellRect& range, const QString& formula) {
    checkRect(range);
    if (!formula.startsWith(u'=')) {
        setValue(id, range, CellValue::fromText(formula));
        return;
    }
    checkCellCount(range);
    FormulaShape shape;
    const auto parsed = parseFormula(formula, Notation::R1C1, range.top, range.left, &shape);
    if (!parsed && shape.tooDeep)
        throw HostError(
            QStringLiteral("公式嵌套超过 %1 层：%2…").arg(kMaxFormulaDepth).arg(formula.left(40)));
    if (!parsed) throw HostError(QStringLiteral("无法识别的公式：%1").arg(formula));
    const QString text = formulaText(*parsed, Notation::R1C1, range.top, range.left);
    MemorySheet& s = sheet(id);
    forEachCell(range, [&](int row, int column) {
        Cell& cell = obtainCell(s, row, column);
        s.runs.erase(cellKey(row, column));
        putFormula(s, cell, FormulaEntry{text, true, {}, 0});
    });
    ++s.generation;
}

void MemoryCells::setFormulaA1(SheetId id, int row, int column, const QString& formula,
                               const CellValue& cachedValue) {
    checkCell(row, column);
    checkFinite(cachedValue, row, column);
    MemorySheet& s = sheet(id);
    const QString withSign = formula.startsWith(u'=') ? formula : u'=' + formula;
    const auto parsed = parseFormula(withSign, Notation::A1, row, column);
    Cell& cell = obtainCell(s, row, column);
    s.runs.erase(cellKey(row, column));
    ++s.generation;
    // A formula of the supported grammar is computed when read; the value the file holds stays
    // for a formula on a circular reference, which has no other. Taking it as current instead
    // would make whichever cell of a circle came last in the file the one the others count from.
    // An empty text cached for it is taken for a writer's blank, no value of the file: writers
    // that compute nothing leave one.
    const bool fileValue =
        !cachedValue.isEmpty() && !(cachedValue.isText() && cachedValue.text.isEmpty());
    putFormula(s, cell,
               parsed ? FormulaEntry{formulaText(*parsed, Notation::R1C1, row, column), true,
                                     cachedValue, 0, fileValue}
                      : FormulaEntry{withSign, false, cachedValue, s.generation});
}

QString MemoryCells::displayText(SheetId id, int row, int column) const {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    return displayTextOf(
        FormulaEvaluator::cellValue(s, row, column),
        formats_.table().numberFormatCode(formats_.effectiveFormatId(s, row, column)));
}

void MemoryCells::clearContents(SheetId id, const CellRect& range) {
    checkRect(range);
    MemorySheet& s = sheet(id);
    const int last = std::min(range.bottom, s.cells.rowCount());
    for (int row = range.top; row <= last; ++row) {
        std::vector<int> columns;
        for (const Cell& cell : *s.cells.row(row))
            if (cell.column >= range.left && cell.column <= range.right)
                columns.push_back(cell.column);
        for (int column : columns)
            clearCell(s, row, column);
    }
    ++s.generation;
}

// ---- moving cells

void MemoryCells::deleteCells(SheetId id, const CellRect& range, Shift shift) {
    checkRect(range);
    MemorySheet& s = sheet(id);
    const Mover where = [&](int row, int column) {
        return positionAfterDeletion(row, column, range, shift);
    };

    // The formulas move with their cells; only texts that change need rewriting.
    dropFormulas(s, range);
    adjustFormulas(s, range, shift);
    remapKeys(s.comments, where);
    remapKeys(s.hyperlinks, where);
    remapKeys(s.runs, where);
    QList<CellRect> merges;
    for (const CellRect& m : std::as_const(s.merges))
        if (const auto moved = blockAfterDeletion(m, range, shift)) merges.append(*moved);
    s.merges = merges;

    auto& rows = s.cells.rows();
    if (shift == Shift::Up) {
        const int count = range.rowCount();
        if (range.left == 1 && range.right == kMaxColumns) {
            if (range.top <= int(rows.size()))
                rows.erase(rows.begin() + (range.top - 1),
                           rows.begin() + std::min<int>(range.bottom, int(rows.size())));
            shiftKeys(s.rowHeights, range.top, range.bottom);
            shiftKeys(s.rowFormats, range.top, range.bottom);
        } else if (onlyInSpan(rows, range.top, range.left, range.right)) {
            // Nothing beside the moving cells: the rows themselves can move up.
            if (range.top <= int(rows.size()))
                rows.erase(rows.begin() + (range.top - 1),
                           rows.begin() + std::min<int>(range.bottom, int(rows.size())));
        } else {
            for (int row = range.top; row <= int(rows.size()); ++row) {
                takeSpan(rows[row - 1], range.left, range.right);
                if (row + count <= int(rows.size()))
                    putSpan(rows[row - 1],
                            takeSpan(rows[row + count - 1], range.left, range.right));
            }
        }
    } else {
        const int count = range.columnCount();
        const int last = std::min<int>(range.bottom, int(rows.size()));
        for (int row = range.top; row <= last; ++row) {
            CellRow& cells = rows[row - 1];
            takeSpan(cells, range.left, range.right);
            for (Cell& cell : cells)
                if (cell.column > range.right) cell.column = std::uint16_t(cell.column - count);
        }
        if (range.top == 1 && range.bottom == kMaxRows) {
            shiftKeys(s.columnWidths, range.left, range.right);
            shiftKeys(s.columnFormats, range.left, range.right);
        }
    }
    ++s.generation;
}

// Many row blocks of one column span (the repeat rows of a large area) are deleted in a single
// pass over the rows: one by one, each deletion would move every row below it again.
void MemoryCells::deleteCellsAreas(SheetId id, QList<CellRect> ranges, Shift shift) {
    for (const CellRect& range : std::as_const(ranges))
        checkRect(range);
    MemorySheet& s = sheet(id);
    const bool oneSpan = std::all_of(ranges.begin(), ranges.end(), [&](const CellRect& r) {
        return r.left == ranges.front().left && r.right == ranges.front().right;
    });
    // Formulas, merges and character runs need the per-block adjustment of deleteCells, and
    // whole rows carry row heights and formats along.
    if (ranges.size() < 2 || shift != Shift::Up || !oneSpan || !s.formulas.empty() ||
        !s.merges.isEmpty() || !s.runs.empty() ||
        (ranges.front().left == 1 && ranges.front().right == kMaxColumns)) {
        host_.HostBackend::deleteCellsAreas(id, std::move(ranges), shift);
        return;
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const CellRect& a, const CellRect& b) { return a.top < b.top; });
    for (qsizetype i = 1; i < ranges.size(); ++i)
        if (ranges[i].top <= ranges[i - 1].bottom)
            throw HostError(QStringLiteral("要删除的区域相互重叠"));
    const int left = ranges.front().left, right = ranges.front().right;

    // The rows deleted above a row, through the block ends in order.
    std::vector<int> ends, deletedThrough;
    int deleted = 0;
    for (const CellRect& r : std::as_const(ranges)) {
        deleted += r.rowCount();
        ends.push_back(r.bottom);
        deletedThrough.push_back(deleted);
    }
    const Mover where = [&](int row, int column) -> std::optional<std::pair<int, int>> {
        if (column < left || column > right) return std::pair{row, column};
        const auto after = std::lower_bound(ends.begin(), ends.end(), row);
        const auto index = after - ends.begin();
        if (after != ends.end() && ranges[index].top <= row) return std::nullopt;
        return std::pair{row - (index == 0 ? 0 : deletedThrough[index - 1]), column};
    };
    remapKeys(s.comments, where);
    remapKeys(s.hyperlinks, where);

    auto& rows = s.cells.rows();
    const int first = ranges.front().top;
    if (first <= int(rows.size())) {
        const bool wholeRows = onlyInSpan(rows, first, left, right);
        qsizetype next = 0;  // the next block to skip
        int write = first;
        for (int row = first; row <= int(rows.size()); ++row) {
            while (next < ranges.size() && ranges[next].bottom < row)
                ++next;
            const bool gone = next < ranges.size() && ranges[next].top <= row;
            if (wholeRows) {
                if (!gone) std::swap(rows[write++ - 1], rows[row - 1]);
                continue;
            }
            // Rows before `write` are final; the spans of rows from `write` on are taken.
            CellRow cells = takeSpan(rows[row - 1], left, right);
            if (!gone) putSpan(rows[write++ - 1], cells);
        }
        if (wholeRows) rows.resize(std::size_t(write - 1));
    }
    ++s.generation;
}

void MemoryCells::moveRowSpan(MemorySheet& s, const CellRect& span,
                              const std::vector<int>& sourceRows) {
    const int count = span.rowCount();
    s.cells.reserveRows(span.bottom);
    if (s.cells.rowCount() < span.bottom) s.cells.rows().resize(span.bottom);
    auto& rows = s.cells.rows();
    const bool wholeRows = std::all_of(
        rows.begin() + (span.top - 1), rows.begin() + span.bottom, [&](const CellRow& row) {
            return row.empty() ||
                   (row.front().column >= span.left && row.back().column <= span.right);
        });
    if (wholeRows) {
        // Nothing beside the span: the rows themselves trade places.
        std::vector<CellRow> moved(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            moved[std::size_t(i)] = std::move(rows[std::size_t(sourceRows[i] - 1)]);
        std::move(moved.begin(), moved.end(), rows.begin() + (span.top - 1));
    }
    std::vector<CellRow> taken(wholeRows ? 0 : count);
    for (int i = 0; i < int(taken.size()); ++i)
        taken[i] = takeSpan(rows[span.top + i - 1], span.left, span.right);
    std::vector<int> newRowOf(count);
    for (int i = 0; i < count; ++i) {
        if (!wholeRows) putSpan(rows[span.top + i - 1], taken[sourceRows[i] - span.top]);
        newRowOf[sourceRows[i] - span.top] = span.top + i;
    }
    const Mover where = [&](int row, int column) -> std::optional<std::pair<int, int>> {
        if (span.contains(row, column)) return std::pair{newRowOf[row - span.top], column};
        return std::pair{row, column};
    };
    remapKeys(s.comments, where);
    remapKeys(s.hyperlinks, where);
    remapKeys(s.runs, where);
    ++s.generation;
}

void MemoryCells::copyRange(SheetId id, const CellRect& range, SheetId targetId, int row,
                            int column) {
    checkRect(range);
    const CellRect target{row, column, row + range.rowCount() - 1,
                          column + range.columnCount() - 1};
    checkRect(target);
    MemorySheet& s = sheet(id);
    MemorySheet& t = sheet(targetId);
    struct Piece {
        int row, column;
        CellValue value;
        std::uint32_t formatId;
        std::optional<FormulaEntry> formula;
        std::optional<CommentEntry> comment;
        QString hyperlink;
        QList<CharacterRun> runs;
    };
    std::vector<Piece> pieces;
    const int last = std::min(range.bottom, s.cells.rowCount());
    for (int r = range.top; r <= last; ++r) {
        for (const Cell& cell : *s.cells.row(r)) {
            if (cell.column < range.left || cell.column > range.right) continue;
            const CellKey key = cellKey(r, cell.column);
            Piece piece{r - range.top + row,
                        cell.column - range.left + column,
                        {},
                        cell.formatId,
                        {},
                        {},
                        {},
                        {}};
            if (cell.kind == CellKind::Formula) {
                piece.formula = s.formulas.entry(cell.payload);
                if (piece.formula->supported) {  // computed again there
                    piece.formula->generation = 0;
                    piece.formula->fileValue = false;
                }
            } else
                piece.value = FormulaEvaluator::cellValue(s, r, cell.column);
            if (const auto c = s.comments.find(key); c != s.comments.end())
                piece.comment = c->second;
            if (const auto link = s.hyperlinks.find(key); link != s.hyperlinks.end())
                piece.hyperlink = link->second;
            if (const auto runs = s.runs.find(key); runs != s.runs.end()) piece.runs = runs->second;
            pieces.push_back(std::move(piece));
        }
    }
    QList<CellRect> merges;
    for (const CellRect& m : std::as_const(s.merges))
        if (m.top >= range.top && m.bottom <= range.bottom && m.left >= range.left &&
            m.right <= range.right)
            merges.append({m.top - range.top + row, m.left - range.left + column,
                           m.bottom - range.top + row, m.right - range.left + column});

    const int lastTarget = std::min(target.bottom, t.cells.rowCount());
    dropFormulas(t, target);
    for (int r = target.top; r <= lastTarget; ++r)
        takeSpan(t.cells.rows()[r - 1], target.left, target.right);
    for (Piece& piece : pieces) {
        const CellKey key = cellKey(piece.row, piece.column);
        Cell& cell = t.cells.obtain(piece.row, piece.column, piece.formatId);
        if (piece.formula) {
            putFormula(t, cell, *piece.formula);
        } else {
            storeValue(t, piece.row, piece.column, piece.value);
        }
        if (piece.comment) t.comments[key] = *piece.comment;
        if (!piece.hyperlink.isEmpty()) t.hyperlinks[key] = piece.hyperlink;
        if (!piece.runs.isEmpty()) t.runs[key] = piece.runs;
    }
    t.merges.append(merges);
    ++t.generation;
}

// ---- merges, comments, links, coloured characters

void MemoryCells::merge(SheetId id, const CellRect& range) {
    checkRect(range);
    MemorySheet& s = sheet(id);
    CellRect merged = range;
    QList<CellRect> kept;
    for (const CellRect& m : std::as_const(s.merges)) {
        const bool overlaps = m.left <= merged.right && m.right >= merged.left &&
                              m.top <= merged.bottom && m.bottom >= merged.top;
        if (!overlaps) {
            kept.append(m);
            continue;
        }
        merged = {std::min(m.top, merged.top), std::min(m.left, merged.left),
                  std::max(m.bottom, merged.bottom), std::max(m.right, merged.right)};
    }
    if (merged.rowCount() == 1 && merged.columnCount() == 1) return;
    // Only the top-left value survives a merge.
    const int last = std::min(merged.bottom, s.cells.rowCount());
    for (int row = merged.top; row <= last; ++row) {
        std::vector<int> columns;
        for (const Cell& cell : *s.cells.row(row))
            if (cell.column >= merged.left && cell.column <= merged.right &&
                !(row == merged.top && cell.column == merged.left))
                columns.push_back(cell.column);
        for (int column : columns)
            clearCell(s, row, column);
    }
    kept.append(merged);
    s.merges = kept;
    ++s.generation;
}

QList<CellRect> MemoryCells::merges(SheetId id) const {
    return sheet(id).merges;
}

void MemoryCells::addComment(SheetId id, int row, int column, const QString& text) {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    const CellKey key = cellKey(row, column);
    if (s.comments.count(key))
        throw HostError(QStringLiteral("单元格 %1 已有批注").arg(cellName(row, column)));
    s.comments[key] = CommentEntry{text, false};
}

QString MemoryCells::commentText(SheetId id, int row, int column) const {
    checkCell(row, column);
    const MemorySheet& s = sheet(id);
    const auto found = s.comments.find(cellKey(row, column));
    return found == s.comments.end() ? QString() : found->second.text;
}

bool MemoryCells::commentVisible(SheetId id, int row, int column) const {
    checkCell(row, column);
    const MemorySheet& s = sheet(id);
    const auto found = s.comments.find(cellKey(row, column));
    return found != s.comments.end() && found->second.visible;
}

void MemoryCells::setCommentVisible(SheetId id, int row, int column, bool visible) {
    checkCell(row, column);
    MemorySheet& s = sheet(id);
    const auto found = s.comments.find(cellKey(row, column));
    if (found == s.comments.end())
        throw HostError(QStringLiteral("单元格 %1 没有批注").arg(cellName(row, column)));
    found->second.visible = visible;
}

void MemoryCells::addHyperlink(SheetId id, int row, int column, const QString& location) {
    checkCell(row, column);
    checkHyperlinkLocation(location, row, column);
    sheet(id).hyperlinks[cellKey(row, column)] = location;
}

QString MemoryCells::hyperlink(SheetId id, int row, int column) const {
    checkCell(row, column);
    const MemorySheet& s = sheet(id);
    const auto found = s.hyperlinks.find(cellKey(row, column));
    return found == s.hyperlinks.end() ? QString() : found->second;
}

void MemoryCells::setCharactersColorIndex(SheetId id, int row, int column, int start, int length,
                                          int colorIndex) {
    checkCell(row, column);
    if (start < 1 || length < 0)
        throw HostError(QStringLiteral("无效的字符范围：起点 %1，长度 %2").arg(start).arg(length));
    const bool automatic =
        colorIndex == 0 || colorIndex == xl::kColorIndexNone || colorIndex == -4105;  // automatic
    if (!automatic && (colorIndex < 1 || colorIndex > 56))
        throw HostError(QStringLiteral("无效的颜色序号：%1").arg(colorIndex));
    sheet(id).runs[cellKey(row, column)].append(CharacterRun{start, length, colorIndex});
}

QList<CharacterRun> MemoryCells::characterRuns(SheetId id, int row, int column) const {
    checkCell(row, column);
    const MemorySheet& s = sheet(id);
    const auto found = s.runs.find(cellKey(row, column));
    return found == s.runs.end() ? QList<CharacterRun>() : found->second;
}

}  // namespace tallimo::host
