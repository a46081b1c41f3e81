#include "FormulaEvaluator.h"

#include <algorithm>

namespace tallimo::host {

CellValue FormulaEvaluator::cellValue(MemorySheet& s, int row, int column) {
    const Cell* cell = s.cells.find(row, column);
    if (cell && cell->kind == CellKind::Formula && !s.formulas.settled(cell->payload, s.generation))
        settle(s, cellKey(row, column));
    return rawValue(s, row, column);
}

CellValue FormulaEvaluator::rawValue(MemorySheet& s, int row, int column) {
    const Cell* cell = s.cells.find(row, column);
    if (!cell) return {};
    switch (cell->kind) {
        case CellKind::Empty:
            return {};
        case CellKind::Number:
            return CellValue::fromNumber(CellGrid::number(*cell));
        case CellKind::Boolean:
            return CellValue::fromBool(CellGrid::number(*cell) != 0);
        case CellKind::Text:
            return CellValue::fromText(s.cells.text(*cell).toString());
        case CellKind::Error:
            return CellValue::fromError(s.cells.text(*cell).toString());
        case CellKind::Formula:
            return s.formulas.cached(cell->payload);
    }
    return {};
}

namespace {

// Moves the relative references of `node` by (rows, columns); false when one leaves the grid or
// the formula already points at deleted cells.
bool moveReferences(FormulaNode& node, int rows, int columns) {
    const auto move = [&](FormulaRef& ref) {
        if (!ref.rowAbsolute) ref.row += rows;
        if (!ref.columnAbsolute) ref.column += columns;
        return ref.row >= 1 && ref.row <= kMaxRows && ref.column >= 1 && ref.column <= kMaxColumns;
    };
    switch (node.type) {
        case FormulaNode::Type::Ref:
            if (!move(node.first)) return false;
            break;
        case FormulaNode::Type::Block:
            if (!move(node.first) || !move(node.second)) return false;
            break;
        case FormulaNode::Type::RefError:
            return false;
        default:
            break;
    }
    for (FormulaNode& child : node.children)
        if (!moveReferences(child, rows, columns)) return false;
    return true;
}

}  // namespace

std::optional<FormulaNode> FormulaEvaluator::parsedFormula(MemorySheet& s, std::uint64_t slot,
                                                           int row, int column,
                                                           FormulaShape* shape) {
    const QString& text = s.formulas.text(slot);
    auto found = s.parsed.byText.find(s.formulas.textId(slot));
    if (found == s.parsed.byText.end()) {
        FormulaParseCache::Parsed first;
        first.node = parseFormula(text, Notation::R1C1, row, column, &first.shape);
        first.row = row;
        first.column = column;
        // A formula that reaches out of the grid from its first cell may not from another.
        if (first.node && !moveReferences(*first.node, 0, 0)) first.node.reset();
        found = s.parsed.byText.emplace(s.formulas.textId(slot), std::move(first)).first;
    }
    const FormulaParseCache::Parsed& first = found->second;
    if (first.node) {
        FormulaNode moved = *first.node;
        if (moveReferences(moved, row - first.row, column - first.column)) {
            if (shape) *shape = first.shape;
            return moved;
        }
    }
    return parseFormula(text, Notation::R1C1, row, column, shape);
}

void FormulaEvaluator::computeFormula(MemorySheet& s, int row, int column, std::uint64_t slot) {
    struct SheetCells final : FormulaSource {
        MemorySheet& s;
        explicit SheetCells(MemorySheet& sheet) : s(sheet) {}
        CellValue value(int r, int c) override { return rawValue(s, r, c); }
        CellValue blockSum(const CellRect& block) override {
            return FormulaEvaluator::blockSum(s, block);
        }
    } cells(s);
    const auto parsed = parsedFormula(s, slot, row, column);
    s.formulas.setCached(
        slot,
        parsed ? evaluateFormula(*parsed, cells) : CellValue::fromError(QStringLiteral("#NAME?")),
        s.generation);
}

bool FormulaEvaluator::addRowNumbers(MemorySheet& s, int row, const CellRect& block,
                                     CompensatedSum& total, CellValue& error) {
    const CellRow* cells = s.cells.row(row);
    if (!cells) return true;
    for (auto it = std::lower_bound(cells->begin(), cells->end(), block.left,
                                    [](const Cell&c, int col) { return c.column < col; });
         it != cells->end() && it->column <= block.right; ++it) {
        switch (it->kind) {
            case CellKind::Number:
                total += CellGrid::number(*it);
                break;
            case CellKind::Error:
            case CellKind::Formula: {
                const CellValue v = rawValue(s, row, it->column);
                if (v.kind == CellValue::Kind::Error) {
                    error = v;
                    return false;
                }
                if (v.isNumber()) total += v.number;
                break;
            }
            default:
                break;
        }
    }
    return true;
}

void FormulaEvaluator::forgetStaleBlocks(MemorySheet& s) {
    if (s.runningSumsAt == s.generation) return;
    s.runningSums.clear();
    s.settledBlockRows.clear();
    s.runningSumsAt = s.generation;
    s.runningSumRows = 0;
}

CellValue FormulaEvaluator::blockSum(MemorySheet& s, const CellRect& block) {
    const int last = std::min(block.bottom, s.cells.rowCount());
    // The rows from `row` down summed one by one onto `total`, keeping nothing.
    const auto sumFrom = [&](int row, CompensatedSum total) {
        CellValue error;
        for (; row <= last; ++row)
            if (!addRowNumbers(s, row, block, total, error)) return error;
        return CellValue::fromNumber(total.value());
    };
    if (last - block.top + 1 < kRunningSumMinRows) return sumFrom(block.top, {});
    forgetStaleBlocks(s);
    const quint64 key = blockKey(block);
    auto found = s.runningSums.find(key);
    const std::size_t wanted = std::size_t(last - block.top + 1);
    const std::size_t held = found == s.runningSums.end() ? 0 : found->second.totals.size();
    const bool roomLeft = s.runningSumRows + wanted - std::min(wanted, held) <= kMaxRunningSumRows;
    if (!roomLeft) return sumFrom(block.top, {});
    // The first SUM from a top row is summed on its own and keeps nothing: most blocks are
    // summed once (a totals row). From the second on (a running balance) the totals are kept.
    if (found == s.runningSums.end()) {
        s.runningSums.emplace(key, RunningSum{});
        return sumFrom(block.top, {});
    }
    RunningSum& running = found->second;
    while (running.totals.size() < wanted && running.error.isEmpty()) {
        CompensatedSum total = running.totals.empty() ? CompensatedSum() : running.totals.back();
        const int row = block.top + int(running.totals.size());
        CellValue error;
        if (!addRowNumbers(s, row, block, total, error)) {
            running.error = error;
            return error;
        }
        running.totals.push_back(total);
        ++s.runningSumRows;
    }
    if (running.totals.size() < wanted) return running.error;
    return CellValue::fromNumber(running.totals[wanted - 1].value());
}

}  // namespace tallimo::host
