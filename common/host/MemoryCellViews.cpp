#include "MemoryCells.h"

#include "FormulaEvaluator.h"
#include "MemoryChecks.h"

#include <algorithm>

namespace tallimo::host {

// What readers of a whole sheet walk through: its used range, and its rows and comments as the
// file writer takes them.

CellRect MemoryCells::usedRange(SheetId id) const {
    const MemorySheet& s = sheet(id);
    int top = 0, bottom = 0, left = kMaxColumns + 1, right = 0;
    for (int row = 1; row <= s.cells.rowCount(); ++row) {
        const CellRow& cells = *s.cells.row(row);
        if (cells.empty()) continue;
        if (top == 0) top = row;
        bottom = row;
        left = std::min<int>(left, cells.front().column);
        right = std::max<int>(right, cells.back().column);
    }
    // Comments and links may stand on cells that hold nothing.
    const auto include = [&](CellKey key) {
        top = top == 0 ? keyRow(key) : std::min(top, keyRow(key));
        bottom = std::max(bottom, keyRow(key));
        left = std::min(left, keyColumn(key));
        right = std::max(right, keyColumn(key));
    };
    for (const auto& entry : s.comments)
        include(entry.first);
    for (const auto& entry : s.hyperlinks)
        include(entry.first);
    if (top == 0) return CellRect{};
    return {top, left, bottom, right};
}

QList<StoredCell> MemoryCells::rowCells(SheetId id, int row) const {
    checkCell(row, 1);
    MemorySheet& s = sheet(id);
    QList<StoredCell> stored;
    if (const CellRow* cells = s.cells.row(row)) {
        stored.reserve(cells->size());
        for (const Cell& cell : *cells) {
            StoredCell out{
                cell.column, FormulaEvaluator::cellValue(s, row, cell.column), {}, cell.formatId};
            if (cell.kind == CellKind::Formula) out.formulaA1 = formulaA1(id, row, cell.column);
            stored.append(out);
        }
    }
    // A comment may stand on a cell that holds nothing.
    for (auto it = s.comments.lower_bound(cellKey(row, 0));
         it != s.comments.end() && keyRow(it->first) == row; ++it) {
        const int column = keyColumn(it->first);
        const auto at =
            std::lower_bound(stored.begin(), stored.end(), column,
                             [](const StoredCell& c, int col) { return c.column < col; });
        if (at == stored.end() || at->column != column)
            stored.insert(at,
                          StoredCell{column, {}, {}, formats_.effectiveFormatId(s, row, column)});
    }
    return stored;
}

void MemoryCells::visitRowCells(SheetId id, int row, const CellVisitor& visit) const {
    checkCell(row, 1);
    MemorySheet& s = sheet(id);
    const CellRow* cells = s.cells.row(row);
    auto comment = s.comments.lower_bound(cellKey(row, 0));
    const auto commentsEnd = s.comments.lower_bound(cellKey(row + 1, 0));
    auto runs = s.runs.lower_bound(cellKey(row, 0));
    const auto runsEnd = s.runs.lower_bound(cellKey(row + 1, 0));
    std::size_t next = 0;
    const std::size_t count = cells ? cells->size() : 0;
    CellView view;
    QString formula;
    CellValue result;
    while (next < count || comment != commentsEnd) {
        const int cellColumn = next < count ? (*cells)[next].column : kMaxColumns + 1;
        const int commentColumn =
            comment != commentsEnd ? keyColumn(comment->first) : kMaxColumns + 1;
        view = CellView{};
        if (commentColumn < cellColumn) {
            // A comment may stand on a cell that holds nothing.
            view.column = commentColumn;
            view.formatId = formats_.effectiveFormatId(s, row, commentColumn);
            ++comment;
            visit(view);
            continue;
        }
        if (commentColumn == cellColumn) ++comment;
        const Cell& cell = (*cells)[next++];
        view.column = cell.column;
        view.formatId = cell.formatId;
        switch (cell.kind) {
            case CellKind::Empty:
                break;
            case CellKind::Number:
            case CellKind::Boolean:
                view.kind = cell.kind == CellKind::Number ? CellValue::Kind::Number
                                                          : CellValue::Kind::Boolean;
                view.number = CellGrid::number(cell);
                break;
            case CellKind::Text:
            case CellKind::Error:
                view.kind =
                    cell.kind == CellKind::Text ? CellValue::Kind::Text : CellValue::Kind::Error;
                view.text = s.cells.text(cell);
                break;
            case CellKind::Formula:
                result = FormulaEvaluator::cellValue(s, row, cell.column);
                formula = formulaA1(id, row, cell.column);
                view.kind = result.kind;
                view.number = result.number;
                view.text = result.text;
                view.formulaA1 = QStringView(formula);
                if (view.formulaA1.startsWith(u'=')) view.formulaA1 = view.formulaA1.mid(1);
                break;
        }
        while (runs != runsEnd && keyColumn(runs->first) < cell.column)
            ++runs;
        if (cell.kind == CellKind::Text && runs != runsEnd &&
            keyColumn(runs->first) == cell.column && !runs->second.isEmpty())
            view.runs = &runs->second;
        visit(view);
    }
}

SheetStyles MemoryCells::usedStyles(SheetId id) const {
    const MemorySheet& s = sheet(id);
    SheetStyles styles;
    // Format ids are handed out in sequence, so a flag per id is a small table.
    std::vector<bool> seen;
    auto note = [&](std::uint32_t formatId) {
        if (formatId >= seen.size()) seen.resize(std::size_t(formatId) + 1, false);
        if (seen[formatId]) return;
        seen[formatId] = true;
        styles.formatIds.push_back(formatId);
    };
    for (const CellRow& cells : s.cells.rows())
        for (const Cell& cell : cells)
            note(cell.formatId);
    for (const auto& [key, comment] : s.comments)
        if (!s.cells.find(keyRow(key), keyColumn(key)))
            note(formats_.effectiveFormatId(s, keyRow(key), keyColumn(key)));
    for (const auto& [key, runs] : s.runs) {
        const Cell* cell = s.cells.find(keyRow(key), keyColumn(key));
        if (!cell || cell->kind != CellKind::Text || runs.isEmpty()) continue;
        const QStringView text = s.cells.text(*cell);
        if (!text.isEmpty())
            noteRunColors(styles, cell->formatId, paintedColors(text.size(), runs));
    }
    return styles;
}

QList<CellComment> MemoryCells::comments(SheetId id) const {
    QList<CellComment> list;
    for (const auto& [key, comment] : sheet(id).comments)
        list.append({keyRow(key), keyColumn(key), comment.text, comment.visible});
    return list;
}

QList<CellHyperlink> MemoryCells::hyperlinks(SheetId id) const {
    QList<CellHyperlink> list;
    for (const auto& [key, location] : sheet(id).hyperlinks)
        list.append({keyRow(key), keyColumn(key), location});
    return list;
}

}  // namespace tallimo::host
