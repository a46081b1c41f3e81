#pragma once

#include "MemorySheet.h"

#include <cstddef>
#include <optional>

namespace tallimo::host {

// Computes the formulas of one sheet when they are read after the sheet changed. What a formula
// computed stays in its slot until the sheet's generation moves on; the running totals SUM keeps
// for blocks of many rows belong to the generation too.
class FormulaEvaluator {
public:
    // The cell's value, its formula computed first when not up to date.
    static CellValue cellValue(MemorySheet& s, int row, int column);
    // The value as evaluation sees it: a formula's cached value, which settle() brought up to date.
    static CellValue rawValue(MemorySheet& s, int row, int column);
    static std::optional<FormulaNode> parsedFormula(MemorySheet& s, std::uint64_t slot, int row,
                                                    int column, FormulaShape* shape = nullptr);

private:
    // Computes the formula at `key` and every formula it reads that is not up to date, without
    // recursion from cell to cell (FormulaSettle.cpp).
    static void settle(MemorySheet& s, CellKey key);
    // Computes one formula whose inputs are all up to date.
    static void computeFormula(MemorySheet& s, int row, int column, std::uint64_t slot);
    // The running totals and settled rows of blocks belong to one generation of the sheet.
    static void forgetStaleBlocks(MemorySheet& s);
    static quint64 blockKey(const CellRect& block) {
        return (quint64(block.top) << 32) | (quint64(block.left) << 16) | quint64(block.right);
    }
    // What SUM makes of a block; costs what the block's stored cells cost, and blocks of many
    // rows keep running totals for the next SUM down from the same top row.
    static CellValue blockSum(MemorySheet& s, const CellRect& block);
    // Adds the numbers of one row of the block to `total`; false with `error` at an error.
    static bool addRowNumbers(MemorySheet& s, int row, const CellRect& block, CompensatedSum& total,
                              CellValue& error);
    static constexpr int kRunningSumMinRows = 16;
    static constexpr std::size_t kMaxRunningSumRows = std::size_t(1) << 20;
};

}  // namespace tallimo::host
