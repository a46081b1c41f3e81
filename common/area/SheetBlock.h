#pragma once

#include "SheetSource.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace tallimo::area {

// From the first to the last row that shows a text, and from the first to the last such column;
// nothing for a sheet without a text.
std::optional<host::CellRect> usedArea(const SheetSource& sheet);

// The display texts of one block of a sheet, gathered in one visit. Only cells inside the block
// are kept, each as a few bytes beside one pool of texts (a text the file repeats is kept once),
// so a sheet whose file repeats a row a million times costs what the block holds.
class SheetBlock {
public:
    SheetBlock(const SheetSource& sheet, const host::CellRect& block);

    // Appends the text of a cell of the block; cells are asked for in row order.
    void appendCell(int row, int column, QString& out);

private:
    struct Entry {
        std::int32_t row;
        std::uint16_t column;
        std::uint32_t text;  // index into texts_, or kDropped
    };
    struct TextSpan {
        qsizetype offset;
        qsizetype length;
    };
    static constexpr std::uint32_t kDropped = 0xFFFFFFFF;

    void dropCoveredCells(const std::vector<host::CellRect>& merges);

    std::vector<Entry> entries_;
    std::vector<TextSpan> texts_;
    QString pool_;
    std::size_t next_ = 0;
};

}  // namespace tallimo::area
