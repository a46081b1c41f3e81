#pragma once

#include "HostBackend.h"
#include "MemoryFormats.h"
#include "MemoryWorkbooks.h"

#include <functional>
#include <vector>

namespace tallimo::host {

// The cells of every sheet: values and formulas as they are entered, read and shown, merges,
// comments, links and coloured characters, and cells moved, copied, deleted and sorted.
class MemoryCells {
public:
    // `host` is the whole back end, whose general way of deleting several areas is the fallback.
    MemoryCells(HostBackend& host, MemoryWorkbooks& books, MemoryFormats& formats)
        : host_(host), books_(books), formats_(formats) {}

    using CellVisitor = HostBackend::CellVisitor;

    TALLIMO_HOST_CELL_OPERATIONS(TALLIMO_HOST_MEMBER)
    void deleteCellsAreas(SheetId sheet, QList<CellRect> ranges, Shift shift);
    void visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const;
    SheetStyles usedStyles(SheetId sheet) const;
    QList<CellComment> comments(SheetId sheet) const;
    QList<CellHyperlink> hyperlinks(SheetId sheet) const;

private:
    MemorySheet& sheet(SheetId id) const { return books_.sheet(id); }
    Cell& obtainCell(MemorySheet& s, int row, int column);
    void dropCellIfBare(MemorySheet& s, int row, int column);
    void clearCell(MemorySheet& s, int row, int column);
    void storeValue(MemorySheet& s, int row, int column, const CellValue& value);
    void storeTyped(MemorySheet& s, int row, int column, QStringView text);
    void forEachCell(const CellRect& rect, const std::function<void(int, int)>& visit) const;
    // Puts the cells of source row sourceRows[i] (columns of `span`) into row span.top + i.
    void moveRowSpan(MemorySheet& s, const CellRect& span, const std::vector<int>& sourceRows);

    HostBackend& host_;
    MemoryWorkbooks& books_;
    MemoryFormats& formats_;
};

}  // namespace tallimo::host
