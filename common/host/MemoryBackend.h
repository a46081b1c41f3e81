#pragma once

#include "HostBackend.h"
#include "MemoryCells.h"
#include "MemoryFormats.h"
#include "MemoryHost.h"
#include "MemoryWorkbooks.h"

// Each operation goes to the part that carries out its group.
#define TALLIMO_MEMORY_FORWARD(part, result, name, parameters, arguments, qualifier) \
    result name parameters qualifier override {                                      \
        return part.name arguments;                                                  \
    }
#define TALLIMO_MEMORY_TO_BOOKS(...) TALLIMO_MEMORY_FORWARD(books_, __VA_ARGS__)
#define TALLIMO_MEMORY_TO_FORMATS(...) TALLIMO_MEMORY_FORWARD(formats_, __VA_ARGS__)
#define TALLIMO_MEMORY_TO_CELLS(...) TALLIMO_MEMORY_FORWARD(cells_, __VA_ARGS__)

namespace tallimo::host {

// The workbook model kept in memory, made of its parts: the workbooks with their files, the
// formats, and the cells, whose formulas FormulaEvaluator computes.
class MemoryBackend final : public HostBackend {
public:
    explicit MemoryBackend(const MemoryHostOptions& options = {})
        : books_(*this, options), formats_(books_), cells_(*this, books_, formats_) {}

    TALLIMO_HOST_BOOK_OPERATIONS(TALLIMO_MEMORY_TO_BOOKS)
    TALLIMO_HOST_FORMAT_OPERATIONS(TALLIMO_MEMORY_TO_FORMATS)
    TALLIMO_HOST_CELL_OPERATIONS(TALLIMO_MEMORY_TO_CELLS)

    void suggestFileName(BookId book, const QString& stem) override {
        books_.suggestFileName(book, stem);
    }
    void deleteCellsAreas(SheetId sheet, QList<CellRect> ranges, Shift shift) override {
        cells_.deleteCellsAreas(sheet, std::move(ranges), shift);
    }
    void visitRowCells(SheetId sheet, int row, const CellVisitor& visit) const override {
        cells_.visitRowCells(sheet, row, visit);
    }
    SheetStyles usedStyles(SheetId sheet) const override { return cells_.usedStyles(sheet); }
    QList<CellComment> comments(SheetId sheet) const override { return cells_.comments(sheet); }
    QList<CellHyperlink> hyperlinks(SheetId sheet) const override {
        return cells_.hyperlinks(sheet);
    }

private:
    MemoryWorkbooks books_;
    MemoryFormats formats_;
    MemoryCells cells_;
};

}  // namespace tallimo::host
