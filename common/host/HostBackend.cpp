#include "HostBackend.h"

#include <unordered_set>

namespace tallimo::host {

namespace {

// Up to this many cells in the used range every cell is asked for a comment or link; beyond it
// only the cells with contents are.
constexpr qint64 kProbeEveryCell = 32 << 20;

void probeCells(const HostBackend& host, SheetId sheet,
                const std::function<void(int, int)>& probe) {
    const CellRect used = host.usedRange(sheet);
    const bool everyCell = qint64(used.rowCount()) * used.columnCount() <= kProbeEveryCell;
    for (int row = used.top; row <= used.bottom; ++row) {
        if (everyCell) {
            for (int column = used.left; column <= used.right; ++column)
                probe(row, column);
        } else {
            for (const StoredCell& cell : host.rowCells(sheet, row))
                probe(row, cell.column);
        }
    }
}

}  // namespace

void HostBackend::visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const {
    for (const StoredCell& cell : rowCells(sheet, row)) {
        CellView view;
        view.column = cell.column;
        view.formatId = cell.formatId;
        view.kind = cell.value.kind;
        view.number = cell.value.number;
        view.text = cell.value.text;
        view.formulaA1 = cell.formulaA1;
        if (view.formulaA1.startsWith(u'=')) view.formulaA1 = view.formulaA1.mid(1);
        QList<CharacterRun> runs;
        if (cell.value.kind == CellValue::Kind::Text && cell.formulaA1.isEmpty()) {
            runs = characterRuns(sheet, row, cell.column);
            if (!runs.isEmpty()) view.runs = &runs;
        }
        visit(view);
    }
}

SheetStyles HostBackend::usedStyles(SheetId sheet) const {
    const CellRect used = usedRange(sheet);
    std::unordered_set<std::uint32_t> formats;
    SheetStyles styles;
    for (int row = used.top; row <= used.bottom; ++row)
        visitRowCells(sheet, row, [&](const CellView& cell) {
            if (formats.insert(cell.formatId).second) styles.formatIds.push_back(cell.formatId);
            if (!cell.runs || cell.text.isEmpty()) return;
            noteRunColors(styles, cell.formatId, paintedColors(cell.text.size(), *cell.runs));
        });
    return styles;
}

QList<CellComment> HostBackend::comments(SheetId sheet) const {
    QList<CellComment> found;
    probeCells(*this, sheet, [&](int row, int column) {
        QString text = commentText(sheet, row, column);
        if (!text.isEmpty())
            found.append({row, column, std::move(text), commentVisible(sheet, row, column)});
    });
    return found;
}

QList<CellHyperlink> HostBackend::hyperlinks(SheetId sheet) const {
    QList<CellHyperlink> found;
    probeCells(*this, sheet, [&](int row, int column) {
        QString location = hyperlink(sheet, row, column);
        if (!location.isEmpty()) found.append({row, column, std::move(location)});
    });
    return found;
}

}  // namespace tallimo::host
